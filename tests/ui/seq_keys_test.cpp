// Step editing and the arpeggiator page, driven by key presses: what each key sequence leaves in
// the pattern and the cursors, and what reaches the audio thread (notes, and one pattern per pass).

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "preset.hpp"
#include "support/temp_home.hpp"
#include "ui/harness.hpp"

namespace quorvelan::ui::app {
namespace {

namespace messages = audio::messages;
namespace pattern = sequencer::pattern;
using pattern::ArpMode;
using pattern::ClockDivision;
using pattern::ScaleType;
using pattern::TrigCondition;
using term::KeyCode;
using term::KeyEvent;

// The messages sent, in a form tables can spell out.
std::string describe(const messages::AudioMessage& message) {
  return message.visit([](const auto& held) -> std::string {
    using Held = std::decay_t<decltype(held)>;
    if constexpr (std::is_same_v<Held, messages::AudioMessage::NoteOn>) {
      return fmt::format("on {} {} {}", held.track, held.note, held.velocity);
    } else if constexpr (std::is_same_v<Held, messages::AudioMessage::NoteOff>) {
      return fmt::format("off {} {}", held.track, held.note);
    } else if constexpr (std::is_same_v<Held, messages::AudioMessage::SetBpm>) {
      return fmt::format("bpm {}", held.bpm);
    } else if constexpr (std::is_same_v<Held, messages::AudioMessage::SetPattern>) {
      return "pattern";
    } else {
      return fmt::format("tag {}", static_cast<int>(held.tag));
    }
  });
}

// The SEQ view of a new project, nothing sent yet.
Harness seq_harness() {
  auto h = Harness::make();
  h.press({key(KeyCode::Enter)});
  h.app.flush_pattern_sync();
  h.drain_sent();
  return h;
}

// Presses the keys, lets the main loop pass once, and returns what was sent.
std::vector<std::string> run(Harness& h, const std::vector<KeyEvent>& keys) {
  for (const auto& k : keys) h.app.handle_key(k);
  h.app.flush_pattern_sync();
  std::vector<std::string> sent;
  for (const auto& message : h.drain_sent()) sent.push_back(describe(message));
  return sent;
}

const pattern::Track& track_of(const Harness& h, std::uint8_t track = 0) {
  return h.app.current_pattern_ref().tracks[track];
}
const pattern::Step& step_of(const Harness& h, std::size_t index, std::uint8_t track = 0) {
  return track_of(h, track).steps[index];
}

constexpr std::uint8_t kOn = pattern::kStepOn;
constexpr std::uint8_t kAccent = pattern::kStepAccent;

using Strings = std::vector<std::string>;

TEST(SeqGridKeys, CursorEnterAndNoteEntry) {
  const KeyEvent left = key(KeyCode::Left), right = key(KeyCode::Right);
  const KeyEvent enter = key(KeyCode::Enter), esc = key(KeyCode::Esc);
  struct Case {
    const char* name;
    std::uint8_t start_step;
    std::vector<KeyEvent> keys;
    std::uint8_t cursor;
    bool editing;
    Strings sent;
    std::function<void(const Harness&)> check;
  };
  const std::vector<Case> cases{
      {"Left stops at the first step", 0, {left, left}, 0, false, {}, nullptr},
      {"Right stops at the last step of the length",
       14,
       {right, right, right},
       15,
       false,
       {},
       nullptr},
      {"other keys do nothing while not editing",
       3,
       {ch('z'), ch('a'), ch(']'), key(KeyCode::Delete)},
       3,
       false,
       {},
       nullptr},
      {"Enter on an empty step switches it on with the octave's default note",
       1,
       {enter},
       1,
       true,
       {"pattern"},
       [](const Harness& h) {
         EXPECT_EQ(step_of(h, 1).flags, kOn);
         EXPECT_EQ(step_of(h, 1).note, 60);
       }},
      {"Enter on a step that is on only starts editing", 0, {enter}, 0, true, {}, nullptr},
      {"a note key enters the note, sounds it and moves on",
       2,
       {enter, ch('z')},
       3,
       true,
       {"on 0 72 100", "pattern"},
       [](const Harness& h) {
         EXPECT_EQ(step_of(h, 2).note, 72);
         EXPECT_EQ(h.app.held_notes, (std::vector<std::pair<std::uint8_t, std::uint8_t>>{{0, 72}}));
       }},
      {"the next note releases the previous one; upper case reaches the note map",
       5,
       {enter, ch('z'), ch('S'), ch('Q')},
       8,
       true,
       {"on 0 72 100", "off 0 72", "on 0 73 100", "off 0 73", "on 0 84 100", "pattern"},
       [](const Harness& h) {
         EXPECT_EQ(step_of(h, 6).note, 73);
         EXPECT_EQ(step_of(h, 7).note, 84);
         EXPECT_EQ(step_of(h, 7).flags, kOn);
       }},
      {"a note on the last step writes it and stays there",
       15,
       {enter, ch('x'), ch('c')},
       15,
       true,
       {"on 0 74 100", "off 0 74", "on 0 76 100", "pattern"},
       [](const Harness& h) { EXPECT_EQ(step_of(h, 15).note, 76); }},
      {"global keys win while editing: d lowers the tempo, s opens the save dialog",
       1,
       {enter, ch('d'), ch('s')},
       1,
       true,
       {"bpm 119", "pattern"},
       [](const Harness& h) {
         EXPECT_TRUE(h.app.dialog_open);
         EXPECT_EQ(step_of(h, 1).note, 60);
       }},
      {"a toggles the accent and never enters a note",
       0,
       {enter, ch('a')},
       0,
       true,
       {"pattern"},
       [](const Harness& h) { EXPECT_EQ(step_of(h, 0).flags, kOn | kAccent); }},
      {"Enter while editing toggles the step, editing goes on",
       0,
       {enter, enter},
       0,
       true,
       {"pattern"},
       [](const Harness& h) {
         EXPECT_EQ(step_of(h, 0).flags, 0);
         EXPECT_EQ(step_of(h, 0).note, 36);
       }},
      {"arrows move the edited step", 0, {enter, right, right, left}, 1, true, {}, nullptr},
      {"Esc releases the held note and ends editing on the first row",
       0,
       {enter, key(KeyCode::Tab), key(KeyCode::Tab), ch('v'), esc},
       1,
       false,
       {"on 0 77 120", "off 0 77", "pattern"},
       [](const Harness& h) {
         EXPECT_TRUE(h.app.held_notes.empty());
         EXPECT_EQ(h.app.detail_row, 0);
       }},
      {"keys without a note do nothing",
       0,
       {enter, ch('k'), ch('1' + 8), ch('A')},
       0,
       true,
       {},
       nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto h = seq_harness();
    h.app.current_step = c.start_step;
    EXPECT_EQ(run(h, c.keys), c.sent);
    EXPECT_EQ(h.app.current_step, c.cursor);
    EXPECT_EQ(h.app.editing, c.editing);
    if (c.check) c.check(h);
  }
}

TEST(SeqGridKeys, ClearingAStepResetsItAndRemovesOnlyItsLocks) {
  for (auto clear : {key(KeyCode::Delete), key(KeyCode::Backspace)}) {
    auto h = seq_harness();
    auto& edited = h.app.mutable_current_pattern();
    auto& step = edited.tracks[0].steps[4];
    step.flags = kOn | kAccent;
    step.velocity = 30;
    step.gate_ticks = 48;
    step.micro_timing = -5;
    step.trig_condition = TrigCondition::Fill{};
    step.retrig = pattern::RetrigSettings{.rate = 2};
    edited.plocks = {{0, 4, 1, 0.5f}, {0, 5, 1, 0.5f}, {1, 4, 2, 0.5f}, {0, 4, 3, 0.5f}};
    h.app.current_step = 4;
    EXPECT_EQ(run(h, {key(KeyCode::Enter), clear}), Strings{"pattern"});
    EXPECT_EQ(step_of(h, 4), pattern::Step{});
    EXPECT_EQ(h.app.current_pattern_ref().plocks,
              (std::vector<pattern::PLock>{{0, 5, 1, 0.5f}, {1, 4, 2, 0.5f}}));
  }
}

TEST(SeqGridKeys, EditsCopyASharedPatternInsteadOfChangingIt) {
  auto h = seq_harness();
  const auto shared = h.app.patterns[0];
  run(h, {key(KeyCode::Enter), ch('a')});
  EXPECT_NE(h.app.patterns[0], shared);
  EXPECT_EQ(shared->tracks[0].steps[0].flags, kOn);
  EXPECT_EQ(step_of(h, 0).flags, kOn | kAccent);
}

TEST(SeqDetailRows, FineAndCoarseStepsStopAtTheirLimits) {
  const KeyEvent up = key(KeyCode::Up), down = key(KeyCode::Down);
  const KeyEvent coarse_up = ch(']'), coarse_down = ch('[');
  using StepEdit = std::function<void(pattern::Step&)>;
  struct Case {
    const char* name;
    std::uint8_t row;
    StepEdit before;
    std::vector<KeyEvent> keys;
    StepEdit expect;  // applied to the step as it was: the step it must become
    Strings sent;
  };
  auto on_with = [](std::optional<std::uint8_t> note) {
    return [note](pattern::Step& s) {
      s.flags = kOn;
      s.note = note;
    };
  };
  const std::vector<Case> cases{
      {"Up on an empty step's note switches it on at 60, raises it and sounds it",
       0,
       nullptr,
       {up},
       [](pattern::Step& s) {
         s.flags = kOn;
         s.note = 61;
       },
       {"on 3 61 100", "pattern"}},
      {"the coarse note step is an octave and stops at 127",
       0,
       on_with(120),
       {coarse_down, coarse_up, coarse_up},
       on_with(127),
       {"on 3 108 100", "off 3 108", "on 3 120 100", "off 3 120", "on 3 127 100", "pattern"}},
      {"the note stops at 0",
       0,
       on_with(1),
       {down, down},
       on_with(0),
       {"on 3 0 100", "off 3 0", "on 3 0 100", "pattern"}},
      {"a step that is on without a note gets the default note, unheard (fine)",
       0,
       on_with(std::nullopt),
       {up},
       on_with(60),
       {"pattern"}},
      {"a step that is on without a note gets the default note, unheard (coarse)",
       0,
       on_with(std::nullopt),
       {coarse_up},
       on_with(60),
       {"pattern"}},
      {"Up on an empty step's velocity switches it on at 60 and adds 5",
       1,
       nullptr,
       {up},
       [](pattern::Step& s) {
         s.flags = kOn;
         s.note = 60;
         s.velocity = 105;
       },
       {"pattern"}},
      {"velocity never goes below 1 and moves 1 with the brackets",
       1,
       [](pattern::Step& s) { s.velocity = 7; },
       {down, down, coarse_up},
       [](pattern::Step& s) {
         s.flags = kOn;
         s.note = 60;
         s.velocity = 2;
       },
       {"pattern"}},
      {"velocity stops at 127",
       1,
       [](pattern::Step& s) { s.velocity = 125; },
       {up},
       [](pattern::Step& s) {
         s.flags = kOn;
         s.note = 60;
         s.velocity = 127;
       },
       {"pattern"}},
      {"gate moves 6 and stops at 384",
       2,
       [](pattern::Step& s) { s.gate_ticks = 380; },
       {up, coarse_down},
       [](pattern::Step& s) {
         s.flags = kOn;
         s.note = 60;
         s.gate_ticks = 383;
       },
       {"pattern"}},
      {"gate stops at 0",
       2,
       [](pattern::Step& s) { s.gate_ticks = 4; },
       {down},
       [](pattern::Step& s) {
         s.flags = kOn;
         s.note = 60;
         s.gate_ticks = 0;
       },
       {"pattern"}},
      {"micro-timing moves 6 with the brackets and stops at 23",
       3,
       [](pattern::Step& s) { s.micro_timing = 20; },
       {coarse_up, down},
       [](pattern::Step& s) {
         s.flags = kOn;
         s.note = 60;
         s.micro_timing = 22;
       },
       {"pattern"}},
      {"micro-timing stops at -23",
       3,
       [](pattern::Step& s) { s.micro_timing = -20; },
       {coarse_down, down},
       [](pattern::Step& s) {
         s.flags = kOn;
         s.note = 60;
         s.micro_timing = -23;
       },
       {"pattern"}},
      {"the condition steps one ring place with either key",
       4,
       nullptr,
       {up, coarse_up, down},
       [](pattern::Step& s) {
         s.flags = kOn;
         s.note = 60;
         s.trig_condition = TrigCondition::Probability{50};
       },
       {"pattern"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto h = seq_harness();
    pattern::Step& step = h.app.mutable_current_pattern().tracks[3].steps[2];
    if (c.before) c.before(step);
    pattern::Step expected = step;
    c.expect(expected);
    h.app.current_track = 3;
    h.app.current_step = 2;
    h.app.editing = true;
    h.app.detail_row = c.row;
    EXPECT_EQ(run(h, c.keys), c.sent);
    EXPECT_EQ(step_of(h, 2, 3), expected);
  }
}

TEST(SeqDetailRows, TrackRowsChangeLengthAndDivisionAndTabWalksTheRows) {
  struct Case {
    const char* name;
    std::uint8_t length;
    ClockDivision division;
    std::uint8_t cursor;
    std::vector<KeyEvent> keys;  // from the Note row, editing
    std::uint8_t expect_length;
    ClockDivision expect_division;
    std::uint8_t expect_cursor;
  };
  const KeyEvent tab = key(KeyCode::Tab), back = key(KeyCode::BackTab), f1 = function_key(1);
  const std::vector<Case> cases{
      {"coarse length is 16 and stops at 64",
       60,
       ClockDivision::Sixteenth,
       0,
       {back, back, ch(']')},
       64,
       ClockDivision::Sixteenth,
       0},
      {"length stops at 1 and pulls the cursor onto the new last step",
       16,
       ClockDivision::Sixteenth,
       12,
       {f1, f1, ch('['), key(KeyCode::Down)},
       1,
       ClockDivision::Sixteenth,
       0},
      {"a shorter length moves the cursor to its last step",
       16,
       ClockDivision::Sixteenth,
       12,
       {back, back, key(KeyCode::Down), key(KeyCode::Down), key(KeyCode::Down), key(KeyCode::Down)},
       12,
       ClockDivision::Sixteenth,
       11},
      {"division wraps from Whole back to ThirtySecond",
       16,
       ClockDivision::Whole,
       0,
       {back, key(KeyCode::Down)},
       16,
       ClockDivision::ThirtySecond,
       0},
      {"division wraps from ThirtySecond on to Whole",
       16,
       ClockDivision::ThirtySecond,
       0,
       {tab, tab, tab, tab, tab, tab, ch(']')},
       16,
       ClockDivision::Whole,
       0},
      {"Tab wraps from the last row to the first; F2 does nothing",
       16,
       ClockDivision::Sixteenth,
       0,
       {back, tab, function_key(2), back, ch(']'), back, key(KeyCode::Up)},
       17,
       ClockDivision::Triplet16,
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto h = seq_harness();
    auto& track = h.app.mutable_current_pattern().tracks[0];
    track.length = c.length;
    track.clock_division = c.division;
    h.app.current_step = c.cursor;
    h.app.editing = true;
    EXPECT_EQ(run(h, c.keys), Strings{"pattern"});
    EXPECT_EQ(track_of(h).length, c.expect_length);
    EXPECT_EQ(track_of(h).clock_division, c.expect_division);
    EXPECT_EQ(h.app.current_step, c.expect_cursor);
  }
}

TEST(SeqTrigConditions, TheRingWalksInItsOrderAndUnknownConditionsStartFromAlways) {
  const std::vector<TrigCondition> ring{
      TrigCondition::Always{},        TrigCondition::Probability{50},
      TrigCondition::Probability{75}, TrigCondition::Probability{25},
      TrigCondition::Fill{},          TrigCondition::NotFill{},
      TrigCondition::Pre{},           TrigCondition::NotPre{},
      TrigCondition::Nei{},           TrigCondition::NotNei{},
      TrigCondition::First{},         TrigCondition::NotFirst{},
      TrigCondition::ModCount{1, 2},  TrigCondition::ModCount{1, 3},
      TrigCondition::ModCount{1, 4},  TrigCondition::ModCount{2, 3},
      TrigCondition::ModCount{3, 4}};
  for (std::size_t i = 0; i < ring.size(); ++i) {
    EXPECT_EQ(App::cycle_trig_condition(ring[i], 1), ring[(i + 1) % ring.size()]) << i;
    EXPECT_EQ(App::cycle_trig_condition(ring[(i + 1) % ring.size()], -1), ring[i]) << i;
  }
  struct Case {
    TrigCondition from;
    std::int8_t delta;
    TrigCondition to;
  };
  for (const auto& c : {Case{TrigCondition::Probability{30}, 1, TrigCondition::Probability{50}},
                        Case{TrigCondition::Probability{30}, -1, TrigCondition::ModCount{3, 4}},
                        Case{TrigCondition::ModCount{2, 4}, 3, TrigCondition::Probability{50}},
                        Case{TrigCondition::ModCount{3, 4}, 0, TrigCondition::ModCount{2, 3}}}) {
    EXPECT_EQ(App::cycle_trig_condition(c.from, c.delta), c.to);
  }
}

TEST(SeqArpKeys, FieldsStepWrapAndStopAsTheirRangesSay) {
  const KeyEvent up = key(KeyCode::Up), down = key(KeyCode::Down), left = key(KeyCode::Left),
                 right = key(KeyCode::Right), enter = key(KeyCode::Enter);
  using TrackEdit = std::function<void(pattern::Track&)>;
  struct Case {
    const char* name;
    std::uint8_t field;
    TrackEdit before;
    std::vector<KeyEvent> keys;  // starting on the field, not editing
    TrackEdit expect;
  };
  const std::vector<Case> cases{
      {"mode wraps from Chord to Off",
       0,
       [](auto& t) { t.arp.mode = ArpMode::Chord; },
       {enter, up},
       [](auto& t) { t.arp.mode = ArpMode::Off; }},
      {"mode steps back with Left and the bracket",
       0,
       nullptr,
       {enter, left, ch('[')},
       [](auto& t) { t.arp.mode = ArpMode::PlayedOrder; }},
      {"division wraps both ways",
       1,
       [](auto& t) { t.arp.division = ClockDivision::Whole; },
       {enter, down, down, ch(']')},
       [](auto& t) { t.arp.division = ClockDivision::ThirtySecond; }},
      {"gate moves 5 with arrows, 1 with brackets, stops at 100",
       2,
       [](auto& t) { t.arp.gate_percent = 93; },
       {enter, up, ch(']'), right, ch(']')},
       [](auto& t) { t.arp.gate_percent = 100; }},
      {"gate stops at 0",
       2,
       [](auto& t) { t.arp.gate_percent = 3; },
       {enter, down, ch(']')},
       [](auto& t) { t.arp.gate_percent = 1; }},
      {"octaves stay within 1 to 4",
       3,
       nullptr,
       {enter, down, up, up, up, up, up},
       [](auto& t) { t.arp.octave_range = 4; }},
      {"length stays within 1 to 16",
       4,
       [](auto& t) { t.arp.length = 2; },
       {enter, down, down, down},
       [](auto& t) { t.arp.length = 1; }},
      {"latch toggles on any adjusting key",
       5,
       nullptr,
       {enter, up, ch('['), left},
       [](auto& t) { t.arp.latch = true; }},
      {"offsets change the selected entry within -12 to 12",
       6,
       nullptr,
       {right, right, enter, up,   up,   ch(']'), enter, left, enter, down, down, down,
        down,  down,  down,  down, down, down,    down,  down, down,  down, down},
       [](auto& t) {
         t.arp.offsets[2] = 3;
         t.arp.offsets[1] = -12;
       }},
      {"scale wraps from Blues to Off",
       7,
       [](auto& t) { t.scale = ScaleType::Blues; },
       {enter, right},
       [](auto& t) { t.scale = ScaleType::Off; }},
      {"root wraps both ways",
       8,
       [](auto& t) { t.scale_root = 11; },
       {enter, up, up, down, down, down},
       [](auto& t) { t.scale_root = 10; }},
      {"Esc ends editing like Enter; other keys do nothing",
       2,
       nullptr,
       {enter, ch('z'), key(KeyCode::Tab), key(KeyCode::Esc), up},
       [](auto&) {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto h = seq_harness();
    h.app.current_track = 1;
    auto& track = h.app.mutable_current_pattern().tracks[1];
    if (c.before) c.before(track);
    pattern::Track expected = track;
    c.expect(expected);
    h.app.seq_page = SeqPage::Arp;
    h.app.arp_field = c.field;
    const bool changes = !(expected == track);
    EXPECT_EQ(run(h, c.keys), changes ? Strings{"pattern"} : Strings{});
    EXPECT_EQ(track_of(h, 1), expected);
  }
}

TEST(SeqArpKeys, NavigationStopsAtTheEndsAndLengthLeavesTheOffsetCursor) {
  auto h = seq_harness();
  h.app.seq_page = SeqPage::Arp;
  run(h, {key(KeyCode::Up), key(KeyCode::Left), key(KeyCode::Right)});
  EXPECT_EQ(h.app.arp_field, 0);
  EXPECT_EQ(h.app.arp_offset_index, 0) << "Left and Right move offsets only on the Offsets line";
  for (int i = 0; i < 12; ++i) run(h, {key(KeyCode::Down)});
  EXPECT_EQ(h.app.arp_field, 8);
  h.app.arp_field = 6;
  for (int i = 0; i < 10; ++i) run(h, {key(KeyCode::Right)});
  EXPECT_EQ(h.app.arp_offset_index, 10);
  // Length 16 to 4 on the Length line: the offset cursor stays where it was.
  h.app.arp_field = 4;
  run(h, {key(KeyCode::Enter), ch('['), ch('['), ch('['), ch('['), ch('['), ch('['), ch('['),
          ch('['), ch('['), ch('['), ch('['), ch('['), key(KeyCode::Enter)});
  EXPECT_EQ(track_of(h).arp.length, 4);
  EXPECT_EQ(h.app.arp_offset_index, 10);
  h.app.arp_field = 6;
  run(h, {key(KeyCode::Enter), key(KeyCode::Up)});
  EXPECT_EQ(track_of(h).arp.offsets[10], 1);
}

// ---- Mended faults ----

TEST(SeqFaults, TheArpOffsetCursorNeverPassesTheSixteenthOffset) {
  auto h = seq_harness();
  h.app.mutable_current_pattern().tracks[0].arp.length = 40;  // as a file may hold with the arp off
  h.app.seq_page = SeqPage::Arp;
  h.app.arp_field = 6;
  for (int i = 0; i < 30; ++i) run(h, {key(KeyCode::Right)});
  EXPECT_EQ(h.app.arp_offset_index, 15);
  run(h, {key(KeyCode::Enter), key(KeyCode::Up)});
  EXPECT_EQ(track_of(h).arp.offsets[15], 1);

  h.app.editing = false;
  h.app.mutable_current_pattern().tracks[0].arp.length = 0;
  run(h, {key(KeyCode::Left), key(KeyCode::Right)});
  EXPECT_EQ(h.app.arp_offset_index, 0);
}

class SeqCursorFault : public test_support::TempHome {};

TEST_F(SeqCursorFault, TheStepCursorStaysOnAPlayedStepAfterTrackPatternPasteLoadAndLength) {
  // Each case leaves track 1 playing 4 steps while the cursor stood on step 12 of a longer track.
  Pattern short_first_track = Pattern::default_pattern();
  short_first_track.tracks[0].length = 4;
  {
    auto state = Harness::make();
    state.app.patterns = {std::make_shared<Pattern>(short_first_track)};
    auto path = preset::item_path(preset::projects_dir(), "Short");
    ASSERT_TRUE(path && state.app.build_project().save(*path));
  }
  struct Case {
    const char* name;
    std::function<void(Harness&)> act;
  };
  const std::vector<Case> cases{
      {"track change",
       [](Harness& h) {
         h.app.mutable_current_pattern().tracks[0].length = 4;
         h.press({ch('1')});
       }},
      {"track change with F3",
       [](Harness& h) {
         h.app.mutable_current_pattern().tracks[0].length = 4;
         h.press({function_key(3)});
       }},
      {"paste",
       [&](Harness& h) {
         h.app.current_track = 0;
         h.app.clipboard = short_first_track;
         h.press({ctrl('v')});
       }},
      {"load",
       [](Harness& h) {
         h.app.current_track = 0;
         h.app.load_project_by_name("Short");
       }},
      {"length row",
       [](Harness& h) {
         h.app.current_track = 0;
         h.app.editing = true;
         h.app.detail_row = 5;
         for (int i = 0; i < 12; ++i) h.press({key(KeyCode::Down)});
         h.press({key(KeyCode::Esc)});
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto h = seq_harness();
    h.app.current_track = 1;
    h.app.current_step = 11;
    c.act(h);
    ASSERT_EQ(h.app.current_track, 0);
    ASSERT_EQ(track_of(h).length, 4);
    EXPECT_EQ(h.app.current_step, 3);
    // The next edit lands on that step.
    run(h, {key(KeyCode::Enter), ch('z')});
    EXPECT_EQ(step_of(h, 3).note, 72);
  }
}

}  // namespace
}  // namespace quorvelan::ui::app
