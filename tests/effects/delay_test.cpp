#include "effects/delay.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "effects/signal.hpp"

namespace {

using namespace effects_test;
using quorvelan::effects::delay::StereoDelay;

constexpr float kRate = 48000.0f;

StereoDelay wet_delay(float seconds, float feedback, bool ping_pong = false) {
  StereoDelay delay(kRate);
  delay.set_param(StereoDelay::kTime, seconds);
  delay.set_param(StereoDelay::kFeedback, feedback);
  delay.set_param(StereoDelay::kMix, 1.0f);
  delay.set_param(StereoDelay::kPingPong, ping_pong ? 1.0f : 0.0f);
  return delay;
}

TEST(StereoDelay, EchoLandsExactlyOneDelayTimeLaterAndEachRepeatIsScaledByTheFeedback) {
  StereoDelay delay = wet_delay(0.25f, 0.5f);
  Signal out = impulse(48000, 100, {1.0f, -0.5f});
  run(delay, out);

  constexpr std::size_t d = 12000;
  EXPECT_EQ(first_sound(out, left), 100 + d);
  EXPECT_EQ(first_sound(out, right), 100 + d);
  EXPECT_FLOAT_EQ(out[100 + d].left, 1.0f);
  EXPECT_FLOAT_EQ(out[100 + d].right, -0.5f);
  EXPECT_EQ(first_sound(out, left, 101 + d), 100 + 2 * d);
  EXPECT_FLOAT_EQ(out[100 + 2 * d].left, 0.5f);
  EXPECT_FLOAT_EQ(out[100 + 3 * d].left, 0.25f);
  EXPECT_FLOAT_EQ(out[100 + 3 * d].right, -0.125f);
}

TEST(StereoDelay, PingPongSendsEachRepeatToTheOtherSide) {
  StereoDelay delay = wet_delay(0.1f, 0.6f, true);
  Signal out = impulse(24000, 0, {1.0f, 0.0f});
  run(delay, out);

  constexpr std::size_t d = 4800;
  EXPECT_FLOAT_EQ(out[d].left, 1.0f);
  EXPECT_FLOAT_EQ(out[d].right, 0.0f);
  EXPECT_FLOAT_EQ(out[2 * d].left, 0.0f);
  EXPECT_FLOAT_EQ(out[2 * d].right, 0.6f);
  EXPECT_FLOAT_EQ(out[3 * d].left, 0.36f);
  EXPECT_FLOAT_EQ(out[3 * d].right, 0.0f);
  EXPECT_FLOAT_EQ(out[4 * d].right, 0.216f);
  EXPECT_EQ(first_sound(out, right), 2 * d);
}

TEST(StereoDelay, MixBlendsDryAndDelayed) {
  StereoDelay delay = wet_delay(0.01f, 0.0f);
  delay.set_param(StereoDelay::kMix, 0.3f);
  Signal out = impulse(1000, 0);
  run(delay, out);
  EXPECT_FLOAT_EQ(out[0].left, 0.7f);
  EXPECT_FLOAT_EQ(out[480].left, 0.3f);
}

TEST(StereoDelay, BothTimeParametersSetTheOneDelayLength) {
  StereoDelay delay = wet_delay(0.25f, 0.0f);
  delay.set_param(StereoDelay::kTimeAlso, 0.05f);
  Signal out = impulse(20000, 0);
  run(delay, out);
  EXPECT_EQ(first_sound(out, left), 2400u);
  EXPECT_EQ(first_sound(out, right), 2400u);
}

TEST(StereoDelay, TimeIsKeptBetweenOneSampleAndTheLineLength) {
  // A time of 0 (or below) is one sample, not a whole line (2 s) back.
  for (float seconds : {0.0f, -1.0f}) {
    StereoDelay delay = wet_delay(seconds, 0.0f);
    Signal out = impulse(100, 10);
    run(delay, out);
    EXPECT_EQ(first_sound(out, left), 11u) << seconds;
  }
  StereoDelay longest = wet_delay(5.0f, 0.0f);
  Signal out = impulse(100000, 0);
  run(longest, out);
  EXPECT_EQ(first_sound(out, left), 95999u);
}

TEST(StereoDelay, FeedbackIsLimitedWhereItIsUsed) {
  StereoDelay delay = wet_delay(0.01f, 1.2f);
  Signal out = impulse(2000, 0);
  run(delay, out);
  EXPECT_FLOAT_EQ(out[960].left, 0.95f);
  EXPECT_EQ(delay.tail_samples(), static_cast<std::size_t>(480.0f / (1.0f - 0.95f)));

  delay.set_param(StereoDelay::kFeedback, 0.005f);
  EXPECT_EQ(delay.tail_samples(), 480u);
}

TEST(StereoDelay, NonFiniteValuesAreIgnoredAndANonFiniteStateIsCleared) {
  StereoDelay delay = wet_delay(0.01f, 0.9f);
  delay.set_param(StereoDelay::kTime, std::numeric_limits<float>::quiet_NaN());
  delay.set_param(StereoDelay::kMix, std::numeric_limits<float>::infinity());
  Signal probe = impulse(1000, 0);
  run(delay, probe);
  EXPECT_EQ(first_sound(probe, left, 1), 480u);
  EXPECT_FLOAT_EQ(probe[480].left, 1.0f);

  Signal poisoned = impulse(64, 3, {std::numeric_limits<float>::quiet_NaN(), 1.0f});
  run(delay, poisoned);
  EXPECT_EQ(peak(poisoned), 0.0f);
  Signal after = impulse(2000, 0);
  run(delay, after);
  EXPECT_TRUE(quorvelan::effects::all_finite(after));
  EXPECT_EQ(first_sound(after, left, 1), 480u) << "the old echoes were cleared";
  EXPECT_FLOAT_EQ(after[480].left, 1.0f);
}

}  // namespace
