#include "synth/operator.hpp"

namespace quorvelan::synth::operators {

namespace {
// A fresh operator's envelope, seconds and end level.
constexpr float kAttack = 0.01f;
constexpr float kDecay = 0.5f;
constexpr float kEndLevel = 0.3f;
constexpr float kRelease = 0.3f;
}  // namespace

Operator::Operator(float sample_rate)
    : inverse_sample_rate(1.0f / sample_rate),
      envelope(kAttack, kDecay, kEndLevel, kRelease, sample_rate) {}

void Operator::start() {
  phase = 0.0f;
  output = 0.0f;
  previous_output = 0.0f;
  envelope.start_from_zero();
}

}  // namespace quorvelan::synth::operators
