#include "synth/voice.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "synth/algorithm.hpp"

namespace quorvelan::synth::voice {

namespace {

// The filter and amplitude envelopes of a fresh voice, seconds and sustain level.
constexpr float kEnvelopeAttack = 0.01f;
constexpr float kEnvelopeDecay = 0.3f;
constexpr float kEnvelopeSustain = 0.7f;
constexpr float kEnvelopeRelease = 0.3f;

constexpr float kMinimumDrive = 0.001f;
constexpr float kDriveGain = 10.0f;
constexpr float kOpenCutoff = 0.99f;  // at and above, the filter keeps its coefficients
constexpr float kCutoffRecomputeStep = 0.0005f;

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
  if (cutoff < kOpenCutoff) {
    coefficients = filter::compute_coefficients(cutoff, resonance, filter_type, sample_rate);
    last_cutoff = cutoff;
  } else {
    coefficients = filter::Coefficients{};
    last_cutoff = -1.0f;
  }
}

bool Voice::finish_if_silent() {
  if (state == VoiceState::Released && amp_envelope.stage() == envelope::EnvelopeStage::Idle)
    state = VoiceState::Idle;
  return state == VoiceState::Idle;
}

void Voice::refresh_pan() {
  if (pan == last_pan) return;
  const float angle = (pan + 1.0f) * 0.25f * std::numbers::pi_v<float>;
  pan_left = std::cos(angle);
  pan_right = std::sin(angle);
  last_pan = pan;
}

StereoFrame Voice::next_frame(const wavetable::SineTable& sine) {
  const auto& wiring = algorithm::algorithm_entry(algorithm);
  const int count = wiring.operator_count;

  std::array<float, kOperatorsPerVoice> outputs{};
  for (int j = 0; j < count; ++j) {
    float modulation = 0.0f;
    for (int k = 0; k < count; ++k)
      if (wiring.modulators[j] & (1u << k)) modulation += previous_outputs[k];
    const bool feedback_enabled = (wiring.feedback & (1u << j)) != 0;
    outputs[j] = operators[j].tick(sine, frequency, modulation, feedback_enabled);
  }
  previous_outputs = outputs;

  float sum_a = 0.0f;
  float sum_b = 0.0f;
  for (int k = 0; k < count; ++k) {
    if (wiring.carriers_a & (1u << k)) sum_a += outputs[k];
    if (wiring.carriers_b & (1u << k)) sum_b += outputs[k];
  }
  float x = (1.0f - mix) * sum_a + mix * sum_b;
  if (drive > kMinimumDrive) x = std::tanh(x * (1.0f + kDriveGain * drive));

  const float swept = std::clamp(cutoff + filter_envelope.step() * filter_env_amount, 0.0f, 1.0f);
  if (swept < kOpenCutoff && std::fabs(swept - last_cutoff) > kCutoffRecomputeStep) {
    coefficients = filter::compute_coefficients(swept, resonance, filter_type, sample_rate);
    last_cutoff = swept;
  }
  const float y = filter_state.process(coefficients, x);

  const float v = y * (amp_envelope.step() * gain);
  return {v * pan_left, v * pan_right};
}

StereoFrame Voice::render_frame() {
  if (finish_if_silent()) return {};
  refresh_pan();
  return next_frame(wavetable::sine_table());
}

void Voice::render_add(std::span<StereoFrame> out, StereoFrame& peak) {
  refresh_pan();
  const auto& sine = wavetable::sine_table();
  for (auto& frame : out) {
    if (finish_if_silent()) return;
    const StereoFrame v = next_frame(sine);
    frame.left += v.left;
    frame.right += v.right;
    peak.left = std::max(peak.left, std::fabs(v.left));
    peak.right = std::max(peak.right, std::fabs(v.right));
  }
}

}  // namespace quorvelan::synth::voice
