#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "effects/rack.hpp"
#include "effects/signal.hpp"
#include "lfo.hpp"
#include "support/alloc_counter.hpp"
#include "synth/engine.hpp"
#include "synth/params.hpp"

namespace {

using namespace quorvelan::lfo;
using quorvelan::effects::rack::EffectRack;
using quorvelan::synth::engine::SynthEngine;
namespace params = quorvelan::synth::params;

// 64-frame blocks at 65536 Hz last exactly 1/1024 s, so phases add up without rounding.
constexpr float kRate = 65536.0f;
constexpr std::size_t kFrames = 64;
constexpr int kBlocksPerSecond = 1024;

struct Rig {
  SynthEngine synth{kRate};
  EffectRack effects{kRate};
  std::array<float, 3> send_levels{0.3f, 0.2f, 0.15f};
  LfoProcessor lfos;

  void blocks(int count, double bpm = 120.0) {
    for (int i = 0; i < count; ++i) {
      lfos.update(kFrames, kRate, bpm, synth, effects, send_levels);
    }
  }
  float value(std::size_t lfo = 0) const { return lfos.modulation(lfo).value; }
  void configure(std::size_t lfo, const LfoConfig& config) {
    LfoConfigs configs;
    for (std::size_t i = 0; i < kLfoCount; ++i) configs[i] = lfos.runtime(i).config;
    configs[lfo] = config;
    lfos.set_configs(configs);
  }
};

// An LFO whose reported value is its plain shape value: base 0, depth 1, on the chorus send.
LfoConfig probe(LfoShape shape, float rate_hz = 1.0f) {
  LfoConfig config;
  config.enabled = true;
  config.shape = shape;
  config.rate = rate_hz;
  config.depth = 1.0f;
  config.target = ModTarget::SendLevel{0};
  return config;
}

double expected_shape(LfoShape shape, double p) {
  switch (shape) {
    case LfoShape::Sine:
      return std::sin(2.0 * std::numbers::pi * p);
    case LfoShape::Triangle:
      return p < 0.5 ? 4 * p - 1 : 3 - 4 * p;
    case LfoShape::SawUp:
      return 2 * p - 1;
    case LfoShape::SawDown:
      return 1 - 2 * p;
    case LfoShape::Square:
      return p < 0.5 ? 1 : -1;
    case LfoShape::Exponential:
      return p < 0.5 ? 2 * (2 * p) * (2 * p) - 1 : 1 - 2 * (2 * p - 1) * (2 * p - 1);
    case LfoShape::Ramp:
      return p < 0.5 ? 1 - 2 * (1 - 2 * p) * (1 - 2 * p) : 1 - 2 * (2 * p - 1) * (2 * p - 1);
    case LfoShape::SampleAndHold:
      break;
  }
  return 0.0;
}

TEST(LfoShapes, EachShapeTracesItsWaveOverOnePeriod) {
  for (LfoShape shape : {LfoShape::Sine, LfoShape::Triangle, LfoShape::SawUp, LfoShape::SawDown,
                         LfoShape::Square, LfoShape::Exponential, LfoShape::Ramp}) {
    Rig rig;
    rig.configure(0, probe(shape));
    for (int k = 1; k <= kBlocksPerSecond; ++k) {
      rig.blocks(1);
      const double p = static_cast<double>(k % kBlocksPerSecond) / kBlocksPerSecond;
      ASSERT_NEAR(rig.value(), expected_shape(shape, p), 2e-6)
          << "shape " << int(shape) << " after block " << k;
    }
  }
}

TEST(LfoShapes, PhaseOffsetShiftsTheWave) {
  Rig rig;
  LfoConfig config = probe(LfoShape::Square);
  config.phase_offset = 0.25f;
  rig.configure(0, config);
  rig.blocks(307);  // phase 0.2998: the wave is read at 0.5498
  EXPECT_EQ(rig.value(), -1.0f);
  rig.blocks(716);  // phase 0.999: read at 0.249
  EXPECT_EQ(rig.value(), 1.0f);
}

TEST(LfoShapes, SampleAndHoldDrawsOnceAtEachWrapFromItsFixedSeed) {
  for (float offset : {0.0f, 0.5f}) {
    Rig rig;
    LfoConfig config = probe(LfoShape::SampleAndHold);
    config.phase_offset = offset;
    rig.configure(0, config);
    rig.blocks(kBlocksPerSecond - 1);
    EXPECT_EQ(rig.value(), 0.0f) << "nothing drawn before the first wrap";
    std::uint32_t x = 12345;
    for (int cycle = 0; cycle < 3; ++cycle) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      const float drawn = 2.0f * (static_cast<float>(x) / 4294967296.0f) - 1.0f;
      rig.blocks(1);
      EXPECT_EQ(rig.value(), drawn) << "offset " << offset << ", cycle " << cycle;
      rig.blocks(kBlocksPerSecond - 1);
      EXPECT_EQ(rig.value(), drawn) << "held for the whole cycle";
    }
  }
}

