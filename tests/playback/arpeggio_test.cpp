// The arpeggiator and the scale quantiser as heard: note order, timing and pitch.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "playback/state_rig.hpp"

namespace state_test {
namespace {

constexpr std::size_t kSamplesPerTick = 250;  // 120 bpm at 48000 Hz

// The pitch heard in the frames [from, to) of the left channel.
double pitch_at(const std::vector<float>& left, std::size_t from, std::size_t to) {
  return measured_frequency(slice(left, from, to), kRate);
}

// Track 0 feeds 64 then 60 to an Up arpeggio of sixteenths at half gate.
Pattern fed_arpeggio() {
  Pattern pattern = Pattern::default_pattern();
  auto& track = pattern.tracks[0];
  track.arp.mode = pattern::ArpMode::Up;
  track.steps[0] = note_step(64);
  track.steps[1] = note_step(60);
  return pattern;
}

std::vector<float> play(
    Pattern pattern, std::size_t frames, const std::function<void(Rig&)>& setup = [](Rig&) {}) {
  Rig rig;
  send_sine_patch(rig, 0);
  send_dry(rig);
  setup(rig);
  rig.send(std::move(pattern));
  rig.send(messages::play());
  return left_channel(rig.render(frames));
}

TEST(ArpeggioPlayback, HeldNotesPlayInOrderOnTheArpeggiatorsOwnClock) {
  const auto left = play(fed_arpeggio(), 150 * 1000);
  // Step 0 feeds 64 at tick 24; the arpeggiator counts from the next tick and plays every 24
  // ticks: 64 alone at tick 48 (step 1 feeds 60 after it), then 60, 64, 60 ...
  const int expected[] = {64, 60, 64, 60, 64};
  for (std::size_t k = 0; k < std::size(expected); ++k) {
    const std::size_t start = (48 + 24 * k) * kSamplesPerTick;
    EXPECT_NEAR(pitch_at(left, start + 100, start + 2900), note_frequency(expected[k]), 1.0)
        << "note " << k;
    // Half of a 24-tick step: 12 ticks, then the release, then silence until the next note.
    EXPECT_TRUE(silent(left, start + 3000 + 400, start + 6000 - 64)) << "note " << k;
  }
  // Before the first arpeggio note nothing sounds: the steps only feed the list.
  EXPECT_TRUE(silent(left, 0, 48 * kSamplesPerTick - 64));
}

TEST(ArpeggioPlayback, AMutedTrackKeepsPlayingWhatItHolds) {
  Rig rig;
  send_sine_patch(rig, 0);
  send_dry(rig);
  rig.send(fed_arpeggio());
  rig.send(messages::play());
  rig.render(60 * kSamplesPerTick);
  rig.send(messages::set_mute(0, true));
  const auto left = left_channel(rig.render(20 * 24 * kSamplesPerTick));
  const std::size_t late = 18 * 24 * kSamplesPerTick;
  EXPECT_GT(pitch_at(left, late - 6000, late), 0.0);
}

TEST(ArpeggioPlayback, NotesPlayAtVelocity100WhateverTheStepsFeedingThem) {
  Pattern pattern = fed_arpeggio();
  for (auto& step : {&pattern.tracks[0].steps[0], &pattern.tracks[0].steps[1]}) {
    step->velocity = 127;
    step->flags |= pattern::kStepAccent;
  }
  pattern.tracks[1].steps[0] = note_step(60);
  pattern.tracks[1].steps[0].velocity = 127;
  Rig rig;
  for (std::uint8_t t = 0; t < 2; ++t) send_sine_patch(rig, t);
  send_dry(rig);
  rig.send(std::move(pattern));
  rig.send(messages::play());
  rig.render(80 * kSamplesPerTick);
  EXPECT_NEAR(rig.loudest(0) / rig.loudest(1), 100.0f / 127.0f, 0.01f);
}

TEST(ScaleQuantiserPlayback, StepNotesSoundOnTheTracksScale) {
  Pattern pattern = Pattern::default_pattern();
  pattern.tracks[0].steps[0] = note_step(61);
  pattern.tracks[0].scale = pattern::ScaleType::Major;
  auto left = play(pattern, 9000);
  EXPECT_NEAR(pitch_at(left, 6100, 8900), note_frequency(60), 1.0);

  pattern.tracks[0].scale_root = 2;  // D major has C sharp
  left = play(pattern, 9000);
  EXPECT_NEAR(pitch_at(left, 6100, 8900), note_frequency(61), 1.0);
}

TEST(ScaleQuantiserPlayback, ArpeggioNotesSoundOnTheTracksScaleAfterTheirOffsets) {
  Pattern pattern = fed_arpeggio();
  pattern.tracks[0].scale = pattern::ScaleType::Pentatonic;  // C D E G A
  pattern.tracks[0].arp.offsets[0] = 1;                      // 64 + 1 = F, down to E
  pattern.tracks[0].arp.length = 1;
  const auto left = play(pattern, 80 * kSamplesPerTick);
  const std::size_t start = 48 * kSamplesPerTick;
  EXPECT_NEAR(pitch_at(left, start + 100, start + 2900), note_frequency(64), 1.0);
  // The quantised note is the one that ends: silence follows its gate.
  EXPECT_TRUE(silent(left, start + 3000 + 400, start + 6000 - 64));
}

}  // namespace
}  // namespace state_test
