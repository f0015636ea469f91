#include "synth/voice.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "render_helpers.hpp"
#include "synth/params.hpp"
#include "synth/voice_bank.hpp"
#include "synth/wavetable.hpp"

namespace quorvelan::synth {
namespace {

using engine::SynthEngine;
using synth_test::kRate;
using synth_test::render;
using voice::Voice;

// One frame of one voice.
voice::StereoFrame render_one(Voice& voice) {
  std::array<voice::StereoFrame, 1> frame{};
  std::array<voice::StereoFrame, 1> peak{};
  voice_bank::render(std::span(&voice, 1), frame, peak);
  return frame[0];
}

// A fresh engine with a plain sine patch on track 0, playing one note on its first voice.
struct OneNote {
  explicit OneNote(std::uint8_t played = 69) : engine(kRate), note(played) {
    synth_test::make_sine_patch(engine, 0);
  }
  Voice& voice() { return engine.voice_allocator().voices()[0]; }
  void play(std::uint8_t velocity = 127) { engine.note_on(0, note, velocity); }
  void set(std::uint8_t id, float value) { engine.set_param(0, id, value); }
  void set_op(std::uint8_t first_id, int op, float value) {
    set(static_cast<std::uint8_t>(first_id + op), value);
  }
  SynthEngine engine;
  std::uint8_t note;
};

TEST(SineTable, HoldsOneCycleAndInterpolatesAnyPhase) {
  const auto& table = wavetable::sine_table();
  EXPECT_EQ(table[0], 0.0f);
  EXPECT_NEAR(table[512], 1.0f, 1e-7f);
  EXPECT_NEAR(table[1536], -1.0f, 1e-7f);
  const lanes::Lanes phases[] = {{0.0f, 0.123f, 0.5f, 0.999f}, {2.25f, -0.3f, -7.8f, -0.0001f}};
  for (const auto& phase : phases) {
    const lanes::Lanes sine = wavetable::sine_at(wavetable::sine_point_table(), phase);
    for (int lane = 0; lane < lanes::kWidth<lanes::Lanes>; ++lane)
      EXPECT_NEAR(sine[lane], std::sin(2.0 * std::numbers::pi * phase[lane]), 2e-5) << phase[lane];
  }
}

TEST(SineTable, AbsurdPhasesStayInsideTheTable) {
  const auto& table = wavetable::sine_point_table();
  constexpr float kInfinity = std::numeric_limits<float>::infinity();
  const lanes::Lanes sine = wavetable::sine_at(
      table, lanes::Lanes{3e9f, std::numeric_limits<float>::quiet_NaN(), kInfinity, -kInfinity});
  EXPECT_EQ(sine[0], 0.0f);  // whole cycles
  EXPECT_TRUE(std::isnan(sine[1]));
  EXPECT_TRUE(std::isnan(sine[2]));
  EXPECT_TRUE(std::isnan(sine[3]));
}

TEST(VoicePitch, ASinePatchSoundsAtTheNoteFrequency) {
  struct Case {
    std::uint8_t note;
    float ratio;
    double hz;
  };
  for (const auto& c : {Case{69, 1.0f, 440.0}, Case{81, 1.0f, 880.0}, Case{69, 0.5f, 220.0},
                        Case{60, 1.0f, 261.6256}}) {
    OneNote n(c.note);
    n.set(params::kOpRatio, c.ratio);
    n.play();
    const auto out = render(n.engine, 48000);
    EXPECT_NEAR(synth_test::measured_frequency(synth_test::left_of(out), kRate), c.hz, c.hz * 0.001)
        << int(c.note) << " x" << c.ratio;
  }
}

TEST(VoiceAlgorithm, ModulatorsActOnTheNextFrame) {
  OneNote plain;
  plain.set(params::kAlgorithm, 1);  // 1 <- 2
  plain.set_op(params::kOpLevel, 1, 0.0f);
  OneNote modulated;
  modulated.set(params::kAlgorithm, 1);
  modulated.set_op(params::kOpLevel, 1, 1.0f);
  modulated.set_op(params::kOpRatio, 1, 3.0f);
  plain.play();
  modulated.play();
  EXPECT_EQ(render_one(plain.voice()).left, render_one(modulated.voice()).left);
  EXPECT_NE(render_one(plain.voice()).left, render_one(modulated.voice()).left);
}

TEST(VoiceAlgorithm, FourOperatorEntriesNeverRunOperatorsFiveAndSix) {
  OneNote n;
  n.set(params::kAlgorithm, 0);
  n.set_op(params::kOpLevel, 4, 1.0f);
  n.set_op(params::kOpLevel, 5, 1.0f);
  n.play();
  render(n.engine, 1000);
  for (int op : {4, 5}) {
    EXPECT_EQ(n.voice().operators[op].phase, 0.0f);
    EXPECT_EQ(n.voice().operators[op].envelope.level(), 0.0f);
    EXPECT_EQ(n.voice().previous_outputs[op], 0.0f);
  }
  EXPECT_GT(n.voice().operators[3].phase, 0.0f);
}

TEST(VoiceAlgorithm, Dx7EntriesAreSilentAtFullMix) {
  for (float mix : {0.0f, 1.0f}) {
    OneNote n;
    n.set(params::kAlgorithm, 8);
    n.set(params::kMix, mix);
    n.play();
    const float peak = synth_test::peak_of(render(n.engine, 4800));
    if (mix == 1.0f)
      EXPECT_EQ(peak, 0.0f);
    else
      EXPECT_GT(peak, 0.1f);
  }
}

TEST(VoiceAlgorithm, EntrySevenSplitsSixPlainOperatorsAcrossTheMix) {
  // Operators 2, 3 and 5 form set A, operators 1, 4 and 6 set B.
  for (bool set_b : {false, true}) {
    for (float mix : {0.0f, 1.0f}) {
      OneNote n;
      n.set(params::kAlgorithm, 7);
      n.set(params::kMix, mix);
      for (int op = 0; op < 6; ++op) {
        const bool in_b = op == 0 || op == 3 || op == 5;
        n.set_op(params::kOpLevel, op, in_b == set_b ? 0.5f : 0.0f);
      }
      n.play();
      const float peak = synth_test::peak_of(render(n.engine, 4800));
      if (set_b == (mix == 1.0f))
        EXPECT_GT(peak, 0.1f) << set_b << mix;
      else
        EXPECT_EQ(peak, 0.0f) << set_b << mix;
    }
  }
}

TEST(VoiceAlgorithm, FeedbackActsOnlyWhereTheAlgorithmAllowsIt) {
  auto render_with_feedback = [](std::uint8_t algorithm, float amount) {
    OneNote n;
    n.set(params::kAlgorithm, algorithm);
    n.set(params::kMix, 0.5f);  // operator 1 is heard in set A of entry 39 and set B of entry 7
    n.set_op(params::kOpFeedback, 0, amount);
    n.play();
    return synth_test::left_of(render(n.engine, 2000));
  };
  EXPECT_EQ(render_with_feedback(39, 0.9f),
            render_with_feedback(39, 0.0f));  // feedback on operator 6 only
  EXPECT_NE(render_with_feedback(7, 0.9f), render_with_feedback(7, 0.0f));
  EXPECT_EQ(render_with_feedback(7, 0.001f), render_with_feedback(7, 0.0f));  // too small to count
}

TEST(VoicePan, EqualPowerGains) {
  struct Case {
    float pan;
    float left;
    float right;
  };
  for (const auto& c : {Case{-1.0f, 1.0f, 0.0f}, Case{0.0f, 0.70710677f, 0.70710677f},
                        Case{1.0f, 0.0f, 1.0f}, Case{0.5f, 0.38268343f, 0.9238795f},
                        // Beyond either side (an LFO writes up to 20) pan stays at that side.
                        Case{1.4f, 0.0f, 1.0f}, Case{20.0f, 0.0f, 1.0f}, Case{-3.0f, 1.0f, 0.0f}}) {
    OneNote n;
    n.set(params::kPan, c.pan);
    n.play();
    render_one(n.voice());
    EXPECT_NEAR(n.voice().pan_left, c.left, 1e-6f) << c.pan;
    EXPECT_NEAR(n.voice().pan_right, c.right, 1e-6f) << c.pan;
  }
}

TEST(VoiceDrive, SaturatesTowardsUnity) {
  OneNote n;
  n.set_op(params::kOpLevel, 0, 4.0f);
  n.set(params::kDrive, 1.0f);
  n.play();
  const float full_scale = 0.8f * 0.70710677f;  // gain x centre pan
  const float peak = synth_test::peak_of(render(n.engine, 4800));
  EXPECT_LE(peak, full_scale);
  EXPECT_GT(peak, 0.99f * full_scale);
}

TEST(VoiceFilter, AFixedCutoffKeepsItsNoteOnCoefficients) {
  OneNote n;
  n.set(params::kFilterCutoff, 0.5f);
  n.play();
  render(n.engine, 4800);
  const auto expected = filter::compute_coefficients(0.5f, 0.0f, filter::FilterType::Lp2, kRate);
  EXPECT_EQ(n.voice().coefficients.b0, expected.b0);
  EXPECT_EQ(n.voice().coefficients.a1, expected.a1);
  EXPECT_EQ(n.voice().last_cutoff, 0.5f);
}

TEST(VoiceFilter, ASweepIntoTheOpenRangeKeepsTheLastCoefficientsBelowIt) {
  OneNote n;
  n.set(params::kFilterCutoff, 0.5f);
  n.set(params::kFilterEnvAmount, 0.5f);
  n.play();
  render(n.engine, 470);  // the filter envelope peaks after 480 frames
  render(n.engine, 20);
  const float last = n.voice().last_cutoff;
  EXPECT_GE(last, 0.9895f);
  EXPECT_LT(last, 0.99f);
  const auto expected = filter::compute_coefficients(last, 0.0f, filter::FilterType::Lp2, kRate);
  EXPECT_EQ(n.voice().coefficients.b0, expected.b0);
  EXPECT_EQ(n.voice().coefficients.a2, expected.a2);
}

TEST(VoiceFilter, AnOpenCutoffPlaysUnfilteredAfterAClosedOne) {
  OneNote n;
  n.set(params::kFilterCutoff, 0.1f);
  n.play();
  render(n.engine, 4800);
  n.engine.voice_allocator().release(0, 69);
  render(n.engine, 48000);
  ASSERT_EQ(n.voice().state, voice::VoiceState::Idle);

  n.set(params::kFilterCutoff, 1.0f);
  n.play();  // on the same, first idle voice
  EXPECT_EQ(n.voice().coefficients.b0, 1.0f);
  EXPECT_EQ(n.voice().coefficients.b1, 0.0f);
  EXPECT_EQ(n.voice().coefficients.a1, 0.0f);
  EXPECT_EQ(n.voice().last_cutoff, -1.0f);
  render(n.engine, 4800);
  EXPECT_NEAR(synth_test::peak_of(render(n.engine, 4800)), 0.8f * 0.70710677f, 0.01f);
}

TEST(VoiceFilter, StaysStableWithAnOpenCutoffAtLowSampleRates) {
  for (float rate : {22050.0f, 32000.0f}) {
    SynthEngine engine(rate);
    engine.set_param(0, params::kFilterCutoff, 0.98f);
    engine.set_param(0, params::kFilterResonance, 1.0f);
    for (auto type : {filter::FilterType::Lp2, filter::FilterType::Bp, filter::FilterType::Hp2}) {
      engine.set_param(0, params::kFilterType, static_cast<float>(type));
      engine.note_on(0, 60, 127);
      const auto out = render(engine, static_cast<int>(rate));
      for (const auto& f : out) ASSERT_TRUE(std::isfinite(f.left)) << rate;
      EXPECT_LT(synth_test::peak_of(out), 50.0f);
      engine.voice_allocator().all_notes_off();
    }
  }
}

TEST(VoiceEnvelopes, ARestartedVoiceAttacksFromWhereItsEnvelopeStood) {
  OneNote n;
  n.set(params::kAmpSustain, 0.6f);
  n.play();
  render(n.engine, 48000);
  ASSERT_NEAR(n.voice().amp_envelope.level(), 0.6f, 1e-4f);
  n.voice().note_on(0, 69, 99);
  render_one(n.voice());
  EXPECT_NEAR(n.voice().amp_envelope.level(), 0.6f + 1.0f / 480.0f, 1e-4f);
  EXPECT_NEAR(n.voice().operators[0].envelope.level(), 1.0f / 480.0f, 1e-6f);
}

TEST(VoiceEnvelopes, ReleaseEndsInExactSilenceAndFreesTheVoice) {
  OneNote n;
  n.play();
  render(n.engine, 9600);
  n.engine.voice_allocator().release(0, 69);
  EXPECT_EQ(n.voice().state, voice::VoiceState::Released);
  const auto tail = render(n.engine, 48000);  // release 0.3 s
  EXPECT_EQ(n.voice().state, voice::VoiceState::Idle);
  EXPECT_GT(std::fabs(tail.front().left), 0.0f);
  for (std::size_t i = tail.size() - 24000; i < tail.size(); ++i) {
    ASSERT_EQ(tail[i].left, 0.0f) << i;
    ASSERT_EQ(tail[i].right, 0.0f) << i;
  }
}

}  // namespace
}  // namespace quorvelan::synth
