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

}  // namespace quorvelan::synth::wavetable
