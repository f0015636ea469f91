// Cost of one 64-frame block through the send effects and the master chain at 48 kHz, every
// stage engaged: while a loud signal plays, and deep in the silent tail that follows it (where
// unflushed states would fall into the slow denormal range).

#include <benchmark/benchmark.h>

#include <array>
#include <random>

#include "effects/delay.hpp"
#include "effects/rack.hpp"
#include "effects/reverb.hpp"

namespace {

using namespace quorvelan::effects;
using namespace quorvelan::effects::rack;

constexpr float kRate = 48000.0f;
constexpr std::size_t kBlocksPerSecond = 750;
const SendLevels kLevels{0.5f, 0.5f, 0.5f};
using Block = std::array<Frame, kBlockFrames>;

EffectRack busy_rack() {
  EffectRack rack(kRate);
  rack.set_param(kDelay, delay::StereoDelay::kFeedback, 0.7f);
  rack.set_param(kReverb, reverb::PlateReverb::kDecay, 0.8f);
  rack.set_param(kReverbFeeds, kChorusToReverb, 0.5f);
  rack.set_param(kReverbFeeds, kDelayToReverb, 0.5f);
  rack.set_param(kOverdrive, overdrive::Overdrive::kDrive, 0.5f);
  rack.set_param(kDjFilter, dj_filter::DjFilter::kPosition, 0.3f);
  return rack;
}

Block noise(std::mt19937& random) {
  std::uniform_real_distribution<float> full_scale(-1.0f, 1.0f);
  Block block;
  for (Frame& f : block) f = {full_scale(random), full_scale(random)};
  return block;
}

void BM_LoudBlock(benchmark::State& state) {
  EffectRack rack = busy_rack();
  std::mt19937 random(1);
  const Block source = noise(random);
  for (auto _ : state) {
    Block block = source;
    rack.process(block, kLevels);
    benchmark::DoNotOptimize(block);
  }
}
BENCHMARK(BM_LoudBlock);

void BM_SilentTailBlock(benchmark::State& state) {
  EffectRack rack = busy_rack();
  std::mt19937 random(1);
  for (std::size_t i = 0; i < kBlocksPerSecond; ++i) {
    Block block = noise(random);
    rack.process(block, kLevels);
  }
  // Twenty seconds on, the reverb tail has passed far below audibility.
  for (std::size_t i = 0; i < 20 * kBlocksPerSecond; ++i) {
    Block block{};
    rack.process(block, kLevels);
  }
  for (auto _ : state) {
    Block block{};
    rack.process(block, kLevels);
    benchmark::DoNotOptimize(block);
  }
}
BENCHMARK(BM_SilentTailBlock);

}  // namespace

BENCHMARK_MAIN();
