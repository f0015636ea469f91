#pragma once
// The per-user data directory and its listings. Nothing is cached: every call recomputes the
// directory from the environment and reads the disk again.
//
//   $HOME/.quorvelan/projects/NAME.json   project files
//   $HOME/.quorvelan/patterns/NAME.json   pattern files
//   $HOME/.quorvelan/presets/NAME.json    synth preset files
//   $HOME/.quorvelan/dx7/ANY.syx          DX7 bulk dumps the user puts there (never created)

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "error.hpp"
#include "sequencer/pattern.hpp"
#include "sequencer/types.hpp"

namespace quorvelan::preset {

// ".quorvelan" inside HOME; inside "." when HOME is unset or not UTF-8 text.
std::filesystem::path quorvelan_dir();
std::filesystem::path patterns_dir();
std::filesystem::path projects_dir();

// The file of the item a user named: folder / (name + ".json"). A name that could leave the folder
// or that no file system takes ("/", "\", control characters, "." or "..") is refused.
Result<std::filesystem::path> item_path(const std::filesystem::path& folder, std::string_view name);

struct ListedFile {
  std::string stem;  // the file name without its extension; stray bytes shown as U+FFFD
  std::filesystem::path path;
};

// The entries of the folder whose extension is exactly `extension` ("json", "syx"), sorted by
// the bytes of their stems. An unreadable or missing folder lists nothing; unreadable entries are
// left out.
std::vector<ListedFile> list_files(const std::filesystem::path& folder, std::string_view extension);

// The stems of list_files(folder, "json") that item_path accepts as names: a file no name can
// reach ("..json", "a\b.json", a name that is not UTF-8) is not listed.
std::vector<std::string> list_json_files(const std::filesystem::path& folder);
std::vector<std::string> list_projects();

// Reads one pattern file, brought into the ranges playback relies on.
Result<sequencer::pattern::Pattern> load_pattern(const std::filesystem::path& path);

// Saves the pattern as patterns/NAME.json (name trimmed and non-empty). A name that could leave
// the folder is refused; the old file of that name survives a failed save.
Result<void> save_pattern(const sequencer::pattern::Pattern& pattern, std::string_view name);

// Preset banks: the two factory DX7 banks, one bank per bulk dump in the "dx7" folder, and the
// user's own presets in the "presets" folder.

struct BankSource {
  struct Factory {
    std::string id;  // "ROM1A" or "ROM1B"
    friend bool operator==(const Factory&, const Factory&) = default;
  };
  struct SysexFile {
    std::filesystem::path path;
    friend bool operator==(const SysexFile&, const SysexFile&) = default;
  };
  struct User {
    friend bool operator==(const User&, const User&) = default;
  };

  std::variant<Factory, SysexFile, User> kind;

  friend bool operator==(const BankSource&, const BankSource&) = default;
};

struct PresetBank {
  BankSource source;
  std::string name;                  // as the browser shows it
  std::vector<std::string> presets;  // display names in bank order; the index loads one

  friend bool operator==(const PresetBank&, const PresetBank&) = default;
};

inline constexpr std::uint8_t kPresetVersion = 2;

// A user preset file: presets/NAME.json.
struct SynthPreset {
  std::string name;      // as saved; the file name is what the browser shows
  std::uint8_t version;  // any 0..255 is read; kPresetVersion is written
  std::optional<sequencer::types::TrackSynthParams> track;
  std::optional<std::array<sequencer::types::TrackSynthParams, 4>> tracks;  // never written
};

// Every bank in browser order: "DX7 ROM1A", "DX7 ROM1B", "DX7 <stem>" per valid bulk dump in
// the "dx7" folder (sorted by stem), then "User" when the "presets" folder holds any preset.
// Never fails and never logs: what cannot be read is not a bank.
std::vector<PresetBank> list_all_banks();

// The patch of one preset of a bank, read afresh from disk for files; nothing when the bank,
// the index or the file does not give one.
std::optional<sequencer::types::TrackSynthParams> load_from_bank(const PresetBank& bank,
                                                                 std::size_t index);

// Saves the patch as the user preset `name` (trimmed, non-empty). A name that could leave the
// folder is refused; the old file of that name survives a failed save.
Result<void> save_preset(std::string_view name, const sequencer::types::TrackSynthParams& params);

}  // namespace quorvelan::preset
