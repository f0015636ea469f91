// A factory voice found through the browser's filter changes what track 2 sounds like.

#include <gtest/gtest.h>

#include "e2e/keys.hpp"
#include "e2e/program_run.hpp"
#include "e2e/sound.hpp"

namespace {

using namespace std::chrono_literals;
using e2e::ProgramRun;
using e2e::PtySession;

TEST_F(ProgramRun, AFilteredFactoryVoiceLoadedIntoTrackTwoChangesItsTimbre) {
  PtySession program(options(30, 110, true));
  ASSERT_TRUE(open_new_project(program)) << program.screen_text();
  e2e::Listener listener;
  ASSERT_TRUE(listener.connect()) << "the program's output ports did not appear";

  // Only track 2 of the starter beat: its note every half second.
  program.send("m2 ");
  ASSERT_TRUE(program.wait_for_text("[>]", 5s)) << program.screen_text();
  program.pump(500ms);
  const auto before = listener.record(1500ms);
  const auto again = listener.record(1500ms);  // the same patch, to know how far a timbre drifts

  program.send(std::string("l") + e2e::kDown + "\r\rbuzz");
  ASSERT_TRUE(program.wait_for_text("> Buzz Lead", 5s)) << program.screen_text();
  program.send("\r");
  ASSERT_TRUE(program.wait_for_text("[Loaded to Track 2: [DX7 ROM1A] Buzz Lead]", 5s))
      << program.screen_text();
  program.pump(1000ms);  // the last note of the old patch dies away
  const auto after = listener.record(1500ms);

  const double rms_before = e2e::rms(before.mono());
  const double rms_after = e2e::rms(after.mono());
  ASSERT_GT(rms_before, 1e-3) << "track 2 was not heard";
  ASSERT_GT(rms_after, 1e-3) << "track 2 fell silent";
  auto centroid = [](const e2e::Recording& heard) {
    return e2e::spectral_centroid(heard.mono(), heard.sample_rate);
  };
  const double old_patch = centroid(before);
  EXPECT_NEAR(centroid(again) / old_patch, 1.0, 0.05)
      << centroid(again) << " Hz, then " << old_patch;
  EXPECT_GT(centroid(after) / old_patch, 1.25)
      << "centroid " << old_patch << " Hz before, " << centroid(after) << " Hz after";

  quit(program);
}

}  // namespace
