#pragma once
// Plate reverb: a pre-delay, four input allpasses in series and a tank of two cross-coupled
// halves, each an allpass, a delay, a damping low-pass and a second delay.

#include <vector>

#include "effects/mod.hpp"

namespace quorvelan::effects::reverb {

// A Schroeder allpass of fixed length and gain.
class Allpass {
 public:
  Allpass(std::size_t length, float gain) : buffer_(length, 0.0f), gain_(gain) {}
  float process(float input);
  void clear();

 private:
  std::vector<float> buffer_;
  std::size_t position_ = 0;
  float gain_;
};

// A fixed delay whose output can be looked at before the next input goes in.
class DelayLine {
 public:
  explicit DelayLine(std::size_t length) : buffer_(length, 0.0f) {}
  [[nodiscard]] float output() const { return buffer_[position_]; }
  // Returns the output and stores the input in its place.
  float process(float input);
  void clear();

 private:
  std::vector<float> buffer_;
  std::size_t position_ = 0;
};

class PlateReverb final : public AudioEffect {
 public:
  // Parameter indexes of set_param.
  static constexpr std::uint8_t kDecay = 0;     // tank feedback 0..1
  static constexpr std::uint8_t kDamping = 1;   // tank low-pass 0..1, both halves
  static constexpr std::uint8_t kMix = 2;       // wet amount 0..1
  static constexpr std::uint8_t kPreDelay = 3;  // seconds, 0..0.1

  explicit PlateReverb(float sample_rate);

  void reset() override;
  // Rebuilds the reverb whole, with its default parameters.
  void set_sample_rate(float sample_rate) override;
  [[nodiscard]] std::string_view name() const override { return "Reverb"; }
  [[nodiscard]] std::size_t tail_samples() const override;
  void set_param(std::uint8_t index, float value) override;

 private:
  void render(std::span<Frame> frames) override;
  [[nodiscard]] float read_pre_delay(float input);

  Allpass input_1_;
  Allpass input_2_;
  Allpass input_3_;
  Allpass input_4_;
  DelayLine tank_delay_1_;
  DelayLine tank_delay_2_;
  DelayLine tank_delay_3_;
  DelayLine tank_delay_4_;
  Allpass tank_allpass_1_;
  Allpass tank_allpass_2_;
  std::vector<float> pre_delay_;  // 0.1 s, the longest pre-delay
  std::size_t pre_delay_position_ = 0;
  float damping_state_a_ = 0.0f;
  float damping_state_b_ = 0.0f;
  float damping_ = 0.7f;  // both halves' low-pass
  std::size_t pre_delay_length_ = 0;  // samples, 1..pre-delay buffer length - 1
  float decay_ = 0.6f;
  float mix_ = 0.3f;
  float sample_rate_;
};

}  // namespace quorvelan::effects::reverb
