#include "sequencer/types.hpp"

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
  return TrackMixerState{.volume = 0.8f, .pan = 0.0f, .muted = false,
                         .chorus_send = 0.0f, .delay_send = 0.0f, .reverb_send = 0.0f};
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

}  // namespace quorvelan::sequencer::types
