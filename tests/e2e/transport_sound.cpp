// The program heard through the test fixture's JACK server: the transport starts and stops the
// starter beat.

#include <gtest/gtest.h>

#include <cmath>

#include "e2e/program_run.hpp"
#include "e2e/sound.hpp"

namespace {

using namespace std::chrono_literals;
using e2e::ProgramRun;
using e2e::PtySession;

TEST_F(ProgramRun, SpacePlaysTheStarterBeatOnTheDeviceAndSpaceStopsIt) {
  PtySession program(options(30, 110, true));
  ASSERT_TRUE(program.wait_for_text("+ New Project", 10s)) << program.screen_text();
  e2e::Listener listener;
  ASSERT_TRUE(listener.connect()) << "the program's output ports did not appear";
  ASSERT_TRUE(open_new_project(program)) << program.screen_text();

  program.send(" ");
  ASSERT_TRUE(program.wait_for_text("[>]", 5s)) << program.screen_text();
  const auto playing = listener.record(2000ms);
  // Sixteenths at 120 BPM: the starter beat sounds every second sixteenth, 0.25 s apart.
  const auto heard = e2e::onsets(playing.mono(), playing.sample_rate);
  ASSERT_GE(heard.size(), 6u) << "too few notes heard";
  for (std::size_t i = 1; i < heard.size(); ++i) {
    const double gap = heard[i] - heard[i - 1];
    EXPECT_NEAR(gap / 0.25, std::round(gap / 0.25), 0.08) << "onset " << i << " at " << heard[i];
  }

  program.send(" ");
  ASSERT_TRUE(program.wait_for_text("[ ]", 5s)) << program.screen_text();
  program.pump(2500ms);  // the last notes' release tails off exponentially
  const auto stopped = listener.record(500ms);
  EXPECT_LT(e2e::rms(stopped.mono()), e2e::rms(playing.mono()) * 1e-3);

  quit(program);
}

}  // namespace
