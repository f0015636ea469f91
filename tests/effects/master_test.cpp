#include <gtest/gtest.h>

#include <limits>

#include "effects/dj_filter.hpp"
#include "effects/overdrive.hpp"
#include "effects/signal.hpp"

namespace {

using namespace effects_test;
using quorvelan::effects::dj_filter::DjFilter;
using quorvelan::effects::overdrive::Overdrive;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

template <typename Stage>
Signal through(Stage& stage, Signal signal) {
  for (Frame& f : signal) f = stage.process(f);
  return signal;
}

Overdrive overdrive(float drive, float tone, float mix = 1.0f) {
  Overdrive stage;
  stage.set_param(Overdrive::kDrive, drive);
  stage.set_param(Overdrive::kTone, tone);
  stage.set_param(Overdrive::kMix, mix);
  return stage;
}

Signal constant(std::size_t frames, float value) { return Signal(frames, Frame{value, -value}); }

TEST(Overdrive, BelowTheSmallestDriveItIsTransparent) {
  for (float drive : {0.0f, 0.0009f}) {
    Overdrive stage = overdrive(drive, 0.3f, 0.5f);
    EXPECT_FALSE(stage.is_engaged());
    const Signal in = sine(500, 300.0f, 48000.0f, 0.9f);
    const Signal out = through(stage, in);
    for (std::size_t i = 0; i < in.size(); ++i) ASSERT_EQ(out[i].left, in[i].left) << i;
  }
}

TEST(Overdrive, FullDriveBringsHalfScaleToFullScale) {
  // k = 21, make-up 1 / s(10.5), about 0.707, so s(21 x 0.5) x make-up is 1.
  Overdrive stage = overdrive(1.0f, 0.0f);
  const Frame out = stage.process({0.5f, -0.5f});
  EXPECT_NEAR(out.left, 1.0f, 1e-6f);
  EXPECT_NEAR(out.right, -1.0f, 1e-6f);
  // Far beyond the knee the shaper keeps rising, slowly.
  EXPECT_GT(stage.process({1.0f, 1.0f}).left, 1.0f);
}

TEST(Overdrive, SmallestDriveUsesTheMakeupCeiling) {
  Overdrive stage = overdrive(0.001f, 0.0f);
  const float k = 1.02f;
  const float y = k * 0.1f;
  const float shaped = y * (27.0f + y * y) / (27.0f + 9.0f * y * y);
  EXPECT_NEAR(stage.process({0.1f, 0.1f}).left, shaped * 2.0f, 1e-6f);
}

TEST(Overdrive, ToneSmoothsAndMixBlendsTheDrySignal) {
  Overdrive smooth = overdrive(1.0f, 0.5f);
  const Signal out = through(smooth, constant(3, 0.5f));
  EXPECT_NEAR(out[0].left, 0.5f, 1e-6f);
  EXPECT_NEAR(out[1].left, 0.75f, 1e-6f);
  EXPECT_NEAR(out[2].left, 0.875f, 1e-6f);

  Overdrive half = overdrive(1.0f, 0.0f, 0.5f);
  EXPECT_NEAR(half.process({0.5f, 0.5f}).left, 0.5f * 1.0f + 0.5f * 0.5f, 1e-6f);
}

TEST(Overdrive, ToneAtOrAboveOneStillFollowsTheInput) {
  // A tone of 1 would freeze the filter on its first value (silence here), beyond 1 it runs away.
  Overdrive at_one = overdrive(1.0f, 1.0f);
  Overdrive beyond = overdrive(1.0f, 7.0f);
  const Signal at_one_out = through(at_one, constant(2000, 0.5f));
  const Signal beyond_out = through(beyond, constant(2000, 0.5f));
  EXPECT_GT(at_one_out.back().left, 0.99f);
  for (std::size_t i = 0; i < at_one_out.size(); ++i) {
    ASSERT_EQ(at_one_out[i].left, beyond_out[i].left) << i;
  }
}

TEST(Overdrive, NonFiniteValuesAreIgnoredAndNeverComeOut) {
  Overdrive stage = overdrive(1.0f, 0.5f);
  stage.set_param(Overdrive::kDrive, kNaN);
  stage.set_param(Overdrive::kTone, kNaN);
  EXPECT_NEAR(stage.process({0.5f, 0.5f}).left, 0.5f, 1e-6f);

  EXPECT_EQ(stage.process({kNaN, 0.5f}).left, 0.0f);
  Overdrive fresh = overdrive(1.0f, 0.5f);
  EXPECT_EQ(stage.process({0.5f, 0.5f}).left, fresh.process({0.5f, 0.5f}).left)
      << "the tone filter starts afresh";

  Overdrive absurd = overdrive(1e38f, 0.5f);
  const Signal out = through(absurd, sine(100, 300.0f, 48000.0f));
  EXPECT_TRUE(quorvelan::effects::all_finite(out));
}

DjFilter dj(float position, float sample_rate = 44100.0f, float resonance = 0.0f) {
  DjFilter filter(sample_rate);
  filter.set_param(DjFilter::kResonance, resonance);
  filter.set_param(DjFilter::kPosition, position);
  return filter;
}

// Gain of the filter for a sine, measured once it has settled.
double gain(DjFilter& filter, float hz, float sample_rate = 44100.0f) {
  const std::size_t frames = static_cast<std::size_t>(sample_rate / 2.0f);
  const Signal in = sine(frames, hz, sample_rate);
  const Signal out = through(filter, in);
  const auto settled = [&](const Signal& s) { return std::span(s).subspan(frames / 2); };
  return rms_left(settled(out)) / rms_left(settled(in));
}

TEST(DjFilter, InsideTheDeadZoneItPassesTheSignalUntouched) {
  for (float position : {0.49f, 0.5f, 0.51f}) {
    DjFilter filter = dj(position, 44100.0f, 1.0f);
    EXPECT_FALSE(filter.is_active()) << position;
    const Signal in = sine(300, 5000.0f, 44100.0f);
    const Signal out = through(filter, in);
    for (std::size_t i = 0; i < in.size(); ++i) ASSERT_EQ(out[i].left, in[i].left) << i;
  }
}

TEST(DjFilter, BelowTheCentreItLowPassesAndAboveItHighPasses) {
  DjFilter low = dj(0.2f);  // about 675 Hz
  EXPECT_TRUE(low.is_active());
  EXPECT_NEAR(gain(low, 100.0f), 1.0, 0.03);
  DjFilter low_high = dj(0.2f);
  EXPECT_LT(gain(low_high, 10000.0f), 0.01);

  DjFilter high = dj(0.8f);  // about 1060 Hz
  EXPECT_LT(gain(high, 100.0f), 0.02);
  DjFilter high_high = dj(0.8f);
  EXPECT_NEAR(gain(high_high, 10000.0f), 1.0, 0.03);

  DjFilter widest = dj(0.48f);  // 20 kHz
  EXPECT_NEAR(gain(widest, 1000.0f), 1.0, 0.01);
  DjFilter thinnest = dj(1.0f);  // 18 kHz
  EXPECT_LT(gain(thinnest, 1000.0f), 0.01);
}

TEST(DjFilter, CutoffStaysBelowNyquist) {
  // At 22050 Hz the low-pass end of the sweep (20 kHz) lies far above Nyquist; at 44100 Hz the
  // top of the low-pass side just below the dead zone passes it too.
  for (auto [position, rate] : {std::pair{0.48f, 22050.0f}, std::pair{0.4899f, 44100.0f}}) {
    DjFilter filter = dj(position, rate);
    const double g = gain(filter, 500.0f, rate);
    EXPECT_NEAR(g, 1.0, 0.05) << position << " at " << rate;
  }
}

TEST(DjFilter, ValuesAreLimitedAndSmallChangesIgnored) {
  DjFilter settled = dj(0.2f);
  settled.set_position(0.2008f);
  DjFilter reference = dj(0.2f);
  DjFilter moved = dj(0.2f);
  moved.set_position(0.2015f);
  const Signal in = sine(2000, 3000.0f, 44100.0f);
  const Signal a = through(settled, in);
  const Signal b = through(reference, in);
  const Signal c = through(moved, in);
  bool differs = false;
  for (std::size_t i = 0; i < in.size(); ++i) {
    ASSERT_EQ(a[i].left, b[i].left) << i;
    differs = differs || c[i].left != b[i].left;
  }
  EXPECT_TRUE(differs);

  DjFilter over = dj(7.0f);
  DjFilter top = dj(1.0f);
  DjFilter under = dj(-3.0f);
  DjFilter bottom = dj(0.0f);
  const Signal o = through(over, in), t = through(top, in);
  const Signal u = through(under, in), m = through(bottom, in);
  for (std::size_t i = 0; i < in.size(); ++i) {
    ASSERT_EQ(o[i].left, t[i].left) << i;
    ASSERT_EQ(u[i].left, m[i].left) << i;
  }
}

TEST(DjFilter, NonFiniteValuesAreIgnoredAndNeverComeOut) {
  DjFilter filter = dj(0.3f);
  filter.set_position(kNaN);
  filter.set_resonance(std::numeric_limits<float>::infinity());
  DjFilter reference = dj(0.3f);
  const Signal in = sine(500, 3000.0f, 44100.0f);
  const Signal a = through(filter, in);
  const Signal b = through(reference, in);
  for (std::size_t i = 0; i < in.size(); ++i) ASSERT_EQ(a[i].left, b[i].left) << i;

  EXPECT_EQ(filter.process({kNaN, 0.0f}).left, 0.0f);
  DjFilter fresh = dj(0.3f);
  const Signal after = through(filter, in);
  const Signal fresh_out = through(fresh, in);
  EXPECT_EQ(after[5].left, fresh_out[5].left) << "the left history starts afresh";
}

}  // namespace
