#pragma once
// Stand-in for the audio render state until the real one lands: keeps the ring ends, applies
// nothing and renders silence.

#include <cstddef>
#include <span>

#include "audio/messages.hpp"

namespace quorvelan::audio::state {

class AudioState {
 public:
  // Lets tests that need real sound tell the stand-in apart.
  static constexpr bool is_placeholder = true;

  AudioState(float sample_rate, messages::AudioConsumer commands,
             messages::FeedbackProducer feedback);

  // Fills `out` (interleaved, `channels` per frame) with silence.
  void process(std::span<float> out, std::size_t channels);

 private:
  float sample_rate_;
  messages::AudioConsumer commands_;
  messages::FeedbackProducer feedback_;
};

}  // namespace quorvelan::audio::state
