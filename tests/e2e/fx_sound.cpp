// The send effects heard through the test fixture's JACK server: with the reverb send raised, the
// beat leaves a tail after the transport stops.

#include <gtest/gtest.h>

#include "e2e/keys.hpp"
#include "e2e/program_run.hpp"
#include "e2e/sound.hpp"

namespace {

using namespace std::chrono_literals;
using e2e::kDown;
using e2e::kRight;
using e2e::kUp;
using e2e::ProgramRun;
using e2e::PtySession;
using e2e::Recording;

// Plays the beat for a while, stops it and records what follows the stop.
Recording after_the_beat(PtySession& program, e2e::Listener& listener) {
  program.send(" ");
  EXPECT_TRUE(program.wait_for_text("[>]", 5s)) << program.screen_text();
  program.pump(2000ms);
  program.send(" ");
  EXPECT_TRUE(program.wait_for_text("[ ]", 5s)) << program.screen_text();
  return listener.record(2000ms);
}

TEST_F(ProgramRun, ARaisedReverbSendLeavesATailAfterTheNotesStop) {
  PtySession program(options(30, 110, true));
  ASSERT_TRUE(open_new_project(program)) << program.screen_text();
  e2e::Listener listener;
  ASSERT_TRUE(listener.connect()) << "the program's output ports did not appear";

  const auto dry = after_the_beat(program, listener);

  // Track 1's reverb send to 100%: the engine's one reverb bus takes it for the whole mix.
  program.send("t");
  ASSERT_TRUE(program.wait_for_text("[MIX]", 5s));
  for (int i = 0; i < 4; ++i) program.send(kDown);
  program.send("\r");
  for (int i = 0; i < 4; ++i) program.send(kUp);
  ASSERT_TRUE(program.wait_for_text(">>REV:100%", 5s)) << program.screen_text();
  e2e::escape(program);
  // A long, fully wet reverb: decay 0.6 to 0.9, mix 0.3 to 1.
  program.send("e");
  ASSERT_TRUE(program.wait_for_text("[FX]", 5s));
  program.send(kRight);
  program.send(kRight);
  program.send("\r");
  for (int i = 0; i < 3; ++i) program.send(kUp);
  ASSERT_TRUE(program.wait_for_text("Decay    90%", 5s)) << program.screen_text();
  e2e::escape(program);
  program.send(kDown);
  program.send(kDown);
  program.send("\r");
  for (int i = 0; i < 7; ++i) program.send(kUp);
  ASSERT_TRUE(program.wait_for_text("Mix      100%", 5s)) << program.screen_text();
  e2e::escape(program);

  const auto wet = after_the_beat(program, listener);
  // Past the notes' own release, only the reverb still sounds.
  const double dry_tail = e2e::rms(dry.left_between(0.6, 0.8));
  const double wet_tail = e2e::rms(wet.left_between(0.6, 0.8));
  EXPECT_GT(wet_tail, 1e-3) << "no tail heard";
  EXPECT_GT(wet_tail, 10.0 * dry_tail) << "dry " << dry_tail << ", wet " << wet_tail;

  quit(program);
}

}  // namespace
