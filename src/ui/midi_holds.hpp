#pragma once
// The notes and sustain pedals that MIDI input has started on the tracks and not yet ended. When
// the events that would end them are lost (the MIDI queue overflowed while the main loop stood
// still), they are ended here, as a keyboard's all-notes-off would, so that nothing keeps
// sounding.

#include <array>
#include <bitset>
#include <cstdint>

#include "audio/messages.hpp"
#include "sequencer/pattern.hpp"

namespace quorvelan::ui::midi_holds {

class MidiHolds {
 public:
  // As routed to a track (0..3); notes 0..127.
  void note_on(std::uint8_t track, std::uint8_t note) { notes_[track].set(note); }
  void note_off(std::uint8_t track, std::uint8_t note) { notes_[track].reset(note); }
  void sustain(std::uint8_t track, bool on) { pedals_[track] = on; }

  // Pushes the end of every pedal and note still held, pedals first so that the notes end at
  // once, and forgets each one pushed. True once nothing is held; a ring without room for all
  // of them keeps the rest for the next call.
  bool release_all(audio::messages::AudioProducer& audio_tx);

 private:
  static constexpr std::size_t kNotes = 128;
  std::array<std::bitset<kNotes>, sequencer::pattern::kTrackCount> notes_{};
  std::array<bool, sequencer::pattern::kTrackCount> pedals_{};
};

}  // namespace quorvelan::ui::midi_holds
