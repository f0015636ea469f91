// The FX, MIX and LFO views in the real program: the target picker narrowed by typing, and edits
// in all three views kept in the project file.

#include <gtest/gtest.h>

#include "e2e/keys.hpp"
#include "e2e/program_run.hpp"
#include "e2e/pty_screen.hpp"
#include "sequencer/project.hpp"
#include "ui/harness.hpp"

namespace {

using namespace std::chrono_literals;
using e2e::kDown;
using e2e::kLeft;
using e2e::kRight;
using e2e::kUp;
using e2e::ProgramRun;
using e2e::PtySession;

TEST_F(ProgramRun, TypingNarrowsTheTargetPickerOnScreen) {
  PtySession program(options());
  ASSERT_TRUE(open_new_project(program)) << program.screen_text();
  program.send("r");
  ASSERT_TRUE(program.wait_for_text("[LFO]", 5s));
  e2e::send_times(program, kDown, 3);
  program.send("\r");
  ASSERT_TRUE(program.wait_for_text("Select Target", 5s)) << program.screen_text();
  EXPECT_TRUE(program.find("  T1:Op 1 Ratio"));

  program.send("REV");
  ASSERT_TRUE(program.wait_for_text("Filter: REV", 5s)) << program.screen_text();
  EXPECT_TRUE(program.find("  MIX:Reverb Send"));
  EXPECT_FALSE(program.find("T1:Op 1 Ratio"));
  const auto first = program.find("  FX:Reverb Decay");
  ASSERT_TRUE(first);
  EXPECT_EQ(program.cell(first->first, first->second + 2).bg, e2e::rgb("CDD6F4"));
  const auto second = program.find("  FX:Reverb Damp");
  ASSERT_TRUE(second);
  EXPECT_EQ(second->first, first->first + 1);

  program.send("zz");
  ASSERT_TRUE(program.wait_for_text("(no matches)", 5s)) << program.screen_text();
  program.send("\x7f\x7f\x7f\x7f\x7f");  // Backspace to an empty filter
  ASSERT_TRUE(program.wait_for_text("T1:Op 1 Ratio", 5s)) << program.screen_text();
  e2e::escape(program);
  EXPECT_FALSE(program.find("Select Target"));
  EXPECT_TRUE(program.find("Target: (none)"));

  quit(program);
}

TEST_F(ProgramRun, MixerEffectAndLfoEditsAreKeptInTheProjectFile) {
  using namespace quorvelan;
  auto harness = ui::app::Harness::make();
  ui::app::App& state = harness.app;
  state.project_name = "Mixdown";
  const auto file = projects() / "Mixdown.json";
  ASSERT_TRUE(state.build_project().save(file).has_value());
  const auto start = *sequencer::project::Project::load(file);

  PtySession program(options());
  ASSERT_TRUE(program.wait_for_text("  Mixdown", 10s)) << program.screen_text();
  program.send("j\r");
  ASSERT_TRUE(program.wait_for_text("[Loaded: Mixdown]", 5s)) << program.screen_text();

  // MIX: track 1's pan up 0.5, track 2 muted, track 3's reverb send up 0.5, then the master's
  // drive up 0.1 and the DJ filter down 0.1.
  program.send("t");
  ASSERT_TRUE(program.wait_for_text("[MIX]", 5s));
  program.send(kDown);
  program.send("\r");
  program.send(kUp);
  e2e::escape(program);
  program.send("2m3");
  e2e::send_times(program, kDown, 3);
  program.send("\r");
  e2e::send_times(program, kUp, 2);
  e2e::escape(program);
  e2e::send_times(program, kRight, 2);
  program.send(kDown);
  program.send("\r");
  program.send(kUp);
  e2e::escape(program);
  e2e::send_times(program, kDown, 2);
  program.send("\r");
  e2e::send_times(program, kLeft, 5);
  ASSERT_TRUE(program.wait_for_text(">>Cut:LP 20%", 5s)) << program.screen_text();
  e2e::escape(program);

  // FX: the delay's feedback up 0.1.
  program.send("e");
  ASSERT_TRUE(program.wait_for_text("[FX]", 5s));
  program.send(kRight);
  e2e::send_times(program, kDown, 2);
  program.send("\r");
  program.send(kUp);
  ASSERT_TRUE(program.wait_for_text("Feedback 50%", 5s)) << program.screen_text();
  e2e::escape(program);

  // LFO 2: on the DJ filter's cutoff, phase 45°, switched on.
  program.send("r");
  ASSERT_TRUE(program.wait_for_text("[LFO]", 5s));
  program.send(kRight);
  e2e::send_times(program, kDown, 3);
  program.send("\r");
  program.send("dj cut");
  ASSERT_TRUE(program.wait_for_text("  FX:DJ Cutoff", 5s)) << program.screen_text();
  program.send("\r");
  e2e::send_times(program, kDown, 5);
  program.send("\r");
  program.send(kUp);
  ASSERT_TRUE(program.wait_for_text(">>Phase    45°", 5s)) << program.screen_text();
  e2e::escape(program);
  program.send(kDown);
  program.send("\r");
  program.send(kRight);
  ASSERT_TRUE(program.wait_for_text(">>Enabled  ON", 5s)) << program.screen_text();

  program.pump(32s);  // one autosave period
  const auto saved = sequencer::project::Project::load(file);
  ASSERT_TRUE(saved.has_value());
  ASSERT_TRUE(saved->mixer && saved->effects && saved->lfos);
  const auto& mixer = *saved->mixer;
  const auto& effects = *saved->effects;
  EXPECT_NEAR(mixer[0].pan, start.mixer->at(0).pan + 0.5f, 1e-5f);
  EXPECT_TRUE(mixer[1].muted);
  EXPECT_FALSE(mixer[0].muted || mixer[2].muted || mixer[3].muted);
  EXPECT_NEAR(mixer[2].reverb_send, start.mixer->at(2).reverb_send + 0.5f, 1e-5f);
  EXPECT_NEAR(effects.overdrive_drive, start.effects->overdrive_drive + 0.1f, 1e-5f);
  EXPECT_NEAR(effects.dj_filter_cutoff, start.effects->dj_filter_cutoff - 0.1f, 1e-5f);
  EXPECT_NEAR(effects.delay_feedback, start.effects->delay_feedback + 0.1f, 1e-5f);
  const auto& lfo = saved->lfos->at(1);
  EXPECT_EQ(lfo.target, (lfo::ModTarget::EffectParam{5, 0}));
  EXPECT_NEAR(lfo.base_value, effects.dj_filter_cutoff, 1e-5f);
  EXPECT_NEAR(lfo.phase_offset, 0.125f, 1e-5f);
  EXPECT_TRUE(lfo.enabled);
  EXPECT_EQ(saved->lfos->at(0), start.lfos->at(0));

  quit(program);
}

}  // namespace
