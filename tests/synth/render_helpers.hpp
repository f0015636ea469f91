#pragma once
// Helpers that render the synth for a while and measure what came out.

#include <algorithm>
#include <cmath>
#include <vector>

#include "synth/engine.hpp"
#include "synth/params.hpp"

namespace synth_test {

using quorvelan::synth::voice::StereoFrame;

inline constexpr float kRate = 48000.0f;
inline constexpr int kBlock = 64;

// `frames` frames of the engine's voice sum, rendered in blocks as the audio thread does.
inline std::vector<StereoFrame> render(quorvelan::synth::engine::SynthEngine& engine, int frames) {
  std::vector<StereoFrame> out(static_cast<std::size_t>(frames));
  for (int start = 0; start < frames; start += kBlock)
    engine.render(
        std::span(out).subspan(static_cast<std::size_t>(start),
                               static_cast<std::size_t>(std::min(kBlock, frames - start))));
  return out;
}

inline std::vector<float> left_of(const std::vector<StereoFrame>& frames) {
  std::vector<float> left;
  for (const auto& f : frames) left.push_back(f.left);
  return left;
}

inline float peak_of(const std::vector<StereoFrame>& frames) {
  float peak = 0.0f;
  for (const auto& f : frames) peak = std::max({peak, std::fabs(f.left), std::fabs(f.right)});
  return peak;
}

// Frequency in Hz from the upward zero crossings, each located by linear interpolation.
inline double measured_frequency(const std::vector<float>& signal, double rate) {
  double first = -1.0;
  double last = -1.0;
  int crossings = 0;
  for (std::size_t n = 1; n < signal.size(); ++n) {
    if (signal[n - 1] < 0.0f && signal[n] >= 0.0f) {
      const double t = static_cast<double>(n - 1) + signal[n - 1] / (signal[n - 1] - signal[n]);
      if (first < 0.0) first = t;
      last = t;
      ++crossings;
    }
  }
  return crossings < 2 ? 0.0 : (crossings - 1) * rate / (last - first);
}

// A patch of one plain sine: operator 1 alone, held at full level, filter open.
inline void make_sine_patch(quorvelan::synth::engine::SynthEngine& engine, std::uint8_t track) {
  namespace params = quorvelan::synth::params;
  engine.set_param(track, params::kAlgorithm, 39.0f);  // all six operators heard, none modulated
  engine.set_param(track, params::kMix, 0.0f);
  for (int op = 0; op < 6; ++op) {
    engine.set_param(track, static_cast<std::uint8_t>(params::kOpLevel + op),
                     op == 0 ? 1.0f : 0.0f);
    engine.set_param(track, static_cast<std::uint8_t>(params::kOpEndLevel + op), 1.0f);
  }
  engine.set_param(track, params::kAmpSustain, 1.0f);
}

}  // namespace synth_test
