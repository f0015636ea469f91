// A phrase entered from the keyboard in the real program, seen on screen and found again in the
// project file that the autosave writes.

#include <gtest/gtest.h>

#include "e2e/keys.hpp"
#include "e2e/program_run.hpp"
#include "e2e/pty_screen.hpp"
#include "sequencer/project.hpp"

namespace {

namespace pattern = quorvelan::sequencer::pattern;
using namespace std::chrono_literals;
using e2e::ProgramRun;
using e2e::PtySession;
using quorvelan::sequencer::project::Project;

using e2e::kDelete;
using e2e::kLeft;
using e2e::kRight;

TEST_F(ProgramRun, APhraseTempoChangeAndPastedCopyEnteredOnTheKeyboardAreAutosaved) {
  Project written;
  written.name = "Phrase";
  written.patterns = {pattern::Pattern::default_pattern()};
  auto& kick = written.patterns[0].tracks[0].steps[4];
  kick.flags = pattern::kStepOn;
  kick.note = 36;
  const auto file = projects() / "Phrase.json";
  ASSERT_TRUE(written.save(file).has_value());

  PtySession program(options(30, 100));
  ASSERT_TRUE(program.wait_for_text("  Phrase", 10s)) << program.screen_text();
  program.send("j\r");
  ASSERT_TRUE(program.wait_for_text("[Loaded: Phrase]", 5s)) << program.screen_text();

  // Track 3: Enter switches step 1 on, then z c b enter C4 E4 G4 on steps 1-3; the third gets
  // an accent.
  program.send("3");
  ASSERT_TRUE(program.wait_for_text("Trk:3/4", 5s)) << program.screen_text();
  program.send("\rzcb");
  program.send(kLeft);
  program.send("a");
  ASSERT_TRUE(program.wait_for_text(" ON ACC", 5s)) << program.screen_text();
  auto phrase = program.find("C4   E4   G4   --");
  ASSERT_TRUE(phrase) << program.screen_text();
  EXPECT_TRUE(program.cell(phrase->first, phrase->second + 10).bold) << "the accented G4";
  EXPECT_FALSE(program.cell(phrase->first, phrase->second).bold);
  e2e::escape(program);

  // Track 1 while editing: the track key still acts, and Delete clears the kick on step 5.
  program.send("\r1");
  ASSERT_TRUE(program.wait_for_text("Trk:1/4", 5s)) << program.screen_text();
  program.send(kRight);
  program.send(kRight);
  ASSERT_TRUE(program.wait_for_text("Step:05/16", 5s)) << program.screen_text();
  program.send(kDelete);
  ASSERT_TRUE(program.wait_for_text("Note:---", 5s)) << program.screen_text();
  e2e::escape(program);

  // Tempo up three, then copy the pattern into a new slot.
  program.send("fff");
  ASSERT_TRUE(program.wait_for_text("BPM:123", 5s)) << program.screen_text();
  program.send("\x19");  // Ctrl+Y
  ASSERT_TRUE(program.wait_for_text("[Copied pattern 1]", 5s)) << program.screen_text();
  program.send("n");
  ASSERT_TRUE(program.wait_for_text("Pat:A02", 5s)) << program.screen_text();
  ASSERT_TRUE(program.wait_for_text(" 01 [··]", 5s)) << program.screen_text();
  program.send("\x16");  // Ctrl+V
  ASSERT_TRUE(program.wait_for_text("[Pasted to pattern 2]", 5s)) << program.screen_text();
  ASSERT_TRUE(program.wait_for_text(" 01 [02]", 5s)) << program.screen_text();

  // The autosave comes 30 s after the load.
  const auto log = [this] { return e2e::read_file(log_file()); };
  for (int waited = 0; waited < 40 && log().find("Auto-saved project: Phrase") == std::string::npos;
       ++waited) {
    program.pump(1s);
  }
  ASSERT_NE(log().find("Auto-saved project: Phrase"), std::string::npos) << log();
  auto saved = Project::load(file);
  ASSERT_TRUE(saved.has_value()) << saved.error().message();
  EXPECT_EQ(saved->bpm, 123.0);
  EXPECT_EQ(saved->current_pattern, 1);
  ASSERT_EQ(saved->patterns.size(), 2u);
  EXPECT_EQ(saved->patterns[1], saved->patterns[0]) << "the paste is a copy of pattern 1";
  const auto& edited = saved->patterns[0];
  EXPECT_EQ(edited.bpm, 123.0);
  const auto& phrase_steps = edited.tracks[2].steps;
  EXPECT_EQ(phrase_steps[0].note, 72);
  EXPECT_EQ(phrase_steps[1].note, 76);
  EXPECT_EQ(phrase_steps[2].note, 79);
  EXPECT_EQ(phrase_steps[0].flags, pattern::kStepOn);
  EXPECT_EQ(phrase_steps[2].flags, pattern::kStepOn | pattern::kStepAccent);
  EXPECT_EQ(phrase_steps[3].flags, 0);
  EXPECT_EQ(edited.tracks[0].steps[4], pattern::Step{}) << "the cleared kick";

  quit(program);
}

}  // namespace
