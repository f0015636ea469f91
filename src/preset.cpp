#include "preset.hpp"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <system_error>

#include "dx7/bank_file.hpp"
#include "dx7/convert.hpp"
#include "dx7/factory.hpp"
#include "files.hpp"
#include "json/record.hpp"
#include "log.hpp"
#include "sequencer/pattern_json.hpp"
#include "sequencer/types_json.hpp"
#include "utf8.hpp"

namespace quorvelan::json {

using preset::SynthPreset;

namespace {

// "track" and "tracks" may be absent, null, or left off the end of the array form.
constexpr auto kSynthPresetForm = record_form<SynthPreset>(
    "struct SynthPreset", required<&SynthPreset::name>("name"),
    required<&SynthPreset::version>("version"), trailing_optional<&SynthPreset::track>("track"),
    trailing_optional<&SynthPreset::tracks>("tracks"));

}  // namespace

QUORVELAN_JSON_DECLARE_CODEC(SynthPreset)
QUORVELAN_JSON_DEFINE_CODEC(SynthPreset, kSynthPresetForm)

}  // namespace quorvelan::json

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
  for (ListedFile& file : list_files(folder, "json")) {
    // A name that is not UTF-8 would show with U+FFFD in it, the name of no file.
    if (utf8::is_valid(file.path.filename().native()) && !is_unsafe_name(file.stem)) {
      names.push_back(std::move(file.stem));
    }
  }
  return names;
}

std::vector<std::string> list_projects() { return list_json_files(projects_dir()); }

namespace {

// Writes the value as the item `name` of the folder and logs "<kind> saved to <path>".
template <class T>
Result<void> save_item(const fs::path& folder, std::string_view name, const T& value,
                       std::string_view kind) {
  auto path = item_path(folder, name);
  if (!path) return std::unexpected(path.error());
  auto text = json::to_text(value);
  if (!text) return std::unexpected(text.error());
  if (auto written = files::write_atomically(*path, *text); !written) return written;
  log::target("quorvelan::preset")->info("{} saved to {}", kind, files::debug_path(*path));
  return {};
}

}  // namespace

Result<sequencer::pattern::Pattern> load_pattern(const fs::path& path) {
  auto text = files::read_text(path);
  if (!text) return std::unexpected(text.error());
  auto pattern = json::from_text<sequencer::pattern::Pattern>(*text);
  if (!pattern) return pattern;
  sequencer::pattern_json::normalize_loaded(*pattern);
  log::target("quorvelan::preset")->info("Pattern loaded from {}", files::debug_path(path));
  return pattern;
}

Result<void> save_pattern(const sequencer::pattern::Pattern& pattern, std::string_view name) {
  return save_item(patterns_dir(), name, pattern, "Pattern");
}

namespace {

using sequencer::types::TrackSynthParams;

fs::path presets_dir() { return quorvelan_dir() / "presets"; }
fs::path dx7_dir() { return quorvelan_dir() / "dx7"; }

constexpr std::array kFactoryBanks{&dx7::factory::ROM1A, &dx7::factory::ROM1B};

std::vector<std::string> voice_names(const dx7::sysex::Dx7Bank& voices) {
  std::vector<std::string> names;
  for (const auto& voice : voices) names.push_back(voice.name);
  return names;
}

std::optional<TrackSynthParams> convert_at(const dx7::sysex::Dx7Bank& voices, std::size_t index) {
  if (index >= voices.size()) return std::nullopt;
  return dx7::convert::convert_voice(voices[index]);
}

std::optional<TrackSynthParams> load_factory(const BankSource::Factory& source, std::size_t index) {
  for (const auto* rom : kFactoryBanks) {
    if (rom->id == source.id) return convert_at(rom->voices(), index);
  }
  return std::nullopt;
}

std::optional<TrackSynthParams> load_sysex_file(const BankSource::SysexFile& source,
                                                std::size_t index) {
  auto voices = dx7::bank_file::read_bank(source.path);
  if (!voices) return std::nullopt;
  return convert_at(*voices, index);
}

// The preset's one patch, else the first of its four; normalised like every patch read from a
// file, so that nothing unplayable reaches the engine.
std::optional<TrackSynthParams> load_user_preset(const fs::path& path) {
  auto text = files::read_text(path);
  if (!text) return std::nullopt;
  auto preset = json::from_text<SynthPreset>(*text);
  if (!preset) return std::nullopt;
  log::target("quorvelan::preset")->info("Preset loaded from {}", files::debug_path(path));

  std::optional<TrackSynthParams> patch = preset->track;
  if (!patch && preset->tracks) patch = (*preset->tracks)[0];
  if (patch) sequencer::types::normalize(*patch);
  return patch;
}

}  // namespace

std::vector<PresetBank> list_all_banks() {
  std::vector<PresetBank> banks;
  for (const auto* rom : kFactoryBanks) {
    std::string id(rom->id);
    banks.push_back({BankSource{BankSource::Factory{id}}, "DX7 " + id, voice_names(rom->voices())});
  }

  for (ListedFile& file : list_files(dx7_dir(), "syx")) {
    auto voices = dx7::bank_file::read_bank(file.path);
    if (!voices) continue;
    banks.push_back(
        {BankSource{BankSource::SysexFile{file.path}}, "DX7 " + file.stem, voice_names(*voices)});
  }

  auto user = list_json_files(presets_dir());
  if (!user.empty()) banks.push_back({BankSource{BankSource::User{}}, "User", std::move(user)});
  return banks;
}

std::optional<TrackSynthParams> load_from_bank(const PresetBank& bank, std::size_t index) {
  if (auto* factory = std::get_if<BankSource::Factory>(&bank.source.kind)) {
    return load_factory(*factory, index);
  }
  if (auto* file = std::get_if<BankSource::SysexFile>(&bank.source.kind)) {
    return load_sysex_file(*file, index);
  }
  if (index >= bank.presets.size()) return std::nullopt;
  return load_user_preset(presets_dir() / (bank.presets[index] + ".json"));
}

Result<void> save_preset(std::string_view name, const TrackSynthParams& params) {
  return save_item(presets_dir(), name,
                   SynthPreset{std::string(name), kPresetVersion, params, std::nullopt}, "Preset");
}

}  // namespace quorvelan::preset
