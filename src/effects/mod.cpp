#include "effects/mod.hpp"

#include <algorithm>

namespace quorvelan::effects {

bool all_finite(std::span<const Frame> frames) {
  return std::all_of(frames.begin(), frames.end(), [](const Frame& frame) {
    return std::isfinite(frame.left) && std::isfinite(frame.right);
  });
}

void silence(std::span<Frame> frames) { std::fill(frames.begin(), frames.end(), Frame{}); }

void AudioEffect::process(std::span<Frame> frames) {
  render(frames);
  if (!all_finite(frames)) {
    reset();
    silence(frames);
  }
}

}  // namespace quorvelan::effects
