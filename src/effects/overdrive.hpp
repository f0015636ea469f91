#pragma once
// The master chain's overdrive: a soft saturating shaper followed by a one-pole tone filter,
// with make-up gain and a dry/wet mix. Processed frame by frame on the master mix.

#include "effects/mod.hpp"

namespace quorvelan::effects::overdrive {

class Overdrive {
 public:
  // Parameter indexes of the overdrive's effect-parameter messages.
  static constexpr std::uint8_t kDrive = 0;  // 0..1 in the editor
  static constexpr std::uint8_t kTone = 1;   // one-pole low-pass coefficient 0..1
  static constexpr std::uint8_t kMix = 2;    // wet amount

  // Drive below this bypasses the stage.
  static constexpr float kMinDrive = 0.001f;

  Overdrive() { set_drive(0.0f); }

  // Non-finite values are ignored; others are stored as given.
  void set_param(std::uint8_t index, float value);
  [[nodiscard]] bool is_engaged() const { return drive_ >= kMinDrive; }
  [[nodiscard]] Frame process(Frame frame);

 private:
  void set_drive(float drive);
  [[nodiscard]] float shape(float input, float& state, float tone) const;

  float drive_ = 0.0f;
  float tone_ = 0.7f;
  float mix_ = 1.0f;
  float state_left_ = 0.0f;
  float state_right_ = 0.0f;
  float gain_ = 1.0f;    // 1 + 20 x drive
  float makeup_ = 1.0f;  // a half-scale input comes out at about full scale
};

}  // namespace quorvelan::effects::overdrive
