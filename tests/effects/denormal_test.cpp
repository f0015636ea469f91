// Decaying tails must not fall into the denormal range, where every multiply costs many times
// more: after a loud burst, a long silent tail costs no more per block than the burst itself,
// and every tail dies to exact silence.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>

#include "effects/chorus.hpp"
#include "effects/delay.hpp"
#include "effects/rack.hpp"
#include "effects/reverb.hpp"
#include "effects/signal.hpp"

namespace {

using namespace effects_test;
using namespace quorvelan::effects::rack;
using quorvelan::effects::kBlockFrames;
using quorvelan::effects::dj_filter::DjFilter;
using quorvelan::effects::overdrive::Overdrive;
using quorvelan::effects::delay::StereoDelay;
using quorvelan::effects::reverb::PlateReverb;

constexpr float kRate = 48000.0f;
constexpr std::size_t kBlocksPerSecond = 750;  // 64-frame blocks at 48000 Hz
const SendLevels kLevels{0.5f, 0.5f, 0.5f};

EffectRack busy_rack() {
  EffectRack rack(kRate);
  rack.set_param(kDelay, StereoDelay::kFeedback, 0.5f);
  rack.set_param(kReverb, PlateReverb::kDecay, 0.6f);
  rack.set_param(kReverb, PlateReverb::kMix, 0.5f);
  rack.set_param(kReverbFeeds, kChorusToReverb, 0.5f);
  rack.set_param(kReverbFeeds, kDelayToReverb, 0.5f);
  rack.set_param(kOverdrive, Overdrive::kDrive, 0.5f);
  rack.set_param(kDjFilter, DjFilter::kPosition, 0.3f);
  rack.set_param(kDjFilter, DjFilter::kResonance, 0.5f);
  return rack;
}

using Block = std::array<Frame, kBlockFrames>;

Block noise_block(std::mt19937& random) {
  std::uniform_real_distribution<float> full_scale(-1.0f, 1.0f);
  Block block;
  for (Frame& f : block) f = {full_scale(random), full_scale(random)};
  return block;
}

// Runs `seconds` of blocks, the mix of each from `next_block`, and returns each block's cost in
// nanoseconds.
template <typename NextBlock>
std::vector<double> timed(EffectRack& rack, std::size_t seconds, NextBlock next_block,
                          float* loudest = nullptr) {
  std::vector<double> costs;
  costs.reserve(seconds * kBlocksPerSecond);
  for (std::size_t i = 0; i < seconds * kBlocksPerSecond; ++i) {
    Block block = next_block();
    const auto start = std::chrono::steady_clock::now();
    rack.process(block, kLevels);
    const auto stop = std::chrono::steady_clock::now();
    costs.push_back(std::chrono::duration<double, std::nano>(stop - start).count());
    if (loudest) *loudest = std::max(*loudest, peak(block));
  }
  return costs;
}

// The typical cost of a block in a stretch: the median shrugs off the odd interruption by another
// process, while a denormal slow-down lifts every block of the stretch.
double median(std::vector<double> costs) {
  std::nth_element(costs.begin(), costs.begin() + costs.size() / 2, costs.end());
  return costs[costs.size() / 2];
}

TEST(Denormals, ASilentTailCostsNoMorePerBlockThanTheBurstBeforeIt) {
#ifdef QUORVELAN_SANITIZED
  GTEST_SKIP() << "timings mean nothing under the sanitizers";
#endif
  EffectRack rack = busy_rack();
  std::mt19937 random(7);
  const double burst = median(timed(rack, 2, [&] { return noise_block(random); }));
  double worst_second = 0.0;
  for (int second = 0; second < 30; ++second) {
    const auto costs = timed(rack, 1, [] { return Block{}; });
    worst_second = std::max(worst_second, median(costs));
  }
  RecordProperty("burst_ns_per_block", std::to_string(burst));
  RecordProperty("worst_tail_ns_per_block", std::to_string(worst_second));
  EXPECT_LT(worst_second, burst * 2.0)
      << "burst " << burst << " ns, worst tail second " << worst_second << " ns per block";
}

TEST(Denormals, EveryTailDiesToExactSilence) {
  // Unflushed, the delay's repeats would still be around 1e-24 after 30 s and the reverb's tail
  // would linger far below audibility for much longer.
  EffectRack rack = busy_rack();
  std::mt19937 random(11);
  timed(rack, 1, [&] { return noise_block(random); });
  timed(rack, 29, [] { return Block{}; });
  float loudest = 0.0f;
  timed(
      rack, 1, [] { return Block{}; }, &loudest);
  EXPECT_EQ(loudest, 0.0f);
}

}  // namespace
