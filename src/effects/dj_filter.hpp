#pragma once
// The master chain's DJ filter: one knob that low-passes below its centre, high-passes above it
// and leaves the sound untouched in a dead zone around the centre. A biquad per channel.

#include "effects/mod.hpp"

namespace quorvelan::effects::dj_filter {

class DjFilter {
 public:
  // Parameter indexes of the DJ filter's effect-parameter messages.
  static constexpr std::uint8_t kPosition = 0;   // 0 darkest .. 0.5 open .. 1 thinnest
  static constexpr std::uint8_t kResonance = 1;  // 0..1

  explicit DjFilter(float sample_rate) : sample_rate_(sample_rate) {}

  // Both values are limited to 0..1; a change of 0.001 or less (or a non-finite value) is
  // ignored, anything else rebuilds the filter.
  void set_param(std::uint8_t index, float value);
  void set_position(float position);
  void set_resonance(float resonance);

  [[nodiscard]] bool is_active() const { return active_; }
  // Filters one frame while active; passes it unchanged (histories untouched) otherwise.
  [[nodiscard]] Frame process(Frame frame);

 private:
  // One channel's direct-form-I history.
  struct History {
    float x1 = 0.0f;
    float x2 = 0.0f;
    float y1 = 0.0f;
    float y2 = 0.0f;
  };

  [[nodiscard]] static bool store_if_moved(float& stored, float value);
  void rebuild();
  [[nodiscard]] float filter(float input, History& history) const;

  float position_ = 0.5f;
  float resonance_ = 0.0f;
  float sample_rate_;
  History left_;
  History right_;
  float b0_ = 1.0f;
  float b1_ = 0.0f;
  float b2_ = 0.0f;
  float a1_ = 0.0f;
  float a2_ = 0.0f;
  bool active_ = false;
};

}  // namespace quorvelan::effects::dj_filter
