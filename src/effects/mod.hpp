#pragma once
// The common shape of the send effects: stereo frames processed in place, a block at a time,
// on the audio thread. Buffers are sized when an effect is built (or its sample rate changes);
// processing never allocates.

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace quorvelan::effects {

// The render works in blocks of at most this many frames; the bus buffers hold one block.
inline constexpr std::size_t kBlockFrames = 64;

// Recursive states (delay lines, filters) are flushed to 0 below this magnitude so that decaying
// tails never reach the slow denormal range.
inline constexpr float kFlushThreshold = 1e-15f;

struct Frame {
  float left = 0.0f;
  float right = 0.0f;
};

[[nodiscard]] inline float flush_tiny(float value) {
  return std::fabs(value) < kFlushThreshold ? 0.0f : value;
}

// The wet signal at `mix` (0 dry .. 1 wet) over the dry one.
[[nodiscard]] inline float blend(float dry, float wet, float mix) {
  return wet * mix + dry * (1.0f - mix);
}

[[nodiscard]] bool all_finite(std::span<const Frame> frames);
void silence(std::span<Frame> frames);

class AudioEffect {
 public:
  virtual ~AudioEffect() = default;

  // Runs the effect over the frames in place. An effect whose output has gone non-finite (a NaN
  // or infinity fed in, or a runaway state) is reset and the block silenced, so that the fault
  // neither reaches the device nor stays in the effect's lines.
  void process(std::span<Frame> frames);

  // Clears the effect's buffers and positions.
  virtual void reset() = 0;
  // Resizes the buffers for a new rate (Hz). Allocates: never call on the audio thread.
  virtual void set_sample_rate(float sample_rate) = 0;
  [[nodiscard]] virtual std::string_view name() const = 0;
  // Length of the effect's tail, in samples.
  [[nodiscard]] virtual std::size_t tail_samples() const = 0;
  // Sets one parameter; indexes without a parameter and non-finite values are ignored.
  virtual void set_param(std::uint8_t index, float value) = 0;

 protected:
  virtual void render(std::span<Frame> frames) = 0;
};

// One send bus: the voices' mix is added into its buffer, its effect processes the buffer in
// place, and the result returns to the master at the return level.
struct SendBus {
  std::array<Frame, kBlockFrames> buffer{};
  std::unique_ptr<AudioEffect> effect;
  float return_level = 1.0f;
};

}  // namespace quorvelan::effects
