#include "audio/state.hpp"

#include <algorithm>
#include <utility>

namespace quorvelan::audio::state {

AudioState::AudioState(float sample_rate, messages::AudioConsumer commands,
                       messages::FeedbackProducer feedback)
    : sample_rate_(sample_rate), commands_(std::move(commands)), feedback_(std::move(feedback)) {}

void AudioState::process(std::span<float> out, std::size_t) { std::ranges::fill(out, 0.0f); }

}  // namespace quorvelan::audio::state
