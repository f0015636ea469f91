// The user preset reader on any file: the patch it reads, the program saves as a preset and
// reads back unchanged.

#include "dx7/convert.hpp"
#include "dx7/factory.hpp"
#include "preset.hpp"
#include "round_trip.hpp"

namespace quorvelan::fuzz {
namespace {

namespace fs = std::filesystem;
using sequencer::types::TrackSynthParams;

fs::path presets_dir() {
  scratch_home();  // before the data directory is looked up: it lies in the scratch HOME
  return preset::quorvelan_dir() / "presets";
}

// As the preset browser loads the user's preset of that file.
std::optional<TrackSynthParams> load(const fs::path& path) {
  const preset::PresetBank user{{preset::BankSource::User{}}, "User", {path.stem().string()}};
  return preset::load_from_bank(user, 0);
}

Result<fs::path> save(const TrackSynthParams& params) {
  const fs::path path = presets_dir() / "saved.json";
  return file_saved(path, preset::save_preset("saved", params));
}

void run(std::span<const std::uint8_t> input) {
  check_round_trip(input, presets_dir() / "input.json", load, save);
}

// Presets as the program saves them, and the older form with four patches that it still reads.
std::vector<std::string> seeds() {
  std::vector<std::string> seeds;
  const auto& voices = dx7::factory::ROM1B.voices();
  for (const TrackSynthParams& params :
       {dx7::convert::convert_voice(voices[3]), sequencer::types::starting_synth_params()}) {
    if (auto path = save(params)) seeds.push_back(file_bytes(*path));
  }
  const std::string& saved = seeds.front();
  const std::size_t track = saved.find("\"track\": ");
  const std::size_t patch_start = track + std::string_view("\"track\": ").size();
  const std::string patch = saved.substr(patch_start, saved.rfind('}') - patch_start);
  seeds.push_back(saved.substr(0, track) + "\"tracks\": [" + patch + "," + patch + "," + patch +
                  "," + patch + "]\n}");
  return seeds;
}

}  // namespace

const Target target{"preset", run, seeds, {"null", "true", "false", "[]", "{}"}, 1 << 16};

}  // namespace quorvelan::fuzz
