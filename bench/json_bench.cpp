// How long the JSON text of patterns takes to write and read: a project of 128 patterns is read
// on load and written on every autosave.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "json/codec.hpp"
#include "sequencer/pattern_json.hpp"
#include "sequencer/project.hpp"

namespace {

using quorvelan::sequencer::pattern::Pattern;
using quorvelan::sequencer::project::kMaxPatterns;
using quorvelan::sequencer::project::Project;

void WriteDefaultPattern(benchmark::State& state) {
  Pattern pattern = Pattern::default_pattern();
  for (auto _ : state) benchmark::DoNotOptimize(quorvelan::json::to_text(pattern));
}
BENCHMARK(WriteDefaultPattern)->Unit(benchmark::kMicrosecond);

void ReadDefaultPattern(benchmark::State& state) {
  std::string text = quorvelan::json::to_text(Pattern::default_pattern()).value();
  for (auto _ : state) benchmark::DoNotOptimize(quorvelan::json::from_text<Pattern>(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(ReadDefaultPattern)->Unit(benchmark::kMicrosecond);

// The autosave of a full project: 128 default patterns written through a temporary file and fsync.
void SaveFullProject(benchmark::State& state) {
  Project project;
  project.patterns.assign(kMaxPatterns, Pattern::default_pattern());
  auto path = std::filesystem::temp_directory_path() / "quorvelan-bench" / "full.json";
  for (auto _ : state) benchmark::DoNotOptimize(project.save(path));
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
  std::filesystem::remove_all(path.parent_path());
}
BENCHMARK(SaveFullProject)->Unit(benchmark::kMillisecond);

void LoadFullProject(benchmark::State& state) {
  Project project;
  project.patterns.assign(kMaxPatterns, Pattern::default_pattern());
  auto path = std::filesystem::temp_directory_path() / "quorvelan-bench" / "full.json";
  if (!project.save(path)) state.SkipWithError("cannot save");
  for (auto _ : state) benchmark::DoNotOptimize(Project::load(path));
  std::filesystem::remove_all(path.parent_path());
}
BENCHMARK(LoadFullProject)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
