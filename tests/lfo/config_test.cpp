#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "lfo.hpp"

namespace quorvelan::lfo {
namespace {

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();

TEST(LfoConfigDefaults, AFreshConfigIsAnIdleOneHertzSine) {
  const LfoConfig config;
  EXPECT_FALSE(config.enabled);
  EXPECT_EQ(config.shape, LfoShape::Sine);
  EXPECT_EQ(config.rate, 1.0f);
  EXPECT_EQ(config.depth, 0.0f);
  EXPECT_EQ(config.target.kind(), ModTargetKind::None);
  EXPECT_EQ(config.base_value, 0.0f);
  EXPECT_FALSE(config.sync);
  EXPECT_EQ(config.sync_division, 1.0f);
  EXPECT_EQ(config.phase_offset, 0.0f);
  EXPECT_EQ(config.trig_mode, LfoTrigMode::Free);
  EXPECT_EQ(config.fade, 0.0f);
}

TEST(SyncDivisionStepping, WalksTheWholeTableAndWrapsBothWays) {
  const std::vector<float> cycle{16.0f, 8.0f, 4.0f, 2.0f, 1.0f, 0.5f, 0.25f, 0.125f};
  float value = 16.0f;
  for (std::size_t i = 1; i <= cycle.size(); ++i) {
    value = next_sync_division(value);
    EXPECT_EQ(value, cycle[i % cycle.size()]);
  }
  value = 16.0f;
  for (std::size_t i = cycle.size(); i >= 1; --i) {
    value = prev_sync_division(value);
    EXPECT_EQ(value, cycle[i - 1]);
  }
}

TEST(SyncDivisionStepping, NearValuesCountAsTheirEntryAndOthersFallBack) {
  EXPECT_EQ(next_sync_division(1.0005f), 0.5f);
  EXPECT_EQ(prev_sync_division(1.0005f), 2.0f);
  EXPECT_EQ(next_sync_division(0.1245f), 16.0f);
  EXPECT_EQ(prev_sync_division(15.9995f), 0.125f);

  // Between entries, beyond the table and NaN: the fixed fall-backs.
  for (float value : {0.7f, 3.0f, 0.05f, 32.0f, -1.0f, kNan}) {
    EXPECT_EQ(next_sync_division(value), 0.5f) << value;
    EXPECT_EQ(prev_sync_division(value), 2.0f) << value;
  }
  EXPECT_EQ(next_sync_division(1.002f), 0.5f);
  EXPECT_EQ(prev_sync_division(1.002f), 2.0f);
}

TEST(ModTargetKey, PacksKindAndIndicesSoThatEqualKeysMeanTheSameParameter) {
  EXPECT_EQ(ModTarget{}.key(), 0u);
  EXPECT_EQ((ModTarget{ModTarget::SynthParam{2, 38}}.key()), 1u | (2u << 8) | (38u << 16));
  EXPECT_EQ((ModTarget{ModTarget::EffectParam{5, 1}}.key()), 2u | (5u << 8) | (1u << 16));
  EXPECT_EQ(ModTarget{ModTarget::SendLevel{2}}.key(), 3u | (2u << 8));
  EXPECT_EQ((ModTarget{ModTarget::LfoParam{3, 1}}.key()), 4u | (3u << 8) | (1u << 16));

  // Out-of-range indices travel unchanged: the audio side absorbs them.
  const ModTarget far{ModTarget::SynthParam{255, 200}};
  EXPECT_EQ(far.a(), 255);
  EXPECT_EQ(far.b(), 200);
  EXPECT_NE(far.key(), ModTarget(ModTarget::EffectParam{255, 200}).key());
}

TEST(NormalizeLfoConfig, KeepsEditorValuesAndTheTarget) {
  LfoConfig config{.enabled = true,
                   .shape = LfoShape::SampleAndHold,
                   .rate = 50.0f,
                   .depth = -1.0f,
                   .target = ModTarget::SynthParam{9, 200},
                   .base_value = 7.5f,
                   .sync = true,
                   .sync_division = 0.125f,
                   .phase_offset = 0.99f,
                   .trig_mode = LfoTrigMode::Half,
                   .fade = -10.0f};
  const LfoConfig before = config;
  normalize(config);
  EXPECT_EQ(config, before);
}

TEST(NormalizeLfoConfig, BringsRatesDepthsPhasesAndFadesIntoRange) {
  LfoConfig config{.rate = 0.0f,
                   .depth = 3.0f,
                   .target = {},
                   .base_value = std::numeric_limits<float>::infinity(),
                   .sync_division = 100.0f,
                   .phase_offset = 1.25f,
                   .fade = -20.0f};
  normalize(config);
  EXPECT_EQ(config.rate, 0.01f);
  EXPECT_EQ(config.depth, 1.0f);
  EXPECT_EQ(config.base_value, 0.0f);
  EXPECT_EQ(config.sync_division, 16.0f);
  EXPECT_EQ(config.phase_offset, 0.25f);
  EXPECT_EQ(config.fade, -10.0f);

  config = LfoConfig{.rate = kNan,
                     .depth = kNan,
                     .target = {},
                     .sync_division = 0.0f,
                     .phase_offset = -0.25f,
                     .fade = kNan};
  normalize(config);
  EXPECT_EQ(config.rate, 0.01f);
  EXPECT_EQ(config.depth, -1.0f);
  EXPECT_EQ(config.sync_division, 0.125f);
  EXPECT_EQ(config.phase_offset, 0.75f);
  EXPECT_EQ(config.fade, -10.0f);

  config.phase_offset = -1e-9f;  // would round up to exactly 1
  normalize(config);
  EXPECT_GE(config.phase_offset, 0.0f);
  EXPECT_LT(config.phase_offset, 1.0f);
}

}  // namespace
}  // namespace quorvelan::lfo