TEST(LfoRate, FreeRateAdvancesByBlockTime) {
  SynthEngine synth(48000.0f);
  EffectRack effects(48000.0f);
  std::array<float, 3> sends{};
  LfoProcessor lfos;
  LfoConfigs configs;
  configs[0] = probe(LfoShape::Triangle);
  lfos.set_configs(configs);
  lfos.update(64, 48000.0f, 120.0, synth, effects, sends);
  EXPECT_NEAR(lfos.runtime(0).phase, 1.0f / 750.0f, 1e-7f);
}

TEST(LfoRate, SyncedCyclesLastTheirDivisionInQuarterNotes) {
  for (const SyncDivision& division : kSyncDivisions) {
    Rig rig;
    LfoConfig config = probe(LfoShape::SawUp, 7.0f);  // the free rate no longer counts
    config.sync = true;
    config.sync_division = division.quarter_notes;
    rig.configure(0, config);
    // At 120 bpm a quarter note lasts 0.5 s: a quarter cycle takes division x 128 blocks.
    const int quarter_cycle = static_cast<int>(division.quarter_notes * 128.0f);
    rig.blocks(quarter_cycle, 120.0);
    EXPECT_FLOAT_EQ(rig.value(), -0.5f) << division.label;
    rig.blocks(quarter_cycle, 120.0);
    EXPECT_NEAR(rig.value(), 0.0f, 1e-6f) << division.label;
  }
  // The tempo is followed as it changes: at 60 bpm a cycle of 4 quarter notes lasts 4 s.
  Rig rig;
  LfoConfig config = probe(LfoShape::SawUp);
  config.sync = true;
  config.sync_division = 4.0f;
  rig.configure(0, config);
  rig.blocks(kBlocksPerSecond, 60.0);
  EXPECT_FLOAT_EQ(rig.value(), -0.5f);
}

TEST(LfoFade, PositiveFadesOutNegativeFadesInAndTinyFadesAreNone) {
  const auto value_after = [](float fade, int blocks) {
    Rig rig;
    LfoConfig config = probe(LfoShape::Square, 0.01f);  // stays at +1 for the whole test
    config.fade = fade;
    rig.configure(0, config);
    rig.blocks(blocks);
    return rig.value();
  };
  // The gain of a block is taken from the time elapsed before it.
  EXPECT_FLOAT_EQ(value_after(2.0f, 1), 1.0f);
  EXPECT_FLOAT_EQ(value_after(2.0f, kBlocksPerSecond + 1), 0.5f);
  EXPECT_FLOAT_EQ(value_after(2.0f, 2 * kBlocksPerSecond + 1), 0.0f);
  EXPECT_FLOAT_EQ(value_after(2.0f, 3 * kBlocksPerSecond), 0.0f);
  EXPECT_FLOAT_EQ(value_after(-2.0f, 1), 0.0f);
  EXPECT_FLOAT_EQ(value_after(-2.0f, kBlocksPerSecond + 1), 0.5f);
  EXPECT_FLOAT_EQ(value_after(-2.0f, 3 * kBlocksPerSecond), 1.0f);
  EXPECT_FLOAT_EQ(value_after(0.0005f, 1), 1.0f);
  EXPECT_FLOAT_EQ(value_after(-0.0005f, 1), 1.0f);
}

TEST(LfoFade, ARetriggerStartsTheFadeAgain) {
  Rig rig;
  LfoConfig config = probe(LfoShape::Square, 0.01f);
  config.fade = 1.0f;
  config.trig_mode = LfoTrigMode::Trig;
  rig.configure(0, config);
  rig.blocks(2 * kBlocksPerSecond);
  EXPECT_FLOAT_EQ(rig.value(), 0.0f);
  rig.lfos.retrigger(0);
  rig.blocks(kBlocksPerSecond / 2 + 1);
  EXPECT_FLOAT_EQ(rig.value(), 0.5f);
}

