#pragma once
// Everything the audio render thread owns: the synth, the playing copy of the sequencer, the
// effect rack, the LFOs, the meters and the two ring ends. `process` applies the waiting
// messages, then renders the host buffer in blocks of at most 64 frames; the output is a pure
// function of the messages received and the buffers asked for.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "audio/messages.hpp"
#include "effects/mod.hpp"
#include "effects/rack.hpp"
#include "lfo.hpp"
#include "sequencer/mod.hpp"
#include "synth/engine.hpp"

namespace quorvelan::audio::state {

inline constexpr std::size_t kTrackCount = sequencer::kTrackCount;

class AudioState {
 public:
  // Allocates the voices, effect lines and the default pattern: build it off the audio thread.
  AudioState(float sample_rate, messages::AudioConsumer commands,
             messages::FeedbackProducer feedback);

  // Fills `out`, interleaved with `channels` samples per frame: the left signal on channel 0,
  // the right on channel 1, silence on any further channel and on a trailing partial frame.
  // Never locks, waits or allocates; it frees only the boxes that bring a new pattern or new
  // LFO configurations, and the pattern replaced.
  void process(std::span<float> out, std::size_t channels);

 private:
  void apply_waiting_messages();
  void apply(messages::AudioMessage& message);
  void render_block(std::span<float> out, std::size_t channels, std::size_t frames);
  void report_steps();
  void mix_voices(std::size_t frames, bool mono);
  void finish_block();
  void report_lfos();
  void push(const messages::FeedbackMessage& message) { feedback_.push(message); }

  synth::engine::SynthEngine synth_;
  sequencer::Sequencer sequencer_;
  effects::rack::EffectRack effects_;
  lfo::LfoProcessor lfos_;
  messages::AudioConsumer commands_;
  messages::FeedbackProducer feedback_;
  // Peak magnitudes per track since the last meter report, before the soft clip.
  std::array<synth::voice::StereoFrame, kTrackCount> meters_{};
  std::array<synth::voice::StereoFrame, effects::kBlockFrames> voice_sum_{};
  std::array<effects::Frame, effects::kBlockFrames> mix_{};
  float sample_rate_;
  std::uint32_t block_counter_ = 0;
  std::array<std::uint8_t, kTrackCount> last_reported_step_{255, 255, 255, 255};
  effects::rack::SendLevels send_levels_{0.3f, 0.2f, 0.15f};
  float master_volume_ = 1.0f;
};

}  // namespace quorvelan::audio::state
