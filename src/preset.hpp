#pragma once
// The per-user data directory and its listings. Nothing is cached: every call recomputes the
// directory from the environment and reads the disk again.
//
//   $HOME/.quorvelan/projects/NAME.json   project files
//   $HOME/.quorvelan/patterns/NAME.json   pattern files
//   $HOME/.quorvelan/presets/NAME.json    synth preset files
//   $HOME/.quorvelan/dx7/ANY.syx          DX7 bulk dumps the user puts there (never created)

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "error.hpp"

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

// The stems of list_files(folder, "json").
std::vector<std::string> list_json_files(const std::filesystem::path& folder);
std::vector<std::string> list_projects();

}  // namespace quorvelan::preset
