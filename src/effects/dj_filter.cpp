#include "effects/dj_filter.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quorvelan::effects::dj_filter {

namespace {
constexpr float kIgnoredChange = 0.001f;
constexpr float kDeadZone = 0.02f;  // either side of the centre
// Low-pass from 60 Hz at position 0 to 20 kHz at 0.48; high-pass from 20 Hz at 0.52 to 18 kHz at 1.
constexpr float kLowPassFloorHz = 60.0f;
constexpr float kLowPassSpan = 333.33334f;
constexpr float kHighPassFloorHz = 20.0f;
constexpr float kHighPassSpan = 900.0f;
constexpr float kSweepWidth = 0.48f;
// At and above Nyquist the biquad turns unstable; at low sample rates the sweep reaches it.
constexpr float kMaxCutoffOfRate = 0.49f;
}  // namespace

bool DjFilter::store_if_moved(float& stored, float value) {
  if (!std::isfinite(value)) return false;
  const float limited = std::clamp(value, 0.0f, 1.0f);
  if (std::fabs(limited - stored) <= kIgnoredChange) return false;
  stored = limited;
  return true;
}

void DjFilter::set_position(float position) {
  if (store_if_moved(position_, position)) rebuild();
}

void DjFilter::set_resonance(float resonance) {
  if (store_if_moved(resonance_, resonance)) rebuild();
}

void DjFilter::set_param(std::uint8_t index, float value) {
  switch (index) {
    case kPosition:
      set_position(value);
      break;
    case kResonance:
      set_resonance(value);
      break;
    default:
      break;
  }
}

// Histories are left alone, so the filter picks up where it was when it becomes active again.
void DjFilter::rebuild() {
  const float offset = position_ - 0.5f;
  // Inactive, the filter is bypassed whole and its coefficients go unread.
  active_ = std::fabs(offset) >= kDeadZone;
  if (!active_) return;
  const bool low_pass = offset < 0.0f;
  const float cutoff_hz =
      low_pass ? kLowPassFloorHz * std::pow(kLowPassSpan, position_ / kSweepWidth)
               : kHighPassFloorHz * std::pow(kHighPassSpan, (position_ - 0.52f) / kSweepWidth);
  const float capped_hz = std::min(cutoff_hz, kMaxCutoffOfRate * sample_rate_);
  const float q = 8.0f * resonance_ + 0.5f;
  const float w = 2.0f * std::numbers::pi_v<float> * capped_hz / sample_rate_;
  const float cos_w = std::cos(w);
  const float alpha = std::sin(w) / (2.0f * q);

  const float norm = 1.0f + alpha;
  if (low_pass) {
    b0_ = (1.0f - cos_w) / 2.0f / norm;
    b1_ = (1.0f - cos_w) / norm;
  } else {
    b0_ = (1.0f + cos_w) / 2.0f / norm;
    b1_ = -(1.0f + cos_w) / norm;
  }
  b2_ = b0_;
  a1_ = -2.0f * cos_w / norm;
  a2_ = (1.0f - alpha) / norm;
}

float DjFilter::filter(float input, History& history) const {
  const float output = flush_tiny(b0_ * input + b1_ * history.x1 + b2_ * history.x2 -
                                  a1_ * history.y1 - a2_ * history.y2);
  if (!std::isfinite(output)) {
    // A non-finite input would stay in the histories for good: start afresh.
    history = {};
    return 0.0f;
  }
  history = {input, history.x1, output, history.y1};
  return output;
}

Frame DjFilter::process(Frame frame) {
  if (!active_) return frame;
  return {filter(frame.left, left_), filter(frame.right, right_)};
}

}  // namespace quorvelan::effects::dj_filter
