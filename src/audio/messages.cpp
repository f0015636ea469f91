#include "audio/messages.hpp"

#include "sequencer/pattern.hpp"

namespace quorvelan::audio::messages {

bool AudioProducer::push(std::unique_ptr<Pattern> pattern) {
  const bool pushed = push(AudioMessage::SetPattern{.pattern = Box<Pattern>(pattern.get())});
  if (pushed) static_cast<void>(pattern.release());  // the audio thread owns it now
  return pushed;
}

bool AudioProducer::push(std::unique_ptr<lfo::LfoConfigs> configs) {
  const bool pushed =
      push(AudioMessage::SetLfoConfigs{.configs = Box<lfo::LfoConfigs>(configs.get())});
  if (pushed) static_cast<void>(configs.release());  // the audio thread owns it now
  return pushed;
}

void free_box(AudioMessage& message) {
  message.visit([](auto& held) {
    using Held = std::remove_cvref_t<decltype(held)>;
    if constexpr (std::is_same_v<Held, AudioMessage::SetPattern>) {
      held.pattern.take().reset();
    } else if constexpr (std::is_same_v<Held, AudioMessage::SetLfoConfigs>) {
      held.configs.take().reset();
    }
  });
}

std::pair<AudioProducer, AudioConsumer> make_audio_ring() {
  auto ring = std::make_shared<detail::Ring<AudioMessage>>();
  return {AudioProducer(ring), AudioConsumer(ring)};
}

std::pair<FeedbackProducer, FeedbackConsumer> make_feedback_ring() {
  auto ring = std::make_shared<detail::Ring<FeedbackMessage>>();
  return {FeedbackProducer(ring), FeedbackConsumer(ring)};
}

}  // namespace quorvelan::audio::messages
