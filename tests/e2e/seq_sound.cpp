// A phrase entered from the keyboard, heard through the test fixture's JACK server: the notes
// sound on the steps they were entered on, and the cleared step stays silent.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "e2e/keys.hpp"
#include "e2e/program_run.hpp"
#include "e2e/sound.hpp"
#include "sequencer/project.hpp"

namespace {

namespace pattern = quorvelan::sequencer::pattern;
using namespace std::chrono_literals;
using e2e::ProgramRun;
using e2e::PtySession;

using e2e::kLeft;
using e2e::kRight;

constexpr double kStepSeconds = 0.125;  // a sixteenth at 120 BPM
constexpr double kLoopSeconds = 16 * kStepSeconds;

// Whether every onset falls on one of the steps (in loop time) once the first onset is matched to
// one of them, and every step is heard.
bool on_the_steps(const std::vector<double>& heard, const std::vector<int>& steps) {
  constexpr double kTolerance = 0.03;
  auto step_at = [&](double loop_time) {
    return std::ranges::find_if(steps, [&](int step) {
      const double distance = std::abs(loop_time - step * kStepSeconds);
      return std::min(distance, kLoopSeconds - distance) < kTolerance;
    });
  };
  return std::ranges::any_of(steps, [&](int first) {
    std::vector<bool> hit(steps.size(), false);
    for (double time : heard) {
      const double loop_time = std::fmod(time - heard.front() + first * kStepSeconds, kLoopSeconds);
      auto step = step_at(loop_time);
      if (step == steps.end()) return false;
      hit[static_cast<std::size_t>(step - steps.begin())] = true;
    }
    return std::ranges::all_of(hit, [](bool h) { return h; });
  });
}

TEST_F(ProgramRun, AnEnteredPhrasePlaysOnItsStepsAndStops) {
  quorvelan::sequencer::project::Project empty;
  empty.name = "Quiet";
  empty.patterns = {pattern::Pattern::default_pattern()};
  // No sends: the delay's echoes would sound between the steps.
  empty.mixer.emplace();
  empty.mixer->fill(quorvelan::sequencer::types::starting_mixer_state());
  ASSERT_TRUE(empty.save(projects() / "Quiet.json").has_value());

  PtySession program(options(30, 100, true));
  ASSERT_TRUE(program.wait_for_text("  Quiet", 10s)) << program.screen_text();
  e2e::Listener listener;
  ASSERT_TRUE(listener.connect()) << "the program's output ports did not appear";
  program.send("j\r");
  ASSERT_TRUE(program.wait_for_text("[Loaded: Quiet]", 5s)) << program.screen_text();

  // Steps 1, 2, 3 and 6 from the keyboard, then step 2 cleared.
  program.send("\rzxc" + e2e::repeat(kRight, 2) + "v");
  e2e::send_times(program, kLeft, 5);
  program.send(e2e::kDelete);
  ASSERT_TRUE(program.wait_for_text("C4   --   E4   --   --   F4", 5s)) << program.screen_text();
  program.send("\x1b");
  program.pump(2500ms);  // the last preview note is released and dies away

  program.send(" ");
  ASSERT_TRUE(program.wait_for_text("[>]", 5s)) << program.screen_text();
  const auto playing = listener.record(3000ms);
  auto heard = e2e::onsets(playing.mono(), playing.sample_rate);
  // A note already sounding when the recording starts is no onset.
  std::erase_if(heard, [](double time) { return time < 0.05; });
  ASSERT_GE(heard.size(), 4u) << "too few notes heard";
  std::string times;
  for (double time : heard) times += std::to_string(time) + " ";
  EXPECT_TRUE(on_the_steps(heard, {0, 2, 5})) << "onsets at " << times;

  program.send(" ");
  ASSERT_TRUE(program.wait_for_text("[ ]", 5s)) << program.screen_text();
  program.pump(2500ms);
  const auto stopped = listener.record(500ms);
  EXPECT_LT(e2e::rms(stopped.mono()), e2e::rms(playing.mono()) * 1e-3);

  quit(program);
}

}  // namespace
