#pragma once
// Stereo chorus: each channel reads a short delay line at a position swept by a sine, the right
// channel's sweep a quarter cycle ahead of the left's.

#include <vector>

#include "effects/mod.hpp"

namespace quorvelan::effects::chorus {

class Chorus final : public AudioEffect {
 public:
  // Parameter indexes of set_param.
  static constexpr std::uint8_t kRate = 0;   // Hz
  static constexpr std::uint8_t kDepth = 1;  // 0..1 of half the base delay
  static constexpr std::uint8_t kMix = 2;    // wet amount 0..1

  explicit Chorus(float sample_rate);

  void reset() override;
  void set_sample_rate(float sample_rate) override;
  [[nodiscard]] std::string_view name() const override { return "Chorus"; }
  [[nodiscard]] std::size_t tail_samples() const override { return 0; }
  void set_param(std::uint8_t index, float value) override;

 private:
  void render(std::span<Frame> frames) override;
  [[nodiscard]] float read(const std::vector<float>& line, float delay) const;

  std::vector<float> left_;   // 50 ms
  std::vector<float> right_;  // 50 ms
  std::size_t write_index_ = 0;
  float lfo_phase_ = 0.0f;  // cycles, 0..1
  float rate_ = 0.8f;       // Hz
  float depth_ = 0.5f;
  float mix_ = 0.3f;
  float base_delay_ = 0.0f;  // samples, 15 ms
  float sample_rate_ = 0.0f;
};

}  // namespace quorvelan::effects::chorus
