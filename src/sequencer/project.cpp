#include "sequencer/project.hpp"

#include <fmt/format.h>

#include <algorithm>

#include "files.hpp"
#include "json/record.hpp"
#include "lfo_json.hpp"
#include "log.hpp"
#include "sequencer/pattern_json.hpp"
#include "sequencer/types_json.hpp"

namespace quorvelan::json {

using sequencer::project::Project;

namespace {

constexpr auto kProjectForm = record_form<Project>(
    "struct Project", required<&Project::name>("name"), required<&Project::bpm>("bpm"),
    required<&Project::patterns>("patterns"),
    required<&Project::current_pattern>("current_pattern"),
    trailing_optional<&Project::synth_params>("synth_params"),
    trailing_optional<&Project::effects>("effects"), trailing_optional<&Project::mixer>("mixer"),
    trailing_optional<&Project::lfos>("lfos"),
    trailing_optional<&Project::midi_in_channels>("midi_in_channels"));

}  // namespace

QUORVELAN_JSON_DECLARE_CODEC(Project)
QUORVELAN_JSON_DEFINE_CODEC(Project, kProjectForm)

}  // namespace quorvelan::json

namespace quorvelan::sequencer::project {
namespace {

auto logger() { return log::target("quorvelan::sequencer::project"); }

void normalize_loaded(Project& project) {
  project.bpm = std::clamp(project.bpm, pattern::kMinBpm, pattern::kMaxBpm);
  for (auto& pattern : project.patterns) pattern_json::normalize_loaded(pattern);
  // A current pattern past the list is kept: loading appends default patterns up to it. Only
  // the slot limit is enforced.
  project.current_pattern = std::min<std::uint8_t>(project.current_pattern, kMaxPatterns - 1);
  if (project.synth_params) {
    for (auto& params : *project.synth_params) types::normalize(params);
  }
  if (project.effects) types::normalize(*project.effects);
  if (project.mixer) {
    for (auto& mixer : *project.mixer) types::normalize(mixer);
  }
  if (project.lfos) {
    for (auto& config : *project.lfos) lfo_json::normalize_loaded(config);
  }
  // A channel is 1 to 16, or 0 for none; anything above would step outside the channel keys'
  // wrap and never match an incoming message, so it reads as none.
  if (project.midi_in_channels) {
    for (auto& channel : *project.midi_in_channels) {
      if (channel > kLastMidiChannel) channel = 0;
    }
  }
}

}  // namespace

Result<void> Project::save(const std::filesystem::path& path) const {
  auto text = json::to_text(*this);
  if (!text) return std::unexpected(text.error());
  if (auto written = files::write_atomically(path, *text); !written) return written;
  logger()->info("Project saved to {}", files::debug_path(path));
  return {};
}

Result<Project> Project::load(const std::filesystem::path& path) {
  auto text = files::read_text(path);
  if (!text) return std::unexpected(text.error());
  auto project = json::from_text<Project>(*text);
  if (!project) return project;
  if (project->patterns.size() > kMaxPatterns) {
    return fail(fmt::format("a project holds at most {} patterns, but this file holds {}",
                            kMaxPatterns, project->patterns.size()));
  }
  normalize_loaded(*project);
  logger()->info("Project loaded from {}", files::debug_path(path));
  return project;
}

}  // namespace quorvelan::sequencer::project
