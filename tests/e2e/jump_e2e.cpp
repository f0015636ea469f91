// Jump labels and the help popup in the real program: labels land on what they point at, the
// help scrolls to its end and back, and overlays on a tiny terminal leave the next frame whole.

#include <gtest/gtest.h>

#include <functional>

#include "e2e/keys.hpp"
#include "e2e/program_run.hpp"
#include "e2e/pty_screen.hpp"
#include "term/width.hpp"
#include "ui/harness.hpp"

namespace {

using namespace std::chrono_literals;
using e2e::ProgramRun;
using e2e::PtySession;

TEST_F(ProgramRun, TheHelpPopupScrollsToItsEndAndBack) {
  PtySession program(options(30, 100));
  ASSERT_TRUE(open_new_project(program)) << program.screen_text();
  program.send("h");
  ASSERT_TRUE(program.wait_for_text(" Help - Keybindings ", 5s)) << program.screen_text();
  EXPECT_TRUE(program.find("Esc:close  Up/Down:scroll  26/46"));
  EXPECT_TRUE(program.find("GLOBAL"));
  EXPECT_FALSE(program.find("RECORD MODE"));

  program.send("\x1b[F");  // End
  ASSERT_TRUE(program.wait_for_text("46/46", 5s)) << program.screen_text();
  EXPECT_TRUE(program.find("Stop recording"));
  EXPECT_FALSE(program.find("GLOBAL"));
  program.send("k");
  ASSERT_TRUE(program.wait_for_text("46/46", 5s)) << "65534 still shows the last page";

  program.send("\x1b[H");  // Home
  ASSERT_TRUE(program.wait_for_text("26/46", 5s)) << program.screen_text();
  EXPECT_TRUE(program.find("GLOBAL"));
  program.send("j");
  ASSERT_TRUE(program.wait_for_text("27/46", 5s)) << program.screen_text();

  e2e::escape(program);
  EXPECT_FALSE(program.find("Help - Keybindings")) << program.screen_text();
  quit(program);
}

TEST_F(ProgramRun, ASettingsJumpMovesTheCursorToThatColumn) {
  PtySession program(options(30, 100));
  ASSERT_TRUE(open_new_project(program)) << program.screen_text();
  program.send("y");
  ASSERT_TRUE(program.wait_for_text("MIDI", 5s));
  program.send("g");
  ASSERT_TRUE(program.wait_for_text(" [a]Project  [s]Audio  [d]MIDI", 5s)) << program.screen_text();
  program.send("d");
  program.send(e2e::kDown);  // the cursor now moves in the MIDI column
  ASSERT_TRUE(program.wait_for_text("> Trk 1 Ch: 1", 5s)) << program.screen_text();
  EXPECT_FALSE(program.find(" GOTO "));
  quit(program);
}

TEST_F(ProgramRun, JumpLabelsInEveryViewLandWhereTheyAreDrawn) {
  namespace app = quorvelan::ui::app;
  PtySession program(options(30, 100));
  ASSERT_TRUE(open_new_project(program)) << program.screen_text();
  // The keys that lead from one view or page to the next, and the same state in an App here,
  // whose layout says where the labels belong.
  struct Step {
    const char* keys;
    std::function<void(app::App&)> state;
  };
  const std::vector<Step> steps{
      {"", [](app::App& a) { a.view = app::View::Seq; }},
      {"\t", [](app::App& a) { a.seq_page = app::SeqPage::Arp; }},
      {"w", [](app::App& a) { a.view = app::View::Synth; }},
      {"\t", [](app::App& a) { a.synth_page = app::SynthPage::Flt; }},
      {"\t", [](app::App& a) { a.synth_page = app::SynthPage::Amp; }},
      {"e", [](app::App& a) { a.view = app::View::Fx; }},
      {"r", [](app::App& a) { a.view = app::View::Lfo; }},
      {"t", [](app::App& a) { a.view = app::View::Mix; }},
      {"y", [](app::App& a) { a.view = app::View::Set; }},
  };
  auto here = app::Harness::make();
  for (const auto& step : steps) {
    program.send(step.keys);
    step.state(here.app);
    here.app.jump_targets = here.app.build_easymotion_targets();
    program.send("g");
    ASSERT_TRUE(program.wait_for_text(" GOTO ", 5s)) << program.screen_text();
    const auto positions = app::easymotion_positions({0, 1, 100, 27}, here.app);
    ASSERT_EQ(positions.size(), here.app.jump_targets.size());
    for (const auto& p : positions) {
      const auto label = "[" + quorvelan::term::encode_utf8(p.label) + "]";
      std::string shown;
      for (int x = p.x; x < p.x + 3; ++x) shown += program.cell(p.y, x).text;
      EXPECT_EQ(shown, label) << step.keys << " at (" << p.x << ", " << p.y << ")\n"
                              << program.screen_text();
    }
    e2e::escape(program);
    ASSERT_FALSE(program.find(" GOTO ")) << program.screen_text();
  }
  quit(program);
}

// Before, sizes taken off a screen smaller than the margins wrapped round.
TEST_F(ProgramRun, OverlaysOnATinyTerminalLeaveTheNextFrameWhole) {
  PtySession program(options(30, 100));
  ASSERT_TRUE(open_new_project(program)) << program.screen_text();
  program.resize(2, 3);
  program.send("g");
  program.pump(200ms);
  program.send("\x1b");
  program.send("h");
  program.pump(200ms);
  program.send("\x1b[F");
  program.pump(200ms);
  ASSERT_TRUE(program.running());

  program.resize(30, 100);  // redraws at the new size by itself
  ASSERT_TRUE(program.wait_for_text("Left/Right:Step", 5s)) << program.screen_text();
  EXPECT_TRUE(program.row_text(0).starts_with(" QUORVELAN "));
  EXPECT_TRUE(program.row_text(28).starts_with(" NORMAL   Pat:A01"));
  EXPECT_FALSE(program.find("Keybindings"));
  EXPECT_FALSE(program.find("GOTO"));
  quit(program);
}

}  // namespace
