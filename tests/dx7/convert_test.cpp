#include "dx7/convert.hpp"

#include <gtest/gtest.h>

#include <bit>

#include "synth/algorithm.hpp"

namespace quorvelan::dx7::convert {
namespace {

using sysex::Dx7Operator;
using sysex::Dx7Voice;

Dx7Operator ratio_op(std::uint8_t coarse, std::uint8_t fine, std::uint8_t detune = 7) {
  return Dx7Operator{.osc_mode = 0, .freq_coarse = coarse, .freq_fine = fine, .detune = detune};
}

Dx7Operator fixed_op(std::uint8_t coarse, std::uint8_t fine) {
  return Dx7Operator{.osc_mode = 1, .freq_coarse = coarse, .freq_fine = fine, .detune = 7};
}

// Operators told apart by their envelopes: operator n has rates 10n, 10n+1, 10n+2, 10n+3.
Dx7Voice distinct_voice() {
  Dx7Voice voice;
  for (int i = 0; i < 6; ++i) {
    auto n = static_cast<std::uint8_t>(10 * (i + 1));
    voice.operators[i] =
        Dx7Operator{.eg_rates = {n, std::uint8_t(n + 1), std::uint8_t(n + 2), std::uint8_t(n + 3)},
                    .eg_levels = {99, 90, std::uint8_t(n + 4), 0},
                    .output_level = std::uint8_t(99 - n),
                    .freq_coarse = std::uint8_t(i + 1),
                    .detune = 7};
  }
  return voice;
}

TEST(DxConversion, RatioModeFrequencies) {
  EXPECT_FLOAT_EQ(frequency_ratio(ratio_op(1, 0)), 1.0f);
  EXPECT_FLOAT_EQ(frequency_ratio(ratio_op(0, 0)), 0.5f);
  EXPECT_FLOAT_EQ(frequency_ratio(ratio_op(0, 99)), 0.5f);
  EXPECT_FLOAT_EQ(frequency_ratio(ratio_op(2, 50)), 3.0f);
  EXPECT_FLOAT_EQ(frequency_ratio(ratio_op(31, 99)), 16.0f);
  EXPECT_FLOAT_EQ(frequency_ratio(ratio_op(16, 0)), 16.0f);
  EXPECT_NEAR(frequency_ratio(ratio_op(1, 0, 14)), 1.004864f, 1e-6f);
  EXPECT_NEAR(frequency_ratio(ratio_op(1, 0, 0)), 0.995160f, 1e-6f);
  EXPECT_NEAR(frequency_ratio(ratio_op(0, 0, 0)), 0.5f * 0.995160f, 1e-6f);  // detune before clamp
}

TEST(DxConversion, FixedModeFrequenciesAreRelativeToMiddleC) {
  EXPECT_FLOAT_EQ(frequency_ratio(fixed_op(0, 55)), 0.25f);
  EXPECT_FLOAT_EQ(frequency_ratio(fixed_op(1, 0)), 0.25f);
  EXPECT_NEAR(frequency_ratio(fixed_op(1, 99)), 99.1f / 261.63f, 1e-6f);
  EXPECT_NEAR(frequency_ratio(fixed_op(1, 99)), 0.3788f, 1e-4f);
  EXPECT_NEAR(frequency_ratio(fixed_op(2, 0)), 0.3822f, 1e-4f);
  EXPECT_FLOAT_EQ(frequency_ratio(fixed_op(3, 99)), 16.0f);
  EXPECT_FLOAT_EQ(frequency_ratio(fixed_op(31, 99)), 16.0f);
  EXPECT_NEAR(frequency_ratio(fixed_op(2, 50)), 550.0f / 261.63f, 1e-5f);
}

TEST(DxConversion, LevelsAndEnvelopeTimesAtTheEndsOfTheirRanges) {
  EXPECT_EQ(operator_level(0), 0.0f);
  EXPECT_FLOAT_EQ(operator_level(99), 1.0f);
  EXPECT_FLOAT_EQ(operator_level(120), 1.0f);
  EXPECT_NEAR(operator_level(90), 0.4597f, 1e-4f);
  EXPECT_NEAR(operator_level(50), 0.01454f, 1e-5f);
  EXPECT_NEAR(operator_level(1), 2.1135e-4f, 1e-8f);  // 73.5 dB down

  EXPECT_FLOAT_EQ(envelope_time(0), 40.0f);
  EXPECT_NEAR(envelope_time(1), 35.94f, 0.01f);
  EXPECT_NEAR(envelope_time(50), 0.1896f, 1e-4f);
  EXPECT_NEAR(envelope_time(98), 0.001113f, 1e-6f);
  EXPECT_FLOAT_EQ(envelope_time(99), 0.001f);
  EXPECT_FLOAT_EQ(envelope_time(255), 0.001f);
}

TEST(DxConversion, FeedbackTableNamesTheOperatorOfEachFeedbackMask) {
  for (std::uint8_t a = 0; a < 32; ++a) {
    auto mask = synth::algorithm::kAlgorithmTable[8 + a].feedback;
    ASSERT_EQ(std::popcount(mask), 1) << int(a);
    EXPECT_EQ(FEEDBACK_OPERATOR[a], std::countr_zero(mask)) << int(a);
  }
}

TEST(DxConversion, FeedbackGoesToTheAlgorithmsOneFeedbackOperator) {
  Dx7Voice voice = distinct_voice();
  voice.feedback = 7;
  voice.algorithm = 0;
  auto patch = convert_voice(voice);
  EXPECT_EQ(patch.op_feedback, (std::array<float, 6>{0, 0, 0, 0, 0, 1.0f}));

  voice.algorithm = 7;
  voice.feedback = 3;
  patch = convert_voice(voice);
  EXPECT_EQ(patch.op_feedback, (std::array<float, 6>{0, 0, 0, 3.0f / 7.0f, 0, 0}));

  voice.algorithm = 20;  // its mask holds operator 3
  patch = convert_voice(voice);
  EXPECT_EQ(patch.op_feedback, (std::array<float, 6>{0, 0, 3.0f / 7.0f, 0, 0, 0}));

  voice.feedback = 0;
  EXPECT_EQ(convert_voice(voice).op_feedback, (std::array<float, 6>{}));
}

TEST(DxConversion, WholeVoiceMapsOperatorsInOrderWithOperatorOnesAmpEnvelope) {
  Dx7Voice voice = distinct_voice();
  for (std::uint8_t a : {0, 13, 31}) {
    voice.algorithm = a;
    auto patch = convert_voice(voice);
    SCOPED_TRACE(int(a));
    EXPECT_EQ(patch.algorithm, 8 + a);
    EXPECT_EQ(patch.mix, 0.0f);
    EXPECT_EQ(patch.filter_type, 0);
    EXPECT_EQ(patch.filter_cutoff, 1.0f);
    EXPECT_EQ(patch.filter_resonance, 0.0f);
    EXPECT_EQ(patch.filter_env_depth, 0.0f);
    EXPECT_EQ(patch.drive, 0.0f);
    for (int i = 0; i < 6; ++i) {
      const auto& op = voice.operators[i];
      EXPECT_FLOAT_EQ(patch.op_ratios[i], float(i + 1));
      EXPECT_FLOAT_EQ(patch.op_levels[i], operator_level(op.output_level));
      EXPECT_FLOAT_EQ(patch.op_attack[i], envelope_time(op.eg_rates[0]));
      EXPECT_FLOAT_EQ(patch.op_decay[i], envelope_time(op.eg_rates[1]));
      EXPECT_FLOAT_EQ(patch.op_release[i], envelope_time(op.eg_rates[3]));
      EXPECT_FLOAT_EQ(patch.op_end_level[i], op.eg_levels[2] / 99.0f);
    }
    EXPECT_EQ(patch.amp_attack, patch.op_attack[0]);
    EXPECT_EQ(patch.amp_decay, patch.op_decay[0]);
    EXPECT_EQ(patch.amp_sustain, patch.op_end_level[0]);
    EXPECT_EQ(patch.amp_release, patch.op_release[0]);
  }
}

TEST(DxConversion, ValuesBeyondTheDx7RangesFollowTheSameFormulas) {
  Dx7Voice voice = distinct_voice();
  voice.operators[0].eg_rates = {150, 200, 0, 255};
  voice.operators[0].eg_levels = {0, 0, 198, 0};
  voice.operators[0].output_level = 127;
  auto patch = convert_voice(voice);
  EXPECT_FLOAT_EQ(patch.op_attack[0], 0.001f);
  EXPECT_FLOAT_EQ(patch.op_release[0], 0.001f);
  EXPECT_FLOAT_EQ(patch.op_end_level[0], 2.0f);
  EXPECT_FLOAT_EQ(patch.amp_sustain, 2.0f);
  EXPECT_FLOAT_EQ(patch.op_levels[0], 1.0f);
}

}  // namespace
}  // namespace quorvelan::dx7::convert
