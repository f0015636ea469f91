#include "effects/reverb.hpp"

#include <algorithm>

#include "numeric.hpp"

namespace quorvelan::effects::reverb {

namespace {
// Line lengths are tuned at 44100 Hz and scaled to the running rate.
constexpr float kTuningRate = 44100.0f;
constexpr float kPreDelayBufferSeconds = 0.1f;
constexpr std::size_t kDefaultPreDelay = 441;
constexpr float kTailSecondsPerDecay = 3.0f;
// Two samples at least, so that a pre-delay of one sample always fits.
constexpr std::size_t kMinPreDelayBuffer = 2;

std::size_t scaled(float sample_rate, std::size_t length) {
  const float samples = sample_rate / kTuningRate * static_cast<float>(length);
  return std::max<std::size_t>(1, saturating_cast<std::size_t>(samples));
}

// Decay and damping are the gains of the tank's feedback loop and its low-pass: at 1 the tail
// never dies (damping 1 freezes the low-pass), beyond 1 it grows without bound.
float stable_gain(float value) { return std::clamp(value, 0.0f, 1.0f); }
}  // namespace

float Allpass::process(float input) {
  const float delayed = buffer_[position_];
  const float stored = input + gain_ * delayed;
  buffer_[position_] = flush_tiny(stored);
  if (++position_ == buffer_.size()) position_ = 0;
  return delayed - gain_ * stored;
}

void Allpass::clear() {
  std::fill(buffer_.begin(), buffer_.end(), 0.0f);
  position_ = 0;
}

float DelayLine::process(float input) {
  const float delayed = buffer_[position_];
  buffer_[position_] = flush_tiny(input);
  if (++position_ == buffer_.size()) position_ = 0;
  return delayed;
}

void DelayLine::clear() {
  std::fill(buffer_.begin(), buffer_.end(), 0.0f);
  position_ = 0;
}

PlateReverb::PlateReverb(float sample_rate)
    : input_1_(scaled(sample_rate, 142), 0.75f),
      input_2_(scaled(sample_rate, 107), 0.75f),
      input_3_(scaled(sample_rate, 379), 0.625f),
      input_4_(scaled(sample_rate, 277), 0.625f),
      tank_delay_1_(scaled(sample_rate, 672)),
      tank_delay_2_(scaled(sample_rate, 1800)),
      tank_delay_3_(scaled(sample_rate, 908)),
      tank_delay_4_(scaled(sample_rate, 2656)),
      tank_allpass_1_(scaled(sample_rate, 1580), 0.5f),
      tank_allpass_2_(scaled(sample_rate, 2198), 0.5f),
      pre_delay_(std::max(kMinPreDelayBuffer,
                          saturating_cast<std::size_t>(sample_rate * kPreDelayBufferSeconds)),
                 0.0f),
      pre_delay_length_(std::min(scaled(sample_rate, kDefaultPreDelay), pre_delay_.size() - 1)),
      sample_rate_(sample_rate) {}

void PlateReverb::set_sample_rate(float sample_rate) { *this = PlateReverb(sample_rate); }

void PlateReverb::reset() {
  for (Allpass* allpass :
       {&input_1_, &input_2_, &input_3_, &input_4_, &tank_allpass_1_, &tank_allpass_2_}) {
    allpass->clear();
  }
  for (DelayLine* line : {&tank_delay_1_, &tank_delay_2_, &tank_delay_3_, &tank_delay_4_}) {
    line->clear();
  }
  std::fill(pre_delay_.begin(), pre_delay_.end(), 0.0f);
  pre_delay_position_ = 0;
  damping_state_a_ = 0.0f;
  damping_state_b_ = 0.0f;
}

std::size_t PlateReverb::tail_samples() const {
  return saturating_cast<std::size_t>(sample_rate_ * kTailSecondsPerDecay * stable_gain(decay_));
}

void PlateReverb::set_param(std::uint8_t index, float value) {
  if (!std::isfinite(value)) return;
  switch (index) {
    case kDecay:
      decay_ = value;
      break;
    case kDamping:
      damping_ = value;
      break;
    case kMix:
      mix_ = value;
      break;
    case kPreDelay: {
      // A length of 0 would read the slot about to be overwritten, the whole buffer (0.1 s)
      // back: the shortest pre-delay is one sample.
      const auto samples = saturating_cast<std::size_t>(value * sample_rate_);
      pre_delay_length_ = std::clamp<std::size_t>(samples, 1, pre_delay_.size() - 1);
      break;
    }
    default:
      break;
  }
}

float PlateReverb::read_pre_delay(float input) {
  const std::size_t n = pre_delay_.size();
  const std::size_t d = pre_delay_length_;
  const std::size_t read_index =
      pre_delay_position_ >= d ? pre_delay_position_ - d : pre_delay_position_ + n - d;
  const float delayed = pre_delay_[read_index];
  pre_delay_[pre_delay_position_] = input;
  if (++pre_delay_position_ == n) pre_delay_position_ = 0;
  return delayed;
}

void PlateReverb::render(std::span<Frame> frames) {
  const float decay = stable_gain(decay_);
  const float damping = stable_gain(damping_);

  for (Frame& frame : frames) {
    const float pre_delayed = read_pre_delay((frame.left + frame.right) * 0.5f);
    const float diffused =
        input_4_.process(input_3_.process(input_2_.process(input_1_.process(pre_delayed))));

    // Both halves feed on the other's last delay as it stood before this frame's update.
    const float t4 = tank_delay_4_.output();
    const float t2 = tank_delay_2_.output();

    const float a = tank_delay_1_.process(tank_allpass_1_.process(diffused + decay * t4));
    damping_state_a_ = flush_tiny(a * (1.0f - damping) + damping * damping_state_a_);
    tank_delay_2_.process(decay * damping_state_a_);

    const float b = tank_delay_3_.process(tank_allpass_2_.process(diffused + decay * t2));
    damping_state_b_ = flush_tiny(b * (1.0f - damping) + damping * damping_state_b_);
    tank_delay_4_.process(decay * damping_state_b_);

    const float wet_left = 0.6f * a + 0.4f * t2;
    const float wet_right = 0.6f * b + 0.4f * damping_state_b_;
    frame.left = blend(frame.left, wet_left, mix_);
    frame.right = blend(frame.right, wet_right, mix_);
  }
}

}  // namespace quorvelan::effects::reverb
