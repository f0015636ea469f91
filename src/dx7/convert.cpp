#include "dx7/convert.hpp"

#include <algorithm>
#include <bit>
#include <cmath>

#include "synth/algorithm.hpp"

namespace quorvelan::dx7::convert {
namespace {

constexpr float kShortestTime = 0.001f;  // seconds
constexpr float kLongestTime = 40.0f;    // seconds
constexpr float kMiddleC = 261.63f;      // Hz

float end_level(std::uint8_t level3) { return static_cast<float>(level3) / 99.0f; }

// The amp envelope follows the lowest-numbered carrier of either set.
int amp_source_operator(std::uint8_t algorithm) {
  const auto& entry = synth::algorithm::algorithm_entry(algorithm);
  unsigned carriers = (entry.carriers_a | entry.carriers_b) & 0x3Fu;
  return carriers == 0 ? 0 : std::countr_zero(carriers);
}

}  // namespace

float envelope_time(std::uint8_t rate) {
  if (rate >= 99) return kShortestTime;
  if (rate == 0) return kLongestTime;
  float t = kLongestTime * std::exp(-0.10703672f * static_cast<float>(rate));
  return std::clamp(t, kShortestTime, kLongestTime);
}

float frequency_ratio(const sysex::Dx7Operator& op) {
  float fine = static_cast<float>(op.freq_fine);
  float ratio;
  if (op.osc_mode == 1) {
    int x = std::min<int>(op.freq_coarse, 3);
    float base = std::pow(10.0f, static_cast<float>(x));
    float next = std::pow(10.0f, static_cast<float>(std::min(x + 1, 4)));
    float hz = base + (next - base) * fine / 100.0f;
    ratio = hz / kMiddleC;
  } else if (op.freq_coarse != 0) {
    ratio = static_cast<float>(op.freq_coarse) * (1.0f + fine / 100.0f);
  } else {
    ratio = 0.5f;
  }
  float cents = (static_cast<float>(op.detune) - 7.0f) * 1.2f;
  ratio *= std::pow(2.0f, cents / 1200.0f);
  ratio = std::max(ratio, 0.25f);
  return std::min(ratio, 16.0f);
}

float operator_level(std::uint8_t output_level) {
  if (output_level == 0) return 0.0f;
  float attenuation_db = (99.0f - static_cast<float>(output_level)) * -0.75f;
  return std::min(1.0f, std::pow(10.0f, attenuation_db / 20.0f));
}

sequencer::types::TrackSynthParams convert_voice(const sysex::Dx7Voice& voice) {
  sequencer::types::TrackSynthParams patch{};
  std::uint8_t dx7_algorithm = std::min<std::uint8_t>(voice.algorithm, 31);
  patch.algorithm = synth::algorithm::dx7_entry_index(dx7_algorithm);
  patch.mix = 0.0f;

  for (std::size_t i = 0; i < voice.operators.size(); ++i) {
    const sysex::Dx7Operator& op = voice.operators[i];
    patch.op_ratios[i] = frequency_ratio(op);
    patch.op_levels[i] = operator_level(op.output_level);
    patch.op_attack[i] = envelope_time(op.eg_rates[0]);
    patch.op_decay[i] = envelope_time(op.eg_rates[1]);
    patch.op_release[i] = envelope_time(op.eg_rates[3]);
    patch.op_end_level[i] = end_level(op.eg_levels[2]);
  }
  if (voice.feedback != 0) {
    patch.op_feedback[FEEDBACK_OPERATOR[dx7_algorithm]] = static_cast<float>(voice.feedback) / 7.0f;
  }

  patch.filter_type = 0;
  patch.filter_cutoff = 1.0f;
  patch.filter_resonance = 0.0f;
  patch.filter_env_depth = 0.0f;

  const sysex::Dx7Operator& amp = voice.operators[amp_source_operator(patch.algorithm)];
  patch.amp_attack = envelope_time(amp.eg_rates[0]);
  patch.amp_decay = envelope_time(amp.eg_rates[1]);
  patch.amp_sustain = end_level(amp.eg_levels[2]);
  patch.amp_release = envelope_time(amp.eg_rates[3]);
  patch.drive = 0.0f;
  return patch;
}

}  // namespace quorvelan::dx7::convert
