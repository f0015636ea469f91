// When steps sound: the tick clock, swing and micro-timing, heard through the rendered output
// and the step reports.

#include <gtest/gtest.h>

#include "playback/state_rig.hpp"

namespace state_test {
namespace {

constexpr std::size_t kSamplesPerTick = 250;  // 120 bpm at 48000 Hz
constexpr std::size_t kBlock = 64;

// The first frame of the 64-frame block in which tick `tick` (counted from Play) falls.
std::size_t block_of_tick(std::size_t tick) {
  return (tick * kSamplesPerTick - 1) / kBlock * kBlock;
}

// Where the first sound starts when only step `step` of track 0 plays, at `swing_percent`.
std::size_t first_sound_of_step(std::uint8_t step, float swing_percent) {
  Rig rig;
  send_dry(rig);
  Pattern pattern = Pattern::default_pattern();
  pattern.swing_percent = swing_percent;
  pattern.tracks[0].steps[step] = note_step(60);
  rig.send(std::move(pattern));
  rig.send(messages::play());
  return first_sound(left_channel(rig.render(30000, 256)));
}

TEST(StepTiming, TheFirstStepSoundsAtTheBlockOfItsTickExactly) {
  // A sixteenth is 24 ticks: the 6000th sample after Play, in the block starting at 5952.
  EXPECT_EQ(block_of_tick(24), 5952u);
  const std::size_t onset = first_sound_of_step(0, 50.0f);
  EXPECT_GE(onset, 5952u);
  EXPECT_LT(onset, 5952u + 2);  // a sine starts at phase 0
}

TEST(StepTiming, SwingLengthensEvenStepWaitsAndShortensOddOnes) {
  struct Case {
    float swing_percent;
    std::uint8_t step;
    std::size_t tick;
  };
  const Case cases[] = {
      {50.0f, 1, 48},  {75.0f, 0, 36},  {75.0f, 1, 48},
      {75.0f, 2, 84},  {60.0f, 0, 28},  {60.0f, 1, 48},  // the odd step takes the rest: 28 + 20
      {66.0f, 0, 31},  {66.0f, 1, 48},                   // 31 + 17, not 31 + 16
      {40.0f, 0, 24},  {40.0f, 1, 48},                   // below 50 counts as straight
      {100.0f, 0, 47}, {100.0f, 1, 48},                  // 0.99: 47 + 1
  };
  for (const Case& c : cases) {
    const std::size_t onset = first_sound_of_step(c.step, c.swing_percent);
    EXPECT_EQ(onset / kBlock * kBlock, block_of_tick(c.tick))
        << "swing " << c.swing_percent << " step " << int{c.step};
  }
}

// Before, each share of a pair was truncated on its own: a swung pattern played faster than its
// tempo, and tracks of different divisions drifted apart loop after loop.
TEST(StepTiming, ASwungPairLastsExactlyItsDivisionsTicks) {
  for (std::uint8_t d = 0; d < 8; ++d) {  // Whole to ThirtySecond
    Rig rig;
    Pattern pattern = Pattern::default_pattern();
    pattern.swing_percent = 66.0f;
    pattern.tracks[0].length = 2;
    pattern.tracks[0].clock_division = pattern::ClockDivision{d};
    rig.send(std::move(pattern));
    rig.send(messages::play());
    const std::size_t pair = 2 * pattern::step_ticks(pattern::ClockDivision{d});
    rig.render(2 * pair * kSamplesPerTick + kBlock);
    // Reported at Play, then each time a pair ends.
    EXPECT_EQ(rig.step_frames(0, 0), (std::vector<std::size_t>{kBlock, block_of_tick(pair) + kBlock,
                                                               block_of_tick(2 * pair) + kBlock}))
        << "pair of " << pair << " ticks";
  }
}

TEST(StepTiming, TempoSetsTheTickLength) {
  Rig rig;
  send_dry(rig);
  Pattern pattern = Pattern::default_pattern();
  pattern.tracks[0].steps[0] = note_step(60);
  rig.send(std::move(pattern));
  rig.send(messages::set_bpm(500.0));  // limited to 300: a tick of 100 samples
  rig.send(messages::play());
  EXPECT_EQ(first_sound(left_channel(rig.render(5000))) / kBlock * kBlock, (2400 - 1) / 64 * 64);
}

// Track 0 has a late second step, track 1 the same steps on the grid.
TEST(StepTiming, MicroTimingMovesOneStepAndTheTrackStaysInTime) {
  Rig rig;
  send_dry(rig);
  Pattern pattern = Pattern::default_pattern();
  for (std::uint8_t t = 0; t < 2; ++t) {
    pattern.tracks[t].length = 2;
    pattern.tracks[t].steps[0] = note_step(60);
    pattern.tracks[t].steps[1] = note_step(64);
  }
  pattern.tracks[0].steps[1].micro_timing = 5;
  rig.send(std::move(pattern));
  rig.send(messages::play());
  rig.render(48 * kSamplesPerTick * 6 + 24 * kSamplesPerTick);

  // Reaching step 1 means step 0 played: on the grid on every pass.
  EXPECT_EQ(rig.step_frames(0, 1), rig.step_frames(1, 1));
  ASSERT_EQ(rig.step_frames(0, 1).size(), 7u);
  // Reaching step 0 again means step 1 played: 5 ticks late on every pass, never more.
  const auto late = rig.step_frames(0, 0);
  const auto on_grid = rig.step_frames(1, 0);
  ASSERT_EQ(late.size(), on_grid.size());
  for (std::size_t pass = 1; pass < late.size(); ++pass) {
    const auto shift = static_cast<long>(late[pass]) - static_cast<long>(on_grid[pass]);
    EXPECT_NEAR(shift, 5 * 250, 64) << "pass " << pass;
  }
}

TEST(StepTiming, AnEarlyOffsetIsMeasuredFromTheGridAndWaitsAtLeastOneTick) {
  Rig rig;
  send_dry(rig);
  Pattern pattern = Pattern::default_pattern();
  for (std::uint8_t t = 0; t < 2; ++t) {
    pattern.tracks[t].length = 2;
    pattern.tracks[t].clock_division = pattern::ClockDivision::ThirtySecond;  // waits of 12
    pattern.tracks[t].steps[0] = note_step(60);
    pattern.tracks[t].steps[1] = note_step(64);
  }
  pattern.tracks[0].steps[0].micro_timing = 23;
  pattern.tracks[0].steps[1].micro_timing = -23;  // asks for 12 - 23 - 23 ticks: waits 1
  rig.send(std::move(pattern));
  rig.send(messages::play());
  rig.render(24 * kSamplesPerTick * 8);
  // Step 0 stays 23 ticks late on every pass: the squeezed step does not pile up.
  const auto shifted = rig.step_frames(0, 1);
  const auto on_grid = rig.step_frames(1, 1);
  ASSERT_GE(shifted.size(), 6u);
  for (std::size_t pass = 0; pass < 6; ++pass)
    EXPECT_NEAR(static_cast<long>(shifted[pass]) - static_cast<long>(on_grid[pass]), 23 * 250, 64)
        << "pass " << pass;
}

}  // namespace
}  // namespace state_test
