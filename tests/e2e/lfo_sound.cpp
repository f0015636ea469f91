// An LFO heard through the test fixture's JACK server: chosen in the target picker for track 2's
// filter cutoff, it makes each note of the beat brighter or darker than the one before.

#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/keys.hpp"
#include "e2e/program_run.hpp"
#include "e2e/sound.hpp"

namespace {

using namespace std::chrono_literals;
using e2e::kDown;
using e2e::kLeft;
using e2e::kRight;
using e2e::kUp;
using e2e::ProgramRun;
using e2e::PtySession;

// How bright each note of a recording is: the spectral centroid of its first 80 ms.
std::vector<double> note_brightness(const e2e::Recording& recording) {
  const auto mono = recording.mono();
  const std::span<const float> all(mono);
  std::vector<double> centroids;
  for (double at : e2e::onsets(all, recording.sample_rate)) {
    const auto from = static_cast<std::size_t>((at + 0.01) * recording.sample_rate);
    const auto length = static_cast<std::size_t>(0.08 * recording.sample_rate);
    if (from + length > mono.size()) break;
    centroids.push_back(e2e::spectral_centroid(all.subspan(from, length), recording.sample_rate));
  }
  return centroids;
}

// The brightness that `share` of the notes lie below. A period that the busy test server drops is
// a click that makes a note brighter, now and then darker: quartiles hold while clicks strike
// fewer than a quarter of the notes.
double quantile(std::vector<double> values, double share) {
  std::ranges::sort(values);
  return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

double darkest(const std::vector<double>& values) { return std::ranges::min(values); }

TEST_F(ProgramRun, AnLfoOnAFilterCutoffSweepsTheSpectrum) {
  PtySession program(options(30, 110, true));
  ASSERT_TRUE(open_new_project(program)) << program.screen_text();
  e2e::Listener listener;
  ASSERT_TRUE(listener.connect()) << "the program's output ports did not appear";
  program.send("m");  // only track 2's notes: the kicks of track 1 are muted
  // Track 2's filter at 12 dB an octave, steep enough for the sweep to set the notes apart.
  program.send("2w\t");
  program.send(kDown);
  program.send("\r");
  program.send(kRight);
  program.send("\r");
  ASSERT_TRUE(program.wait_for_text("LP2 (12dB)", 5s)) << program.screen_text();
  program.send("q");

  program.send(" ");
  ASSERT_TRUE(program.wait_for_text("[>]", 5s));
  program.pump(1500ms);  // clicks come mostly while the program draws after keys
  const auto steady = note_brightness(listener.record(3000ms));

  program.send("r");
  ASSERT_TRUE(program.wait_for_text("[LFO]", 5s));
  e2e::send_times(program, kDown, 3);
  program.send("\r");
  ASSERT_TRUE(program.wait_for_text("Select Target", 5s)) << program.screen_text();
  program.send("t2:filter f\r");
  ASSERT_TRUE(program.wait_for_text("Target: T2:Filter Freq", 5s)) << program.screen_text();
  // Rate 1 Hz down to 0.3 Hz, so that successive notes meet the wave at different phases.
  e2e::send_times(program, kUp, 2);
  program.send("\r");
  e2e::send_times(program, kLeft, 7);
  ASSERT_TRUE(program.wait_for_text("0.30 Hz", 5s)) << program.screen_text();
  e2e::escape(program);
  program.send(kDown);
  program.send("\r");
  e2e::send_times(program, kUp, 8);
  ASSERT_TRUE(program.wait_for_text("+80%", 5s)) << program.screen_text();
  e2e::escape(program);
  e2e::send_times(program, kDown, 7);
  program.send("\r");
  program.send(kRight);
  ASSERT_TRUE(program.wait_for_text(">>Enabled  ON", 5s)) << program.screen_text();

  // Three turns of the wave: the notes meet each trough at another phase, one of them near its
  // lowest point.
  const auto swept = note_brightness(listener.record(10000ms));
  ASSERT_GE(steady.size(), 4u);
  ASSERT_GE(swept.size(), 6u);
  // Unmodulated, the notes differ little; swept, the darkest is far below a typical unmodulated
  // one.
  EXPECT_LT(quantile(steady, 0.75) / quantile(steady, 0.25), 1.25);
  EXPECT_GT(quantile(steady, 0.25) / darkest(swept), 1.5);

  quit(program);
}

}  // namespace
