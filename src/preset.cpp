#include "preset.hpp"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <system_error>

#include "utf8.hpp"

namespace quorvelan::preset {
namespace {

namespace fs = std::filesystem;

// The text after the last ".", unless the name is ".." or its only "." comes first (".json"
// has no extension; "..json" has "json").
std::optional<std::string_view> extension_of(std::string_view file_name) {
  if (file_name == "..") return std::nullopt;
  auto dot = file_name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::nullopt;
  return file_name.substr(dot + 1);
}

bool is_unsafe_name(std::string_view name) {
  if (name == "." || name == "..") return true;
  return std::ranges::any_of(name, [](char c) {
    auto byte = static_cast<unsigned char>(c);
    return c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F;
  });
}

}  // namespace

fs::path quorvelan_dir() {
  const char* home = std::getenv("HOME");
  fs::path base = home != nullptr && utf8::is_valid(home) ? fs::path(home) : fs::path(".");
  return base / ".quorvelan";
}

fs::path patterns_dir() { return quorvelan_dir() / "patterns"; }
fs::path projects_dir() { return quorvelan_dir() / "projects"; }

Result<fs::path> item_path(const fs::path& folder, std::string_view name) {
  if (is_unsafe_name(name)) {
    return fail(R"(a name cannot hold "/", "\" or control characters, nor be "." or "..")");
  }
  return folder / (std::string(name) + ".json");
}

std::vector<ListedFile> list_files(const fs::path& folder, std::string_view extension) {
  std::vector<ListedFile> files;
  std::error_code error;
  fs::directory_iterator entries(folder, error);
  if (error) return files;
  for (auto entry = entries; entry != fs::directory_iterator(); entry.increment(error)) {
    if (error) break;
    std::string name = entry->path().filename().native();
    auto found = extension_of(name);
    if (!found || *found != extension) continue;
    std::string_view stem(name.data(), name.size() - found->size() - 1);
    files.push_back({utf8::to_valid(stem), entry->path()});
  }
  std::ranges::stable_sort(files, {}, &ListedFile::stem);
  return files;
}

std::vector<std::string> list_json_files(const fs::path& folder) {
  std::vector<std::string> names;
  for (ListedFile& file : list_files(folder, "json")) names.push_back(std::move(file.stem));
  return names;
}

std::vector<std::string> list_projects() { return list_json_files(projects_dir()); }

}  // namespace quorvelan::preset
