#include "lfo_json.hpp"

#include <array>
#include <variant>

#include "effects/rack.hpp"
#include "json/record.hpp"
#include "json/variant.hpp"
#include "sequencer/pattern.hpp"
#include "synth/params.hpp"

namespace quorvelan::lfo_json {
namespace {

using lfo::ModTarget;

constexpr std::uint8_t kLfoParamCount = 2;  // rate, depth
// The parameters of each effect index: chorus, delay, reverb, overdrive, reverb feeds, DJ filter.
constexpr std::array<std::uint8_t, 6> kEffectParamCounts{3, 4, 4, 3, 2, 2};

struct TargetExists {
  bool operator()(ModTarget::None) const { return true; }
  bool operator()(ModTarget::SynthParam t) const {
    return t.track < sequencer::pattern::kTrackCount && t.param_id < synth::params::kParamCount;
  }
  bool operator()(ModTarget::EffectParam t) const {
    return t.effect < kEffectParamCounts.size() && t.param < kEffectParamCounts[t.effect];
  }
  bool operator()(ModTarget::SendLevel t) const { return t.send < effects::rack::kSendBusCount; }
  bool operator()(ModTarget::LfoParam t) const {
    return t.lfo < lfo::kLfoCount && t.param < kLfoParamCount;
  }
};

}  // namespace

void normalize_loaded(lfo::LfoConfig& config) {
  lfo::normalize(config);
  if (!std::visit(TargetExists{}, config.target.value())) config.target = ModTarget::None{};
}

}  // namespace quorvelan::lfo_json

namespace quorvelan::json {

using namespace lfo;

namespace {

constexpr auto kShapeForm = unit_enum_form<LfoShape, 8>(
    {"Sine", "Triangle", "SawUp", "SawDown", "Square", "Exponential", "Ramp", "SampleAndHold"});

constexpr auto kTrigModeForm =
    unit_enum_form<LfoTrigMode, 5>({"Free", "Trig", "Hold", "One", "Half"});

using MT = ModTarget;
constexpr auto kSynthParamForm = record_form<MT::SynthParam>(
    "struct variant ModTarget::SynthParam", required<&MT::SynthParam::track>("track"),
    required<&MT::SynthParam::param_id>("param_id"));
constexpr auto kEffectParamForm = record_form<MT::EffectParam>(
    "struct variant ModTarget::EffectParam", required<&MT::EffectParam::effect>("effect"),
    required<&MT::EffectParam::param>("param"));
constexpr auto kSendLevelForm = record_form<MT::SendLevel>("struct variant ModTarget::SendLevel",
                                                           required<&MT::SendLevel::send>("send"));
constexpr auto kLfoParamForm = record_form<MT::LfoParam>("struct variant ModTarget::LfoParam",
                                                         required<&MT::LfoParam::lfo>("lfo"),
                                                         required<&MT::LfoParam::param>("param"));

constexpr VariantForm<MT, 5> kTargetForm{
    {unit_alternative<MT, MT::None>("None"),
     fields_alternative<MT, MT::SynthParam, kSynthParamForm>("SynthParam"),
     fields_alternative<MT, MT::EffectParam, kEffectParamForm>("EffectParam"),
     fields_alternative<MT, MT::SendLevel, kSendLevelForm>("SendLevel"),
     fields_alternative<MT, MT::LfoParam, kLfoParamForm>("LfoParam")},
    alternative_index<MT>};

constexpr auto kConfigForm = record_form<LfoConfig>(
    "struct LfoConfig", required<&LfoConfig::enabled>("enabled"),
    required<&LfoConfig::shape>("shape"), required<&LfoConfig::rate>("rate"),
    required<&LfoConfig::depth>("depth"), required<&LfoConfig::target>("target"),
    required<&LfoConfig::base_value>("base_value"), required<&LfoConfig::sync>("sync"),
    required<&LfoConfig::sync_division>("sync_division"),
    required<&LfoConfig::phase_offset>("phase_offset"),
    defaulted<&LfoConfig::trig_mode, LfoTrigMode::Free>("trig_mode"),
    defaulted<&LfoConfig::fade, 0.0f>("fade"));

}  // namespace

QUORVELAN_JSON_DEFINE_CODEC(LfoShape, kShapeForm)
QUORVELAN_JSON_DEFINE_CODEC(LfoTrigMode, kTrigModeForm)
QUORVELAN_JSON_DEFINE_CODEC(ModTarget, kTargetForm)
QUORVELAN_JSON_DEFINE_CODEC(LfoConfig, kConfigForm)

}  // namespace quorvelan::json
