#include "effects/reverb.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "effects/signal.hpp"

namespace {

using namespace effects_test;
using quorvelan::effects::reverb::PlateReverb;

constexpr float kRate = 48000.0f;
// Tank delays 1 and 3 at 48000 Hz: the first sound on the left and on the right.
constexpr std::size_t kTankDelay1 = 731;
constexpr std::size_t kTankDelay3 = 988;

PlateReverb wet_reverb(float decay, float damping = 0.7f) {
  PlateReverb reverb(kRate);
  reverb.set_param(PlateReverb::kDecay, decay);
  reverb.set_param(PlateReverb::kDamping, damping);
  reverb.set_param(PlateReverb::kMix, 1.0f);
  return reverb;
}

Signal impulse_response(PlateReverb& reverb, std::size_t frames) {
  Signal out = impulse(frames, 0);
  run(reverb, out);
  return out;
}

TEST(PlateReverb, FirstSoundComesAfterThePreDelayAndTheFirstTankDelay) {
  PlateReverb reverb = wet_reverb(0.6f);
  reverb.set_param(PlateReverb::kPreDelay, 0.05f);
  const Signal out = impulse_response(reverb, 8000);
  EXPECT_EQ(first_sound(out, left), 2400 + kTankDelay1);
  EXPECT_EQ(first_sound(out, right), 2400 + kTankDelay3);
}

TEST(PlateReverb, PreDelayIsKeptBetweenOneSampleAndItsBuffer) {
  // A pre-delay of 0 is one sample, not the whole 0.1 s buffer.
  PlateReverb shortest = wet_reverb(0.6f);
  shortest.set_param(PlateReverb::kPreDelay, 0.0f);
  EXPECT_EQ(first_sound(impulse_response(shortest, 8000), left), 1 + kTankDelay1);

  PlateReverb longest = wet_reverb(0.6f);
  longest.set_param(PlateReverb::kPreDelay, 0.5f);
  EXPECT_EQ(first_sound(impulse_response(longest, 8000), left), 4799 + kTankDelay1);
}

TEST(PlateReverb, ANewSampleRateRebuildsItWithItsDefaults) {
  PlateReverb reverb(44100.0f);
  reverb.set_param(PlateReverb::kPreDelay, 0.09f);
  reverb.set_param(PlateReverb::kDecay, 0.9f);
  reverb.set_sample_rate(kRate);
  EXPECT_EQ(reverb.tail_samples(), static_cast<std::size_t>(kRate * 3.0f * 0.6f));
  reverb.set_param(PlateReverb::kMix, 1.0f);
  EXPECT_EQ(first_sound(impulse_response(reverb, 4000), left), 480 + kTankDelay1);
}

TEST(PlateReverb, TailEnergyFallsBlockOverBlock) {
  PlateReverb reverb = wet_reverb(0.6f);
  const Signal out = impulse_response(reverb, 48000 * 4);
  constexpr std::size_t kWindow = 12000;
  double previous = energy(std::span(out).subspan(kWindow, kWindow));
  const double first = previous;
  ASSERT_GT(first, 0.0);
  for (std::size_t at = 2 * kWindow; at + kWindow <= out.size(); at += kWindow) {
    const double now = energy(std::span(out).subspan(at, kWindow));
    EXPECT_LT(now, previous) << "window at " << at;
    previous = now;
  }
  EXPECT_LT(previous, first * 1e-6);
}

TEST(PlateReverb, DecayAndDampingAboveOneActAsOne) {
  // Above 1 the tank's loop gain grows without bound; 1 itself holds the tail without growth.
  PlateReverb held = wet_reverb(1.0f, 1.0f);
  PlateReverb over = wet_reverb(3.0f, 2.5f);
  PlateReverb below = wet_reverb(-4.0f, -3.0f);
  PlateReverb zero = wet_reverb(0.0f, 0.0f);
  const Signal held_out = impulse_response(held, 48000 * 5);
  const Signal over_out = impulse_response(over, 48000 * 5);
  const Signal below_out = impulse_response(below, 48000 * 5);
  const Signal zero_out = impulse_response(zero, 48000 * 5);
  for (std::size_t i = 0; i < held_out.size(); ++i) {
    ASSERT_EQ(held_out[i].left, over_out[i].left) << i;
    ASSERT_EQ(zero_out[i].right, below_out[i].right) << i;
  }
  EXPECT_TRUE(quorvelan::effects::all_finite(over_out));
  EXPECT_LT(peak(over_out), 1.0f);
  EXPECT_EQ(over.tail_samples(), static_cast<std::size_t>(kRate * 3.0f));
}

TEST(PlateReverb, NonFiniteValuesAreIgnoredAndANonFiniteStateIsCleared) {
  PlateReverb reverb = wet_reverb(0.9f);
  reverb.set_param(PlateReverb::kPreDelay, std::numeric_limits<float>::quiet_NaN());
  reverb.set_param(PlateReverb::kDecay, std::numeric_limits<float>::infinity());
  EXPECT_EQ(first_sound(impulse_response(reverb, 4000), left), 441 * 48000 / 44100 + kTankDelay1);

  Signal poisoned = impulse(64, 0, {std::numeric_limits<float>::quiet_NaN(), 0.0f});
  run(reverb, poisoned);
  EXPECT_EQ(peak(poisoned), 0.0f);
  const Signal after = impulse_response(reverb, 48000);
  EXPECT_TRUE(quorvelan::effects::all_finite(after));
  EXPECT_EQ(first_sound(after, left), 480 + kTankDelay1) << "the old tail was cleared";
}

}  // namespace
