#include "synth/envelope.hpp"

#include <gtest/gtest.h>

namespace quorvelan::synth::envelope {
namespace {

constexpr float kRate = 48000.0f;

// One frame, as the voice render advances its envelopes.
float step(Envelope& env) {
  const float level = advance(env.level(), env.rule());
  env.set_level(level);
  if (stage_over(level, env.rule())) env.finish_stage();
  return env.level();
}

int frames_until_stage(Envelope& env, EnvelopeStage stage, int limit) {
  for (int n = 1; n <= limit; ++n) {
    step(env);
    if (env.stage() == stage) return n;
  }
  return -1;
}

TEST(Envelope, AttackRisesLinearlyToThePeakInTheAttackTime) {
  Envelope env(0.01f, 0.3f, 0.5f, 0.3f, kRate);
  env.start();
  EXPECT_NEAR(step(env), 1.0f / 480.0f, 1e-7f);
  const int frames = frames_until_stage(env, EnvelopeStage::Decay, 1000) + 1;
  EXPECT_NEAR(frames, 480, 1);
  EXPECT_EQ(env.level(), 1.0f);
}

TEST(Envelope, DecayAndReleaseFallAThousandfoldInTheirStageTime) {
  Envelope env(0.0005f, 0.1f, 0.0f, 0.2f, kRate);
  env.start();
  step(env);  // at the peak
  for (int n = 0; n < 4800; ++n) step(env);
  EXPECT_NEAR(env.level(), 0.001f, 0.0001f);

  Envelope held(0.0005f, 0.0005f, 1.0f, 0.2f, kRate);
  held.start();
  step(held);
  held.release();
  for (int n = 0; n < 9600; ++n) step(held);
  EXPECT_NEAR(held.level(), 0.001f, 0.0001f);
}

TEST(Envelope, StagesShorterThanAMillisecondFinishInOneFrame) {
  Envelope env(0.001f, 0.0009f, 0.4f, 0.0f, kRate);
  env.start();
  EXPECT_EQ(step(env), 1.0f);
  EXPECT_EQ(env.stage(), EnvelopeStage::Decay);
  EXPECT_EQ(step(env), 0.4f);
  EXPECT_EQ(env.stage(), EnvelopeStage::Sustain);
  env.release();
  EXPECT_EQ(step(env), 0.0f);
  EXPECT_EQ(env.stage(), EnvelopeStage::Idle);
}

TEST(Envelope, AZeroEndLevelHoldsSilentInSustainUntilReleased) {
  Envelope env(0.0f, 0.01f, 0.0f, 0.3f, kRate);
  env.start();
  ASSERT_GT(frames_until_stage(env, EnvelopeStage::Sustain, 48000), 0);
  for (int n = 0; n < 1000; ++n) EXPECT_EQ(step(env), 0.0f);
  EXPECT_EQ(env.stage(), EnvelopeStage::Sustain);
}

TEST(Envelope, ReleaseEndsInExactSilence) {
  Envelope env(0.0f, 0.0f, 0.7f, 0.05f, kRate);
  env.start();
  step(env);
  step(env);
  env.release();
  ASSERT_GT(frames_until_stage(env, EnvelopeStage::Idle, 48000), 0);
  EXPECT_EQ(env.level(), 0.0f);
  EXPECT_EQ(step(env), 0.0f);
  env.release();  // a finished envelope stays finished
  EXPECT_EQ(env.stage(), EnvelopeStage::Idle);
}

TEST(Envelope, RestartAttacksFromTheCurrentLevelOrFromZero) {
  Envelope env(0.01f, 0.3f, 0.6f, 0.3f, kRate);
  env.start();
  ASSERT_GT(frames_until_stage(env, EnvelopeStage::Sustain, 480000), 0);
  env.start();
  EXPECT_NEAR(step(env), 0.6f + 1.0f / 480.0f, 1e-6f);
  env.start_from_zero();
  EXPECT_NEAR(step(env), 1.0f / 480.0f, 1e-7f);
}

TEST(Envelope, ChangingTheReleaseTimeActsOnARunningRelease) {
  Envelope env(0.0f, 0.0f, 1.0f, 5.0f, kRate);
  env.start();
  step(env);
  env.release();
  step(env);
  env.set_release(0.0f);
  EXPECT_EQ(step(env), 0.0f);
  EXPECT_EQ(env.stage(), EnvelopeStage::Idle);
}

}  // namespace
}  // namespace quorvelan::synth::envelope
