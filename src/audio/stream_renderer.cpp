#include "audio/stream_renderer.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "audio/samples.hpp"
#include "log.hpp"

namespace quorvelan::audio::stream_renderer {

using host::SampleFormat;

StreamRenderer::StreamRenderer(const host::StreamConfig& config, messages::AudioConsumer commands,
                               messages::FeedbackProducer feedback,
                               std::shared_ptr<device_signs::DeviceSigns> signs)
    : state_(static_cast<float>(config.sample_rate), std::move(commands), std::move(feedback)),
      channels_(config.channels),
      format_(config.format),
      scratch_(config.format == SampleFormat::F32 ? 0 : initial_scratch_samples, 0.0f),
      signs_(std::move(signs)) {}

bool StreamRenderer::render(void* buffer, std::size_t count) noexcept {
  signs_->ask_for_sound();
  switch (format_) {
    case SampleFormat::F32:
      render_f32(std::span(static_cast<float*>(buffer), count));
      break;
    case SampleFormat::I16:
      render_converted(static_cast<std::int16_t*>(buffer), count);
      break;
    case SampleFormat::I32:
      render_converted(static_cast<std::int32_t*>(buffer), count);
      break;
    case SampleFormat::U16:
      render_converted(static_cast<std::uint16_t*>(buffer), count);
      break;
    default:  // no stream is built in another format
      break;
  }
  return !signs_->lost();
}

void StreamRenderer::error(std::string_view text, bool device_lost) noexcept {
  if (device_lost) signs_->report_lost(text);
  log::target("quorvelan::audio::engine")->error("Audio stream error: {}", text);
}

bool StreamRenderer::rendering() const {
  // The state needs at least one channel to lay out frames.
  return channels_ > 0 && !signs_->lost();
}

void StreamRenderer::render_into(std::span<float> out) {
  if (rendering()) {
    state_.process(out, channels_);
  } else {
    std::ranges::fill(out, 0.0f);
  }
}

void StreamRenderer::render_f32(std::span<float> out) {
  render_into(out);
  samples::clamp_in_place(out);
}

template <class Sample>
void StreamRenderer::render_converted(Sample* out, std::size_t count) {
  // The one allocation allowed here: the host asked for a larger buffer than ever before.
  if (scratch_.size() < count) scratch_.resize(count);
  const std::span<float> block(scratch_.data(), count);
  render_into(block);
  samples::convert(block, out);
}

}  // namespace quorvelan::audio::stream_renderer
