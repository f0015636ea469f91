#include "sequencer/types_json.hpp"

#include "json/record.hpp"

namespace quorvelan::json {

using sequencer::types::EffectsParams;
using sequencer::types::TrackMixerState;
using sequencer::types::TrackSynthParams;

namespace {

// Files written before release times existed lack "op_release".
constexpr auto kSynthForm = record_form<TrackSynthParams>(
    "struct TrackSynthParams", required<&TrackSynthParams::algorithm>("algorithm"),
    required<&TrackSynthParams::mix>("mix"), required<&TrackSynthParams::op_ratios>("op_ratios"),
    required<&TrackSynthParams::op_levels>("op_levels"),
    required<&TrackSynthParams::op_feedback>("op_feedback"),
    required<&TrackSynthParams::op_attack>("op_attack"),
    required<&TrackSynthParams::op_decay>("op_decay"),
    required<&TrackSynthParams::op_end_level>("op_end_level"),
    defaulted<&TrackSynthParams::op_release, TrackSynthParams::kDefaultOpRelease>("op_release"),
    required<&TrackSynthParams::filter_type>("filter_type"),
    required<&TrackSynthParams::filter_cutoff>("filter_cutoff"),
    required<&TrackSynthParams::filter_resonance>("filter_resonance"),
    required<&TrackSynthParams::filter_env_depth>("filter_env_depth"),
    required<&TrackSynthParams::amp_attack>("amp_attack"),
    required<&TrackSynthParams::amp_decay>("amp_decay"),
    required<&TrackSynthParams::amp_sustain>("amp_sustain"),
    required<&TrackSynthParams::amp_release>("amp_release"),
    required<&TrackSynthParams::drive>("drive"));

constexpr auto kMixerForm = record_form<TrackMixerState>(
    "struct TrackMixerState", required<&TrackMixerState::volume>("volume"),
    required<&TrackMixerState::pan>("pan"), required<&TrackMixerState::muted>("muted"),
    required<&TrackMixerState::chorus_send>("chorus_send"),
    required<&TrackMixerState::delay_send>("delay_send"),
    required<&TrackMixerState::reverb_send>("reverb_send"));

constexpr auto kEffectsForm = record_form<EffectsParams>(
    "struct EffectsParams", required<&EffectsParams::chorus_rate>("chorus_rate"),
    required<&EffectsParams::chorus_depth>("chorus_depth"),
    required<&EffectsParams::chorus_mix>("chorus_mix"),
    required<&EffectsParams::delay_time_l>("delay_time_l"),
    required<&EffectsParams::delay_time_r>("delay_time_r"),
    required<&EffectsParams::delay_feedback>("delay_feedback"),
    required<&EffectsParams::delay_mix>("delay_mix"),
    required<&EffectsParams::delay_ping_pong>("delay_ping_pong"),
    required<&EffectsParams::reverb_decay>("reverb_decay"),
    required<&EffectsParams::reverb_damping>("reverb_damping"),
    required<&EffectsParams::reverb_mix>("reverb_mix"),
    required<&EffectsParams::reverb_predelay>("reverb_predelay"),
    required<&EffectsParams::overdrive_drive>("overdrive_drive"),
    required<&EffectsParams::overdrive_tone>("overdrive_tone"),
    required<&EffectsParams::overdrive_mix>("overdrive_mix"),
    required<&EffectsParams::dj_filter_cutoff>("dj_filter_cutoff"),
    required<&EffectsParams::dj_filter_resonance>("dj_filter_resonance"),
    required<&EffectsParams::chorus_to_reverb>("chorus_to_reverb"),
    required<&EffectsParams::delay_to_reverb>("delay_to_reverb"));

}  // namespace

QUORVELAN_JSON_DEFINE_CODEC(TrackSynthParams, kSynthForm)
QUORVELAN_JSON_DEFINE_CODEC(TrackMixerState, kMixerForm)
QUORVELAN_JSON_DEFINE_CODEC(EffectsParams, kEffectsForm)

}  // namespace quorvelan::json
