// Step editing and the arpeggiator page, driven by key presses: what each key sequence leaves in
// the pattern and the cursors, and what reaches the audio thread (notes, and one pattern per pass).

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "preset.hpp"
#include "support/temp_home.hpp"
#include "ui/harness.hpp"
#include "ui/sent_messages.hpp"

namespace quorvelan::ui::app {
namespace {

namespace pattern = sequencer::pattern;
using pattern::ArpMode;
using pattern::ClockDivision;
using pattern::ScaleType;
using pattern::Step;
using pattern::TrigCondition;
using term::KeyCode;

constexpr std::uint8_t kOn = pattern::kStepOn;
constexpr std::uint8_t kAccent = pattern::kStepAccent;

// Keys written as text: a character stands for itself, <name> for another key.
std::vector<term::KeyEvent> keys(std::string_view text) {
  static const std::map<std::string_view, term::KeyEvent> named{
      {"enter", key(KeyCode::Enter)}, {"esc", key(KeyCode::Esc)},
      {"left", key(KeyCode::Left)},   {"right", key(KeyCode::Right)},
      {"up", key(KeyCode::Up)},       {"down", key(KeyCode::Down)},
      {"tab", key(KeyCode::Tab)},     {"backtab", key(KeyCode::BackTab)},
      {"del", key(KeyCode::Delete)},  {"bs", key(KeyCode::Backspace)},
      {"f1", function_key(1)},        {"f2", function_key(2)},
      {"f3", function_key(3)},        {"ctrl-v", ctrl('v')}};
  std::vector<term::KeyEvent> out;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '<') {
      out.push_back(ch(static_cast<char32_t>(text[at])));
      continue;
    }
    const auto end = text.find('>', at);
    out.push_back(named.at(text.substr(at + 1, end - at - 1)));
    at = end;
  }
  return out;
}

// The SEQ view of a new project (the starter beat), nothing sent yet.
Harness seq_harness() {
  auto h = Harness::make();
  h.press({key(KeyCode::Enter)});
  h.app.flush_pattern_sync();
  h.drain_sent();
  return h;
}

// Presses the keys, lets the main loop pass once, and returns what was sent, joined by ", ".
std::string run(Harness& h, std::string_view typed) {
  for (const auto& k : keys(typed)) h.app.handle_key(k);
  h.app.flush_pattern_sync();
  return fmt::format("{}", fmt::join(take_sent(h).lines, ", "));
}

const pattern::Track& track_of(const Harness& h, std::uint8_t track = 0) {
  return h.app.current_pattern_ref().tracks[track];
}

Step step_with(std::uint8_t flags, std::optional<std::uint8_t> note, std::uint8_t velocity = 100,
               std::uint16_t gate = 0, std::int8_t micro = 0) {
  Step step;
  step.flags = flags;
  step.note = note;
  step.velocity = velocity;
  step.gate_ticks = gate;
  step.micro_timing = micro;
  return step;
}

