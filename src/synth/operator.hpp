#pragma once
// One FM operator: a sine oscillator with its own envelope, whose phase is offset by the
// modulation of other operators and by its own recent output (feedback). Offsets are in cycles:
// a modulator output of 1.0 shifts the phase by one whole cycle.

#include <cmath>

#include "synth/envelope.hpp"
#include "synth/wavetable.hpp"

namespace quorvelan::synth::operators {

inline constexpr float kMinimumFeedback = 0.001f;  // smaller amounts run without feedback

struct Operator {
  explicit Operator(float sample_rate);

  // Back to silence at the start of a note, envelope in Attack from 0.
  void start();

  // One frame at `frequency` Hz (the note's; the ratio applies here) and `modulation` cycles.
  // `feedback_enabled` is false where the algorithm gives this operator no feedback path.
  float tick(const wavetable::SineTable& sine, float frequency, float modulation,
             bool feedback_enabled) {
    float feedback_offset = 0.0f;
    if (feedback_enabled && feedback > kMinimumFeedback)
      feedback_offset = feedback * (output + previous_output) * 0.5f;
    phase += frequency * ratio * inverse_sample_rate;
    phase -= std::floor(phase);
    const float e = envelope.step();
    const float s = wavetable::sine_at(sine, feedback_offset + (modulation + phase));
    previous_output = output;
    output = e * (level * s);
    return output;
  }

  float output = 0.0f;
  float previous_output = 0.0f;
  float ratio = 1.0f;     // multiple of the note frequency
  float level = 1.0f;     // linear output gain
  float feedback = 0.0f;  // self-feedback amount
  float phase = 0.0f;     // cycles, 0 to below 1
  float inverse_sample_rate;
  envelope::Envelope envelope;  // its sustain is the operator's end level
};

}  // namespace quorvelan::synth::operators
