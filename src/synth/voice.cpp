#include "synth/voice.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quorvelan::synth::voice {

namespace {

// The filter and amplitude envelopes of a fresh voice, seconds and sustain level.
constexpr float kEnvelopeAttack = 0.01f;
constexpr float kEnvelopeDecay = 0.3f;
constexpr float kEnvelopeSustain = 0.7f;
constexpr float kEnvelopeRelease = 0.3f;

std::array<operators::Operator, kOperatorsPerVoice> make_operators(float sample_rate) {
  return {operators::Operator(sample_rate), operators::Operator(sample_rate),
          operators::Operator(sample_rate), operators::Operator(sample_rate),
          operators::Operator(sample_rate), operators::Operator(sample_rate)};
}

float note_frequency(std::uint8_t note) {
  return 440.0f * std::pow(2.0f, (static_cast<float>(note) - 69.0f) / 12.0f);
}

}  // namespace

Voice::Voice(float rate)
    : operators(make_operators(rate)),
      sample_rate(rate),
      filter_envelope(kEnvelopeAttack, kEnvelopeDecay, kEnvelopeSustain, kEnvelopeRelease, rate),
      amp_envelope(kEnvelopeAttack, kEnvelopeDecay, kEnvelopeSustain, kEnvelopeRelease, rate) {}

void Voice::note_on(std::uint8_t note_track, std::uint8_t note_number, std::uint64_t note_age) {
  track = note_track;
  note = note_number;
  age = note_age;
  state = VoiceState::Active;
  frequency = note_frequency(note_number);
  previous_outputs.fill(0.0f);
  for (auto& op : operators) op.start();
  filter_envelope.start();
  amp_envelope.start();
}

void Voice::release() {
  state = VoiceState::Released;
  for (auto& op : operators) op.envelope.release();
  filter_envelope.release();
  amp_envelope.release();
}

void Voice::prepare_filter() {
  if (cutoff < filter::kOpenCutoff) {
    coefficients = filter::compute_coefficients(cutoff, resonance, filter_type, sample_rate);
    last_cutoff = cutoff;
  } else {
    coefficients = filter::kPassThrough;
    last_cutoff = -1.0f;
  }
}

void Voice::update_pan_gains() {
  if (pan == last_pan) return;
  // An LFO may write pan up to 20; beyond -1..1 the gains would swap the channels round.
  const float position = std::clamp(pan, -1.0f, 1.0f);
  const float angle = (position + 1.0f) * 0.25f * std::numbers::pi_v<float>;
  pan_left = std::cos(angle);
  pan_right = std::sin(angle);
  last_pan = pan;
}

}  // namespace quorvelan::synth::voice