LfoConfig saw_in_mode(LfoTrigMode mode, ModTarget target = ModTarget::SendLevel{0}) {
  LfoConfig config = probe(LfoShape::SawUp);
  config.trig_mode = mode;
  config.target = target;
  return config;
}

TEST(LfoTrigModes, FreeIgnoresNotesAndTrigRestartsAtEachNote) {
  Rig rig;
  rig.configure(0, saw_in_mode(LfoTrigMode::Free));
  rig.configure(1, saw_in_mode(LfoTrigMode::Trig));
  rig.blocks(256);
  rig.lfos.retrigger(2);
  rig.blocks(1);
  EXPECT_FLOAT_EQ(rig.value(0), 2.0f * 257 / 1024 - 1);
  EXPECT_FLOAT_EQ(rig.value(1), 2.0f * 1 / 1024 - 1);
}

TEST(LfoTrigModes, HoldFreezesAtItsNoteEndUntilTheNextStartOfItsTrack) {
  Rig rig;
  LfoConfig config = saw_in_mode(LfoTrigMode::Hold, ModTarget::SynthParam{0, params::kDrive});
  config.depth = 0.5f;
  config.base_value = 0.5f;
  rig.configure(0, config);
  rig.blocks(100);
  rig.lfos.release(1);  // another track's note: not linked
  rig.blocks(100);
  const float frozen = rig.value();
  EXPECT_FLOAT_EQ(frozen, 0.5f + 0.5f * (2.0f * 200 / 1024 - 1));
  rig.lfos.release(0);
  rig.blocks(300);
  EXPECT_EQ(rig.value(), frozen);
  EXPECT_EQ(rig.synth.patch(0).drive, frozen);
  rig.lfos.retrigger(1);  // another track's note does not restart it either
  rig.blocks(1);
  EXPECT_EQ(rig.value(), frozen);
  rig.lfos.retrigger(0);
  rig.blocks(1);
  EXPECT_FLOAT_EQ(rig.value(), 0.5f + 0.5f * (2.0f / 1024 - 1));
}

TEST(LfoTrigModes, AnLfoOnTheEffectsFollowsTheNotesOfEveryTrack) {
  Rig rig;
  rig.configure(0, saw_in_mode(LfoTrigMode::Trig, ModTarget::EffectParam{9, 0}));
  rig.configure(1, saw_in_mode(LfoTrigMode::Trig, ModTarget::SynthParam{0, params::kDrive}));
  rig.blocks(256);
  rig.lfos.retrigger(3);
  rig.blocks(1);
  EXPECT_FLOAT_EQ(rig.value(0), 2.0f / 1024 - 1);
  EXPECT_FLOAT_EQ(rig.value(1), 2.0f * 257 / 1024 - 1);
}

TEST(LfoTrigModes, OneAndHalfRunOnceThenHoldTheirEndValue) {
  Rig rig;
  LfoConfig one = saw_in_mode(LfoTrigMode::One);
  LfoConfig half = saw_in_mode(LfoTrigMode::Half);
  half.phase_offset = 0.25f;
  rig.configure(0, one);
  rig.configure(1, half);
  rig.blocks(511);
  EXPECT_FLOAT_EQ(rig.value(1), 2.0f * (511.0f / 1024 + 0.25f) - 1);
  rig.blocks(1);
  EXPECT_TRUE(rig.lfos.runtime(1).finished);
  EXPECT_FLOAT_EQ(rig.value(1), 2.0f * 0.75f - 1);
  rig.blocks(512);
  EXPECT_TRUE(rig.lfos.runtime(0).finished);
  EXPECT_FLOAT_EQ(rig.value(0), -1.0f) << "the value at the end of the cycle (the start again)";
  rig.blocks(1000);
  EXPECT_FLOAT_EQ(rig.value(0), -1.0f);
  EXPECT_FLOAT_EQ(rig.value(1), 0.5f);
  EXPECT_FLOAT_EQ(rig.lfos.runtime(0).phase, 1.0f);

  rig.lfos.retrigger(0);
  rig.blocks(1);
  EXPECT_FLOAT_EQ(rig.value(0), 2.0f / 1024 - 1);
}

