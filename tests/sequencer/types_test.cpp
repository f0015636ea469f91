#include "sequencer/types.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace quorvelan::sequencer::types {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNan = std::numeric_limits<float>::quiet_NaN();

TEST(NormalizeRecords, StartingValuesAreAlreadyInRange) {
  auto synth = starting_synth_params();
  auto mixer = starting_mixer_state();
  auto effects = starting_effects_params();
  normalize(synth);
  normalize(mixer);
  normalize(effects);
  EXPECT_EQ(synth, starting_synth_params());
  EXPECT_EQ(mixer, starting_mixer_state());
  EXPECT_EQ(effects, starting_effects_params());
}

TEST(NormalizeRecords, UnknownFilterTypeBecomesTheOneTheSynthPlaysButTheAlgorithmStaysAsStored) {
  auto synth = starting_synth_params();
  synth.algorithm = 41;
  synth.filter_type = 6;
  normalize(synth);
  EXPECT_EQ(synth.algorithm, 41);
  EXPECT_EQ(synth.filter_type, 1);

  synth.algorithm = 255;
  synth.filter_type = 5;
  normalize(synth);
  EXPECT_EQ(synth.algorithm, 255);
  EXPECT_EQ(synth.filter_type, 5);
}

TEST(NormalizeRecords, PatchKeepsConvertedValuesBeyondTheEditorRangesButNoNonFinite) {
  auto synth = starting_synth_params();
  synth.op_end_level[2] = 1.2f;  // a DX7 level above 99 converts to this
  synth.op_ratios[0] = 0.25f;
  synth.op_ratios[5] = kInf;
  synth.amp_release = kNan;
  synth.mix = -kInf;
  normalize(synth);
  EXPECT_EQ(synth.op_end_level[2], 1.2f);
  EXPECT_EQ(synth.op_ratios[0], 0.25f);
  EXPECT_EQ(synth.op_ratios[5], 0.0f);
  EXPECT_EQ(synth.amp_release, 0.0f);
  EXPECT_EQ(synth.mix, 0.0f);
}

TEST(NormalizeRecords, MixerAndEffectsStayWithinTheEditorsRanges) {
  TrackMixerState mixer{.volume = 2.0f,
                        .pan = -3.0f,
                        .muted = true,
                        .chorus_send = kNan,
                        .delay_send = -0.5f,
                        .reverb_send = kInf};
  normalize(mixer);
  EXPECT_EQ(mixer, (TrackMixerState{.volume = 1.0f,
                                    .pan = -1.0f,
                                    .muted = true,
                                    .chorus_send = 0.0f,
                                    .delay_send = 0.0f,
                                    .reverb_send = 1.0f}));

  auto effects = starting_effects_params();
  effects.chorus_rate = 0.0f;
  effects.delay_time_r = 10.0f;
  effects.delay_feedback = 1.5f;
  effects.reverb_predelay = 2.0f;
  effects.dj_filter_cutoff = kNan;
  effects.delay_to_reverb = -1.0f;
  normalize(effects);
  EXPECT_EQ(effects.chorus_rate, 0.1f);
  EXPECT_EQ(effects.delay_time_r, 1.0f);
  EXPECT_EQ(effects.delay_feedback, 0.95f);
  EXPECT_EQ(effects.reverb_predelay, 0.1f);
  EXPECT_EQ(effects.dj_filter_cutoff, 0.0f);
  EXPECT_EQ(effects.delay_to_reverb, 0.0f);
}

}  // namespace
}  // namespace quorvelan::sequencer::types
