#include "sequencer/pattern_json.hpp"

#include <algorithm>

#include "json/record.hpp"
#include "json/variant.hpp"
#include "sequencer/types_json.hpp"

namespace quorvelan::sequencer::pattern_json {

void normalize_loaded(pattern::Pattern& pattern) {
  pattern::normalize(pattern);
  // Playback counts loops modulo b.
  for (pattern::Track& track : pattern.tracks) {
    for (pattern::Step& step : track.steps) {
      if (auto* mod_count =
              std::get_if<pattern::TrigCondition::ModCount>(&step.trig_condition.value())) {
        if (mod_count->b == 0)
          step.trig_condition = pattern::TrigCondition::ModCount{mod_count->a, 1};
      }
    }
  }
}

}  // namespace quorvelan::sequencer::pattern_json

namespace quorvelan::json {

using namespace sequencer::pattern;

namespace {

constexpr auto kClockDivisionForm = unit_enum_form<ClockDivision, 8>(
    {"Whole", "Half", "Quarter", "Eighth", "Triplet8", "Sixteenth", "Triplet16", "ThirtySecond"});

constexpr auto kArpModeForm =
    unit_enum_form<ArpMode, 10>({"Off", "Up", "Down", "UpDown", "DownUp", "Converge", "Diverge",
                                 "Random", "PlayedOrder", "Chord"});

constexpr auto kScaleTypeForm = unit_enum_form<ScaleType, 9>(
    {"Off", "Major", "Minor", "Dorian", "Phrygian", "Lydian", "Mixolydian", "Pentatonic", "Blues"});

using TC = TrigCondition;
constexpr auto kModCountForm =
    record_form<TC::ModCount>("struct variant TrigCondition::ModCount",
                              required<&TC::ModCount::a>("a"), required<&TC::ModCount::b>("b"));

constexpr VariantForm<TC, 11> kTrigConditionForm{
    {unit_alternative<TC, TC::Always>("Always"),
     value_alternative<TC, TC::Probability, &TC::Probability::percent>("Probability"),
     unit_alternative<TC, TC::Fill>("Fill"), unit_alternative<TC, TC::NotFill>("NotFill"),
     unit_alternative<TC, TC::Pre>("Pre"), unit_alternative<TC, TC::NotPre>("NotPre"),
     unit_alternative<TC, TC::Nei>("Nei"), unit_alternative<TC, TC::NotNei>("NotNei"),
     unit_alternative<TC, TC::First>("First"), unit_alternative<TC, TC::NotFirst>("NotFirst"),
     fields_alternative<TC, TC::ModCount, kModCountForm>("ModCount")},
    alternative_index<TC>};

constexpr auto kRetrigForm =
    record_form<RetrigSettings>("struct RetrigSettings", required<&RetrigSettings::rate>("rate"),
                                required<&RetrigSettings::length_steps>("length_steps"),
                                required<&RetrigSettings::velocity_curve>("velocity_curve"));

constexpr auto kStepForm = record_form<Step>(
    "struct Step", required<&Step::flags>("flags"), optional<&Step::note>("note"),
    required<&Step::velocity>("velocity"), required<&Step::gate_ticks>("gate_ticks"),
    required<&Step::micro_timing>("micro_timing"),
    required<&Step::trig_condition>("trig_condition"), optional<&Step::retrig>("retrig"));

constexpr auto kPLockForm = record_form<PLock>(
    "struct PLock", required<&PLock::track>("track"), required<&PLock::step>("step"),
    required<&PLock::param_id>("param_id"), required<&PLock::value>("value"));

constexpr auto kArpForm = record_form<ArpSettings>(
    "struct ArpSettings", required<&ArpSettings::mode>("mode"),
    required<&ArpSettings::division>("division"),
    required<&ArpSettings::gate_percent>("gate_percent"),
    required<&ArpSettings::octave_range>("octave_range"), required<&ArpSettings::length>("length"),
    required<&ArpSettings::offsets>("offsets"), required<&ArpSettings::latch>("latch"));

constexpr auto kTrackForm = record_form<Track>(
    "struct Track", required<&Track::steps>("steps"), required<&Track::length>("length"),
    required<&Track::clock_division>("clock_division"),
    required<&Track::default_gate_ticks>("default_gate_ticks"),
    required<&Track::default_velocity>("default_velocity"),
    required<&Track::baseline_params>("baseline_params"), required<&Track::arp>("arp"),
    defaulted<&Track::scale, ScaleType::Off>("scale"),
    defaulted<&Track::scale_root, std::uint8_t{0}>("scale_root"));

constexpr auto kPatternForm = record_form<Pattern>(
    "struct Pattern", required<&Pattern::tracks>("tracks"), required<&Pattern::plocks>("plocks"),
    required<&Pattern::bpm>("bpm"), required<&Pattern::swing_percent>("swing_percent"),
    required<&Pattern::name>("name"), trailing_optional<&Pattern::effects>("effects"));

}  // namespace

QUORVELAN_JSON_DEFINE_CODEC(ClockDivision, kClockDivisionForm)
QUORVELAN_JSON_DEFINE_CODEC(ArpMode, kArpModeForm)
QUORVELAN_JSON_DEFINE_CODEC(ScaleType, kScaleTypeForm)
QUORVELAN_JSON_DEFINE_CODEC(TrigCondition, kTrigConditionForm)
QUORVELAN_JSON_DEFINE_CODEC(RetrigSettings, kRetrigForm)
QUORVELAN_JSON_DEFINE_CODEC(Step, kStepForm)
QUORVELAN_JSON_DEFINE_CODEC(PLock, kPLockForm)
QUORVELAN_JSON_DEFINE_CODEC(ArpSettings, kArpForm)
QUORVELAN_JSON_DEFINE_CODEC(Track, kTrackForm)
QUORVELAN_JSON_DEFINE_CODEC(Pattern, kPatternForm)

}  // namespace quorvelan::json
