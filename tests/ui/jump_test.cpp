// Jump labels: the targets each view offers, in label order, and what typing a label does.

#include <gtest/gtest.h>

#include <functional>

#include "term/width.hpp"
#include "ui/harness.hpp"

namespace quorvelan::ui::app {
namespace {

using term::KeyCode;

Harness in_view(View view) {
  auto h = Harness::make();
  h.app.view = view;
  h.app.row_nav = true;
  return h;
}

// "a Name, s Name, ..." for a whole target list.
std::string labelled_names(const std::vector<EasyMotionTarget>& targets) {
  std::string text;
  for (const auto& target : targets) {
    if (!text.empty()) text += ", ";
    text += term::encode_utf8(target.label) + " " + target.name;
  }
  return text;
}

TEST(JumpTargets, EachViewOffersItsTargetsInLabelOrder) {
  struct Case {
    const char* what;
    View view;
    std::function<void(App&)> setup;
    std::string expected;
  };
  const std::vector<Case> cases{
      {"SEQ steps", View::Seq, nullptr,
       "a Track 1, s Track 2, d Track 3, f Track 4, g Step Grid, h Step Detail"},
      {"SEQ arpeggiator", View::Seq, [](App& app) { app.seq_page = SeqPage::Arp; },
       "a Track 1, s Track 2, d Track 3, f Track 4, g Mode, h Division, j Gate, k Octaves, "
       "l Length, q Latch, w Offsets, e Scale, r Root"},
      {"SYNTH operators with operator 3", View::Synth, [](App& app) { app.current_op = 2; },
       "a Algorithm, s O3 Ratio, d O3 Level, f O3 FB, g O3 Atk, h O3 Dec, j O3 End, k O3 Rel, "
       "l Op 1, q Op 2, w Op 4, e Op 5, r Op 6, t Operators, y Filter, u Amp"},
      {"SYNTH filter", View::Synth, [](App& app) { app.synth_page = SynthPage::Flt; },
       "a Algorithm, s Filter Type, d Cutoff, f Resonance, g Env Depth, h Operators, j Filter, "
       "k Amp"},
      {"SYNTH amp", View::Synth, [](App& app) { app.synth_page = SynthPage::Amp; },
       "a Algorithm, s Amp Atk, d Amp Dec, f Amp Sus, g Amp Rel, h Drive, j Operators, k Filter, "
       "l Amp"},
      {"FX", View::Fx, nullptr,
       "a CHR Rate, s CHR Depth, d CHR Mix, f DEL Time L, g DEL Time R, h DEL FB, j DEL Mix, "
       "k REV Decay, l REV Damp, q REV Mix, w REV PreDly"},
      {"LFO 2", View::Lfo, [](App& app) { app.column = 1; },
       "a L2 Shape, s L2 Rate, d L2 Depth, f L2 Target, g L2 TrigMode, h L2 Fade, j L2 Sync, "
       "k L2 Div, l L2 Phase, q L2 On/Off"},
      {"MIX", View::Mix, nullptr,
       "a T1 Vol, s T1 Pan, d T1 CHR Send, f T1 DEL Send, g T1 REV Send, h T2 Vol, j T2 Pan, "
       "k T2 CHR Send, l T2 DEL Send, q T2 REV Send, w T3 Vol, e T3 Pan, r T3 CHR Send, "
       "t T3 DEL Send, y T3 REV Send, u T4 Vol, i T4 Pan, o T4 CHR Send, p T4 DEL Send, "
       "z T4 REV Send, x M Vol, c M OD Drv, v M OD Tone, b M DJ Cut, n M DJ Reso"},
      {"SET", View::Set, nullptr, "a Project, s Audio, d MIDI"},
      {"PROJECT", View::Project, nullptr, ""},
  };
  for (const auto& c : cases) {
    auto h = in_view(c.view);
    if (c.setup) c.setup(h.app);
    EXPECT_EQ(labelled_names(h.app.build_easymotion_targets()), c.expected) << c.what;
  }
}

// What a jump changes, read back from the App.
struct Landing {
  View view = View::Seq;
  std::uint8_t column = 0;
  bool editing = false;
  std::uint8_t current_track = 0;
  std::uint8_t row = 0;  // the row the view's cursor uses
  std::uint8_t page = 0;
  std::uint8_t current_op = 0;
  friend bool operator==(const Landing&, const Landing&) = default;
};

std::ostream& operator<<(std::ostream& out, const Landing& l) {
  return out << "view " << static_cast<int>(l.view) << " column " << int{l.column} << " editing "
             << l.editing << " track " << int{l.current_track} << " row " << int{l.row} << " page "
             << int{l.page} << " op " << int{l.current_op};
}

std::uint8_t cursor_row(const App& app) {
  switch (app.view) {
    case View::Seq:
      return app.seq_page == SeqPage::Arp ? app.arp_field : app.current_step;
    case View::Synth:
      return app.synth_page == SynthPage::Ops ? app.op_row : app.page_row;
    case View::Fx:
      return app.fx_row;
    case View::Lfo:
      return app.lfo_field;
    case View::Mix:
      return app.mixer_row;
    default:
      return app.settings_row;
  }
}

Landing landing_of(const App& app) {
  const auto page = app.view == View::Seq ? static_cast<std::uint8_t>(app.seq_page)
                                          : static_cast<std::uint8_t>(app.synth_page);
  return {app.view,        app.column, app.editing,   app.current_track,
          cursor_row(app), page,       app.current_op};
}

TEST(JumpActions, GThenALabelLandsOnItsTarget) {
  struct Case {
    const char* what;
    View view;
    std::function<void(App&)> setup;
    char32_t label;
    Landing expected;
  };
  const std::vector<Case> cases{
      {"Track 3 selects the track's tab",
       View::Seq,
       nullptr,
       U'd',
       {View::Seq, 0, false, 2, 0, 0, 0}},
      {"Step Grid edits the current step",
       View::Seq,
       [](App& app) { app.current_step = 5; },
       U'g',
       {View::Seq, 1, true, 0, 5, 0, 0}},
      {"Step Detail focuses the detail column",
       View::Seq,
       nullptr,
       U'h',
       {View::Seq, 2, false, 0, 0, 0, 0}},
      {"Octaves edits the arpeggiator field",
       View::Seq,
       [](App& app) { app.seq_page = SeqPage::Arp; },
       U'k',
       {View::Seq, 0, true, 0, 3, 1, 0}},
      {"Algorithm edits the algorithm",
       View::Synth,
       nullptr,
       U'a',
       {View::Synth, 0, true, 0, 0, 0, 0}},
      {"O3 Level edits operator 3's level",
       View::Synth,
       [](App& app) { app.current_op = 2; },
       U'd',
       {View::Synth, 1, true, 0, 1, 0, 2}},
      {"Op 5 edits operator 5's ratio",
       View::Synth,
       [](App& app) {
         app.current_op = 2;
         app.op_row = 4;
       },
       U'e',
       {View::Synth, 1, true, 0, 0, 0, 4}},
      {"Cutoff edits the filter page's row",
       View::Synth,
       [](App& app) { app.synth_page = SynthPage::Flt; },
       U'd',
       {View::Synth, 1, true, 0, 1, 1, 0}},
      {"Amp opens the page without editing",
       View::Synth,
       [](App& app) { app.page_row = 3; },
       U'u',
       {View::Synth, 1, false, 0, 0, 2, 0}},
      {"DEL Time L edits the delay's first row",
       View::Fx,
       nullptr,
       U'f',
       {View::Fx, 1, true, 0, 0, 0, 0}},
      {"REV PreDly edits the reverb's last row",
       View::Fx,
       nullptr,
       U'w',
       {View::Fx, 2, true, 0, 3, 0, 0}},
      {"L3 Phase edits that field",
       View::Lfo,
       [](App& app) { app.column = 2; },
       U'l',
       {View::Lfo, 2, true, 0, 8, 0, 0}},
      {"T2 Pan selects track 2 and its pan",
       View::Mix,
       nullptr,
       U'j',
       {View::Mix, 1, true, 1, 1, 0, 0}},
      {"M DJ Reso edits the master's last row",
       View::Mix,
       nullptr,
       U'n',
       {View::Mix, 4, true, 0, 4, 0, 0}},
      {"MIDI focuses the third column from its top",
       View::Set,
       [](App& app) { app.settings_row = 1; },
       U'd',
       {View::Set, 2, false, 0, 0, 0, 0}},
      {"m is no label in MIX and mutes nothing",
       View::Mix,
       nullptr,
       U'm',
       {View::Mix, 0, false, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    auto h = in_view(c.view);
    h.app.editing = true;  // g ends editing first
    if (c.setup) c.setup(h.app);
    h.press({term::KeyEvent{.code = KeyCode::Char, .character = U'g'}});
    EXPECT_TRUE(h.app.jump_active) << c.what;
    h.press({term::KeyEvent{.code = KeyCode::Char, .character = c.label}});
    EXPECT_FALSE(h.app.jump_active) << c.what;
    EXPECT_EQ(landing_of(h.app), c.expected) << c.what;
    EXPECT_FALSE(h.app.mixer[0].muted) << c.what;
    EXPECT_TRUE(h.drain_sent().empty()) << c.what;
  }
}

TEST(JumpActions, EscOrAKeyThatIsNoLabelClosesTheOverlayAndDoesNothingElse) {
  for (const auto& closing : {key(KeyCode::Esc), key(KeyCode::Down), ch(U'9')}) {
    auto h = in_view(View::Fx);
    h.app.fx_row = 2;
    h.press({ch(U'g'), closing});
    EXPECT_FALSE(h.app.jump_active);
    EXPECT_EQ(landing_of(h.app), (Landing{View::Fx, 0, false, 0, 2, 0, 0}));
    EXPECT_EQ(h.app.current_track, 0) << "9 is no track key while the labels are up";
  }
}

}  // namespace
}  // namespace quorvelan::ui::app
