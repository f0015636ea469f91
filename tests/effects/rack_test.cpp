#include "effects/rack.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "effects/chorus.hpp"
#include "effects/delay.hpp"
#include "effects/reverb.hpp"
#include "effects/signal.hpp"
#include "support/alloc_counter.hpp"

namespace {

using namespace effects_test;
using namespace quorvelan::effects::rack;
using quorvelan::effects::chorus::Chorus;
using quorvelan::effects::dj_filter::DjFilter;
using quorvelan::effects::overdrive::Overdrive;
using quorvelan::effects::delay::StereoDelay;
using quorvelan::effects::reverb::PlateReverb;

constexpr float kRate = 48000.0f;
constexpr std::size_t kTankDelay1 = 731;  // at 48000 Hz

void render(EffectRack& rack, Signal& mix, const SendLevels& levels) {
  in_blocks(mix, [&](std::span<Frame> block) { rack.process(block, levels); });
}

TEST(EffectRack, WithoutSendsTheMixPassesUntouched) {
  EffectRack rack(kRate);
  const Signal in = sine(1000, 440.0f, kRate);
  Signal out = in;
  render(rack, out, {0.0f, 0.0f, 0.0f});
  for (std::size_t i = 0; i < in.size(); ++i) ASSERT_EQ(out[i].left, in[i].left) << i;
}

TEST(EffectRack, EachBusReturnsItsEffectOnTopOfTheMix) {
  EffectRack rack(kRate);
  rack.set_param(kDelay, StereoDelay::kTime, 0.01f);
  rack.set_param(kDelay, StereoDelay::kFeedback, 0.0f);
  rack.set_param(kDelay, StereoDelay::kMix, 1.0f);
  Signal out = impulse(2000, 0);
  render(rack, out, {0.0f, 0.5f, 0.0f});
  EXPECT_FLOAT_EQ(out[0].left, 1.0f);
  EXPECT_FLOAT_EQ(out[480].left, 0.5f);
  EXPECT_EQ(first_sound(out, left, 1), 480u);
}

TEST(EffectRack, ChorusAndDelayFeedTheReverbWithTheirOutputs) {
  const auto reverb_onset = [](std::uint8_t feed, std::size_t bus) {
    EffectRack rack(kRate);
    rack.set_param(kReverb, PlateReverb::kMix, 1.0f);
    rack.set_param(kReverb, PlateReverb::kPreDelay, 0.0f);
    rack.set_param(kChorus, Chorus::kMix, 0.0f);  // the chorus bus keeps its dry send
    rack.set_param(kDelay, StereoDelay::kMix, 0.0f);
    rack.set_param(kReverbFeeds, feed, 1.0f);
    SendLevels levels{0.0f, 0.0f, 0.0f};
    levels[bus] = 1.0f;
    Signal out = impulse(4000, 0);
    render(rack, out, levels);
    return first_sound(out, left, 1);
  };
  EXPECT_EQ(reverb_onset(kChorusToReverb, kChorus), 1 + kTankDelay1);
  EXPECT_EQ(reverb_onset(kDelayToReverb, kDelay), 1 + kTankDelay1);
  EXPECT_EQ(reverb_onset(kChorusToReverb, kDelay), 4000u) << "each feed takes its own bus";
}

TEST(EffectRack, MasterChainRunsOverdriveThenDjFilter) {
  EffectRack rack(kRate);
  rack.set_param(kOverdrive, Overdrive::kDrive, 1.0f);
  rack.set_param(kOverdrive, Overdrive::kTone, 0.0f);
  Signal out = Signal(64, Frame{0.5f, 0.5f});
  render(rack, out, {0.0f, 0.0f, 0.0f});
  EXPECT_NEAR(out[0].left, 1.0f, 1e-6f);

  // The DJ filter's position is limited to 0..1 on the way in: 9 is the high-pass at 18 kHz.
  rack.set_param(kOverdrive, Overdrive::kDrive, 0.0f);
  rack.set_param(kDjFilter, DjFilter::kPosition, 9.0f);
  Signal low = sine(9600, 200.0f, kRate);
  render(rack, low, {0.0f, 0.0f, 0.0f});
  EXPECT_LT(rms_left(std::span(low).subspan(4800)), 0.001);
}

TEST(EffectRack, UnknownEffectsAndNonFiniteValuesChangeNothing) {
  EffectRack rack(kRate);
  EffectRack reference(kRate);
  rack.set_param(6, 0, 1.0f);
  rack.set_param(kReverbFeeds, 2, 1.0f);
  rack.set_param(kReverbFeeds, kChorusToReverb, std::numeric_limits<float>::quiet_NaN());
  rack.set_param(kOverdrive, Overdrive::kDrive, std::numeric_limits<float>::infinity());
  rack.set_param(kDjFilter, DjFilter::kPosition, std::numeric_limits<float>::quiet_NaN());
  Signal a = impulse(20000, 0);
  Signal b = a;
  render(rack, a, {0.3f, 0.2f, 0.15f});
  render(reference, b, {0.3f, 0.2f, 0.15f});
  for (std::size_t i = 0; i < a.size(); ++i) ASSERT_EQ(a[i].left, b[i].left) << i;
}

TEST(EffectRack, NonFiniteMixNeverReachesTheOutput) {
  EffectRack rack(kRate);
  Signal out = sine(640, 440.0f, kRate);
  out[70] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()};
  render(rack, out, {0.3f, 0.2f, 0.15f});
  EXPECT_TRUE(quorvelan::effects::all_finite(out));
  Signal after = sine(48000, 440.0f, kRate);
  render(rack, after, {0.3f, 0.2f, 0.15f});
  EXPECT_TRUE(quorvelan::effects::all_finite(after));
  EXPECT_GT(peak(after), 0.1f);
}

TEST(EffectRack, ProcessingAllocatesNothing) {
  EffectRack rack(kRate);
  rack.set_param(kOverdrive, Overdrive::kDrive, 0.5f);
  rack.set_param(kDjFilter, DjFilter::kPosition, 0.3f);
  rack.set_param(kReverbFeeds, kChorusToReverb, 0.5f);
  rack.set_param(kReverbFeeds, kDelayToReverb, 0.5f);
  Signal mix = sine(48000, 440.0f, kRate);
  const auto before = test_support::allocation_count();
  render(rack, mix, {0.3f, 0.2f, 0.15f});
  EXPECT_EQ(test_support::allocation_count(), before);
}

}  // namespace
