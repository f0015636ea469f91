// The full synth load: 16 voices of a six-operator algorithm with feedback, a resonant
// two-pole low-pass swept by its envelope, and drive, at 48 kHz. Notes restart every quarter
// second so that attacks, decays and filter sweeps are part of the load.
//
// Reported: ns per voice-sample and the real-time factor (seconds of audio per CPU second).

#include <benchmark/benchmark.h>

#include <vector>

#include "synth/engine.hpp"
#include "synth/params.hpp"

namespace {

using namespace quorvelan::synth;

constexpr float kRate = 48000.0f;
constexpr int kVoices = 16;
constexpr int kRetriggerFrames = 12000;

void load_patches(engine::SynthEngine& synth) {
  for (std::uint8_t track = 0; track < 4; ++track) {
    synth.set_param(track, params::kAlgorithm, 8.0f);  // DX7 algorithm 1, feedback on operator 6
    synth.set_param(track, params::kOpFeedback + 5, 0.6f);
    synth.set_param(track, params::kFilterType, 1.0f);  // LP2
    synth.set_param(track, params::kFilterCutoff, 0.35f);
    synth.set_param(track, params::kFilterResonance, 0.3f);
    synth.set_param(track, params::kFilterEnvAmount, 0.5f);
    synth.set_param(track, params::kDrive, 0.5f);
  }
}

void play_chord(engine::SynthEngine& synth) {
  for (int n = 0; n < kVoices; ++n)
    synth.note_on(static_cast<std::uint8_t>(n % 4), static_cast<std::uint8_t>(36 + 3 * n), 100);
}

void BM_SixteenVoices(benchmark::State& state) {
  const auto frames = static_cast<std::size_t>(state.range(0));
  engine::SynthEngine synth(kRate);
  load_patches(synth);
  play_chord(synth);
  std::vector<voice::StereoFrame> buffer(frames);
  std::size_t since_retrigger = 0;
  for (auto _ : state) {
    if (since_retrigger >= kRetriggerFrames) {
      play_chord(synth);
      since_retrigger = 0;
    }
    synth.render(buffer);
    synth.take_peaks();
    since_retrigger += frames;
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  const double rendered = static_cast<double>(state.iterations()) * static_cast<double>(frames);
  // Shown as time per voice-sample, and as seconds of audio per second of CPU time.
  state.counters["per_voice_sample"] = benchmark::Counter(
      rendered * kVoices, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["realtime_x"] = benchmark::Counter(rendered / kRate, benchmark::Counter::kIsRate);
}

BENCHMARK(BM_SixteenVoices)->Arg(64)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
