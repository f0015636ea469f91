#pragma once
// One FM operator: a sine oscillator with its own envelope, whose phase is offset by the
// modulation of other operators and by its own recent output (feedback). Offsets are in cycles:
// a modulator output of 1.0 shifts the phase by one whole cycle. The voice render runs the
// operators (synth::voice_bank); this is their state.

#include "synth/envelope.hpp"

namespace quorvelan::synth::operators {

inline constexpr float kMinimumFeedback = 0.001f;  // smaller amounts run without feedback

struct Operator {
  explicit Operator(float sample_rate);

  // Back to silence at the start of a note, envelope in Attack from 0.
  void start();

  float output = 0.0f;
  float previous_output = 0.0f;
  float ratio = 1.0f;     // multiple of the note frequency
  float level = 1.0f;     // linear output gain
  float feedback = 0.0f;  // self-feedback amount: feedback x (output + previous output) / 2 cycles
  float phase = 0.0f;     // cycles, 0 to below 1
  float inverse_sample_rate;
  envelope::Envelope envelope;  // its sustain is the operator's end level
};

}  // namespace quorvelan::synth::operators
