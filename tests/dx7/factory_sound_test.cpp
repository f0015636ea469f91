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
void send_patch(SynthEngine& engine, const sequencer::types::TrackSynthParams& patch) {
  for (const auto& [id, value] : params::patch_parameters(patch)) engine.set_param(0, id, value);
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
