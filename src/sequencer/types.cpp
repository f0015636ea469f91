#include "sequencer/types.hpp"

#include <cmath>
#include <initializer_list>

#include "numeric.hpp"

namespace quorvelan::sequencer::types {

TrackSynthParams starting_synth_params() {
  return TrackSynthParams{
      .algorithm = 1,
      .mix = 0.5f,
      .op_ratios = {1.0f, 2.0f, 1.0f, 3.0f, 4.0f, 5.0f},
      .op_levels = {1.0f, 0.8f, 0.6f, 0.5f, 0.4f, 0.3f},
      .op_feedback = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
      .op_attack = {0.01f, 0.01f, 0.01f, 0.01f, 0.01f, 0.01f},
      .op_decay = {0.5f, 0.3f, 0.5f, 0.3f, 0.4f, 0.3f},
      .op_end_level = {0.3f, 0.3f, 0.3f, 0.3f, 0.3f, 0.3f},
      .op_release = TrackSynthParams::kDefaultOpRelease,
      .filter_type = 0,
      .filter_cutoff = 1.0f,
      .filter_resonance = 0.0f,
      .filter_env_depth = 0.0f,
      .amp_attack = 0.01f,
      .amp_decay = 0.3f,
      .amp_sustain = 0.7f,
      .amp_release = 0.3f,
      .drive = 0.0f,
  };
}

TrackMixerState starting_mixer_state() {
  return TrackMixerState{.volume = 0.8f,
                         .pan = 0.0f,
                         .muted = false,
                         .chorus_send = 0.0f,
                         .delay_send = 0.0f,
                         .reverb_send = 0.0f};
}

EffectsParams starting_effects_params() {
  return EffectsParams{
      .chorus_rate = 0.8f,
      .chorus_depth = 0.5f,
      .chorus_mix = 0.3f,
      .delay_time_l = 0.375f,
      .delay_time_r = 0.375f,
      .delay_feedback = 0.4f,
      .delay_mix = 0.3f,
      .delay_ping_pong = false,
      .reverb_decay = 0.6f,
      .reverb_damping = 0.7f,
      .reverb_mix = 0.3f,
      .reverb_predelay = 0.02f,
      .overdrive_drive = 0.0f,
      .overdrive_tone = 0.5f,
      .overdrive_mix = 1.0f,
      .dj_filter_cutoff = 0.5f,
      .dj_filter_resonance = 0.0f,
      .chorus_to_reverb = 0.0f,
      .delay_to_reverb = 0.0f,
  };
}

namespace {

constexpr std::uint8_t kFilterTypeCount = 6;
constexpr std::uint8_t kFallbackFilterType = 1;  // what the synth plays for an unknown type

float finite_or_zero(float value) { return std::isfinite(value) ? value : 0.0f; }

void make_finite(OperatorValues& values) {
  for (auto& value : values) value = finite_or_zero(value);
}

float unit(float value) { return clamp_finite(value, 0.0f, 1.0f); }

}  // namespace

void normalize(TrackSynthParams& params) {
  // The algorithm stays as stored: the synth reads it modulo its table, and a file round-trips.
  if (params.filter_type >= kFilterTypeCount) params.filter_type = kFallbackFilterType;
  for (auto* values : {&params.op_ratios, &params.op_levels, &params.op_feedback, &params.op_attack,
                       &params.op_decay, &params.op_end_level, &params.op_release}) {
    make_finite(*values);
  }
  for (auto* value : {&params.mix, &params.filter_cutoff, &params.filter_resonance,
                      &params.filter_env_depth, &params.amp_attack, &params.amp_decay,
                      &params.amp_sustain, &params.amp_release, &params.drive}) {
    *value = finite_or_zero(*value);
  }
}

void normalize(TrackMixerState& mixer) {
  mixer.volume = unit(mixer.volume);
  mixer.pan = clamp_finite(mixer.pan, -1.0f, 1.0f);
  mixer.chorus_send = unit(mixer.chorus_send);
  mixer.delay_send = unit(mixer.delay_send);
  mixer.reverb_send = unit(mixer.reverb_send);
}

void normalize(EffectsParams& effects) {
  effects.chorus_rate = clamp_finite(effects.chorus_rate, 0.1f, 5.0f);
  effects.chorus_depth = unit(effects.chorus_depth);
  effects.chorus_mix = unit(effects.chorus_mix);
  effects.delay_time_l = clamp_finite(effects.delay_time_l, 0.01f, 1.0f);
  effects.delay_time_r = clamp_finite(effects.delay_time_r, 0.01f, 1.0f);
  effects.delay_feedback = clamp_finite(effects.delay_feedback, 0.0f, 0.95f);
  effects.delay_mix = unit(effects.delay_mix);
  effects.reverb_decay = unit(effects.reverb_decay);
  effects.reverb_damping = unit(effects.reverb_damping);
  effects.reverb_mix = unit(effects.reverb_mix);
  effects.reverb_predelay = clamp_finite(effects.reverb_predelay, 0.0f, 0.1f);
  effects.overdrive_drive = unit(effects.overdrive_drive);
  effects.overdrive_tone = unit(effects.overdrive_tone);
  effects.overdrive_mix = unit(effects.overdrive_mix);
  effects.dj_filter_cutoff = unit(effects.dj_filter_cutoff);
  effects.dj_filter_resonance = unit(effects.dj_filter_resonance);
  effects.chorus_to_reverb = unit(effects.chorus_to_reverb);
  effects.delay_to_reverb = unit(effects.delay_to_reverb);
}

}  // namespace quorvelan::sequencer::types
