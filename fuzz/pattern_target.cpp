// The pattern reader on any file: what it reads, the program saves and reads back unchanged.

#include "preset.hpp"
#include "round_trip.hpp"
#include "samples.hpp"

namespace quorvelan::fuzz {
namespace {

namespace fs = std::filesystem;
using sequencer::pattern::Pattern;

std::optional<Pattern> load(const fs::path& path) { return value_read(preset::load_pattern(path)); }

Result<fs::path> save(const Pattern& pattern) {
  scratch_home();  // before the data directory is looked up: it lies in the scratch HOME
  const fs::path path = preset::patterns_dir() / "saved.json";
  return file_saved(path, preset::save_pattern(pattern, "saved"));
}

void run(std::span<const std::uint8_t> input) {
  check_round_trip(input, scratch_home() / "input.json", load, save);
}

std::vector<std::string> seeds() {
  std::vector<std::string> seeds;
  for (const Pattern& pattern : {varied_pattern(), Pattern::default_pattern()}) {
    if (auto path = save(pattern)) seeds.push_back(file_bytes(*path));
  }
  return seeds;
}

}  // namespace

const Target target{"pattern", run, seeds, {"null", "true", "false", "[]", "{}"}, 1 << 18};

}  // namespace quorvelan::fuzz
