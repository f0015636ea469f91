#pragma once
// Signals to feed the effects and measurements of what comes out.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <span>
#include <vector>

#include "effects/mod.hpp"

namespace effects_test {

using quorvelan::effects::Frame;
using Signal = std::vector<Frame>;

inline Signal silence(std::size_t frames) { return Signal(frames); }

inline Signal impulse(std::size_t frames, std::size_t at, Frame value = {1.0f, 1.0f}) {
  Signal signal(frames);
  signal[at] = value;
  return signal;
}

inline Signal sine(std::size_t frames, float hz, float sample_rate, float amplitude = 0.5f) {
  Signal signal(frames);
  for (std::size_t i = 0; i < frames; ++i) {
    const float v = amplitude * std::sin(2.0f * std::numbers::pi_v<float> * hz *
                                         static_cast<float>(i) / sample_rate);
    signal[i] = {v, v};
  }
  return signal;
}

// Hands `process` the whole signal in blocks of the render's size, in order.
template <typename Process>
void in_blocks(Signal& signal, Process process) {
  const std::span<Frame> all(signal);
  for (std::size_t at = 0; at < all.size(); at += quorvelan::effects::kBlockFrames) {
    process(all.subspan(at, std::min(quorvelan::effects::kBlockFrames, all.size() - at)));
  }
}

// Runs an effect over the whole signal in blocks, in place.
inline void run(quorvelan::effects::AudioEffect& effect, Signal& signal) {
  in_blocks(signal, [&](std::span<Frame> block) { effect.process(block); });
}

inline float left(const Frame& f) { return f.left; }
inline float right(const Frame& f) { return f.right; }

// Index of the first frame whose channel is not exactly 0, or the signal's length.
template <typename Channel>
std::size_t first_sound(const Signal& signal, Channel channel, std::size_t from = 0) {
  for (std::size_t i = from; i < signal.size(); ++i) {
    if (channel(signal[i]) != 0.0f) return i;
  }
  return signal.size();
}

inline double energy(std::span<const Frame> frames) {
  double sum = 0.0;
  for (const Frame& f : frames) sum += double(f.left) * f.left + double(f.right) * f.right;
  return sum;
}

inline double rms_left(std::span<const Frame> frames) {
  double sum = 0.0;
  for (const Frame& f : frames) sum += double(f.left) * f.left;
  return std::sqrt(sum / static_cast<double>(frames.size()));
}

inline float peak(std::span<const Frame> frames) {
  float p = 0.0f;
  for (const Frame& f : frames) p = std::max({p, std::fabs(f.left), std::fabs(f.right)});
  return p;
}

}  // namespace effects_test
