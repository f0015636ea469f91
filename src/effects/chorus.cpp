#include "effects/chorus.hpp"

#include <algorithm>
#include <numbers>

#include "numeric.hpp"

namespace quorvelan::effects::chorus {

namespace {
constexpr float kLineSeconds = 0.05f;
constexpr float kBaseDelaySeconds = 0.015f;
// The lines feed back a fixed share of what they read: no parameter sets it.
constexpr float kFeedback = 0.2f;
constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
}  // namespace

Chorus::Chorus(float sample_rate) { set_sample_rate(sample_rate); }

void Chorus::set_sample_rate(float sample_rate) {
  const auto length =
      std::max<std::size_t>(1, saturating_cast<std::size_t>(sample_rate * kLineSeconds));
  left_.assign(length, 0.0f);
  right_.assign(length, 0.0f);
  base_delay_ = sample_rate * kBaseDelaySeconds;
  sample_rate_ = sample_rate;
  write_index_ = 0;
  lfo_phase_ = 0.0f;
}

void Chorus::reset() {
  std::fill(left_.begin(), left_.end(), 0.0f);
  std::fill(right_.begin(), right_.end(), 0.0f);
  write_index_ = 0;
  lfo_phase_ = 0.0f;
}

void Chorus::set_param(std::uint8_t index, float value) {
  if (!std::isfinite(value)) return;
  switch (index) {
    case kRate:
      rate_ = value;
      break;
    case kDepth:
      depth_ = value;
      break;
    case kMix:
      mix_ = value;
      break;
    default:
      break;
  }
}

// Linear interpolation between the two samples around a point `delay` samples behind the write
// position.
float Chorus::read(const std::vector<float>& line, float delay) const {
  const std::size_t n = line.size();
  const float position = static_cast<float>(n + write_index_) - delay;
  auto index = saturating_cast<std::size_t>(position);
  const float frac = position - static_cast<float>(index);
  if (index >= n) index -= n;
  const std::size_t next = index + 1 == n ? 0 : index + 1;
  return line[index] + frac * (line[next] - line[index]);
}

void Chorus::render(std::span<Frame> frames) {
  const float phase_step = rate_ / sample_rate_;
  // Depth beyond 1 would sweep the read position out of the 50 ms line.
  const float sweep = base_delay_ * std::clamp(depth_, 0.0f, 1.0f) * 0.5f;
  const std::size_t n = left_.size();

  for (Frame& frame : frames) {
    const float angle = kTwoPi * lfo_phase_;
    const float mod_left = std::sin(angle);
    const float mod_right = std::sin(angle + std::numbers::pi_v<float> / 2.0f);
    lfo_phase_ += phase_step;
    if (lfo_phase_ >= 1.0f) lfo_phase_ -= 1.0f;

    const float delayed_left = read(left_, base_delay_ + sweep * mod_left);
    const float delayed_right = read(right_, base_delay_ + sweep * mod_right);

    left_[write_index_] = flush_tiny(kFeedback * delayed_left + frame.left);
    right_[write_index_] = flush_tiny(kFeedback * delayed_right + frame.right);

    frame.left = blend(frame.left, delayed_left, mix_);
    frame.right = blend(frame.right, delayed_right, mix_);

    if (++write_index_ == n) write_index_ = 0;
  }
}

}  // namespace quorvelan::effects::chorus
