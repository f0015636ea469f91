// The SEQ view's keys, after the global ones: the step grid (cursor, note entry with a sounding
// preview, the step-detail rows, clearing and accents) and the arpeggiator page of the current
// track. Every change goes into the current pattern and marks it for the audio thread.

#include <algorithm>
#include <array>
#include <utility>

#include "ui/app.hpp"
#include "ui/edit_keys.hpp"

namespace quorvelan::ui::app {
namespace {

namespace messages = audio::messages;
namespace pattern = sequencer::pattern;
using edit_keys::wrapped;
using pattern::TrigCondition;
using term::KeyCode;

constexpr int kDivisionCount = 8;  // Whole .. ThirtySecond
constexpr int kArpModeCount = 10;  // Off .. Chord
constexpr int kScaleCount = 9;     // Off .. Blues
constexpr int kRootCount = 12;     // C .. B
constexpr std::uint8_t kLastDetailRow = 6;
constexpr std::uint8_t kLastArpField = 8;

// The order in which the condition row steps through trig conditions.
const std::array<TrigCondition, 17> kTrigConditionRing{
    TrigCondition::Always{},        TrigCondition::Probability{50}, TrigCondition::Probability{75},
    TrigCondition::Probability{25}, TrigCondition::Fill{},          TrigCondition::NotFill{},
    TrigCondition::Pre{},           TrigCondition::NotPre{},        TrigCondition::Nei{},
    TrigCondition::NotNei{},        TrigCondition::First{},         TrigCondition::NotFirst{},
    TrigCondition::ModCount{1, 2},  TrigCondition::ModCount{1, 3},  TrigCondition::ModCount{1, 4},
    TrigCondition::ModCount{2, 3},  TrigCondition::ModCount{3, 4},
};

// The step-detail rows: how far Up/Down and [ / ] move a numeric row, and its limits. The
// Condition and Division rows move one value through their ring whatever the key.
enum DetailRow : std::uint8_t {
  kNote,
  kVelocity,
  kGate,
  kMicroTiming,
  kCondition,
  kLength,
  kDivision
};
struct RowSteps {
  int fine;
  int coarse;
  int low;
  int high;
};
constexpr std::array<RowSteps, 7> kDetailRows{{
    {1, 12, 0, 127},  // Note
    {5, 1, 1, 127},   // Velocity
    {6, 1, 0, 384},   // Gate, ticks; 0 plays the track's default gate
    {1, 6, -23, 23},  // Micro-timing, ticks
    {1, 1, 0, 0},     // Condition
    {1, 16, 1, 64},   // Length, steps
    {1, 1, 0, 0},     // Division
}};

enum ArpFieldIndex : std::uint8_t {
  kArpMode,
  kArpDivision,
  kArpGate,
  kArpOctaves,
  kArpLength,
  kArpLatch,
  kArpOffsets,
  kArpScale,
  kArpRoot,
};
constexpr int kArpGateArrowStep = 5;  // the brackets move the gate by 1

template <typename Number>
Number clamped_step(Number value, int amount, int low, int high) {
  return static_cast<Number>(std::clamp(int{value} + amount, low, high));
}

int direction(std::int8_t delta) { return delta >= 1 ? 1 : -1; }

// The note a step gets when it is switched on without one.
std::uint8_t default_note(const App& app) {
  return static_cast<std::uint8_t>(12 + 12 * app.octave);
}

// Every edit goes through here: the pattern becomes exclusively ours and is marked for sending.
pattern::Track& edited_track(App& app) {
  app.dirty = true;
  return app.mutable_current_pattern().tracks[app.current_track];
}
pattern::Step& edited_step(App& app) { return edited_track(app).steps[app.current_step]; }

void switch_on(App& app, pattern::Step& step) {
  if (step.flags & pattern::kStepOn) return;
  step.flags |= pattern::kStepOn;
  if (!step.note) step.note = default_note(app);
}

// Sounds a note on the current track until the next preview or the end of editing.
void preview(App& app, std::uint8_t note, std::uint8_t velocity) {
  app.release_all_held();
  app.audio_tx.push(messages::note_on(app.current_track, note, velocity));
  app.held_notes.emplace_back(app.current_track, note);
}

// One step left or right, never off the steps the track plays.
void move_cursor(App& app, int delta) {
  if (delta < 0) {
    if (app.current_step > 0) --app.current_step;
    return;
  }
  ++app.current_step;
  app.clamp_step_cursor();
}

void enter_note(App& app, std::uint8_t note) {
  auto& step = edited_step(app);
  step.note = note;
  step.flags |= pattern::kStepOn;
  preview(app, note, step.velocity);
  move_cursor(app, 1);
}

void clear_step(App& app) {
  edited_step(app) = pattern::Step{};
  app.mutable_current_pattern().clear_plocks(app.current_track, app.current_step);
}

void edit_detail_row(App& app, std::int8_t delta, bool coarse) {
  const std::uint8_t row = std::min(app.detail_row, kLastDetailRow);
  const auto& steps = kDetailRows[row];
  const int amount = (coarse ? steps.coarse : steps.fine) * delta;
  auto& track = edited_track(app);
  auto& step = track.steps[app.current_step];
  if (row <= kCondition) switch_on(app, step);
  switch (row) {
    case kNote:
      // A switched-on step without a note gets one to start from, whichever step size was asked.
      if (!step.note) {
        step.note = default_note(app);
        return;
      }
      step.note = clamped_step(*step.note, amount, steps.low, steps.high);
      preview(app, *step.note, step.velocity);
      return;
    case kVelocity:
      step.velocity = clamped_step(step.velocity, amount, steps.low, steps.high);
      return;
    case kGate:
      step.gate_ticks = clamped_step(step.gate_ticks, amount, steps.low, steps.high);
      return;
    case kMicroTiming:
      step.micro_timing = clamped_step(step.micro_timing, amount, steps.low, steps.high);
      return;
    case kCondition:
      step.trig_condition = App::cycle_trig_condition(step.trig_condition, delta);
      return;
    case kLength:
      track.length = clamped_step(track.length, amount, steps.low, steps.high);
      app.clamp_step_cursor();
      return;
    default:
      track.clock_division = wrapped(track.clock_division, direction(delta), kDivisionCount);
      return;
  }
}

void handle_grid_key(App& app, const term::KeyEvent& key) {
  const bool on =
      app.current_pattern_ref().tracks[app.current_track].steps[app.current_step].flags &
      pattern::kStepOn;
  switch (key.code) {
    case KeyCode::Left:
      return move_cursor(app, -1);
    case KeyCode::Right:
      return move_cursor(app, 1);
    case KeyCode::Enter:
      if (!on) switch_on(app, edited_step(app));
      app.editing = true;
      return;
    default:
      return;
  }
}

void handle_grid_editing_key(App& app, const term::KeyEvent& key) {
  if (key.code == KeyCode::BackTab || (key.code == KeyCode::F && key.function == 1)) {
    app.detail_row = app.detail_row == 0 ? kLastDetailRow : app.detail_row - 1;
    return;
  }
  switch (key.code) {
    case KeyCode::Backspace:
    case KeyCode::Delete:
      return clear_step(app);
    case KeyCode::Enter:
      edited_step(app).flags ^= pattern::kStepOn;
      return;
    case KeyCode::Left:
      return move_cursor(app, -1);
    case KeyCode::Right:
      return move_cursor(app, 1);
    case KeyCode::Up:
      return app.adjust_step_param(1);
    case KeyCode::Down:
      return app.adjust_step_param(-1);
    case KeyCode::Tab:
      app.detail_row = app.detail_row >= kLastDetailRow ? 0 : app.detail_row + 1;
      return;
    case KeyCode::Esc:
      app.release_all_held();
      app.editing = false;
      app.detail_row = 0;
      return;
    case KeyCode::Char:
      if (key.character == U'[') return app.adjust_step_param_coarse(-1);
      if (key.character == U']') return app.adjust_step_param_coarse(1);
      if (key.character == U'a') {
        edited_step(app).flags ^= pattern::kStepAccent;
        return;
      }
      if (auto note = midi::qwerty_to_note(key.character, app.octave)) enter_note(app, *note);
      return;
    default:
      return;
  }
}

void adjust_arp_field(App& app, int delta, bool arrow) {
  auto& track = edited_track(app);
  auto& arp = track.arp;
  switch (app.arp_field) {
    case kArpMode:
      arp.mode = wrapped(arp.mode, delta, kArpModeCount);
      return;
    case kArpDivision:
      arp.division = wrapped(arp.division, delta, kDivisionCount);
      return;
    case kArpGate:
      arp.gate_percent =
          clamped_step(arp.gate_percent, delta * (arrow ? kArpGateArrowStep : 1), 0, 100);
      return;
    case kArpOctaves:
      arp.octave_range = clamped_step(arp.octave_range, delta, 1, 4);
      return;
    case kArpLength:
      arp.length = clamped_step(arp.length, delta, 1, static_cast<int>(pattern::kArpOffsetCount));
      return;
    case kArpLatch:
      arp.latch = !arp.latch;
      return;
    case kArpOffsets: {
      auto& offset =
          arp.offsets[std::min<std::size_t>(app.arp_offset_index, pattern::kArpOffsetCount - 1)];
      offset = clamped_step(offset, delta, -12, 12);
      return;
    }
    case kArpScale:
      track.scale = wrapped(track.scale, delta, kScaleCount);
      return;
    default:
      track.scale_root = wrapped(track.scale_root, delta, kRootCount);
      return;
  }
}

void handle_arp_key(App& app, const term::KeyEvent& key) {
  const auto& arp = app.current_pattern_ref().tracks[app.current_track].arp;
  // Never past the sixteenth offset, whatever length a file brought with the arpeggiator off.
  const int last_offset =
      std::max(std::min<int>(arp.length, static_cast<int>(pattern::kArpOffsetCount)) - 1, 0);
  switch (key.code) {
    case KeyCode::Up:
      if (app.arp_field > 0) --app.arp_field;
      return;
    case KeyCode::Down:
      if (app.arp_field < kLastArpField) ++app.arp_field;
      return;
    case KeyCode::Left:
    case KeyCode::Right:
      if (app.arp_field != kArpOffsets) return;
      app.arp_offset_index = static_cast<std::uint8_t>(
          std::clamp(app.arp_offset_index + (key.code == KeyCode::Right ? 1 : -1), 0, last_offset));
      return;
    case KeyCode::Enter:
      app.editing = true;
      return;
    default:
      return;
  }
}

void handle_arp_editing_key(App& app, const term::KeyEvent& key) {
  if (edit_keys::ends_editing(key)) {
    app.editing = false;
    return;
  }
  // The arrows and the brackets step a field; the braces have no step here.
  const auto stroke = edit_keys::stroke(key);
  if (!stroke || stroke->pair == edit_keys::Pair::Braces) return;
  adjust_arp_field(app, stroke->sign, stroke->pair != edit_keys::Pair::Brackets);
}

}  // namespace

void App::handle_seq_key(const term::KeyEvent& key) {
  if (seq_page == SeqPage::Arp) {
    return editing ? handle_arp_editing_key(*this, key) : handle_arp_key(*this, key);
  }
  editing ? handle_grid_editing_key(*this, key) : handle_grid_key(*this, key);
}

void App::adjust_step_param(std::int8_t delta) { edit_detail_row(*this, delta, false); }

void App::adjust_step_param_coarse(std::int8_t delta) { edit_detail_row(*this, delta, true); }

TrigCondition App::cycle_trig_condition(const TrigCondition& condition, std::int8_t delta) {
  const auto found = std::ranges::find(kTrigConditionRing, condition);
  // A condition the ring does not hold (another probability or count) steps as if from Always.
  const int index =
      found == kTrigConditionRing.end() ? 0 : static_cast<int>(found - kTrigConditionRing.begin());
  return kTrigConditionRing[static_cast<std::size_t>(
      wrapped(index, direction(delta), static_cast<int>(kTrigConditionRing.size())))];
}

void App::release_all_held() {
  for (const auto& [track, note] : std::exchange(held_notes, {})) {
    audio_tx.push(messages::note_off(track, note));
  }
}

}  // namespace quorvelan::ui::app
