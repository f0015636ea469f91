// The mixer heard through the test fixture's JACK server: a track panned hard right sounds on the
// right, and muting it silences it.

#include <gtest/gtest.h>

#include "e2e/keys.hpp"
#include "e2e/program_run.hpp"
#include "e2e/sound.hpp"

namespace {

using namespace std::chrono_literals;
using e2e::kDown;
using e2e::kUp;
using e2e::ProgramRun;
using e2e::PtySession;

TEST_F(ProgramRun, APannedTrackSoundsOnTheRightAndMutingItSilencesIt) {
  PtySession program(options(30, 110, true));
  ASSERT_TRUE(open_new_project(program)) << program.screen_text();
  e2e::Listener listener;
  ASSERT_TRUE(listener.connect()) << "the program's output ports did not appear";

  // Only the kicks of track 1 play: track 2 is muted.
  program.send("t");
  ASSERT_TRUE(program.wait_for_text("[MIX]", 5s));
  program.send("2m");
  ASSERT_TRUE(program.wait_for_text("[MUTED]", 5s)) << program.screen_text();
  program.send("1");
  program.send(kDown);
  program.send("\r");
  program.send(kUp);
  program.send(kUp);
  ASSERT_TRUE(program.wait_for_text(">>Pan:R50", 5s)) << program.screen_text();

  program.send(" ");
  ASSERT_TRUE(program.wait_for_text("[>]", 5s)) << program.screen_text();
  const auto panned = listener.record(2000ms);
  const double left = e2e::rms(panned.left);
  const double right = e2e::rms(panned.right);
  EXPECT_GT(right, 1e-3) << "nothing heard";
  EXPECT_GT(right, 10.0 * left) << "left " << left << ", right " << right;

  program.send("m");
  program.pump(2500ms);  // the last kick's release tails off
  const auto muted = listener.record(1000ms);
  EXPECT_LT(e2e::rms(muted.mono()), e2e::rms(panned.mono()) * 1e-3) << program.screen_text();

  quit(program);
}

}  // namespace
