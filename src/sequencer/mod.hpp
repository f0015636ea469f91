#pragma once
// Pattern playback on the audio thread: a clock of 96 ticks per quarter note counted from the
// output's samples, and per track the step timing (swing, micro-timing), gates, accents, mutes,
// trig conditions with their loop counters, and the hand-over to the arpeggiator. Notes go out
// through a NotePlayer, already moved onto the track's scale.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "sequencer/arpeggiator.hpp"
#include "sequencer/pattern.hpp"

namespace quorvelan::sequencer {

using pattern::kTrackCount;
using pattern::Pattern;

// Where the sequencer's notes sound. Ending a note honours the track's sustain pedal.
class NotePlayer {
 public:
  virtual void start_note(std::uint8_t track, std::uint8_t note, std::uint8_t velocity) = 0;
  virtual void end_note(std::uint8_t track, std::uint8_t note) = 0;

 protected:
  ~NotePlayer() = default;
};

// A note a track's step started and still holds.
struct Gate {
  std::uint8_t note = 0;
  std::uint32_t ticks_left = 0;
};

struct TrackPlayState {
  std::optional<Gate> gate;
  std::uint32_t ticks_since_boundary = 0;
  std::uint32_t loop_counter = 0;  // completed passes of the step list, never reset
  bool muted = false;
  std::uint8_t step = 0;  // the step the track reaches at its next boundary
  // How far, in ticks, the last boundary fell from its place on the grid of swung step waits:
  // each step's micro-timing moves that step alone.
  std::int32_t grid_shift = 0;
};

class Sequencer {
 public:
  // Builds the default pattern: call off the audio thread.
  explicit Sequencer(double sample_rate);

  // Starts the clock and every track from step 0. Notes still held from a run in progress are
  // ended first so that none hangs.
  void play(NotePlayer& player);
  // Stops the clock; the caller releases the voices, so held gates are left as they are.
  void stop() { running_ = false; }
  // Tempo in beats per minute, limited to 20..300; NaN is ignored.
  void set_bpm(double bpm);
  void set_mute(std::uint8_t track, bool muted);
  void set_fill(bool fill) { fill_ = fill; }
  // Takes over a new pattern at the next tick; positions, gates and loop counters carry on.
  // A track whose arpeggiator switches on or off ends the note it holds. The old pattern is
  // freed here.
  void set_pattern(std::unique_ptr<Pattern> pattern, NotePlayer& player);

  // Advances the clock over `frames` samples while it runs, playing every tick that falls due.
  void advance(std::size_t frames, NotePlayer& player);

  [[nodiscard]] bool running() const { return running_; }
  [[nodiscard]] double bpm() const { return bpm_; }
  [[nodiscard]] const TrackPlayState& track_state(std::size_t track) const {
    return tracks_[track];
  }

 private:
  void tick(NotePlayer& player);
  void tick_gate(std::uint8_t track, NotePlayer& player);
  void end_gate(std::uint8_t track, NotePlayer& player);
  void tick_arpeggiator(std::uint8_t track, NotePlayer& player);
  // `wait` is the step's wait, `base` the same without micro-timing.
  void boundary(std::uint8_t track, std::int32_t wait, std::int32_t base, NotePlayer& player);
  [[nodiscard]] bool fires(std::uint8_t track, const pattern::Step& step);
  [[nodiscard]] bool condition_passes(std::uint8_t track, const pattern::TrigCondition& condition);
  void play_step(std::uint8_t track, const pattern::Step& step, NotePlayer& player);
  void end_held_notes(std::uint8_t track, NotePlayer& player);

  std::unique_ptr<Pattern> pattern_;
  std::array<arpeggiator::Arpeggiator, kTrackCount> arpeggiators_{};
  std::array<TrackPlayState, kTrackCount> tracks_{};
  std::array<bool, kTrackCount> last_results_{};
  bool fill_ = false;
  double bpm_ = 120.0;
  double sample_rate_;
  double sample_counter_ = 0.0;  // samples since the last tick
  bool running_ = false;
};

}  // namespace quorvelan::sequencer