TEST(LfoConfigs, OnlyATargetChangeRestartsAnLfo) {
  Rig rig;
  LfoConfig config = saw_in_mode(LfoTrigMode::Hold);
  rig.configure(0, config);
  rig.blocks(100);
  rig.lfos.release(0);
  config.rate = 2.0f;
  rig.configure(0, config);
  EXPECT_FLOAT_EQ(rig.lfos.runtime(0).phase, 100.0f / 1024);
  config.target = ModTarget::SendLevel{1};
  rig.configure(0, config);
  EXPECT_EQ(rig.lfos.runtime(0).phase, 0.0f);
  EXPECT_TRUE(rig.lfos.runtime(0).released) << "a target change keeps a release";

  LfoConfig once = saw_in_mode(LfoTrigMode::One);
  rig.configure(1, once);
  rig.blocks(kBlocksPerSecond);
  ASSERT_TRUE(rig.lfos.runtime(1).finished);
  once.target = ModTarget::SendLevel{2};
  rig.configure(1, once);
  rig.blocks(1);
  EXPECT_FLOAT_EQ(rig.value(1), 2.0f / 1024 - 1) << "a finished LFO runs again on a new target";
}

TEST(LfoTargets, SynthParametersStayWithinTheirLimitsPanIncluded) {
  Rig rig;
  LfoConfig cutoff = probe(LfoShape::Square);
  cutoff.target = ModTarget::SynthParam{1, params::kFilterCutoff};
  cutoff.base_value = 0.2f;
  cutoff.depth = -0.5f;
  LfoConfig pan = probe(LfoShape::Square);
  pan.target = ModTarget::SynthParam{2, params::kPan};
  pan.base_value = 0.4f;
  pan.depth = 1.0f;
  rig.configure(0, cutoff);
  rig.configure(1, pan);
  rig.blocks(1);
  EXPECT_FLOAT_EQ(rig.value(0), -0.3f) << "reported before the limits";
  EXPECT_EQ(rig.synth.patch(1).cutoff, 0.0f);
  EXPECT_FLOAT_EQ(rig.value(1), 1.4f);
  EXPECT_FLOAT_EQ(rig.synth.patch(2).pan, 1.4f) << "the voice, not the LFO, keeps pan within 1";
  rig.blocks(kBlocksPerSecond / 2);
  EXPECT_FLOAT_EQ(rig.synth.patch(1).cutoff, 0.7f);
  EXPECT_FLOAT_EQ(rig.value(1), -0.6f);
  EXPECT_EQ(rig.synth.patch(2).pan, 0.0f) << "like every synth parameter, never below 0";

  pan.base_value = 21.5f;
  rig.configure(1, pan);
  rig.blocks(kBlocksPerSecond / 4);
  EXPECT_FLOAT_EQ(rig.value(1), 20.5f);
  EXPECT_EQ(rig.synth.patch(2).pan, 20.0f);
}

TEST(LfoTargets, SendLevelsAreLimitedAndKeepTheLastValue) {
  Rig rig;
  LfoConfig config = probe(LfoShape::Square);
  config.base_value = 0.8f;
  config.target = ModTarget::SendLevel{2};
  rig.configure(0, config);
  LfoConfig nowhere = config;
  nowhere.target = ModTarget::SendLevel{3};
  rig.configure(1, nowhere);
  rig.blocks(1);
  EXPECT_EQ(rig.send_levels[2], 1.0f);
  EXPECT_FLOAT_EQ(rig.value(1), 1.8f) << "a send that does not exist is still reported";
  EXPECT_EQ(rig.send_levels[0], 0.3f);
  EXPECT_EQ(rig.send_levels[1], 0.2f);
  rig.blocks(kBlocksPerSecond / 2);
  EXPECT_EQ(rig.send_levels[2], 0.0f);
  config.enabled = false;
  rig.configure(0, config);
  rig.blocks(10);
  EXPECT_EQ(rig.send_levels[2], 0.0f);
  EXPECT_EQ(rig.lfos.modulation(0).target.kind(), ModTargetKind::None);
}

TEST(LfoTargets, EffectParametersAreLimitedToZeroToOne) {
  // Position 1.4 acts as 1: the DJ filter's high-pass at 18 kHz silences a low tone.
  Rig rig;
  LfoConfig config = probe(LfoShape::Square, 0.01f);
  config.base_value = 0.9f;
  config.depth = 0.5f;
  config.target = ModTarget::EffectParam{5, 0};
  rig.configure(0, config);
  rig.blocks(1);
  EXPECT_FLOAT_EQ(rig.value(), 1.4f);
  effects_test::Signal tone = effects_test::sine(8192, 200.0f, kRate);
  for (std::size_t at = 0; at < tone.size(); at += kFrames) {
    rig.effects.process(std::span(tone).subspan(at, kFrames), {0.0f, 0.0f, 0.0f});
  }
  EXPECT_LT(effects_test::rms_left(std::span(tone).subspan(4096)), 0.001);
}