TEST(SeqGridKeys, CursorEnterAndNoteEntry) {
  // Track 1 of the starter beat: kicks (note 36, velocity 120) on steps 0, 4, 8 and 12.
  struct Case {
    const char* name;
    std::uint8_t start;
    const char* keys;
    std::uint8_t cursor;
    bool editing;
    const char* sent;
    std::vector<std::pair<std::size_t, Step>> steps;
  };
  const Step off{};
  // clang-format off
  const std::vector<Case> cases{
      {"Left stops at the first step", 0, "<left><left>", 0, false, "", {}},
      {"Right stops at the last step of the length", 14, "<right><right><right>", 15, false, "", {}},
      {"other keys do nothing while not editing", 3, "za]<del>", 3, false, "", {{3, off}}},
      {"Enter on an empty step switches it on with the default note", 1, "<enter>", 1, true, "pattern",
       {{1, step_with(kOn, 60)}}},
      {"Enter on a step that is on only starts editing", 0, "<enter>", 0, true, "", {}},
      {"a note key enters the note, sounds it and moves on", 2, "<enter>z", 3, true, "on 0 72 100, pattern",
       {{2, step_with(kOn, 72)}}},
      {"the next note releases the previous one; upper case reaches the note map", 5, "<enter>zSQ", 8, true,
       "on 0 72 100, off 0 72, on 0 73 100, off 0 73, on 0 84 100, pattern",
       {{5, step_with(kOn, 72)}, {6, step_with(kOn, 73)}, {7, step_with(kOn, 84)}}},
      {"a note on the last step writes it and stays there", 15, "<enter>xc", 15, true,
       "on 0 74 100, off 0 74, on 0 76 100, pattern", {{15, step_with(kOn, 76)}}},
      {"global keys win while editing: d lowers the tempo, T is the theme", 1, "<enter>dT", 1, true,
       "bpm 119.000, pattern", {{1, step_with(kOn, 60)}}},
      {"a toggles the accent and never enters a note", 0, "<enter>a", 0, true, "pattern",
       {{0, step_with(kOn | kAccent, 36, 120)}}},
      {"Enter while editing toggles the step; editing goes on", 0, "<enter><enter>", 0, true, "pattern",
       {{0, step_with(0, 36, 120)}}},
      {"arrows move the edited step", 0, "<enter><right><right><left>", 1, true, "", {}},
      {"Esc releases the held note and ends editing", 0, "<enter>v<esc>", 1, false,
       "on 0 77 120, off 0 77, pattern", {{0, step_with(kOn, 77, 120)}}},
      {"keys without a note do nothing", 0, "<enter>k9A<f2>", 0, true, "", {}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto h = seq_harness();
    h.app.current_step = c.start;
    EXPECT_EQ(run(h, c.keys), c.sent);
    EXPECT_EQ(h.app.current_step, c.cursor);
    EXPECT_EQ(h.app.editing, c.editing);
    for (const auto& [index, step] : c.steps) EXPECT_EQ(track_of(h).steps[index], step) << index;
    if (!c.editing) {
      EXPECT_TRUE(h.app.held_notes.empty());
    }
  }
}

TEST(SeqGridKeys, ClearingAStepResetsItAndRemovesOnlyItsLocks) {
  for (const char* clear : {"<del>", "<bs>"}) {
    auto h = seq_harness();
    auto& edited = h.app.mutable_current_pattern();
    auto& step = edited.tracks[0].steps[4];
    step = step_with(kOn | kAccent, 50, 30, 48, -5);
    step.trig_condition = TrigCondition::Fill{};
    step.retrig = pattern::RetrigSettings{.rate = 2};
    edited.plocks = {{0, 4, 1, 0.5f}, {0, 5, 1, 0.5f}, {1, 4, 2, 0.5f}, {0, 4, 3, 0.5f}};
    h.app.current_step = 4;
    EXPECT_EQ(run(h, std::string("<enter>") + clear), "pattern");
    EXPECT_EQ(track_of(h).steps[4], Step{});
    EXPECT_EQ(h.app.current_pattern_ref().plocks,
              (std::vector<pattern::PLock>{{0, 5, 1, 0.5f}, {1, 4, 2, 0.5f}}));
  }
}

TEST(SeqGridKeys, EditsCopyASharedPatternInsteadOfChangingIt) {
  auto h = seq_harness();
  const auto shared = h.app.patterns[0];
  run(h, "<enter>a");
  EXPECT_NE(h.app.patterns[0], shared);
  EXPECT_EQ(shared->tracks[0].steps[0].flags, kOn);
  EXPECT_EQ(track_of(h).steps[0].flags, kOn | kAccent);
}

TEST(SeqDetailRows, FineAndCoarseStepsStopAtTheirLimits) {
  // Step 3 of track 4, editing on the given row.
  struct Case {
    const char* name;
    std::uint8_t row;
    Step before;
    const char* keys;
    Step after;
    const char* sent;
  };
  const Step off{};
  // clang-format off
  const std::vector<Case> cases{
      {"Up on an off step's note switches it on at 60, raises and sounds it", 0, off, "<up>",
       step_with(kOn, 61), "on 3 61 100, pattern"},
      {"the coarse note step is an octave and stops at 127", 0, step_with(kOn, 120), "[]]",
       step_with(kOn, 127), "on 3 108 100, off 3 108, on 3 120 100, off 3 120, on 3 127 100, pattern"},
      {"the note stops at 0", 0, step_with(kOn, 1), "<down><down>", step_with(kOn, 0),
       "on 3 0 100, off 3 0, on 3 0 100, pattern"},
      {"a step on without a note gets the default note unheard (fine)", 0, step_with(kOn, {}), "<up>",
       step_with(kOn, 60), "pattern"},
      {"a step on without a note gets the default note unheard (coarse)", 0, step_with(kOn, {}), "]",
       step_with(kOn, 60), "pattern"},
      {"Up on an off step's velocity switches it on at 60 and adds 5", 1, off, "<up>",
       step_with(kOn, 60, 105), "pattern"},
      {"velocity never goes below 1 and moves 1 with the brackets", 1, step_with(0, {}, 7), "<down><down>]",
       step_with(kOn, 60, 2), "pattern"},
      {"velocity stops at 127", 1, step_with(kOn, 64, 125), "<up>", step_with(kOn, 64, 127), "pattern"},
      {"gate moves 6 and stops at 384", 2, step_with(kOn, 64, 100, 380), "<up>[",
       step_with(kOn, 64, 100, 383), "pattern"},
      {"gate stops at 0", 2, step_with(kOn, 64, 100, 4), "<down>", step_with(kOn, 64), "pattern"},
      {"micro-timing moves 6 with the brackets and stops at 23", 3, step_with(kOn, 64, 100, 0, 20), "]<down>",
       step_with(kOn, 64, 100, 0, 22), "pattern"},
      {"micro-timing stops at -23", 3, step_with(kOn, 64, 100, 0, -20), "[<down>",
       step_with(kOn, 64, 100, 0, -23), "pattern"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto h = seq_harness();
    h.app.mutable_current_pattern().tracks[3].steps[2] = c.before;
    h.app.current_track = 3;
    h.app.current_step = 2;
    h.app.editing = true;
    h.app.detail_row = c.row;
    EXPECT_EQ(run(h, c.keys), c.sent);
    EXPECT_EQ(track_of(h, 3).steps[2], c.after);
  }
}

TEST(SeqDetailRows, ConditionLengthAndDivisionRowsAndTabWalksTheRows) {
  // Track 1 of length 16 at sixteenths, editing step 13 from the Note row.
  struct Case {
    const char* name;
    const char* keys;
    TrigCondition condition;
    std::uint8_t length;
    ClockDivision division;
    std::uint8_t cursor;
  };
  const TrigCondition always{};
  // clang-format off
  const std::vector<Case> cases{
      {"the condition moves one place with either key", "<tab><tab><tab><tab><up>]]<down>", TrigCondition::Probability{75},
       16, ClockDivision::Sixteenth, 12},
      {"coarse length is 16 and stops at 64", "<backtab><backtab>]]]]", always, 64, ClockDivision::Sixteenth, 12},
      {"a shorter length moves the cursor to its last step", "<f1><f1><down><down><down><down>", always, 12,
       ClockDivision::Sixteenth, 11},
      {"length stops at 1", "<f1><f1>[<down>", always, 1, ClockDivision::Sixteenth, 0},
      {"division wraps from Sixteenth on to Whole and back", "<backtab>]]]<down>", always, 16,
       ClockDivision::ThirtySecond, 12},
      {"Tab wraps from the last row to the first; F2 does nothing", "<backtab><tab><f2><backtab>]<backtab><up>",
       always, 17, ClockDivision::Triplet16, 12},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto h = seq_harness();
    h.app.current_step = 12;
    h.app.editing = true;
    EXPECT_EQ(run(h, c.keys), "pattern");
    EXPECT_EQ(track_of(h).steps[12].trig_condition, c.condition);
    EXPECT_EQ(track_of(h).length, c.length);
    EXPECT_EQ(track_of(h).clock_division, c.division);
    EXPECT_EQ(h.app.current_step, c.cursor);
  }
}

TEST(SeqTrigConditions, TheRingWalksInItsOrderAndUnknownConditionsStartFromAlways) {
  using C = TrigCondition;
  const std::vector<C> ring{C::Always{},        C::Probability{50}, C::Probability{75},
                            C::Probability{25}, C::Fill{},          C::NotFill{},
                            C::Pre{},           C::NotPre{},        C::Nei{},
                            C::NotNei{},        C::First{},         C::NotFirst{},
                            C::ModCount{1, 2},  C::ModCount{1, 3},  C::ModCount{1, 4},
                            C::ModCount{2, 3},  C::ModCount{3, 4}};
  for (std::size_t i = 0; i < ring.size(); ++i) {
    const auto& next = ring[(i + 1) % ring.size()];
    EXPECT_EQ(App::cycle_trig_condition(ring[i], 1), next) << i;
    EXPECT_EQ(App::cycle_trig_condition(next, -1), ring[i]) << i;
  }
  EXPECT_EQ(App::cycle_trig_condition(C::Probability{30}, 1), (C::Probability{50}));
  EXPECT_EQ(App::cycle_trig_condition(C::Probability{30}, -1), (C::ModCount{3, 4}));
  EXPECT_EQ(App::cycle_trig_condition(C::ModCount{2, 4}, 3), (C::Probability{50}));
  EXPECT_EQ(App::cycle_trig_condition(C::ModCount{3, 4}, 0), (C::ModCount{2, 3}));
}

TEST(SeqArpKeys, FieldsStepWrapAndStopAsTheirRangesSay) {
  using TrackEdit = std::function<void(pattern::Track&)>;
  struct Case {
    const char* name;
    std::uint8_t field;
    TrackEdit before;
    const char* keys;  // on the field, not editing
    TrackEdit after;
  };
  // clang-format off
  const std::vector<Case> cases{
      {"mode wraps from Chord to Off", 0, [](auto& t) { t.arp.mode = ArpMode::Chord; }, "<enter><up>",
       [](auto& t) { t.arp.mode = ArpMode::Off; }},
      {"mode steps back with Left and the bracket", 0, nullptr, "<enter><left>[",
       [](auto& t) { t.arp.mode = ArpMode::PlayedOrder; }},
      {"division wraps both ways", 1, [](auto& t) { t.arp.division = ClockDivision::Whole; }, "<enter><down><down>]",
       [](auto& t) { t.arp.division = ClockDivision::ThirtySecond; }},
      {"gate moves 5 with arrows, 1 with brackets, stops at 100", 2, [](auto& t) { t.arp.gate_percent = 93; },
       "<enter><up>]<right>]", [](auto& t) { t.arp.gate_percent = 100; }},
      {"gate stops at 0", 2, [](auto& t) { t.arp.gate_percent = 3; }, "<enter><down>]",
       [](auto& t) { t.arp.gate_percent = 1; }},
      {"octaves stay within 1 to 4", 3, nullptr, "<enter><down><up><up><up><up><up>",
       [](auto& t) { t.arp.octave_range = 4; }},
      {"length stays within 1 to 16", 4, [](auto& t) { t.arp.length = 2; }, "<enter><down><down>[",
       [](auto& t) { t.arp.length = 1; }},
      {"latch toggles on any adjusting key", 5, nullptr, "<enter><up>[<left>", [](auto& t) { t.arp.latch = true; }},
      {"offsets change the selected entry within -12 to 12", 6, nullptr,
       "<right><right><enter><up><up>]<enter><left><enter>[[[[[[[[[[[[[[",
       [](auto& t) { t.arp.offsets[2] = 3; t.arp.offsets[1] = -12; }},
      {"scale wraps from Blues to Off", 7, [](auto& t) { t.scale = ScaleType::Blues; }, "<enter><right>",
       [](auto& t) { t.scale = ScaleType::Off; }},
      {"root wraps both ways", 8, [](auto& t) { t.scale_root = 11; }, "<enter><up><up><down><down><down>",
       [](auto& t) { t.scale_root = 10; }},
      {"Esc ends editing like Enter; other keys do nothing", 2, nullptr, "<enter>z<tab><esc><up>", [](auto&) {}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto h = seq_harness();
    h.app.current_track = 1;
    auto& track = h.app.mutable_current_pattern().tracks[1];
    if (c.before) c.before(track);
    pattern::Track expected = track;
    c.after(expected);
    const bool changes = !(expected == track);
    h.app.seq_page = SeqPage::Arp;
    h.app.arp_field = c.field;
    EXPECT_EQ(run(h, c.keys), changes ? "pattern" : "");
    EXPECT_EQ(track_of(h, 1), expected);
  }
}

TEST(SeqArpKeys, NavigationStopsAtTheEndsAndLengthLeavesTheOffsetCursor) {
  auto h = seq_harness();
  h.app.seq_page = SeqPage::Arp;
  run(h, "<up><left><right>");
  EXPECT_EQ(h.app.arp_field, 0);
  EXPECT_EQ(h.app.arp_offset_index, 0) << "Left and Right move offsets only on the Offsets line";
  run(h, "<down><down><down><down><down><down><down><down><down><down>");
  EXPECT_EQ(h.app.arp_field, 8);
  h.app.arp_field = 6;
  run(h, "<right><right><right><right><right><right><right><right><right><right>");
  EXPECT_EQ(h.app.arp_offset_index, 10);
  h.app.arp_field = 4;
  run(h, "<enter>[[[[[[[[[[[[<enter>");
  EXPECT_EQ(track_of(h).arp.length, 4);
  EXPECT_EQ(h.app.arp_offset_index, 10);
  h.app.arp_field = 6;
  run(h, "<enter><up>");
  EXPECT_EQ(track_of(h).arp.offsets[10], 1);
}

// ---- Mended faults ----

TEST(SeqFaults, TheArpOffsetCursorNeverPassesTheSixteenthOffset) {
  auto h = seq_harness();
  h.app.mutable_current_pattern().tracks[0].arp.length = 40;  // as a file may hold with the arp off
  h.app.seq_page = SeqPage::Arp;
  h.app.arp_field = 6;
  for (int i = 0; i < 30; ++i) run(h, "<right>");
  EXPECT_EQ(h.app.arp_offset_index, 15);
  run(h, "<enter><up>");
  EXPECT_EQ(track_of(h).arp.offsets[15], 1);

  h.app.editing = false;
  h.app.mutable_current_pattern().tracks[0].arp.length = 0;
  run(h, "<left><right>");
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
  auto shorten = [](Harness& h) { h.app.mutable_current_pattern().tracks[0].length = 4; };
  struct Case {
    const char* name;
    std::uint8_t start_track;
    std::function<void(Harness&)> act;
  };
  // clang-format off
  const std::vector<Case> cases{
      {"track change", 1, [&](Harness& h) { shorten(h); run(h, "1"); }},
      {"track change with F3", 1, [&](Harness& h) { shorten(h); run(h, "<f3>"); }},
      {"paste", 0, [&](Harness& h) { h.app.clipboard = short_first_track; run(h, "<ctrl-v>"); }},
      {"load", 0, [](Harness& h) { h.app.load_project_by_name("Short"); }},
      {"length row", 0, [](Harness& h) {
         h.app.mutable_current_pattern().tracks[0].length = 20;
         h.app.detail_row = 5;
         run(h, "<enter>[<esc>");
       }},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto h = seq_harness();
    h.app.current_track = c.start_track;
    h.app.current_step = 11;
    c.act(h);
    ASSERT_EQ(h.app.current_track, 0);
    ASSERT_EQ(track_of(h).length, 4);
    EXPECT_EQ(h.app.current_step, 3);
    // The next edit lands on that step.
    run(h, "<enter>z");
    EXPECT_EQ(track_of(h).steps[3].note, 72);
  }
}

}  // namespace
}  // namespace quorvelan::ui::app
