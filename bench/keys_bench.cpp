// Cost per byte of decoding one 4 MiB input sequence read 1 KiB at a time, as the terminal
// delivers it: a string the terminal sends (OSC), a control sequence's parameters, and a paste.
// Whatever a sequence holds, every byte read must cost the same: the "per_byte" column.

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "term/keys.hpp"

namespace {

using quorvelan::term::KeyDecoder;

constexpr std::size_t kSequenceBytes = std::size_t{4} << 20;
constexpr std::size_t kReadBytes = 1024;

// The sequence's opening, its 4 MiB body, its end, then a key.
std::string long_sequence(std::int64_t kind) {
  switch (kind) {
    case 0:
      return "\x1b]" + std::string(kSequenceBytes, 'x') + "\x07q";
    case 1:
      return "\x1b[" + std::string(kSequenceBytes, '1') + "~q";
    default:
      return "\x1b[200~" + std::string(kSequenceBytes, 'x') + "\x1b[201~q";
  }
}

void BM_LongSequenceReadInPieces(benchmark::State& state) {
  const std::string input = long_sequence(state.range(0));
  for (auto _ : state) {
    KeyDecoder decoder("xterm");
    for (std::size_t at = 0; at < input.size(); at += kReadBytes) {
      decoder.push(std::string_view(input).substr(at, kReadBytes));
      while (auto event = decoder.next()) benchmark::DoNotOptimize(event);
    }
  }
  state.SetLabel(state.range(0) == 0   ? "OSC string"
                 : state.range(0) == 1 ? "CSI parameter"
                                       : "paste");
  state.counters["per_byte"] = benchmark::Counter(
      static_cast<double>(input.size()),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LongSequenceReadInPieces)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
