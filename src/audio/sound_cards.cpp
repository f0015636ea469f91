#include "audio/sound_cards.hpp"

#include <charconv>
#include <fstream>
#include <optional>
#include <sstream>

#include "log.hpp"

namespace quorvelan::audio::sound_cards {
namespace {

std::string_view trim(std::string_view text) {
  constexpr std::string_view blanks = " \t\r\n\v\f";
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// An unsigned decimal number, an optional "+" in front, nothing else.
std::optional<std::uint32_t> parse_number(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  std::uint32_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return {};
  return number;
}

std::optional<SoundCard> parse_line(std::string_view line) {
  line = trim(line);
  const auto open = line.find('[');
  const auto close = line.find(']');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return {};
  const auto number = parse_number(trim(line.substr(0, open)));
  if (!number) return {};
  return SoundCard{std::string(trim(line.substr(open + 1, close - open - 1))), *number};
}

}  // namespace

std::vector<SoundCard> parse_cards(std::string_view text) {
  std::vector<SoundCard> cards;
  while (!text.empty()) {
    const auto end = text.find('\n');
    if (auto card = parse_line(text.substr(0, end))) cards.push_back(std::move(*card));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return cards;
}

void log_sound_cards(const std::filesystem::path& path) {
  std::ifstream file(path);
  if (!file) return;
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) return;
  const auto logger = log::target("quorvelan::audio::engine");
  for (const auto& card : parse_cards(text.str())) {
    logger->info("Discovered ALSA card from /proc: {} ({})", card.name, card.number);
  }
}

}  // namespace quorvelan::audio::sound_cards
