#pragma once
// The data side of an output stream: owns the audio state, renders each host buffer through it
// and converts to the device's sample type. Runs on the host's real-time thread: no locks, no
// logging, and no allocation except when the host asks for a larger buffer than ever before.

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "audio/device_signs.hpp"
#include "audio/host.hpp"
#include "audio/messages.hpp"
#include "audio/state.hpp"

namespace quorvelan::audio::stream_renderer {

class StreamRenderer final : public host::StreamClient {
 public:
  // Room for 2048 stereo frames before the first growth.
  static constexpr std::size_t initial_scratch_samples = 4096;

  // `format` must be one of I16, I32, U16 and F32. Every buffer asked for and a lost device are
  // told to `signs`.
  StreamRenderer(const host::StreamConfig& config, messages::AudioConsumer commands,
                 messages::FeedbackProducer feedback,
                 std::shared_ptr<device_signs::DeviceSigns> signs);

  bool render(void* buffer, std::size_t samples) noexcept override;
  // Logs the error and reports a lost device; after that every buffer is silence.
  void error(std::string_view text, bool device_lost) noexcept override;

  [[nodiscard]] std::size_t scratch_capacity() const { return scratch_.size(); }

 private:
  // The audio state's output, or silence while it cannot render.
  void render_into(std::span<float> out);
  void render_f32(std::span<float> out);
  template <class Sample>
  void render_converted(Sample* out, std::size_t count);
  [[nodiscard]] bool rendering() const;

  state::AudioState state_;
  std::size_t channels_;
  host::SampleFormat format_;
  std::vector<float> scratch_;  // f32 render target for the integer formats
  std::shared_ptr<device_signs::DeviceSigns> signs_;
};

}  // namespace quorvelan::audio::stream_renderer
