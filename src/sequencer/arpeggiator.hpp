#pragma once
// The per-track arpeggiator and the scale quantiser. While a track's arpeggiator is on, its
// firing steps feed notes into the arpeggiator, which plays them back on its own step clock in
// the order of its mode, across its octave range, with per-step offsets. The quantiser moves
// every note a track starts onto the track's scale. Audio thread only; nothing here allocates.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "sequencer/pattern.hpp"

namespace quorvelan::sequencer::arpeggiator {

using pattern::ArpSettings;
using pattern::ScaleType;
using pattern::Track;

inline constexpr std::size_t kMaxHeldNotes = 16;
inline constexpr std::uint8_t kArpVelocity = 100;

// `note` moved onto the nearest degree of `scale` counted from `root` (0..11), within its own
// octave; the lower degree wins a tie. Notes pass unchanged with ScaleType::Off.
[[nodiscard]] std::uint8_t scale_quantize(ScaleType scale, std::uint8_t root, std::uint8_t note);

// Up to 16 MIDI notes kept in ascending order, repeats included; a full list ignores more.
class NoteList {
 public:
  void insert(std::uint8_t note);
  [[nodiscard]] std::span<const std::uint8_t> notes() const { return {notes_.data(), size_}; }
  [[nodiscard]] bool empty() const { return size_ == 0; }

 private:
  std::array<std::uint8_t, kMaxHeldNotes> notes_{};
  std::size_t size_ = 0;
};

// What one tick asks the track to do: end a note, then start one (both quantised already).
struct ArpEvents {
  std::optional<std::uint8_t> end;
  std::optional<std::uint8_t> start;
};

class Arpeggiator {
 public:
  // Takes the track's arpeggiator settings, step length and scale (at Play and at a new
  // pattern); position, gate and note lists are kept.
  void refresh(const Track& track);
  // Back to the first position, octave 0, going up, forgetting a sounding note (at Play).
  void restart();

  // A firing step of the track hands its note over.
  void add_note(std::uint8_t note);

  // One clock tick (96 per quarter note).
  [[nodiscard]] ArpEvents tick();

  // The note that still sounds, if any; it is forgotten, the caller ends it.
  [[nodiscard]] std::optional<std::uint8_t> take_sounding();

  [[nodiscard]] std::span<const std::uint8_t> held_notes() const { return notes_.notes(); }

 private:
  [[nodiscard]] std::size_t index_for(std::size_t count) const;
  [[nodiscard]] std::uint8_t note_at(std::span<const std::uint8_t> source) const;
  [[nodiscard]] bool at_top_octave() const;
  void advance(std::size_t count);
  void advance_up_down(std::size_t count);
  void advance_down_up(std::size_t count);

  NoteList notes_;
  NoteList latched_;
  std::size_t position_ = 0;
  std::uint32_t tick_counter_ = 0;
  std::uint32_t step_ticks_ = 24;  // ticks per arpeggiator step
  std::uint32_t gate_countdown_ = 0;
  ArpSettings settings_;
  ScaleType scale_ = ScaleType::Off;
  std::uint8_t scale_root_ = 0;
  bool going_up_ = true;
  bool sounding_ = false;
  std::uint8_t octave_ = 0;
  std::uint8_t current_note_ = 0;  // as started, after quantising
};

}  // namespace quorvelan::sequencer::arpeggiator
