// The whole render under full load at 48 kHz: four tracks of thirty-second notes at 300 bpm
// with long gates (more notes than voices, so voices are stolen), a feedback algorithm through a
// swept two-pole low-pass with drive, all three sends with the feeds into the reverb, the
// overdrive and the DJ filter, and four LFOs on live parameters. Reports, per buffer size, the
// mean and worst time per buffer and how many times faster than real time the render runs.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "audio/messages.hpp"
#include "audio/state.hpp"
#include "effects/delay.hpp"
#include "effects/rack.hpp"
#include "effects/reverb.hpp"
#include "lfo.hpp"
#include "sequencer/pattern.hpp"
#include "synth/filter.hpp"
#include "synth/params.hpp"

namespace {

namespace messages = quorvelan::audio::messages;
namespace pattern = quorvelan::sequencer::pattern;
namespace params = quorvelan::synth::params;
namespace rack = quorvelan::effects::rack;
using quorvelan::audio::state::AudioState;
using quorvelan::effects::delay::StereoDelay;
using quorvelan::effects::dj_filter::DjFilter;
using quorvelan::effects::overdrive::Overdrive;
using quorvelan::effects::reverb::PlateReverb;
using quorvelan::lfo::LfoConfigs;
using quorvelan::lfo::ModTarget;

constexpr float kRate = 48000.0f;
constexpr std::uint8_t kFeedbackAlgorithm = 8;  // DX7 algorithm 1: operator 6 feeds back

void send_patches(messages::AudioProducer& commands) {
  for (std::uint8_t t = 0; t < 4; ++t) {
    auto set = [&](std::uint8_t id, float value) {
      commands.push(messages::set_synth_param(t, id, value));
    };
    set(params::kAlgorithm, kFeedbackAlgorithm);
    set(params::kOpFeedback + 5, 0.6f);
    set(params::kFilterType, static_cast<float>(quorvelan::synth::filter::FilterType::Lp2));
    set(params::kFilterCutoff, 0.35f);
    set(params::kFilterResonance, 0.4f);
    set(params::kFilterEnvAmount, 0.5f);
    set(params::kDrive, 0.5f);
    set(params::kAmpRelease, 0.5f);
  }
}

void send_effects(messages::AudioProducer& commands) {
  for (std::uint8_t send = 0; send < 3; ++send) commands.push(messages::set_send_level(send, 0.5f));
  commands.push(messages::set_effect_param(rack::kDelay, StereoDelay::kFeedback, 0.6f));
  commands.push(messages::set_effect_param(rack::kReverb, PlateReverb::kDecay, 0.8f));
  commands.push(messages::set_effect_param(rack::kReverbFeeds, rack::kChorusToReverb, 0.4f));
  commands.push(messages::set_effect_param(rack::kReverbFeeds, rack::kDelayToReverb, 0.4f));
  commands.push(messages::set_effect_param(rack::kOverdrive, Overdrive::kDrive, 0.6f));
  // Below the centre: the low-pass side.
  commands.push(messages::set_effect_param(rack::kDjFilter, DjFilter::kPosition, 0.3f));
}

std::unique_ptr<pattern::Pattern> busy_pattern() {
  auto busy = std::make_unique<pattern::Pattern>(pattern::Pattern::default_pattern());
  for (std::uint8_t t = 0; t < 4; ++t) {
    auto& track = busy->tracks[t];
    track.clock_division = pattern::ClockDivision::ThirtySecond;
    track.default_gate_ticks = 96;  // eight notes of each track overlap
    for (std::uint8_t s = 0; s < 16; ++s) {
      track.steps[s].flags = pattern::kStepOn;
      track.steps[s].note = static_cast<std::uint8_t>(36 + 12 * t + (s * 5) % 12);
    }
  }
  return busy;
}

std::unique_ptr<LfoConfigs> live_lfos() {
  auto configs = std::make_unique<LfoConfigs>();
  const ModTarget targets[] = {ModTarget::SynthParam{0, params::kFilterCutoff},
                               ModTarget::SynthParam{1, params::kPan}, ModTarget::EffectParam{5, 0},
                               ModTarget::SendLevel{2}};
  for (std::size_t i = 0; i < configs->size(); ++i) {
    auto& lfo = (*configs)[i];
    lfo.enabled = true;
    lfo.shape = quorvelan::lfo::LfoShape::Triangle;
    lfo.rate = 2.0f + static_cast<float>(i);
    lfo.depth = 0.3f;
    lfo.base_value = 0.5f;
    lfo.target = targets[i];
  }
  return configs;
}

void BM_FullRender(benchmark::State& state) {
  const auto frames = static_cast<std::size_t>(state.range(0));
  auto [commands, command_end] = messages::make_audio_ring();
  auto [feedback_end, feedback] = messages::make_feedback_ring();
  AudioState audio(kRate, std::move(command_end), std::move(feedback_end));

  send_patches(commands);
  send_effects(commands);
  commands.push(busy_pattern());
  commands.push(live_lfos());
  commands.push(messages::set_bpm(300.0));
  commands.push(messages::play());

  std::vector<float> buffer(2 * frames);
  auto render = [&] {
    audio.process(buffer, 2);
    while (feedback.pop()) {
    }
  };
  // One second in, every voice is busy and the effect tails are full.
  for (std::size_t done = 0; done < static_cast<std::size_t>(kRate); done += frames) render();

  using Clock = std::chrono::steady_clock;
  double total_seconds = 0.0;
  double worst_seconds = 0.0;
  std::int64_t buffers = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    render();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    total_seconds += seconds;
    worst_seconds = std::max(worst_seconds, seconds);
    ++buffers;
    benchmark::DoNotOptimize(buffer.data());
  }
  const double mean_seconds = total_seconds / static_cast<double>(buffers);
  const double buffer_seconds = static_cast<double>(frames) / kRate;
  state.counters["mean_us"] = mean_seconds * 1e6;
  state.counters["worst_us"] = worst_seconds * 1e6;
  state.counters["realtime_x"] = buffer_seconds / mean_seconds;
  state.counters["worst_realtime_x"] = buffer_seconds / worst_seconds;
}
BENCHMARK(BM_FullRender)->Arg(64)->Arg(256)->Arg(512)->Arg(1024);

}  // namespace

BENCHMARK_MAIN();
