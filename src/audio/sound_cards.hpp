#pragma once
// The sound cards that the kernel lists in "/proc/asound/cards", read only to log them: they
// help tell from a log file why a device is missing.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quorvelan::audio::sound_cards {

struct SoundCard {
  std::string name;
  std::uint32_t number = 0;

  friend bool operator==(const SoundCard&, const SoundCard&) = default;
};

// Cards from lines of the form " 0 [PCH            ]: HDA-Intel - HDA Intel PCH"; lines without
// a "[" before a "]", or whose number does not parse, are skipped.
std::vector<SoundCard> parse_cards(std::string_view text);

// Logs each card of the file at info level; a file that cannot be read logs nothing.
void log_sound_cards(const std::filesystem::path& path);

}  // namespace quorvelan::audio::sound_cards
