#include "synth/wavetable.hpp"

#include <cmath>

namespace quorvelan::synth::wavetable {

const SineTable& sine_table() {
  static const SineTable table = [] {
    SineTable built{};
    for (int i = 0; i < kSineTableSize; ++i)
      built[i] = std::sin(static_cast<float>(i) * 6.2831855f / static_cast<float>(kSineTableSize));
    return built;
  }();
  return table;
}

const SinePointTable& sine_point_table() {
  static const SinePointTable table = [] {
    const auto& sine = sine_table();
    SinePointTable built{};
    for (int i = 0; i < kSineTableSize; ++i)
      built[i] = {.value = sine[i], .slope = sine[(i + 1) % kSineTableSize] - sine[i]};
    return built;
  }();
  return table;
}

}  // namespace quorvelan::synth::wavetable
