// The LFOs as the interface sees them: what the audio state reports after each eighth block,
// how parameter edits move their base values, and which notes restart them.

#include <gtest/gtest.h>

#include "playback/state_rig.hpp"

namespace state_test {
namespace {

using quorvelan::lfo::LfoConfig;
using quorvelan::lfo::LfoConfigs;
using quorvelan::lfo::LfoShape;
using quorvelan::lfo::LfoTrigMode;
using quorvelan::lfo::ModTarget;
using quorvelan::lfo::ModTargetKind;

LfoConfig modulating(ModTarget target, LfoShape shape, float depth, float base) {
  LfoConfig config;
  config.enabled = true;
  config.shape = shape;
  config.depth = depth;
  config.target = target;
  config.base_value = base;
  return config;
}

// The LFO reports that followed the last round of meters.
std::vector<FeedbackMessage::LfoModulation> last_round(const Rig& rig) {
  const auto& reports = rig.reports();
  std::size_t start = reports.size();
  while (start > 0 && reports[start - 1].message.tag() != FeedbackTag::TrackMeter) --start;
  std::vector<FeedbackMessage::LfoModulation> round;
  for (std::size_t i = start; i < reports.size(); ++i)
    if (const auto* lfo = messages::get_if<FeedbackMessage::LfoModulation>(reports[i].message))
      round.push_back(*lfo);
  return round;
}

TEST(LfoReports, ModulatingLfosReportAfterTheMetersInLfoOrder) {
  Rig rig;
  LfoConfigs configs;
  configs[0] = modulating(ModTarget::SendLevel{1}, LfoShape::Square, 1.0f, 0.5f);
  configs[1] = modulating(ModTarget::SendLevel{2}, LfoShape::Square, 1.0f, 0.5f);
  configs[1].enabled = false;
  configs[2] = modulating(ModTarget::SynthParam{0, params::kMix}, LfoShape::Triangle, 0.25f, 0.5f);
  configs[3] = modulating(ModTarget::EffectParam{3, 0}, LfoShape::Sine, 0.0f, 0.5f);  // no depth
  rig.send(configs);

  rig.render(7 * 64);
  EXPECT_TRUE(rig.reports().empty());
  rig.render(64);
  const auto& reports = rig.reports();
  ASSERT_EQ(reports.size(), 6u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(reports[i].message.tag(), FeedbackTag::TrackMeter);
  const auto round = last_round(rig);
  ASSERT_EQ(round.size(), 2u);
  EXPECT_EQ(round[0].lfo, 0);
  EXPECT_EQ(round[0].kind, ModTargetKind::SendLevel);
  EXPECT_EQ(round[0].a, 1);
  EXPECT_FLOAT_EQ(round[0].value, 1.5f);  // reported before the level's limit of 1
  EXPECT_EQ(round[1].lfo, 2);
  EXPECT_EQ(round[1].kind, ModTargetKind::SynthParam);
  EXPECT_EQ(round[1].b, params::kMix);
  // A 1 Hz triangle 512 frames into its cycle: 4 x 512 / 48000 - 1.
  EXPECT_NEAR(round[1].value, 0.5f + 0.25f * (4.0f * 512.0f / 48000.0f - 1.0f), 1e-4f);

  // Reports go on while the transport is stopped, every eighth block.
  rig.render(8 * 64);
  EXPECT_EQ(rig.reports().size(), 12u);
}

TEST(LfoReports, EditsOfAModulatedParameterMoveTheBaseValue) {
  Rig rig;
  LfoConfigs configs;
  configs[0] = modulating(ModTarget::SendLevel{1}, LfoShape::Square, 1.0f, 0.0f);
  configs[1] = modulating(ModTarget::SynthParam{2, params::kPan}, LfoShape::Square, 0.5f, 0.0f);
  configs[2] = modulating(ModTarget::EffectParam{3, 0}, LfoShape::Square, 0.25f, 0.0f);
  rig.send(configs);
  rig.send(messages::set_send_level(1, 1.5f));  // limited to 1
  rig.send(messages::set_synth_param(2, params::kPan, -0.5f));
  rig.send(messages::set_synth_param(1, params::kPan, 0.9f));  // another track's pan
  rig.send(messages::set_effect_param(3, 0, 2.0f));            // drive, as received
  rig.render(512);
  const auto round = last_round(rig);
  ASSERT_EQ(round.size(), 3u);
  EXPECT_FLOAT_EQ(round[0].value, 2.0f);
  EXPECT_FLOAT_EQ(round[1].value, 0.0f);
  EXPECT_FLOAT_EQ(round[2].value, 2.25f);
}

// A 1 Hz rising saw restarted by notes: its reported value falls back to the start.
TEST(LfoReports, NotesOfALinkedTrackRestartTriggeredLfos) {
  Rig rig;
  LfoConfigs configs;
  configs[0] = modulating(ModTarget::EffectParam{4, 0}, LfoShape::SawUp, 1.0f, 0.0f);
  configs[0].trig_mode = LfoTrigMode::Trig;
  configs[1] = modulating(ModTarget::SynthParam{0, params::kPan}, LfoShape::SawUp, 1.0f, 0.0f);
  configs[1].trig_mode = LfoTrigMode::Trig;
  rig.send(configs);
  rig.render(512 * 40);
  const float grown = last_round(rig)[0].value;
  EXPECT_GT(grown, -0.2f);

  // Track 1's note restarts the effect LFO, not the one on a parameter of track 0.
  rig.send(messages::note_on(1, 60, 100));
  rig.render(512);
  const auto round = last_round(rig);
  EXPECT_NEAR(round[0].value, -1.0f + 2.0f * 512.0f / 48000.0f, 1e-4f);
  EXPECT_GT(round[1].value, grown);

  // A sequenced note of track 0 restarts both.
  Pattern pattern = Pattern::default_pattern();
  pattern.tracks[0].steps[0] = note_step(60);
  rig.send(std::move(pattern));
  rig.send(messages::play());
  rig.render(6400, 64);
  const auto after_step = last_round(rig);
  ASSERT_EQ(after_step.size(), 2u);
  EXPECT_LT(after_step[0].value, -0.9f);
  EXPECT_LT(after_step[1].value, -0.9f);
}

}  // namespace
}  // namespace state_test
