// The program heard through the test fixture's JACK server: the transport starts and stops the
// starter beat, and the play position moves on screen whatever the terminal sends meanwhile.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <set>
#include <utility>

#include "e2e/program_run.hpp"
#include "e2e/sound.hpp"
#include "ui/views.hpp"

namespace {

using namespace std::chrono_literals;
using e2e::ProgramRun;
using e2e::PtySession;

// The screen cell that shows the play position, if one does.
std::optional<std::pair<int, int>> play_position(const PtySession& program) {
  const auto colour = quorvelan::ui::views::Theme::dark().playhead_bg;
  const e2e::Rgb playhead{colour.r, colour.g, colour.b};
  for (int row = 0; row < program.rows(); ++row) {
    for (int col = 0; col < program.cols(); ++col) {
      if (program.cell(row, col).bg == playhead) return std::pair{row, col};
    }
  }
  return std::nullopt;
}

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

TEST_F(ProgramRun, ThePlayPositionKeepsMovingWhileAnEndlessStringTricklesIn) {
  PtySession program(options(30, 110, true));
  ASSERT_TRUE(open_new_project(program)) << program.screen_text();
  program.send(" ");
  ASSERT_TRUE(program.wait_for_text("[>]", 5s)) << program.screen_text();

  // A string the terminal might send, one byte every 8 ms for 2 s, with no end in sight.
  program.send("\x1b]");
  std::set<std::pair<int, int>> positions;
  for (int i = 0; i < 250; ++i) {
    program.send("x");
    program.pump(8ms);
    if (const auto at = play_position(program)) positions.insert(*at);
  }
  // Sixteenths at 120 BPM: 16 steps in 2 s.
  EXPECT_GE(positions.size(), 8u) << "the screen stood still while the string came in";

  program.send("\a");
  quit(program);
}

}  // namespace
