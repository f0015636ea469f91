#include "effects/overdrive.hpp"

#include <algorithm>

namespace quorvelan::effects::overdrive {

namespace {
constexpr float kDriveGain = 20.0f;
constexpr float kMinMakeupReference = 0.1f;
constexpr float kMaxMakeup = 2.0f;
// The tone filter's state stops following its input at a coefficient of 1 (and runs away above
// it): keep it just below.
constexpr float kMaxTone = 0.99f;

// A rational approximation of tanh: odd, smooth, about 1 at y = 3.
float saturate(float y) { return y * (27.0f + y * y) / (27.0f + 9.0f * y * y); }
}  // namespace

void Overdrive::set_param(std::uint8_t index, float value) {
  if (!std::isfinite(value)) return;
  switch (index) {
    case kDrive:
      set_drive(value);
      break;
    case kTone:
      tone_ = value;
      break;
    case kMix:
      mix_ = value;
      break;
    default:
      break;
  }
}

// The make-up gain depends on the drive alone, so it is worked out when the drive changes, never
// within a block.
void Overdrive::set_drive(float drive) {
  drive_ = drive;
  gain_ = 1.0f + kDriveGain * drive;
  makeup_ = std::min(1.0f / std::max(saturate(gain_ / 2.0f), kMinMakeupReference), kMaxMakeup);
}

float Overdrive::shape(float input, float& state, float tone) const {
  state = flush_tiny(saturate(gain_ * input) * (1.0f - tone) + state * tone);
  const float output = blend(input, state * makeup_, mix_);
  if (std::isfinite(output)) return output;
  // A non-finite input or an absurd drive that overflows the shaper: start the filter afresh
  // and let nothing through.
  state = 0.0f;
  return 0.0f;
}

Frame Overdrive::process(Frame frame) {
  if (!is_engaged()) return frame;
  const float tone = std::clamp(tone_, 0.0f, kMaxTone);
  return {shape(frame.left, state_left_, tone), shape(frame.right, state_right_, tone)};
}

}  // namespace quorvelan::effects::overdrive
