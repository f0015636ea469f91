// Pattern playback heard through the render: step reports, trig conditions over the loops,
// mutes, gates and accents, and the hand-over to a new pattern or a restart.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "playback/state_rig.hpp"

namespace state_test {
namespace {

using pattern::TrigCondition;

// At this rate a sixteenth at 120 bpm lasts 6144 frames, twelve meter reports of 512 frames,
// and each step's note (a 12-tick gate and a short release) dies within its own step.
constexpr float kGridRate = 49152.0f;
constexpr std::size_t kReportFrames = 512;
constexpr std::size_t kReportsPerStep = 12;

// Listens step by step to which tracks sounded after each step boundary.
class StepListener {
 public:
  explicit StepListener(Rig& rig) : rig_(rig) {
    for (std::uint8_t t = 0; t < 4; ++t) send_sine_patch(rig_, t);
    send_dry(rig_);
  }

  void play(Pattern pattern) {
    rig_.send(std::move(pattern));
    restart();
  }

  // Play, then render up to the block in which the first boundary falls.
  void restart() {
    rig_.send(messages::play());
    rig_.render((kReportsPerStep - 1) * kReportFrames, kReportFrames);
  }

  // Which tracks sounded at the next step boundary.
  std::array<bool, 4> next_step() {
    const std::size_t before = rig_.meters().size();
    rig_.render(kReportsPerStep * kReportFrames, kReportFrames);
    const auto meters = rig_.meters();
    std::array<bool, 4> sounded{};
    for (std::size_t r = before; r < meters.size(); ++r)
      for (std::size_t t = 0; t < 4; ++t) sounded[t] = sounded[t] || meters[r].peak(t) > 0.0f;
    return sounded;
  }

  // Per track, whether it sounded at each of the next `count` boundaries.
  std::array<std::vector<bool>, 4> next_steps(std::size_t count) {
    std::array<std::vector<bool>, 4> fired;
    for (std::size_t i = 0; i < count; ++i) {
      const auto sounded = next_step();
      for (std::size_t t = 0; t < 4; ++t) fired[t].push_back(sounded[t]);
    }
    return fired;
  }

