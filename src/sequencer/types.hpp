#pragma once
// The sound settings stored with projects, patterns and presets: one track's FM patch, one
// track's mixer strip, and the send effects with the master chain. Plain values, copied whole.
// Field order is the order of the JSON keys.

#include <array>
#include <cstdint>

namespace quorvelan::sequencer::types {

inline constexpr int kOperatorCount = 6;
using OperatorValues = std::array<float, kOperatorCount>;  // operator 1 first

// One track's FM patch. Times in seconds, levels linear 0..1.
struct TrackSynthParams {
  std::uint8_t algorithm = 0;  // 0..7 extra algorithms, 8..39 DX7 algorithms 1..32
  float mix = 0.0f;            // 0 sounds carrier set A only, 1 set B only
  OperatorValues op_ratios{};  // frequency as a multiple of the note frequency
  OperatorValues op_levels{};
  OperatorValues op_feedback{};
  OperatorValues op_attack{};
  OperatorValues op_decay{};
  OperatorValues op_end_level{};  // held while the note is held
  OperatorValues op_release{};
  std::uint8_t filter_type = 0;  // 0..5
  float filter_cutoff = 0.0f;    // normalised 0..1
  float filter_resonance = 0.0f;
  float filter_env_depth = 0.0f;  // signed, -1..1
  float amp_attack = 0.0f;
  float amp_decay = 0.0f;
  float amp_sustain = 0.0f;
  float amp_release = 0.0f;
  float drive = 0.0f;

  // A stored record that lacks its release times gets these.
  static constexpr OperatorValues kDefaultOpRelease{0.3f, 0.3f, 0.3f, 0.3f, 0.3f, 0.3f};

  friend bool operator==(const TrackSynthParams&, const TrackSynthParams&) = default;
};

// One track's mixer strip. Levels linear 0..1, pan -1 (left) .. +1 (right).
struct TrackMixerState {
  float volume = 0.0f;
  float pan = 0.0f;
  bool muted = false;  // a muted track's steps do not trigger
  float chorus_send = 0.0f;
  float delay_send = 0.0f;
  float reverb_send = 0.0f;

  friend bool operator==(const TrackMixerState&, const TrackMixerState&) = default;
};

// The send effects, their feeds into the reverb, and the master overdrive and DJ filter.
// The master volume is kept apart.
struct EffectsParams {
  float chorus_rate = 0.0f;  // Hz
  float chorus_depth = 0.0f;
  float chorus_mix = 0.0f;
  float delay_time_l = 0.0f;  // seconds
  float delay_time_r = 0.0f;  // seconds
  float delay_feedback = 0.0f;
  float delay_mix = 0.0f;
  bool delay_ping_pong = false;
  float reverb_decay = 0.0f;
  float reverb_damping = 0.0f;
  float reverb_mix = 0.0f;
  float reverb_predelay = 0.0f;  // seconds
  float overdrive_drive = 0.0f;
  float overdrive_tone = 0.0f;
  float overdrive_mix = 0.0f;
  float dj_filter_cutoff = 0.0f;  // 0..1, 0.5 is the open centre
  float dj_filter_resonance = 0.0f;
  float chorus_to_reverb = 0.0f;
  float delay_to_reverb = 0.0f;

  friend bool operator==(const EffectsParams&, const EffectsParams&) = default;
};

// The starting values of the application: what a new project's tracks and effects hold.
TrackSynthParams starting_synth_params();
TrackMixerState starting_mixer_state();
EffectsParams starting_effects_params();

// Bring a record read from a file into the ranges the instrument can play. Table indices
// (algorithm, filter type) come back to the entry the synth would play for them; mixer and effect
// values to the ranges the editor keeps; a patch's float values, which the DX7 conversion may
// legitimately take beyond the editor's ranges, only lose non-finite values.
void normalize(TrackSynthParams& params);
void normalize(TrackMixerState& mixer);
void normalize(EffectsParams& effects);

}  // namespace quorvelan::sequencer::types
