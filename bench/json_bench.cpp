// How long the JSON text of patterns takes to write and read: a project of 128 patterns is read
// on load and written on every autosave.

#include <benchmark/benchmark.h>

#include "json/codec.hpp"
#include "sequencer/pattern_json.hpp"

namespace {

using quorvelan::sequencer::pattern::Pattern;

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

}  // namespace
BENCHMARK_MAIN();
