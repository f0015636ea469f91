// Every factory voice, converted and played through the synth, must sound and then stop.

#include <gtest/gtest.h>

#include <cmath>
#include <span>
#include <vector>

#include "dx7/convert.hpp"
#include "dx7/factory.hpp"
#include "synth/engine.hpp"
#include "synth/params.hpp"

namespace quorvelan::dx7 {
namespace {

namespace params = synth::params;
using synth::engine::SynthEngine;
using synth::voice::StereoFrame;

constexpr float kRate = 24000.0f;
constexpr std::uint8_t kMiddleC = 60;
constexpr int kBlock = 64;

// Every field of the patch as the parameter messages carry it.
void send_patch(SynthEngine& engine, const sequencer::types::TrackSynthParams& p) {
  auto send = [&](int id, float value) {
    engine.set_param(0, static_cast<std::uint8_t>(id), value);
  };
  for (int op = 0; op < 6; ++op) {
    send(params::kOpRatio + op, p.op_ratios[op]);
    send(params::kOpLevel + op, p.op_levels[op]);
    send(params::kOpFeedback + op, p.op_feedback[op]);
    send(params::kOpAttack + op, p.op_attack[op]);
    send(params::kOpDecay + op, p.op_decay[op]);
    send(params::kOpEndLevel + op, p.op_end_level[op]);
    send(params::kOpRelease + op, p.op_release[op]);
  }
  send(params::kAlgorithm, p.algorithm);
  send(params::kMix, p.mix);
  send(params::kFilterCutoff, p.filter_cutoff);
  send(params::kFilterResonance, p.filter_resonance);
  send(params::kFilterType, p.filter_type);
  send(params::kFilterEnvAmount, p.filter_env_depth);
  send(params::kAmpAttack, p.amp_attack);
  send(params::kAmpDecay, p.amp_decay);
  send(params::kAmpSustain, p.amp_sustain);
  send(params::kAmpRelease, p.amp_release);
  send(params::kDrive, p.drive);
}

struct Measure {
  float peak = 0.0f;
  bool finite = true;
  float last_block_peak = 0.0f;
};

void render(SynthEngine& engine, int frames, Measure& m) {
  std::vector<StereoFrame> block(kBlock);
  for (int done = 0; done < frames; done += kBlock) {
    engine.render(block);
    m.last_block_peak = 0.0f;
    for (const StereoFrame& f : block) {
      m.finite = m.finite && std::isfinite(f.left) && std::isfinite(f.right);
      m.last_block_peak = std::max({m.last_block_peak, std::fabs(f.left), std::fabs(f.right)});
    }
    m.peak = std::max(m.peak, m.last_block_peak);
  }
}

bool all_idle(const SynthEngine& engine) {
  for (const auto& voice : engine.voice_allocator().voices()) {
    if (voice.state != synth::voice::VoiceState::Idle) return false;
  }
  return true;
}

TEST(FactorySound, EveryVoiceSoundsAtMiddleCAndFallsSilentAfterRelease) {
  for (const factory::FactoryBank* bank : {&factory::ROM1A, &factory::ROM1B}) {
    for (const sysex::Dx7Voice& voice : bank->voices()) {
      SCOPED_TRACE(std::string(bank->id) + " " + voice.name);
      SynthEngine engine(kRate);
      send_patch(engine, convert::convert_voice(voice));
      engine.note_on(0, kMiddleC, 100);

      Measure held;
      render(engine, static_cast<int>(1.0f * kRate), held);
      EXPECT_TRUE(held.finite);
      EXPECT_GT(held.peak, 0.05f) << "inaudible";
      EXPECT_LT(held.peak, 2.0f) << "far too loud";

      engine.voice_allocator().release(0, kMiddleC);
      Measure tail;
      for (int second = 0; second < 5 && !all_idle(engine); ++second) {
        render(engine, static_cast<int>(kRate), tail);
      }
      EXPECT_TRUE(tail.finite);
      EXPECT_TRUE(all_idle(engine)) << "still sounding 5 s after release";
      render(engine, kBlock, tail);
      EXPECT_EQ(tail.last_block_peak, 0.0f);
    }
  }
}

}  // namespace
}  // namespace quorvelan::dx7
