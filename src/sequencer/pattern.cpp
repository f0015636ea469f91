#include "sequencer/pattern.hpp"

#include <algorithm>

#include "numeric.hpp"

namespace quorvelan::sequencer::pattern {

namespace {

constexpr std::array<std::uint32_t, 8> kStepTicks{384, 192, 96, 48, 32, 24, 16, 12};

constexpr std::uint8_t kMaxNote = 127;
constexpr std::uint16_t kMaxGateTicks = 384;  // a whole note
constexpr std::int8_t kMaxMicroTiming = 23;   // just under a sixteenth either way
constexpr std::uint8_t kMaxOctaveRange = 4;
constexpr std::int8_t kMaxArpOffset = 12;
constexpr std::uint8_t kNotesPerOctave = 12;

}  // namespace

std::uint32_t step_ticks(ClockDivision division) {
  const auto index = static_cast<std::size_t>(division);
  return index < kStepTicks.size() ? kStepTicks[index] : step_ticks(ClockDivision::Sixteenth);
}

Pattern Pattern::default_pattern() { return Pattern{}; }

void Pattern::clear_plocks(std::uint8_t track, std::uint8_t step) {
  std::erase_if(plocks, [track, step](const PLock& lock) {
    return lock.track == track && lock.step == step;
  });
}

void normalize(Step& step) {
  step.flags &= kStepOn | kStepAccent;
  if (step.note) step.note = std::min(*step.note, kMaxNote);
  step.velocity = std::clamp<std::uint8_t>(step.velocity, 1, kMaxNote);
  step.gate_ticks = std::min(step.gate_ticks, kMaxGateTicks);
  step.micro_timing = std::clamp<std::int8_t>(step.micro_timing, -kMaxMicroTiming, kMaxMicroTiming);
}

void normalize(ArpSettings& arp) {
  arp.gate_percent = std::min<std::uint8_t>(arp.gate_percent, 100);
  arp.octave_range = std::clamp<std::uint8_t>(arp.octave_range, 1, kMaxOctaveRange);
  arp.length = std::clamp<std::uint8_t>(arp.length, 1, static_cast<std::uint8_t>(kArpOffsetCount));
  for (auto& offset : arp.offsets) {
    offset = std::clamp<std::int8_t>(offset, -kMaxArpOffset, kMaxArpOffset);
  }
}

void normalize(Track& track) {
  if (track.steps.size() < kStepCount) track.steps.resize(kStepCount);
  for (auto& step : track.steps) normalize(step);
  track.length = std::clamp<std::uint8_t>(track.length, 1, static_cast<std::uint8_t>(kStepCount));
  normalize(track.arp);
  // The root is a pitch class: 12 is C again.
  track.scale_root %= kNotesPerOctave;
}

void normalize(Pattern& pattern) {
  for (auto& track : pattern.tracks) normalize(track);
  pattern.bpm = clamp_finite(pattern.bpm, kMinBpm, kMaxBpm);
  pattern.swing_percent = clamp_finite(pattern.swing_percent, 0.0f, 100.0f);
  if (pattern.effects) types::normalize(*pattern.effects);
}

}  // namespace quorvelan::sequencer::pattern
