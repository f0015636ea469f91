#include "sequencer/mod.hpp"

#include <algorithm>
#include <cmath>
#include <utility>
#include <variant>

#include "numeric.hpp"
#include "overloaded.hpp"

namespace quorvelan::sequencer {

namespace {

using pattern::ArpMode;
using pattern::Step;
using pattern::TrigCondition;

constexpr double kMinBpm = 20.0;
constexpr double kMaxBpm = 300.0;
constexpr float kMinSwing = 0.5f;
constexpr float kMaxSwing = 0.99f;
constexpr std::uint8_t kAccentVelocity = 127;

bool arpeggiates(const pattern::Track& track) { return track.arp.mode != ArpMode::Off; }

std::int32_t micro_timing_of(const pattern::Track& track, std::uint8_t step) {
  return step < track.steps.size() ? track.steps[step].micro_timing : 0;
}

// The wait before a step with no micro-timing: a pair of steps of the track's division, split
// by the swing. The even step takes the larger share, truncated, and the odd step the rest, so
// that every pair lasts exactly its ticks: a swung track keeps the tempo and stays in step with
// tracks of other divisions.
std::int32_t swung_wait(const pattern::Track& track, std::uint8_t step, float swing) {
  const auto pair_ticks = 2 * static_cast<std::int32_t>(pattern::step_ticks(track.clock_division));
  const auto even_ticks = saturating_cast<std::int32_t>(static_cast<float>(pair_ticks) * swing);
  return std::max(1, step % 2 == 0 ? even_ticks : pair_ticks - even_ticks);
}

// The same draw for every Probability step of a track in one pass.
std::uint32_t probability_draw(std::uint8_t track, std::uint32_t loop) {
  return std::uint32_t{track} * 0x9E3779B1u + loop * 0x3C6EF35Fu;
}

}  // namespace

Sequencer::Sequencer(double sample_rate)
    : pattern_(std::make_unique<Pattern>(Pattern::default_pattern())), sample_rate_(sample_rate) {
  for (std::size_t t = 0; t < kTrackCount; ++t) arpeggiators_[t].refresh(pattern_->tracks[t]);
}

void Sequencer::play(NotePlayer& player) {
  for (std::uint8_t t = 0; t < kTrackCount; ++t) {
    // After a stop the voices are released already; in a running transport they still sound.
    if (running_) end_held_notes(t, player);
    TrackPlayState& state = tracks_[t];
    state.gate.reset();
    state.step = 0;
    state.ticks_since_boundary = 0;
    state.grid_shift = 0;
    arpeggiators_[t].refresh(pattern_->tracks[t]);
    arpeggiators_[t].restart();
  }
  sample_counter_ = 0.0;
  running_ = true;
}

void Sequencer::set_bpm(double bpm) {
  // An infinite tempo is limited like any other out of range; NaN has no side to be limited to.
  if (!std::isnan(bpm)) bpm_ = std::clamp(bpm, kMinBpm, kMaxBpm);
}

void Sequencer::set_mute(std::uint8_t track, bool muted) {
  if (track < kTrackCount) tracks_[track].muted = muted;
}

void Sequencer::set_pattern(std::unique_ptr<Pattern> pattern, NotePlayer& player) {
  for (std::uint8_t t = 0; t < kTrackCount; ++t) {
    // The path a note takes to its end changes with the arpeggiator: end it on the old one.
    const bool switches = arpeggiates(pattern_->tracks[t]) != arpeggiates(pattern->tracks[t]);
    if (switches && running_) end_held_notes(t, player);
  }
  pattern_ = std::move(pattern);
  for (std::size_t t = 0; t < kTrackCount; ++t) arpeggiators_[t].refresh(pattern_->tracks[t]);
}

void Sequencer::advance(std::size_t frames, NotePlayer& player) {
  if (!running_) return;
  for (std::size_t i = 0; i < frames; ++i) {
    sample_counter_ += 1.0;
    // Recomputed at every sample, so that a new tempo holds at once.
    const double samples_per_tick =
        sample_rate_ * 60.0 / (bpm_ * static_cast<double>(pattern::kTicksPerQuarter));
    if (sample_counter_ >= samples_per_tick) {
      sample_counter_ -= samples_per_tick;
      tick(player);
    }
  }
}

void Sequencer::tick(NotePlayer& player) {
  const float swing = std::clamp(pattern_->swing_percent / 100.0f, kMinSwing, kMaxSwing);
  for (std::uint8_t t = 0; t < kTrackCount; ++t) {
    const pattern::Track& track = pattern_->tracks[t];
    TrackPlayState& state = tracks_[t];
    if (arpeggiates(track))
      tick_arpeggiator(t, player);
    else
      tick_gate(t, player);

    ++state.ticks_since_boundary;
    const std::int32_t base = swung_wait(track, state.step, swing);
    const std::int32_t wait =
        std::max(1, base + micro_timing_of(track, state.step) - state.grid_shift);
    if (state.ticks_since_boundary < static_cast<std::uint32_t>(wait)) continue;
    boundary(t, wait, base, player);
  }
}

// A gate of N ticks ends N ticks after its step fired; one of 0 or 1 tick at the next tick.
void Sequencer::tick_gate(std::uint8_t track, NotePlayer& player) {
  auto& gate = tracks_[track].gate;
  if (gate && gate->ticks_left >= 2)
    --gate->ticks_left;
  else
    end_gate(track, player);
}

void Sequencer::end_gate(std::uint8_t track, NotePlayer& player) {
  auto& gate = tracks_[track].gate;
  if (!gate) return;
  const std::uint8_t note = gate->note;
  gate.reset();
  player.end_note(track, note);
}

void Sequencer::tick_arpeggiator(std::uint8_t track, NotePlayer& player) {
  const arpeggiator::ArpEvents events = arpeggiators_[track].tick();
  if (events.end) player.end_note(track, *events.end);
  if (events.start) player.start_note(track, *events.start, arpeggiator::kArpVelocity);
}

void Sequencer::boundary(std::uint8_t track, std::int32_t wait, std::int32_t base,
                         NotePlayer& player) {
  const pattern::Track& settings = pattern_->tracks[track];
  TrackPlayState& state = tracks_[track];
  // The shift counts the wait the step asked for. When a new pattern shortens the wait below
  // the ticks already gone, the step plays at once and the grid carries on from here: counting
  // the overdue ticks would fire the following steps a tick apart to catch up.
  state.grid_shift += wait - base;
  state.ticks_since_boundary = 0;

  const std::uint8_t k = state.step;
  // A track may hold fewer steps than its length says: those past the list never fire.
  if (k < settings.length && k < settings.steps.size()) {
    const Step& step = settings.steps[k];
    if (fires(track, step)) {
      if (arpeggiates(settings))
        arpeggiators_[track].add_note(*step.note);
      else
        play_step(track, step, player);
    }
  }
  if (++state.step >= settings.length) {
    state.step = 0;
    ++state.loop_counter;
  }
}

bool Sequencer::fires(std::uint8_t track, const Step& step) {
  if ((step.flags & pattern::kStepOn) == 0 || tracks_[track].muted) return false;
  // The condition runs before the note check: a step without a note still sets the result.
  return condition_passes(track, step.trig_condition) && step.note.has_value();
}

bool Sequencer::condition_passes(std::uint8_t track, const TrigCondition& condition) {
  const std::uint32_t loop = tracks_[track].loop_counter;
  bool& result = last_results_[track];
  const bool neighbour = last_results_[(track + kTrackCount - 1) % kTrackCount];
  // Sets the result to whether the step passes, and passes it on.
  auto decide = [&result](bool passes) { return result = passes; };
  return std::visit(Overloaded{
                        [&](TrigCondition::Always) { return decide(true); },
                        [&](TrigCondition::Probability p) {
                          return decide(probability_draw(track, loop) % 100 < p.percent);
                        },
                        [&](TrigCondition::Fill) { return decide(fill_); },
                        [&](TrigCondition::NotFill) { return decide(!fill_); },
                        [&](TrigCondition::Pre) { return result; },
                        [&](TrigCondition::NotPre) { return decide(!result); },
                        [&](TrigCondition::Nei) { return decide(neighbour); },
                        [&](TrigCondition::NotNei) { return decide(!neighbour); },
                        [&](TrigCondition::First) { return decide(loop == 0); },
                        [&](TrigCondition::NotFirst) { return decide(loop != 0); },
                        [&](TrigCondition::ModCount m) {
                          if (static_cast<std::uint8_t>(m.a - 1) >= m.b) return true;
                          return decide(loop % m.b + 1 == m.a);
                        },
                    },
                    condition.value());
}

void Sequencer::play_step(std::uint8_t track, const Step& step, NotePlayer& player) {
  const pattern::Track& settings = pattern_->tracks[track];
  end_gate(track, player);
  const std::uint8_t note =
      arpeggiator::scale_quantize(settings.scale, settings.scale_root, *step.note);
  const bool accented = (step.flags & pattern::kStepAccent) != 0;
  player.start_note(track, note, accented ? kAccentVelocity : step.velocity);
  tracks_[track].gate = Gate{.note = note, .ticks_left = settings.gate_ticks_of(step)};
}

void Sequencer::end_held_notes(std::uint8_t track, NotePlayer& player) {
  end_gate(track, player);
  if (const auto note = arpeggiators_[track].take_sounding()) player.end_note(track, *note);
}

}  // namespace quorvelan::sequencer
