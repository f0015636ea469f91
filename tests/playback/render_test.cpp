// The shape of what process writes, its determinism, and the meters it reports.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "playback/state_rig.hpp"

namespace state_test {
namespace {

// A note held on track 0 with the default patch and effects.
void hold_note(Rig& rig) { rig.send(messages::note_on(0, 60, 100)); }

TEST(RenderShape, ChannelsBeyondTwoAndTrailingSamplesStaySilent) {
  Rig odd;
  hold_note(odd);
  // 1001 stereo samples: 500 frames and one lone sample.
  std::vector<float> buffer(1001);
  odd.state().process(buffer, 2);
  EXPECT_EQ(buffer.back(), 0.0f);
  EXPECT_NE(buffer[998], 0.0f);

  Rig six;
  hold_note(six);
  std::vector<float> wide(6 * 300);
  six.state().process(wide, 6);
  bool left_sounds = false;
  for (std::size_t frame = 0; frame < 300; ++frame) {
    left_sounds |= wide[frame * 6] != 0.0f;
    for (std::size_t ch = 2; ch < 6; ++ch) EXPECT_EQ(wide[frame * 6 + ch], 0.0f);
  }
  EXPECT_TRUE(left_sounds);
}

TEST(RenderShape, MonoCarriesTheLeftSignal) {
  Rig stereo;
  Rig mono;
  hold_note(stereo);
  hold_note(mono);
  const auto left = left_channel(stereo.render(4096, 256, 2));
  const auto single = mono.render(4096, 256, 1);
  ASSERT_EQ(left.size(), single.size());
  EXPECT_FALSE(silent(single));
  // A centred patch: the left signal is the right one, so mono matches stereo's left exactly.
  EXPECT_EQ(single, left);
}

TEST(RenderShape, ABufferShorterThanOneFrameIsSilentAndMovesNothing) {
  Rig touched;
  Rig untouched;
  for (Rig* rig : {&touched, &untouched}) {
    rig->send(busy_pattern());
    rig->send(messages::play());
  }
  std::vector<float> tiny(3, 1.0f);
  touched.state().process(tiny, 4);
  EXPECT_TRUE(silent(tiny));
  EXPECT_EQ(touched.render(20000), untouched.render(20000));
}

TEST(RenderShape, BlocksAreAtMostSixtyFourFramesAndRestartWithEachBuffer) {
  Rig rig;
  // 500 frames are seven blocks of 64 and one of 52: the eighth block brings the meters.
  rig.render(500, 500);
  EXPECT_EQ(rig.meters().size(), 1u);
  rig.render(448, 448);  // seven more blocks
  EXPECT_EQ(rig.meters().size(), 1u);
  rig.render(1, 1);
  EXPECT_EQ(rig.meters().size(), 2u);
}

TEST(RenderDeterminism, TheSameMessagesGiveTheSameSamplesBitForBit) {
  auto run = [](std::size_t buffer_frames) {
    Rig rig;
    rig.send(busy_pattern());
    rig.send(messages::set_bpm(173.0));
    rig.send(messages::play());
    auto out = rig.render(96000, buffer_frames);
    rig.send(messages::note_on(1, 70, 90));
    rig.send(messages::set_effect_param(5, 0, 0.2f));
    const auto tail = rig.render(48000, buffer_frames);
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
  };
  const auto first = run(256);
  const auto second = run(256);
  ASSERT_EQ(first.size(), second.size());
  EXPECT_EQ(std::memcmp(first.data(), second.data(), first.size() * sizeof(float)), 0);
  EXPECT_FALSE(silent(first));
  // Buffers that are whole multiples of a block cut the same blocks.
  EXPECT_EQ(run(64), first);
  EXPECT_EQ(run(1024), first);
}

TEST(RenderLevels, MasterVolumeScalesTheOutputButNotTheMeters) {
  Rig loud;
  Rig muted;
  Rig unity;
  for (Rig* rig : {&loud, &muted, &unity}) hold_note(*rig);
  muted.send(messages::set_master_volume(0.0f));
  loud.send(messages::set_master_volume(9.0f));  // limited to 4

  EXPECT_TRUE(silent(muted.render(4096)));
  const auto reference = unity.render(4096);
  const auto boosted = loud.render(4096);
  for (std::size_t i = 0; i < reference.size(); i += 97)
    EXPECT_FLOAT_EQ(boosted[i], 4.0f * reference[i]);

  ASSERT_FALSE(muted.meters().empty());
  EXPECT_GT(muted.meters().back().peak(0), 0.01f);
  EXPECT_EQ(muted.meters().back().peak(1), 0.0f);
}

TEST(RenderLevels, NanLevelsAndTemposChangeNothingAndInfinitiesAreLimited) {
  Rig garbled;
  Rig clean;
  Rig infinite;
  Rig limits;
  for (Rig* rig : {&garbled, &clean, &infinite, &limits}) {
    rig->send(busy_pattern());
    rig->send(messages::play());
  }
  const float nan = std::numeric_limits<float>::quiet_NaN();
  garbled.send(messages::set_master_volume(nan));
  garbled.send(messages::set_send_level(2, nan));
  garbled.send(messages::set_bpm(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_EQ(garbled.render(30000), clean.render(30000));

  const float inf = std::numeric_limits<float>::infinity();
  infinite.send(messages::set_master_volume(inf));
  infinite.send(messages::set_send_level(2, inf));
  infinite.send(messages::set_bpm(std::numeric_limits<double>::infinity()));
  limits.send(messages::set_master_volume(4.0f));
  limits.send(messages::set_send_level(2, 1.0f));
  limits.send(messages::set_bpm(300.0));
  EXPECT_EQ(infinite.render(30000), limits.render(30000));
}

TEST(RenderLevels, MetersShowVoicesStolenFromAnotherTrack) {
  Rig rig;
  for (std::uint8_t n = 0; n < 16; ++n) rig.send(messages::note_on(0, 40 + n, 100));
  rig.render(4096);
  EXPECT_GT(rig.meters().back().peak(0), 0.0f);
  EXPECT_EQ(rig.meters().back().peak(1), 0.0f);

  // All sixteen voices are busy: each note of track 1 takes the oldest note of track 0.
  for (std::uint8_t n = 0; n < 16; ++n) rig.send(messages::note_on(1, 60 + n, 100));
  rig.render(1024);
  EXPECT_EQ(rig.meters().back().peak(0), 0.0f);
  EXPECT_GT(rig.meters().back().peak(1), 0.0f);
}

TEST(RenderLevels, MetersReportEveryEighthBlockInTrackOrderAndRestartFromZero) {
  Rig rig;
  hold_note(rig);
  rig.render(1024, 64);
  const auto& reports = rig.reports();
  ASSERT_EQ(reports.size(), 8u);
  for (std::size_t i = 0; i < reports.size(); ++i) {
    const auto* meter = messages::get_if<FeedbackMessage::TrackMeter>(reports[i].message);
    ASSERT_NE(meter, nullptr);
    EXPECT_EQ(meter->track, i % 4);
    EXPECT_EQ(reports[i].frame, i < 4 ? 512u : 1024u);
  }
  rig.send(messages::stop());
  rig.render(48000);
  EXPECT_EQ(rig.meters().back().peak(0), 0.0f);
}

}  // namespace
}  // namespace state_test
