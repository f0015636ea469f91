#pragma once
// The continuous effect settings under the (effect, parameter) address the audio thread knows
// them by: 0 chorus, 1 delay, 2 reverb, 3 overdrive, 4 the feeds into the reverb, 5 DJ filter.
// The whole-state send, the LFO base lookup and the editors all find a setting here.

#include <array>
#include <cstdint>
#include <string_view>

#include "sequencer/types.hpp"

namespace quorvelan::ui::effect_fields {

using sequencer::types::EffectsParams;

struct EffectField {
  std::uint8_t effect;
  std::uint8_t param;
  float EffectsParams::*field;
  std::string_view label;  // as modulation targets are named, after "FX:"
};

// In the order the whole-state send puts them on the ring and the target picker lists them.
inline constexpr std::array kEffectFields{
    EffectField{0, 0, &EffectsParams::chorus_rate, "Chorus Rate"},
    EffectField{0, 1, &EffectsParams::chorus_depth, "Chorus Depth"},
    EffectField{0, 2, &EffectsParams::chorus_mix, "Chorus Mix"},
    EffectField{1, 0, &EffectsParams::delay_time_l, "Delay Time L"},
    EffectField{1, 1, &EffectsParams::delay_time_r, "Delay Time R"},
    EffectField{1, 2, &EffectsParams::delay_feedback, "Delay FB"},
    EffectField{1, 3, &EffectsParams::delay_mix, "Delay Mix"},
    EffectField{2, 0, &EffectsParams::reverb_decay, "Reverb Decay"},
    EffectField{2, 1, &EffectsParams::reverb_damping, "Reverb Damp"},
    EffectField{2, 2, &EffectsParams::reverb_mix, "Reverb Mix"},
    EffectField{2, 3, &EffectsParams::reverb_predelay, "Reverb PreDly"},
    EffectField{3, 0, &EffectsParams::overdrive_drive, "OD Drive"},
    EffectField{3, 1, &EffectsParams::overdrive_tone, "OD Tone"},
    EffectField{3, 2, &EffectsParams::overdrive_mix, "OD Mix"},
    EffectField{4, 0, &EffectsParams::chorus_to_reverb, "CHR>REV"},
    EffectField{4, 1, &EffectsParams::delay_to_reverb, "DEL>REV"},
    EffectField{5, 0, &EffectsParams::dj_filter_cutoff, "DJ Cutoff"},
    EffectField{5, 1, &EffectsParams::dj_filter_resonance, "DJ Reso"},
};

// The entry of an address; null for an address that names none (the ping-pong switch is no
// continuous setting and has none).
constexpr const EffectField* entry(std::uint8_t effect, std::uint8_t param) {
  for (const auto& field : kEffectFields) {
    if (field.effect == effect && field.param == param) return &field;
  }
  return nullptr;
}

// The setting at an address; null where entry() finds none.
template <typename Effects>  // EffectsParams, const or not
auto* find(Effects& effects, std::uint8_t effect, std::uint8_t param) {
  using Result = decltype(&(effects.*kEffectFields[0].field));
  const EffectField* at = entry(effect, param);
  return at ? Result{&(effects.*at->field)} : Result{nullptr};
}

}  // namespace quorvelan::ui::effect_fields
