#include "sequencer/pattern.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace quorvelan::sequencer::pattern {
namespace {

PLock lock(std::uint8_t track, std::uint8_t step, float value) {
  return PLock{.track = track, .step = step, .param_id = 38, .value = value};
}

std::vector<float> values_of(const std::vector<PLock>& locks) {
  std::vector<float> values;
  for (const auto& l : locks) values.push_back(l.value);
  return values;
}

TEST(PatternDefaults, DefaultPatternHoldsFourIdleTracksAtStraight120) {
  const Pattern pattern = Pattern::default_pattern();
  EXPECT_TRUE(pattern.plocks.empty());
  EXPECT_EQ(pattern.bpm, 120.0);
  EXPECT_EQ(pattern.swing_percent, 50.0f);
  EXPECT_EQ(pattern.name, "Init");
  EXPECT_FALSE(pattern.effects.has_value());

  for (const Track& track : pattern.tracks) {
    ASSERT_EQ(track.steps.size(), 64u);
    EXPECT_EQ(track.length, 16);
    EXPECT_EQ(track.clock_division, ClockDivision::Sixteenth);
    EXPECT_EQ(track.default_gate_ticks, 12);
    EXPECT_EQ(track.default_velocity, 100);
    EXPECT_EQ(track.baseline_params, std::vector<float>(128, 0.0f));
    EXPECT_EQ(track.scale, ScaleType::Off);
    EXPECT_EQ(track.scale_root, 0);
    for (const Step& step : track.steps) {
      EXPECT_EQ(step.flags, 0);
      EXPECT_FALSE(step.note.has_value());
      EXPECT_EQ(step.velocity, 100);
      EXPECT_EQ(step.gate_ticks, 0);
      EXPECT_EQ(step.micro_timing, 0);
      EXPECT_EQ(step.trig_condition, TrigCondition{TrigCondition::Always{}});
      EXPECT_FALSE(step.retrig.has_value());
    }
    const ArpSettings& arp = track.arp;
    EXPECT_EQ(arp.mode, ArpMode::Off);
    EXPECT_EQ(arp.division, ClockDivision::Sixteenth);
    EXPECT_EQ(arp.gate_percent, 50);
    EXPECT_EQ(arp.octave_range, 1);
    EXPECT_EQ(arp.length, 16);
    for (auto offset : arp.offsets) EXPECT_EQ(offset, 0);
    EXPECT_FALSE(arp.latch);
  }
}

TEST(PatternDefaults, StepLengthsFollowTheDivisionsAndUnknownBytesCountAsSixteenths) {
  EXPECT_EQ(step_ticks(ClockDivision::Whole), 4 * kTicksPerQuarter);
  EXPECT_EQ(step_ticks(ClockDivision::Eighth), kTicksPerQuarter / 2);
  EXPECT_EQ(step_ticks(ClockDivision::Triplet8), kTicksPerQuarter / 3);
  EXPECT_EQ(step_ticks(ClockDivision::Sixteenth), 24u);
  EXPECT_EQ(step_ticks(ClockDivision::Triplet16), 16u);
  EXPECT_EQ(step_ticks(ClockDivision::ThirtySecond), 12u);
  for (int byte = 8; byte < 256; ++byte) {
    EXPECT_EQ(step_ticks(static_cast<ClockDivision>(byte)), 24u);
  }
}

TEST(PatternDefaults, AStepWithoutItsOwnGateTakesTheTracks) {
  Track track;
  Step step;
  EXPECT_EQ(track.gate_ticks_of(step), 12);
  track.default_gate_ticks = 30;
  EXPECT_EQ(track.gate_ticks_of(step), 30);
  step.gate_ticks = 5;
  EXPECT_EQ(track.gate_ticks_of(step), 5);
}

TEST(ClearPlocks, KeepsExactlyTheOtherLocksInTheirOrder) {
  Pattern pattern;
  pattern.clear_plocks(0, 0);
  EXPECT_TRUE(pattern.plocks.empty());

  pattern.plocks = {lock(1, 2, 1), lock(0, 3, 2), lock(1, 3, 3)};
  pattern.clear_plocks(2, 2);
  EXPECT_EQ(values_of(pattern.plocks), (std::vector<float>{1, 2, 3}));

  // Matches at the start, in the middle and at the end; same step on another track and
  // another step on the same track stay.
  pattern.plocks = {lock(1, 2, 1), lock(0, 2, 2), lock(1, 2, 3), lock(1, 5, 4), lock(1, 2, 5)};
  pattern.clear_plocks(1, 2);
  EXPECT_EQ(values_of(pattern.plocks), (std::vector<float>{2, 4}));

  pattern.plocks = {lock(3, 63, 1), lock(3, 63, 2)};
  const auto capacity = pattern.plocks.capacity();
  pattern.clear_plocks(3, 63);
  EXPECT_TRUE(pattern.plocks.empty());
  EXPECT_EQ(pattern.plocks.capacity(), capacity);
}

TEST(PatternCopy, CopiesShareNothing) {
  Pattern original;
  original.plocks.push_back(lock(0, 0, 1));
  Pattern copy = original;

  original.tracks[0].steps[0].note = 60;
  original.tracks[1].baseline_params[5] = 0.5f;
  original.plocks[0].value = 9;
  original.name = "Changed";
  EXPECT_FALSE(copy.tracks[0].steps[0].note.has_value());
  EXPECT_EQ(copy.tracks[1].baseline_params[5], 0.0f);
  EXPECT_EQ(copy.plocks[0].value, 1);
  EXPECT_EQ(copy.name, "Init");

  copy.tracks[2].steps.push_back(Step{});
  EXPECT_EQ(original.tracks[2].steps.size(), 64u);
}

TEST(NormalizePattern, LeavesAPatternTheEditorCouldMakeAlone) {
  Pattern pattern;
  Track& track = pattern.tracks[2];
  track.length = 64;
  track.scale_root = 11;
  track.steps[63] = Step{.flags = kStepOn | kStepAccent,
                         .note = 127,
                         .velocity = 1,
                         .gate_ticks = 384,
                         .micro_timing = -23,
                         .trig_condition = TrigCondition::ModCount{3, 4},
                         .retrig = RetrigSettings{.rate = 4, .length_steps = 2.5f}};
  track.arp = ArpSettings{.mode = ArpMode::Chord,
                          .gate_percent = 100,
                          .octave_range = 4,
                          .length = 1,
                          .offsets = {12, -12},
                          .latch = true};
  pattern.plocks.push_back(lock(3, 63, 0.5f));
  pattern.effects = types::starting_effects_params();
  pattern.bpm = 300.0;
  const Pattern before = pattern;
  normalize(pattern);
  EXPECT_EQ(pattern, before);
}

TEST(NormalizePattern, BringsEveryTrackWithinWhatPlaybackReliesOn) {
  Pattern pattern;
  pattern.tracks[0].steps.resize(10);
  pattern.tracks[0].steps[3].note = 64;
  pattern.tracks[0].length = 0;
  pattern.tracks[1].steps.resize(70);
  pattern.tracks[1].length = 255;
  pattern.tracks[2].scale_root = 14;
  pattern.tracks[3].arp.length = 0;
  normalize(pattern);

  EXPECT_EQ(pattern.tracks[0].steps.size(), 64u);
  EXPECT_EQ(pattern.tracks[0].steps[3].note, 64);
  EXPECT_EQ(pattern.tracks[0].length, 1);
  EXPECT_EQ(pattern.tracks[1].steps.size(), 70u);  // steps beyond the editor's 64 are kept
  EXPECT_EQ(pattern.tracks[1].length, 64);
  EXPECT_EQ(pattern.tracks[2].scale_root, 2);  // the same pitch class
  EXPECT_EQ(pattern.tracks[3].arp.length, 1);
}

TEST(NormalizePattern, ClampsArpeggiatorSettings) {
  ArpSettings arp{.gate_percent = 250, .octave_range = 0, .length = 17};
  arp.offsets[0] = -128;
  arp.offsets[15] = 127;
  normalize(arp);
  EXPECT_EQ(arp.gate_percent, 100);
  EXPECT_EQ(arp.octave_range, 1);
  EXPECT_EQ(arp.length, 16);
  EXPECT_EQ(arp.offsets[0], -12);
  EXPECT_EQ(arp.offsets[15], 12);

  arp.octave_range = 9;
  normalize(arp);
  EXPECT_EQ(arp.octave_range, 4);
}

TEST(NormalizePattern, ClampsStepsButKeepsEveryTrigCondition) {
  Step step{.flags = 0xff,
            .note = 200,
            .velocity = 0,
            .gate_ticks = 65535,
            .micro_timing = -128,
            .trig_condition = TrigCondition::ModCount{0, 0},
            .retrig = std::nullopt};
  normalize(step);
  EXPECT_EQ(step.flags, kStepOn | kStepAccent);
  EXPECT_EQ(step.note, 127);
  EXPECT_EQ(step.velocity, 1);
  EXPECT_EQ(step.gate_ticks, 384);
  EXPECT_EQ(step.micro_timing, -23);
  EXPECT_EQ(step.trig_condition, (TrigCondition{TrigCondition::ModCount{0, 0}}));

  step.micro_timing = 127;
  step.velocity = 255;
  step.trig_condition = TrigCondition::Probability{200};
  normalize(step);
  EXPECT_EQ(step.micro_timing, 23);
  EXPECT_EQ(step.velocity, 127);
  EXPECT_EQ(step.trig_condition, (TrigCondition{TrigCondition::Probability{200}}));
}

TEST(NormalizePattern, LimitsTempoAndSwingAndTheStoredEffects) {
  Pattern pattern;
  pattern.bpm = 5.0;
  pattern.swing_percent = std::numeric_limits<float>::quiet_NaN();
  pattern.effects = types::starting_effects_params();
  pattern.effects->delay_time_l = 40.0f;
  normalize(pattern);
  EXPECT_EQ(pattern.bpm, 20.0);
  EXPECT_FALSE(std::isnan(pattern.swing_percent));
  EXPECT_EQ(pattern.effects->delay_time_l, 1.0f);

  pattern.bpm = std::numeric_limits<double>::infinity();
  pattern.swing_percent = 250.0f;
  normalize(pattern);
  EXPECT_EQ(pattern.bpm, 300.0);
  EXPECT_EQ(pattern.swing_percent, 100.0f);
}

}  // namespace
}  // namespace quorvelan::sequencer::pattern
