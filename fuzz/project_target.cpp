// The project reader on any file: what it reads, the program saves and reads back unchanged.

#include "round_trip.hpp"
#include "samples.hpp"
#include "sequencer/project.hpp"

namespace quorvelan::fuzz {
namespace {

namespace fs = std::filesystem;
using sequencer::project::Project;

std::optional<Project> load(const fs::path& path) { return value_read(Project::load(path)); }

Result<fs::path> save(const Project& project) {
  const fs::path path = scratch_home() / "saved.json";
  return file_saved(path, project.save(path));
}

void run(std::span<const std::uint8_t> input) {
  check_round_trip(input, scratch_home() / "input.json", load, save);
}

std::vector<std::string> seeds() {
  Project plain;
  plain.name = "Plain";
  plain.patterns = {sequencer::pattern::Pattern::default_pattern()};
  std::vector<std::string> seeds;
  for (const Project& project : {varied_project(), plain}) {
    if (auto path = save(project)) seeds.push_back(file_bytes(*path));
  }
  return seeds;
}

}  // namespace

const Target target{"project", run, seeds, {"null", "true", "false", "[]", "{}"}, 1 << 20};

}  // namespace quorvelan::fuzz
