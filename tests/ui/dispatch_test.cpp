// The key dispatch chain: which handler a key reaches, the global keys that act in every view
// (even while a field is edited), the navigation between views and pages, the help popup's keys
// and the pattern keys.

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <functional>

#include "ui/harness.hpp"

namespace quorvelan::ui::app {
namespace {

namespace messages = audio::messages;
using messages::AudioTag;
using term::KeyCode;
using term::KeyModifier;

std::vector<AudioTag> tags_of(const std::vector<messages::AudioMessage>& sent) {
  std::vector<AudioTag> tags;
  for (const auto& message : sent) tags.push_back(message.tag());
  return tags;
}

Harness in_view(View view, bool editing = false) {
  auto h = Harness::make();
  h.app.view = view;
  h.app.editing = editing;
  return h;
}

struct KeyCase {
  const char* what;
  View view;
  bool editing;
  term::KeyEvent key;
  std::function<void(const App&)> check;
  std::vector<AudioTag> sent;
};

TEST(GlobalKeys, ActInEveryViewWhetherOrNotAFieldIsEdited) {
  const std::vector<KeyCase> cases = {
      {"Space starts the transport", View::Synth, true, ch(' '), [](const App&) {},
       {AudioTag::Play}},
      {"a digit picks the track", View::Seq, true, ch('3'),
       [](const App& a) {
         EXPECT_EQ(a.current_track, 2);
         EXPECT_EQ(a.column, 0);
       },
       {}},
      {"in MIX a digit also picks the strip", View::Mix, false, ch('3'),
       [](const App& a) { EXPECT_EQ(a.column, 2); }, {}},
      {"F4 moves one track on, in MIX with the strip", View::Mix, false, function_key(4),
       [](const App& a) {
         EXPECT_EQ(a.current_track, 1);
         EXPECT_EQ(a.column, 1);
       },
       {}},
      {"F3 stops at the first track", View::Fx, false, function_key(3),
       [](const App& a) { EXPECT_EQ(a.current_track, 0); }, {}},
      {"d lowers the tempo while a step is edited", View::Seq, true, ch('d'),
       [](const App& a) {
         EXPECT_EQ(a.bpm, 119.0);
         EXPECT_EQ(a.current_pattern_ref().bpm, 119.0);
         EXPECT_FALSE(a.dirty);
         EXPECT_TRUE(a.editing);
       },
       {AudioTag::SetBpm}},
      {"> raises the tempo", View::Lfo, false, ch('>'),
       [](const App& a) { EXPECT_EQ(a.bpm, 121.0); }, {AudioTag::SetBpm}},
      {"T switches the theme", View::Mix, false, ch('T'),
       [](const App& a) { EXPECT_TRUE(a.theme.light); }, {}},
      {"w opens SYNTH and ends editing", View::Seq, true, ch('w'),
       [](const App& a) {
         EXPECT_EQ(a.view, View::Synth);
         EXPECT_TRUE(a.row_nav);
         EXPECT_FALSE(a.editing);
       },
       {}},
      {"q in SEQ ends step editing", View::Seq, true, ch('q'),
       [](const App& a) {
         EXPECT_EQ(a.view, View::Seq);
         EXPECT_FALSE(a.editing);
       },
       {}},
      {"y opens SET and reads the device list again", View::Mix, false, ch('y'),
       [](const App& a) {
         EXPECT_EQ(a.view, View::Set);
         EXPECT_EQ(a.output_devices, (std::vector<std::string>{"default", "system"}));
       },
       {}},
      {"g opens the jump labels and ends editing", View::Fx, true, ch('g'),
       [](const App& a) {
         EXPECT_TRUE(a.jump_active);
         EXPECT_FALSE(a.editing);
       },
       {}},
      {"h opens the help while a step is edited", View::Seq, true, ch('h'),
       [](const App& a) { EXPECT_TRUE(a.help_visible); }, {}},
      {"s opens the dialog for saving", View::Synth, false, ch('s'),
       [](const App& a) {
         EXPECT_TRUE(a.dialog_open);
         EXPECT_FALSE(a.dialog_is_load);
         EXPECT_EQ(a.dialog_stage, DialogStage::TargetMenu);
       },
       {}},
      {"l opens the dialog for loading", View::Set, false, ch('l'),
       [](const App& a) {
         EXPECT_TRUE(a.dialog_open);
         EXPECT_TRUE(a.dialog_is_load);
       },
       {}},
      {"m mutes the current track", View::Lfo, false, ch('m'),
       [](const App& a) { EXPECT_TRUE(a.mixer[0].muted); }, {AudioTag::SetMute}},
      {"Page-Down goes one view on", View::Mix, false, key(KeyCode::PageDown),
       [](const App& a) { EXPECT_EQ(a.view, View::Set); }, {}},
      {"Page-Down in SET stays", View::Set, false, key(KeyCode::PageDown),
       [](const App& a) { EXPECT_EQ(a.view, View::Set); }, {}},
      {"Page-Up in SEQ stays", View::Seq, true, key(KeyCode::PageUp),
       [](const App& a) { EXPECT_EQ(a.view, View::Seq); }, {}},
      {"Page-Up goes one view back, ending editing", View::Synth, true, key(KeyCode::PageUp),
       [](const App& a) {
         EXPECT_EQ(a.view, View::Seq);
         EXPECT_FALSE(a.editing);
       },
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto h = in_view(c.view, c.editing);
    h.app.handle_key(c.key);
    c.check(h.app);
    EXPECT_EQ(tags_of(h.drain_sent()), c.sent);
  }
}

TEST(GlobalKeys, TheTransportKeyAsksForWhatTheAudioThreadLastReported) {
  auto h = in_view(View::Seq);
  h.app.playing = true;
  h.press({ch(' ')});
  EXPECT_EQ(tags_of(h.drain_sent()), std::vector{AudioTag::Stop});
  EXPECT_TRUE(h.app.playing) << "the audio thread's report changes the flag, not the key";
}

TEST(GlobalKeys, TempoStopsAtItsLimits) {
  auto h = in_view(View::Seq);
  h.app.bpm = 20.5;
  h.press({ch('<'), ch('<')});
  EXPECT_EQ(h.app.bpm, 20.0);
  h.app.bpm = 299.0;
  h.press({ch('f'), ch('f')});
  EXPECT_EQ(h.app.bpm, 300.0);
}

TEST(NavigationKeys, MoveBetweenViewsAndPagesOnlyWhileNotEditing) {
  struct Case {
    const char* what;
    View view;
    bool editing;
    term::KeyEvent key;
    View view_after;
    SeqPage seq_page_after;
    SynthPage synth_page_after;
  };
  const auto ctrl_shift = KeyModifier::Ctrl | KeyModifier::Shift;
  const std::vector<Case> cases = {
      {"Ctrl+Left in SEQ stays", View::Seq, false, key(KeyCode::Left, KeyModifier::Ctrl),
       View::Seq, SeqPage::Steps, SynthPage::Ops},
      {"Ctrl+Left goes back", View::Synth, false, key(KeyCode::Left, KeyModifier::Ctrl),
       View::Seq, SeqPage::Steps, SynthPage::Ops},
      {"Ctrl+Shift+Right goes on", View::Mix, false, key(KeyCode::Right, ctrl_shift), View::Set,
       SeqPage::Steps, SynthPage::Ops},
      {"Ctrl+Right in SET stays", View::Set, false, key(KeyCode::Right, KeyModifier::Ctrl),
       View::Set, SeqPage::Steps, SynthPage::Ops},
      {"Tab turns the SEQ page", View::Seq, false, key(KeyCode::Tab), View::Seq, SeqPage::Arp,
       SynthPage::Ops},
      {"Ctrl+Up turns the SEQ page", View::Seq, false, key(KeyCode::Up, KeyModifier::Ctrl),
       View::Seq, SeqPage::Arp, SynthPage::Ops},
      {"F1 wraps from OPS to AMP", View::Synth, false, function_key(1), View::Synth,
       SeqPage::Steps, SynthPage::Amp},
      {"Ctrl+Down goes to FLT", View::Synth, false, key(KeyCode::Down, KeyModifier::Ctrl),
       View::Synth, SeqPage::Steps, SynthPage::Flt},
      {"Tab while editing belongs to the view", View::Synth, true, key(KeyCode::Tab),
       View::Synth, SeqPage::Steps, SynthPage::Ops},
      {"Ctrl+Right while editing belongs to the view", View::Fx, true,
       key(KeyCode::Right, KeyModifier::Ctrl), View::Fx, SeqPage::Steps, SynthPage::Ops},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto h = in_view(c.view, c.editing);
    h.app.handle_key(c.key);
    EXPECT_EQ(h.app.view, c.view_after);
    EXPECT_EQ(h.app.seq_page, c.seq_page_after);
    EXPECT_EQ(h.app.synth_page, c.synth_page_after);
    EXPECT_EQ(h.app.row_nav, !c.editing);
  }
}

TEST(DispatchOrder, AnOpenOverlayTakesEveryKeyBeforeTheGlobalOnes) {
  for (auto open : {&App::dialog_open, &App::picker_open, &App::help_visible}) {
    auto h = in_view(View::Lfo);
    h.app.*open = true;
    h.press({ch('+'), ch(' '), ctrl('y'), ch('m')});
    EXPECT_EQ(h.app.master_volume, 1.0f);
    EXPECT_FALSE(h.app.clipboard.has_value());
    EXPECT_FALSE(h.app.mixer[0].muted);
    EXPECT_TRUE(h.drain_sent().empty());
  }
}

TEST(DispatchOrder, JumpLabelsCloseOnTheNextKeyButLeaveTheVolumeAndCtrlKeysAlone) {
  auto h = in_view(View::Seq);
  h.app.jump_active = true;
  h.app.jump_targets = {{U'q', "Track 1", {EasyMotionAction::SelectColumn{0, 0}}},
                        {U'y', "Track 2", {EasyMotionAction::SelectColumn{1, 0}}}};
  h.press({ch('+')});
  EXPECT_TRUE(h.app.jump_active) << "the master volume keys leave the labels up";
  EXPECT_FLOAT_EQ(h.app.master_volume, 1.1f);
  h.press({ctrl('y')});
  EXPECT_TRUE(h.app.clipboard.has_value()) << "Ctrl+y copies even when y is a label";
  EXPECT_TRUE(h.app.jump_active);
  h.press({ctrl('q')});
  EXPECT_TRUE(h.app.should_quit) << "Ctrl+q quits even when q is a label";

  auto other = in_view(View::Seq);
  other.app.jump_active = true;
  other.press({key(KeyCode::Esc), ch(' ')});
  EXPECT_FALSE(other.app.jump_active);
  EXPECT_EQ(tags_of(other.drain_sent()), std::vector{AudioTag::Play})
      << "only the key after the one that closed the labels plays";
}

TEST(HelpKeys, ScrollWithinTheirLimitsAndCloseWithEscOrH) {
  auto h = in_view(View::Seq);
  h.press({ch('h'), key(KeyCode::Up)});
  EXPECT_EQ(h.app.help_scroll, 0);
  h.press({ch('j'), key(KeyCode::Down), key(KeyCode::PageDown)});
  EXPECT_EQ(h.app.help_scroll, 12);
  h.press({key(KeyCode::End), key(KeyCode::Down)});
  EXPECT_EQ(h.app.help_scroll, 65535);
  h.press({key(KeyCode::Up)});
  EXPECT_EQ(h.app.help_scroll, 65534);
  h.press({key(KeyCode::PageUp), ch('k')});
  EXPECT_EQ(h.app.help_scroll, 65523);
  h.press({key(KeyCode::Home)});
  EXPECT_EQ(h.app.help_scroll, 0);
  h.press({ch('j'), key(KeyCode::Esc)});
  EXPECT_FALSE(h.app.help_visible);
  EXPECT_EQ(h.app.help_scroll, 0);
  h.press({ch('h'), ch('h')});
  EXPECT_FALSE(h.app.help_visible);
}

TEST(PatternKeys, NextCreatesASlotAtTheCurrentTempoAndPreviousBringsBackItsOwn) {
  auto h = in_view(View::Seq);
  h.app.current_step = 9;
  h.app.bpm = 133.0;
  h.press({ch('n')});
  EXPECT_EQ(h.app.current_pattern, 1);
  EXPECT_EQ(h.app.patterns.size(), 2u);
  EXPECT_EQ(h.app.current_pattern_ref().bpm, 133.0);
  EXPECT_EQ(h.app.current_step, 0);
  EXPECT_TRUE(h.app.dirty);
  EXPECT_TRUE(h.drain_sent().empty()) << "a new slot carries on at the playing tempo";

  h.press({ch('p')});
  EXPECT_EQ(h.app.current_pattern, 0);
  EXPECT_EQ(h.app.bpm, 120.0) << "slot 1 keeps the tempo it was made with";
  EXPECT_EQ(tags_of(h.drain_sent()), std::vector{AudioTag::SetBpm});

  h.app.dirty = false;
  h.press({ch('p')});
  EXPECT_EQ(h.app.current_pattern, 0) << "no slot before the first";
  EXPECT_FALSE(h.app.dirty);

  h.app.ensure_pattern_slot(127);
  h.app.current_pattern = 127;
  h.press({ch('n')});
  EXPECT_EQ(h.app.current_pattern, 127) << "no slot after the 128th";
  EXPECT_EQ(h.app.patterns.size(), 128u);
}

TEST(StepCursor, StaysOnAPlayableStepAfterATrackChangePasteOrLoad) {
  auto h = in_view(View::Seq);
  h.app.mutable_current_pattern().tracks[1].length = 8;
  h.app.current_step = 12;
  h.press({ch('2')});
  EXPECT_EQ(h.app.current_step, 7);

  Pattern short_one = Pattern::default_pattern();
  short_one.tracks[1].length = 4;
  h.app.clipboard = short_one;
  h.press({ctrl('v')});
  EXPECT_EQ(h.app.current_step, 3);
}

TEST(ProjectList, ScrollsToKeepTheSelectedProjectInSightOnAShortScreen) {
  std::vector<std::string> names;
  for (int i = 1; i <= 40; ++i) names.push_back(fmt::format("song{:02}", i));
  auto h = Harness::make(names);
  for (int i = 0; i < 30; ++i) h.press({key(KeyCode::Down)});
  const auto frame = h.draw(60, 20);
  bool seen = false;
  for (int y = 0; y < 20; ++y) seen = seen || frame.row(y).find("> song30") != std::string::npos;
  EXPECT_TRUE(seen) << "the selected project is off screen";

  auto all_fit = Harness::make({"one", "two"});
  const auto small = all_fit.draw(60, 20);
  EXPECT_NE(small.row(5).find("QUORVELAN"), std::string::npos) << "a list that fits stays centred";
}

}  // namespace
}  // namespace quorvelan::ui::app