TEST(LfoTargets, AnLfoModulatesTheRateOrDepthOfAHigherOneOnly) {
  Rig rig;
  LfoConfig modulator = probe(LfoShape::Square);
  modulator.target = ModTarget::LfoParam{1, 0};
  modulator.base_value = 5.0f;
  modulator.depth = 0.0f;
  rig.configure(0, modulator);
  rig.configure(1, probe(LfoShape::Sine, 1.0f));
  LfoConfig lower = probe(LfoShape::Square);
  lower.target = ModTarget::LfoParam{1, 1};
  lower.base_value = 0.25f;
  rig.configure(2, lower);
  rig.blocks(1);
  EXPECT_EQ(rig.lfos.runtime(1).config.rate, 1.0f) << "depth 0 switches the modulator off";
  EXPECT_EQ(rig.lfos.runtime(1).config.depth, 1.0f) << "a lower LFO cannot be modulated";

  modulator.depth = 1.0f;
  rig.configure(0, modulator);
  rig.blocks(1);
  EXPECT_EQ(rig.lfos.runtime(1).config.rate, 6.0f);
  rig.blocks(kBlocksPerSecond / 2);
  EXPECT_EQ(rig.lfos.runtime(1).config.rate, 4.0f);
  modulator.enabled = false;
  rig.configure(0, modulator);
  rig.blocks(10);
  EXPECT_EQ(rig.lfos.runtime(1).config.rate, 4.0f);
}

TEST(LfoBaseValues, EditsMoveTheBaseOfTheLfosOnThatParameter) {
  Rig rig;
  const auto on = [](ModTarget target) {
    LfoConfig config;
    config.target = target;
    return config;
  };
  rig.configure(0, on(ModTarget::SynthParam{1, params::kFilterCutoff}));
  rig.configure(1, on(ModTarget::SynthParam{2, params::kFilterCutoff}));
  rig.configure(2, on(ModTarget::SendLevel{1}));
  rig.configure(3, on(ModTarget::EffectParam{2, 0}));

  rig.lfos.update_base_value(ModTarget(ModTarget::SynthParam{1, params::kFilterCutoff}).key(),
                             0.4f);
  rig.lfos.update_base_value(ModTarget(ModTarget::SendLevel{1}).key() | (7u << 16), 0.9f);
  rig.lfos.update_base_value(ModTarget(ModTarget::EffectParam{2, 1}).key(), 0.8f);
  rig.lfos.update_base_value(ModTarget(ModTarget::EffectParam{2, 0}).key(),
                             std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(rig.lfos.runtime(0).config.base_value, 0.4f);
  EXPECT_EQ(rig.lfos.runtime(1).config.base_value, 0.0f);
  EXPECT_EQ(rig.lfos.runtime(2).config.base_value, 0.9f) << "a send is named by its number";
  EXPECT_EQ(rig.lfos.runtime(3).config.base_value, 0.0f);
}

TEST(LfoRobustness, ANonFiniteConfigurationWritesNothing) {
  Rig rig;
  LfoConfig config = probe(LfoShape::Sine);
  config.rate = std::numeric_limits<float>::quiet_NaN();
  config.target = ModTarget::SendLevel{1};
  rig.configure(0, config);
  rig.blocks(5);
  EXPECT_EQ(rig.send_levels[1], 0.2f);
  EXPECT_EQ(rig.lfos.modulation(0).target.kind(), ModTargetKind::None);
  EXPECT_EQ(rig.lfos.runtime(0).phase, 0.0f);

  config.rate = 1.0f;
  rig.configure(0, config);
  rig.blocks(256);
  EXPECT_FLOAT_EQ(rig.send_levels[1], 1.0f);
}

TEST(LfoRobustness, UpdatingAllocatesNothing) {
  Rig rig;
  rig.configure(0, saw_in_mode(LfoTrigMode::Free, ModTarget::SynthParam{0, params::kDrive}));
  rig.configure(1, saw_in_mode(LfoTrigMode::Trig, ModTarget::EffectParam{2, 0}));
  rig.configure(2, saw_in_mode(LfoTrigMode::Hold, ModTarget::LfoParam{3, 0}));
  rig.configure(3, probe(LfoShape::SampleAndHold));
  const auto before = test_support::allocation_count();
  rig.blocks(2000);
  EXPECT_EQ(test_support::allocation_count(), before);
}

}  // namespace
