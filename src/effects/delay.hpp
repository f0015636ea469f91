#pragma once
// Stereo delay of up to two seconds with feedback; in ping-pong mode each repeat crosses to the
// other channel.

#include <vector>

#include "effects/mod.hpp"

namespace quorvelan::effects::delay {

class StereoDelay final : public AudioEffect {
 public:
  // Parameter indexes of set_param. Both time indexes set the one delay length.
  static constexpr std::uint8_t kTime = 0;      // seconds
  static constexpr std::uint8_t kTimeAlso = 1;  // seconds
  static constexpr std::uint8_t kFeedback = 2;  // 0..0.95 where used
  static constexpr std::uint8_t kMix = 3;       // wet amount 0..1
  static constexpr std::uint8_t kPingPong = 4;  // on above 0.5

  explicit StereoDelay(float sample_rate);

  void reset() override;
  void set_sample_rate(float sample_rate) override;
  [[nodiscard]] std::string_view name() const override { return "Delay"; }
  [[nodiscard]] std::size_t tail_samples() const override;
  void set_param(std::uint8_t index, float value) override;

 private:
  void render(std::span<Frame> frames) override;
  void set_delay_seconds(float seconds);
  [[nodiscard]] float usable_feedback() const;

  std::vector<float> left_;   // 2 s
  std::vector<float> right_;  // 2 s
  std::size_t write_index_ = 0;
  std::size_t delay_length_ = 0;  // samples, 1..line length - 1
  float feedback_ = 0.4f;
  float mix_ = 0.3f;
  float sample_rate_ = 0.0f;
  bool ping_pong_ = false;
};

}  // namespace quorvelan::effects::delay
