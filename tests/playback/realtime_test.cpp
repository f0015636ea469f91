// The render path never allocates in steady playback, whatever the messages it applies.

#include <gtest/gtest.h>

#include "playback/state_rig.hpp"
#include "support/alloc_counter.hpp"

namespace state_test {
namespace {

using quorvelan::lfo::LfoConfigs;
using quorvelan::lfo::LfoShape;
using quorvelan::lfo::ModTarget;

// Four LFOs on parameters that change the sound of every block.
LfoConfigs live_modulation() {
  LfoConfigs configs;
  const ModTarget targets[] = {ModTarget::SynthParam{0, params::kFilterCutoff},
                               ModTarget::EffectParam{5, 0}, ModTarget::SendLevel{2},
                               ModTarget::LfoParam{0, 0}};
  for (std::size_t i = 0; i < configs.size(); ++i) {
    configs[i].enabled = true;
    configs[i].shape = static_cast<LfoShape>(i * 2 + 1);
    configs[i].rate = 3.0f;
    configs[i].depth = 0.4f;
    configs[i].base_value = 0.5f;
    configs[i].target = targets[i];
  }
  return configs;
}

class SteadyPlayback : public ::testing::Test {
 protected:
  SteadyPlayback() {
    Pattern pattern = busy_pattern();
    for (auto& track : pattern.tracks) {
      track.clock_division = pattern::ClockDivision::ThirtySecond;
      track.default_gate_ticks = 96;  // notes overlap: the voices are stolen
    }
    rig_.send(std::move(pattern));
    rig_.send(live_modulation());
    rig_.send(messages::set_sustain(3, true));  // parks the gate ends of track 3
    rig_.send(messages::set_bpm(300.0));
    rig_.send(messages::play());
    rig_.render(2 * 48000, 256);  // warm up: every list has reached its working size
    rig_.clear_reports();
  }

  // Allocations made while rendering `buffers` buffers of 256 frames.
  std::uint64_t allocations_while_rendering(int buffers) {
    const auto before = test_support::allocation_count();
    for (int i = 0; i < buffers; ++i) {
      rig_.state().process(buffer_, 2);
      rig_.discard_reports();
    }
    return test_support::allocation_count() - before;
  }

  Rig rig_;
  std::vector<float> buffer_ = std::vector<float>(2 * 256);
};

TEST_F(SteadyPlayback, ABusyPatternRendersWithoutAllocating) {
  EXPECT_EQ(allocations_while_rendering(2000), 0u);
}

TEST_F(SteadyPlayback, MessagesAreAppliedWithoutAllocating) {
  // The boxes are made on the sender's side, before the count starts.
  rig_.send(busy_pattern());
  rig_.send(live_modulation());
  rig_.send(messages::set_sustain(3, false));  // releases what the pedal held
  rig_.send(messages::note_on(1, 70, 127));
  rig_.send(messages::set_effect_param(0, 1, 0.7f));
  rig_.send(messages::set_synth_param(2, params::kAlgorithm, 12.0f));
  rig_.send(messages::play());
  EXPECT_EQ(allocations_while_rendering(500), 0u);
  rig_.send(messages::stop());
  EXPECT_EQ(allocations_while_rendering(10), 0u);
}

}  // namespace
}  // namespace state_test
