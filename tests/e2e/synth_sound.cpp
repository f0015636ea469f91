// Track 3's patch edited from the keyboard in the SYNTH view and heard through the test fixture's
// JACK server: the operator ratio moves the pitch, the filter darkens the sound, and the project
// saved afterwards carries the new values on track 3 alone.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "e2e/keys.hpp"
#include "e2e/program_run.hpp"
#include "e2e/sound.hpp"
#include "ui/harness.hpp"

namespace {

using namespace std::chrono_literals;
using e2e::ProgramRun;
using e2e::PtySession;
using quorvelan::sequencer::project::Project;
using quorvelan::sequencer::types::TrackSynthParams;

using e2e::kDown;
using e2e::kRight;
using e2e::repeat;

constexpr std::uint8_t kTrack = 2;
constexpr std::uint8_t kNote = 57;  // A3, 220 Hz
constexpr double kNoteHz = 220.0;

// A project named "Tone" whose only notes are four long A3s a bar on track 3, played by one
// carrier under one modulator, both at their full level while held, through an open 6 dB filter.
Project tone_project() {
  using namespace quorvelan;
  auto harness = ui::app::Harness::make();
  ui::app::App& state = harness.app;
  state.project_name = "Tone";
  auto pattern = std::make_shared<sequencer::pattern::Pattern>();
  for (int index : {0, 4, 8, 12}) {
    auto& step = pattern->tracks[kTrack].steps[static_cast<std::size_t>(index)];
    step.note = kNote;
    step.flags = sequencer::pattern::kStepOn;
    step.gate_ticks = 84;  // most of a quarter note
  }
  state.patterns = {pattern};
  TrackSynthParams& patch = state.synth_params[kTrack];
  patch.algorithm = 1;  // 2 > 1 > X, 4 > 3 > Y
  patch.mix = 0.0f;     // X only
  patch.op_ratios[0] = 1.0f;
  patch.op_ratios[1] = 1.0f;
  patch.op_levels[0] = 1.0f;
  patch.op_levels[1] = 0.15f;
  patch.op_end_level[0] = 1.0f;
  patch.op_end_level[1] = 1.0f;
  patch.filter_type = 0;
  patch.filter_cutoff = 1.0f;
  patch.amp_attack = 0.005f;
  patch.amp_sustain = 1.0f;
  patch.amp_release = 0.05f;
  return state.build_project();
}

// The median spectral centroid of the recording's 100 ms windows. A period the busy test server
// drops is a click, bright across the whole spectrum: it moves a window or two, not the median.
double median_centroid(const e2e::Recording& recording) {
  const auto mono = recording.mono();
  const std::size_t window = recording.sample_rate / 10;
  std::vector<double> centroids;
  for (std::size_t at = 0; at + window <= mono.size(); at += window) {
    centroids.push_back(
        e2e::spectral_centroid(std::span(mono).subspan(at, window), recording.sample_rate));
  }
  if (centroids.empty()) return 0.0;
  const auto middle = centroids.begin() + static_cast<std::ptrdiff_t>(centroids.size() / 2);
  std::ranges::nth_element(centroids, middle);
  return *middle;
}

TEST_F(ProgramRun, EditingTrackThreesPatchChangesWhatItPlaysAndWhatItSaves) {
  const Project written = tone_project();
  ASSERT_TRUE(written.save(projects() / "Tone.json").has_value());

  PtySession program(options(30, 110, true));
  ASSERT_TRUE(program.wait_for_text("  Tone", 10s)) << program.screen_text();
  e2e::Listener listener;
  ASSERT_TRUE(listener.connect()) << "the program's output ports did not appear";
  program.send("j\r");
  ASSERT_TRUE(program.wait_for_text("[Loaded: Tone]", 5s)) << program.screen_text();
  program.send("w3 ");
  ASSERT_TRUE(program.wait_for_text("Track 3 - Algorithm 2", 5s)) << program.screen_text();
  ASSERT_TRUE(program.wait_for_text("[>]", 5s));
  program.pump(300ms);
  const auto plain = listener.record(1500ms);

  // Operator 1's ratio from 1 to 2: four single steps.
  program.send(std::string(kDown) + "\r" + repeat(kRight, 4) + "\r");
  ASSERT_TRUE(program.wait_for_text("Rat 2.00", 5s)) << program.screen_text();
  program.pump(300ms);
  const auto octave_up = listener.record(1500ms);

  // The filter page: from 6 dB to 12 dB, then the cutoff down nine times five steps.
  program.send("\t\r" + std::string(kRight) + "\r" + kDown + "\r" + repeat(kDown, 9) + "\r");
  ASSERT_TRUE(program.wait_for_text("LP2 (12dB)", 5s)) << program.screen_text();
  ASSERT_TRUE(program.wait_for_text("Cutoff:    200Hz", 5s)) << program.screen_text();
  program.pump(600ms);  // the cutoff is taken at the next note
  const auto filtered = listener.record(1500ms);

  const double plain_peak = e2e::peak_frequency(plain.mono(), plain.sample_rate);
  const double octave_peak = e2e::peak_frequency(octave_up.mono(), octave_up.sample_rate);
  EXPECT_NEAR(plain_peak, kNoteHz, kNoteHz * 0.05);
  EXPECT_NEAR(octave_peak, 2 * kNoteHz, kNoteHz * 0.1);
  const double open = median_centroid(octave_up);
  const double dark = median_centroid(filtered);
  EXPECT_LT(dark, open * 0.8) << "peaks " << plain_peak << " " << octave_peak << ", centroid open "
                              << open << " Hz, filtered " << dark << " Hz";
  EXPECT_GT(e2e::rms(filtered.mono()), 1e-3) << "the filtered note is still heard";

  program.send("s" + repeat(kDown, 2) + "\r");
  ASSERT_TRUE(program.wait_for_text(" Save Project ", 5s)) << program.screen_text();
  program.send("Edited\r");
  ASSERT_TRUE(program.wait_for_text("[Saved: Edited]", 5s)) << program.screen_text();
  auto saved = Project::load(projects() / "Edited.json");
  ASSERT_TRUE(saved.has_value()) << saved.error().message();
  ASSERT_TRUE(saved->synth_params.has_value());
  TrackSynthParams expected = (*written.synth_params)[kTrack];
  expected.op_ratios[0] = 2.0f;
  expected.filter_type = 1;
  const TrackSynthParams& track3 = (*saved->synth_params)[kTrack];
  EXPECT_NEAR(track3.filter_cutoff, 0.1f, 1e-5f);
  expected.filter_cutoff = track3.filter_cutoff;
  EXPECT_EQ(track3, expected);
  for (std::uint8_t track : {0, 1, 3}) {
    EXPECT_EQ((*saved->synth_params)[track], (*written.synth_params)[track]) << int{track};
  }

  quit(program);
}

}  // namespace
