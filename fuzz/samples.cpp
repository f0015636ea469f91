#include "samples.hpp"

#include "dx7/convert.hpp"
#include "dx7/factory.hpp"

namespace quorvelan::fuzz {

using namespace sequencer::pattern;

Pattern varied_pattern() {
  Pattern pattern = Pattern::default_pattern();
  pattern.name = "Varied";
  pattern.bpm = 133.5;
  pattern.swing_percent = 62.0f;
  pattern.effects = sequencer::types::starting_effects_params();
  const TrigCondition conditions[] = {
      TrigCondition::Always{},   TrigCondition::Probability{40}, TrigCondition::Fill{},
      TrigCondition::NotFill{},  TrigCondition::Pre{},           TrigCondition::NotPre{},
      TrigCondition::Nei{},      TrigCondition::NotNei{},        TrigCondition::First{},
      TrigCondition::NotFirst{}, TrigCondition::ModCount{2, 3}};
  Track& track = pattern.tracks[0];
  for (std::size_t i = 0; i < std::size(conditions); ++i) {
    Step& step = track.steps[i * 2];
    step.flags = i % 3 == 0 ? kStepOn | kStepAccent : kStepOn;
    step.note = static_cast<std::uint8_t>(48 + i);
    step.velocity = static_cast<std::uint8_t>(60 + i);
    step.gate_ticks = static_cast<std::uint16_t>(i * 7);
    step.micro_timing = static_cast<std::int8_t>(static_cast<int>(i) - 5);
    step.trig_condition = conditions[i];
  }
  track.steps[1].retrig = RetrigSettings{4, 0.5f, -3};
  track.length = 24;
  track.clock_division = ClockDivision::Triplet16;
  track.baseline_params[3] = 0.25f;
  Track& arp_track = pattern.tracks[1];
  arp_track.arp =
      ArpSettings{ArpMode::UpDown, ClockDivision::ThirtySecond, 75, 2, 5, {0, 3, 7, -12, 12}, true};
  arp_track.scale = ScaleType::Dorian;
  arp_track.scale_root = 2;
  arp_track.steps[0].flags = kStepOn;
  arp_track.steps[0].note = 60;
  pattern.plocks = {{0, 0, 5, 0.75f}, {1, 0, 12, 1e-7f}, {3, 63, 54, 0.3f}};
  return pattern;
}

sequencer::project::Project varied_project() {
  sequencer::project::Project project;
  project.name = "Fuzz seed";
  project.bpm = 97.25;
  project.patterns = {Pattern::default_pattern(), varied_pattern()};
  project.current_pattern = 1;
  const auto& voices = dx7::factory::ROM1A.voices();
  project.synth_params.emplace();
  for (std::size_t track = 0; track < kTrackCount; ++track) {
    (*project.synth_params)[track] = dx7::convert::convert_voice(voices[track * 7]);
  }
  project.effects = sequencer::types::starting_effects_params();
  project.mixer.emplace();
  project.mixer->fill(sequencer::types::starting_mixer_state());
  (*project.mixer)[2].muted = true;
  project.lfos.emplace();
  (*project.lfos)[0] = {true, lfo::LfoShape::Triangle, 2.5f, 0.5f,
                        lfo::ModTarget::SynthParam{1, 7}};
  (*project.lfos)[1] = {true,
                        lfo::LfoShape::SampleAndHold,
                        1.0f,
                        -0.25f,
                        lfo::ModTarget::EffectParam{2, 1},
                        0.4f,
                        true,
                        0.5f};
  (*project.lfos)[2].target = lfo::ModTarget::SendLevel{1};
  (*project.lfos)[3].target = lfo::ModTarget::LfoParam{0, 1};
  (*project.lfos)[3].trig_mode = lfo::LfoTrigMode::Half;
  (*project.lfos)[3].fade = -2.0f;
  project.midi_in_channels = {{1, 0, 16, 10}};
  return project;
}

}  // namespace quorvelan::fuzz
