#pragma once
// The sound of one note: up to six operators wired by an algorithm, two carrier sums
// crossfaded by the mix, drive, a filter swept by its own envelope, an amplitude envelope and
// an equal-power pan to a stereo pair. This is the voice's state and its note events;
// synth::voice_bank renders voices.

#include <array>
#include <cstdint>

#include "synth/envelope.hpp"
#include "synth/filter.hpp"
#include "synth/operator.hpp"

namespace quorvelan::synth::voice {

enum class VoiceState : std::uint8_t { Idle = 0, Active = 1, Released = 2 };

struct StereoFrame {
  float left = 0.0f;
  float right = 0.0f;
};

inline constexpr int kOperatorsPerVoice = 6;

struct Voice {
  explicit Voice(float sample_rate);

  // Starts a note: frequency from the MIDI note, operators from silence, the filter and
  // amplitude envelopes into Attack from where they stand (a stolen voice does not click).
  void note_on(std::uint8_t note_track, std::uint8_t note_number, std::uint64_t note_age);

  // Every envelope into its release; the voice turns Idle when the amplitude envelope ends.
  void release();

  // Filter coefficients for the voice's cutoff, resonance and type; pass-through at the top of
  // the range, so an open filter colours nothing.
  void prepare_filter();

  // Pan gains for the current pan, recomputed only when the pan has moved.
  void update_pan_gains();

  std::array<operators::Operator, kOperatorsPerVoice> operators;  // operator 1 first
  std::uint64_t age = 0;  // note counter stamp of the note start
  // Last frame's operator outputs: every operator is modulated by these, so all see the same
  // modulation whatever their order.
  std::array<float, kOperatorsPerVoice> previous_outputs{};
  float mix = 0.5f;  // 0 = carrier set A only, 1 = set B only
  filter::Coefficients coefficients = filter::kPassThrough;
  filter::BiquadState<float> filter_state;
  float filter_env_amount = 0.0f;  // signed, added to the cutoff
  float cutoff = 1.0f;             // normalised 0..1
  float resonance = 0.0f;          // 0..1
  float pan = 0.0f;                // -1 left .. +1 right
  float gain = 0.8f;               // velocity / 127 x track volume
  float drive = 0.0f;
  float sample_rate;
  float frequency = 440.0f;  // Hz
  float pan_left = 0.70710677f;
  float pan_right = 0.70710677f;
  float last_pan = 0.0f;
  float last_cutoff = -1.0f;           // cutoff of the current coefficients; -1 = none computed
  envelope::Envelope filter_envelope;  // fixed times: no patch parameter sets them
  envelope::Envelope amp_envelope;
  std::uint8_t algorithm = 1;  // any value; wraps over the algorithm table
  std::uint8_t note = 0;
  std::uint8_t track = 0;
  filter::FilterType filter_type = filter::FilterType::Lp2;
  VoiceState state = VoiceState::Idle;
};

}  // namespace quorvelan::synth::voice
