#include "effects/delay.hpp"

#include <algorithm>

#include "numeric.hpp"

namespace quorvelan::effects::delay {

namespace {
constexpr float kLineSeconds = 2.0f;
constexpr float kDefaultDelaySeconds = 0.375f;
constexpr float kMaxFeedback = 0.95f;
constexpr float kTailFeedbackFloor = 0.01f;
// Two samples at least, so that a delay of one sample always fits.
constexpr std::size_t kMinLineLength = 2;
}  // namespace

StereoDelay::StereoDelay(float sample_rate) { set_sample_rate(sample_rate); }

void StereoDelay::set_sample_rate(float sample_rate) {
  const auto length =
      std::max(kMinLineLength, saturating_cast<std::size_t>(sample_rate * kLineSeconds));
  left_.assign(length, 0.0f);
  right_.assign(length, 0.0f);
  sample_rate_ = sample_rate;
  write_index_ = 0;
  set_delay_seconds(kDefaultDelaySeconds);
}

void StereoDelay::reset() {
  std::fill(left_.begin(), left_.end(), 0.0f);
  std::fill(right_.begin(), right_.end(), 0.0f);
  write_index_ = 0;
}

// A length of 0 would read the slot about to be overwritten, a whole line (2 s) back: the
// shortest delay is one sample.
void StereoDelay::set_delay_seconds(float seconds) {
  const auto samples = saturating_cast<std::size_t>(seconds * sample_rate_);
  delay_length_ = std::clamp<std::size_t>(samples, 1, left_.size() - 1);
}

void StereoDelay::set_param(std::uint8_t index, float value) {
  if (!std::isfinite(value)) return;
  switch (index) {
    case kTime:
    case kTimeAlso:
      set_delay_seconds(value);
      break;
    case kFeedback:
      feedback_ = value;
      break;
    case kMix:
      mix_ = value;
      break;
    case kPingPong:
      ping_pong_ = value > 0.5f;
      break;
    default:
      break;
  }
}

float StereoDelay::usable_feedback() const { return std::clamp(feedback_, 0.0f, kMaxFeedback); }

std::size_t StereoDelay::tail_samples() const {
  const float feedback = usable_feedback();
  const auto length = static_cast<float>(delay_length_);
  if (feedback <= kTailFeedbackFloor) return delay_length_;
  return saturating_cast<std::size_t>(length / (1.0f - feedback));
}

void StereoDelay::render(std::span<Frame> frames) {
  const float feedback = usable_feedback();
  const std::size_t n = left_.size();

  for (Frame& frame : frames) {
    const std::size_t read_index = write_index_ >= delay_length_ ? write_index_ - delay_length_
                                                                 : write_index_ + n - delay_length_;
    const float delayed_left = left_[read_index];
    const float delayed_right = right_[read_index];

    const float back_left = ping_pong_ ? delayed_right : delayed_left;
    const float back_right = ping_pong_ ? delayed_left : delayed_right;
    left_[write_index_] = flush_tiny(feedback * back_left + frame.left);
    right_[write_index_] = flush_tiny(feedback * back_right + frame.right);

    frame.left = blend(frame.left, delayed_left, mix_);
    frame.right = blend(frame.right, delayed_right, mix_);

    if (++write_index_ == n) write_index_ = 0;
  }
}

}  // namespace quorvelan::effects::delay