 private:
  Rig& rig_;
};

// Every track plays one step, so each boundary is a new loop; track t's step has condition[t].
Pattern one_step_loops(const std::array<TrigCondition, 4>& conditions) {
  Pattern pattern = Pattern::default_pattern();
  for (std::uint8_t t = 0; t < 4; ++t) {
    pattern.tracks[t].length = 1;
    pattern.tracks[t].steps[0] = note_step(60);
    pattern.tracks[t].steps[0].trig_condition = conditions[t];
  }
  return pattern;
}

TEST(TrigConditions, LoopCountersDriveModCountFirstAndNotFirst) {
  Rig rig(kGridRate);
  StepListener listener(rig);
  listener.play(one_step_loops({TrigCondition::ModCount{1, 4}, TrigCondition::ModCount{4, 4},
                                TrigCondition::First{}, TrigCondition::NotFirst{}}));
  const auto fired = listener.next_steps(9);
  EXPECT_EQ(fired[0], (std::vector<bool>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
  EXPECT_EQ(fired[1], (std::vector<bool>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
  EXPECT_EQ(fired[2], (std::vector<bool>{1, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(fired[3], (std::vector<bool>{0, 1, 1, 1, 1, 1, 1, 1, 1}));

  // A restart keeps the loop counters: First stays spent, ModCount counts on.
  listener.restart();
  const auto again = listener.next_steps(4);
  EXPECT_EQ(again[0], (std::vector<bool>{0, 0, 0, 1}));  // loops 9..12
  EXPECT_EQ(again[2], (std::vector<bool>{0, 0, 0, 0}));
}

TEST(TrigConditions, ProbabilityDrawsOncePerLoopAndNeighboursFollowIt) {
  Rig rig(kGridRate);
  StepListener listener(rig);
  listener.play(one_step_loops({TrigCondition::Probability{50}, TrigCondition::Nei{},
                                TrigCondition::NotNei{}, TrigCondition::Probability{0}}));
  const auto fired = listener.next_steps(12);
  for (std::uint32_t loop = 0; loop < 12; ++loop) {
    const std::uint32_t draw = loop * 1013904223u;  // track 0 adds nothing to the draw
    EXPECT_EQ(fired[0][loop], draw % 100 < 50) << "loop " << loop;
    EXPECT_EQ(fired[1][loop], fired[0][loop]) << "loop " << loop;
    EXPECT_EQ(fired[2][loop], !fired[1][loop]) << "loop " << loop;
    EXPECT_FALSE(fired[3][loop]);
  }
  EXPECT_NE(std::ranges::count(fired[0], true), 0);
  EXPECT_NE(std::ranges::count(fired[0], false), 0);
}

TEST(TrigConditions, FillFollowsTheFillFlag) {
  Rig rig(kGridRate);
  StepListener listener(rig);
  listener.play(one_step_loops({TrigCondition::Fill{}, TrigCondition::NotFill{},
                                TrigCondition::Always{}, TrigCondition::Always{}}));
  const auto before = listener.next_steps(2);
  rig.send(messages::set_fill(true));
  const auto during = listener.next_steps(2);
  EXPECT_EQ(before[0], (std::vector<bool>{0, 0}));
  EXPECT_EQ(before[1], (std::vector<bool>{1, 1}));
  EXPECT_EQ(during[0], (std::vector<bool>{1, 1}));
  EXPECT_EQ(during[1], (std::vector<bool>{0, 0}));
}

TEST(TrigConditions, PreAndNotPreReadTheTracksLastResult) {
  Rig rig(kGridRate);
  StepListener listener(rig);
  Pattern pattern = Pattern::default_pattern();
  for (std::uint8_t t = 0; t < 2; ++t) {
    pattern.tracks[t].length = 2;
    pattern.tracks[t].steps[0] = note_step(60);
    pattern.tracks[t].steps[0].trig_condition = TrigCondition::ModCount{1, 2};
    pattern.tracks[t].steps[1] = note_step(64);
  }
  pattern.tracks[0].steps[1].trig_condition = TrigCondition::Pre{};
  pattern.tracks[1].steps[1].trig_condition = TrigCondition::NotPre{};
  listener.play(std::move(pattern));
  const auto fired = listener.next_steps(8);
  EXPECT_EQ(fired[0], (std::vector<bool>{1, 1, 0, 0, 1, 1, 0, 0}));
  EXPECT_EQ(fired[1], (std::vector<bool>{1, 0, 0, 1, 1, 0, 0, 1}));
}

TEST(TrackMute, AMutedTrackIsSilentAndComesBackWhenUnmuted) {
  Rig rig(kGridRate);
  StepListener listener(rig);
  rig.send(messages::set_mute(0, true));
  rig.send(messages::set_mute(9, true));  // no such track: nothing changes
  listener.play(one_step_loops({TrigCondition::Always{}, TrigCondition::Always{},
                                TrigCondition::Always{}, TrigCondition::Always{}}));
  const auto muted = listener.next_steps(3);
  rig.send(messages::set_mute(0, false));
  const auto unmuted = listener.next_steps(2);
  EXPECT_EQ(muted[0], (std::vector<bool>{0, 0, 0}));
  EXPECT_EQ(muted[3], (std::vector<bool>{1, 1, 1}));
  EXPECT_EQ(unmuted[0], (std::vector<bool>{1, 1}));
}

TEST(StepReports, EachTrackReportsTheStepItPlaysNextWhileTheTransportRuns) {
  Rig rig;
  Pattern pattern = Pattern::default_pattern();
  pattern.tracks[1].length = 2;
  rig.send(std::move(pattern));
  rig.render(640);
  EXPECT_TRUE(rig.reports_of<FeedbackMessage::StepPosition>().empty());

  rig.send(messages::play());
  rig.render(64);
  const auto first = rig.reports_of<FeedbackMessage::StepPosition>();
  ASSERT_EQ(first.size(), 4u);
  for (std::uint8_t t = 0; t < 4; ++t) EXPECT_EQ(first[t].first.step, 0);
  ASSERT_EQ(rig.reports_of<FeedbackMessage::TransportState>().size(), 1u);
  EXPECT_TRUE(rig.reports_of<FeedbackMessage::TransportState>()[0].first.playing);

  // The first boundary (24 ticks, the 6000th sample after Play) names step 1 in its block.
  rig.render(6400 - 64);
  EXPECT_EQ(rig.step_frames(0, 1), (std::vector<std::size_t>{640 + 6016}));
  rig.render(6000 * 2);
  EXPECT_EQ(rig.step_frames(1, 0).size(), 2u);  // two steps long: back to 0 at step 2

  rig.send(messages::stop());
  rig.clear_reports();
  rig.render(48000);
  EXPECT_TRUE(rig.reports_of<FeedbackMessage::StepPosition>().empty());
  ASSERT_FALSE(rig.reports_of<FeedbackMessage::TransportState>().empty());
  EXPECT_FALSE(rig.reports_of<FeedbackMessage::TransportState>()[0].first.playing);
}

TEST(StepReports, AReportLostToAFullRingIsNotRepeated) {
  Rig rig;
  rig.send(messages::play());
  // Without draining, meters and step reports fill the ring of 1024 long before 6 seconds.
  std::vector<float> buffer(512);
  for (int i = 0; i < 1200; ++i) rig.state().process(buffer, 2);
  rig.render(64);  // drains the full ring, then one block more
  rig.clear_reports();
  rig.render(128);  // no step changes in these blocks
  EXPECT_TRUE(rig.reports_of<FeedbackMessage::StepPosition>().empty());
}

TEST(Gates, AGateEndsItsNoteAfterItsTicksAndAStepPlaysAtItsVelocityOrAccentedAtFull) {
  Rig rig;
  for (std::uint8_t t = 0; t < 3; ++t) send_sine_patch(rig, t);
  send_dry(rig);
  // The same note at velocity 40 accented, at 127, and at 40 without an accent.
  Pattern pattern = Pattern::default_pattern();
  for (std::uint8_t t = 0; t < 3; ++t) pattern.tracks[t].steps[0] = note_step(60, 36);
  pattern.tracks[0].steps[0].velocity = 40;
  pattern.tracks[0].steps[0].flags |= pattern::kStepAccent;
  pattern.tracks[1].steps[0].velocity = 127;
  pattern.tracks[2].steps[0].velocity = 40;
  rig.send(std::move(pattern));
  rig.send(messages::play());
  const auto out = left_channel(rig.render(24000));
  // 36 ticks of 250 samples from the block of the first boundary, then a 5 ms release.
  EXPECT_FALSE(silent(out, 5952 + 8900, 5952 + 9000));
  EXPECT_TRUE(silent(out, 5952 + 9000 + 64 + 300, 24000));
  EXPECT_GT(rig.loudest(0), 0.0f);
  EXPECT_EQ(rig.loudest(0), rig.loudest(1));
  EXPECT_NEAR(rig.loudest(2) / rig.loudest(1), 40.0f / 127.0f, 0.01f);
}

TEST(Gates, TheDefaultGateAppliesToStepsWithoutOne) {
  Rig rig;
  send_sine_patch(rig, 0);
  send_dry(rig);
  Pattern pattern = Pattern::default_pattern();
  pattern.tracks[0].steps[0] = note_step(60);
  pattern.tracks[0].default_gate_ticks = 4;
  rig.send(std::move(pattern));
  rig.send(messages::play());
  const auto out = left_channel(rig.render(12000));
  EXPECT_FALSE(silent(out, 5952 + 900, 5952 + 1000));
  EXPECT_TRUE(silent(out, 5952 + 1000 + 64 + 300, 12000));
}

TEST(Gates, AGateEndingUnderTheSustainPedalWaitsForThePedal) {
  Rig rig;
  send_sine_patch(rig, 0);
  send_dry(rig);
  rig.send(messages::set_sustain(0, true));
  Pattern pattern = Pattern::default_pattern();
  pattern.tracks[0].steps[0] = note_step(60);  // its 12-tick gate ends at 9000
  rig.send(std::move(pattern));
  rig.send(messages::play());
  const auto held = left_channel(rig.render(12000));
  EXPECT_FALSE(silent(held, 11900, 12000));
  rig.send(messages::set_sustain(0, false));
  const auto released = left_channel(rig.render(2000));
  EXPECT_TRUE(silent(released, 1000, 2000));
}

TEST(PatternHandOver, ANewPatternTakesOverAtTheNextStepWithoutAClick) {
  Rig rig;
  send_sine_patch(rig, 0);
  send_dry(rig);
  Pattern first = Pattern::default_pattern();
  first.tracks[0].steps[0] = note_step(60);  // 12 ticks: sounds until about 9000
  Pattern second = Pattern::default_pattern();
  second.tracks[0].steps[1] = note_step(67);
  rig.send(std::move(first));
  rig.send(messages::play());
  auto out = left_channel(rig.render(7040));
  rig.send(std::move(second));
  const auto rest = left_channel(rig.render(12000));
  out.insert(out.end(), rest.begin(), rest.end());

  EXPECT_NEAR(measured_frequency(slice(out, 6100, 8900), kRate), note_frequency(60), 1.0);
  EXPECT_TRUE(silent(out, 9400, 11968));
  EXPECT_NEAR(measured_frequency(slice(out, 12100, 14900), kRate), note_frequency(67), 1.0);
  float largest_step = 0.0f;
  for (std::size_t i = 1; i < out.size(); ++i)
    largest_step = std::max(largest_step, std::fabs(out[i] - out[i - 1]));
  EXPECT_LT(largest_step, 0.05f);
}

// Track 0 holds a long note; `change` is sent while it sounds, with track 0 muted so that it
// starts nothing new. The note must end.
void expect_held_note_ends(Pattern pattern, std::size_t sounding_at,
                           const std::function<void(Rig&)>& change) {
  Rig rig;
  send_sine_patch(rig, 0);
  send_dry(rig);
  rig.send(std::move(pattern));
  rig.send(messages::play());
  const auto before = left_channel(rig.render(sounding_at));
  ASSERT_FALSE(silent(before, sounding_at - 100, sounding_at));
  rig.send(messages::set_mute(0, true));
  change(rig);
  const auto after = left_channel(rig.render(4000));
  EXPECT_TRUE(silent(after, 1000, 4000));
}

Pattern long_note() {
  Pattern pattern = Pattern::default_pattern();
  pattern.tracks[0].steps[0] = note_step(60, 384);
  return pattern;
}

TEST(PatternHandOver, PlayWhilePlayingEndsTheSoundingNotes) {
  expect_held_note_ends(long_note(), 9000, [](Rig& rig) { rig.send(messages::play()); });
}

TEST(PatternHandOver, SwitchingTheArpeggiatorOnEndsASoundingStepNote) {
  Pattern arpeggiated = long_note();
  arpeggiated.tracks[0].arp.mode = pattern::ArpMode::Up;
  expect_held_note_ends(long_note(), 9000, [&](Rig& rig) { rig.send(arpeggiated); });
}

TEST(PatternHandOver, SwitchingTheArpeggiatorOffEndsASoundingArpeggioNote) {
  Pattern arpeggiated = long_note();
  arpeggiated.tracks[0].arp.mode = pattern::ArpMode::Up;
  arpeggiated.tracks[0].arp.division = pattern::ClockDivision::Quarter;
  arpeggiated.tracks[0].arp.gate_percent = 100;
  // Fed at tick 24, the first arpeggio note starts 96 ticks later and lasts 96.
  expect_held_note_ends(arpeggiated, 32000, [](Rig& rig) { rig.send(long_note()); });
}

TEST(PatternHandOver, AFasterDivisionMidStepPlaysOnWithoutABurstOfSteps) {
  Rig rig;
  Pattern pattern = Pattern::default_pattern();
  pattern.tracks[0].clock_division = pattern::ClockDivision::Quarter;  // waits of 96 ticks
  for (auto& step : pattern.tracks[0].steps) step = note_step(60);
  rig.send(pattern);
  rig.send(messages::play());
  rig.render((96 + 90) * 250);  // 90 ticks into the wait for step 1
  pattern.tracks[0].clock_division = pattern::ClockDivision::ThirtySecond;  // waits of 12
  rig.send(std::move(pattern));
  rig.clear_reports();
  rig.render(60 * 250);
  std::vector<std::size_t> frames;
  for (const auto& [report, frame] : rig.reports_of<FeedbackMessage::StepPosition>())
    if (report.track == 0) frames.push_back(frame);
  ASSERT_GE(frames.size(), 4u);
  for (std::size_t i = 1; i < frames.size(); ++i)
    EXPECT_GE(frames[i] - frames[i - 1], 12 * 250 - 64) << "step report " << i;
}

TEST(PatternHandOver, ATrackPastItsNewLengthPassesOneSilentBoundaryThenRestarts) {
  Rig rig;
  send_sine_patch(rig, 0);
  send_dry(rig);
  Pattern pattern = Pattern::default_pattern();
  for (auto& step : pattern.tracks[0].steps) step = note_step(60);
  rig.send(pattern);
  rig.send(messages::play());
  rig.render(6000 * 10 + 3500);  // ten steps played, the tenth note has ended
  pattern.tracks[0].length = 4;
  rig.send(std::move(pattern));
  rig.clear_reports();
  const auto out = left_channel(rig.render(6000 * 2));
  // Step 10 lies beyond the new length: its boundary (at 66000) plays nothing and leads to
  // step 0, which plays at the next one (72000).
  EXPECT_TRUE(silent(out, 0, 72000 - 63500 - 64));
  EXPECT_FALSE(silent(out, 72000 - 63500, 72000 - 63500 + 100));
  std::vector<int> reached;
  for (const auto& [report, frame] : rig.reports_of<FeedbackMessage::StepPosition>())
    if (report.track == 0) reached.push_back(report.step);
  EXPECT_EQ(reached, (std::vector{0, 1}));
}

TEST(PatternHandOver, AStepListShorterThanTheLengthPlaysWhatItHolds) {
  Rig rig;
  send_sine_patch(rig, 0);
  send_dry(rig);
  Pattern pattern = Pattern::default_pattern();
  pattern.tracks[0].steps.resize(4);
  for (auto& step : pattern.tracks[0].steps) step = note_step(60);
  rig.send(std::move(pattern));
  rig.send(messages::play());
  const auto out = left_channel(rig.render(6000 * 34));
  // Steps 4..15 are missing: nothing fires there, and the track loops after 16 steps.
  EXPECT_FALSE(silent(out, 6000 * 4, 6000 * 4 + 100));
  EXPECT_TRUE(silent(out, 6000 * 6, 6000 * 16));
  EXPECT_FALSE(silent(out, 6000 * 17, 6000 * 17 + 100));
  EXPECT_EQ(rig.step_frames(0, 15).size(), 2u);
}

}  // namespace
}  // namespace state_test
