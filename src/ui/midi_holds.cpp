#include "ui/midi_holds.hpp"

namespace quorvelan::ui::midi_holds {

namespace messages = audio::messages;

bool MidiHolds::release_all(messages::AudioProducer& audio_tx) {
  for (std::uint8_t track = 0; track < pedals_.size(); ++track) {
    if (pedals_[track] && !audio_tx.push(messages::set_sustain(track, false))) return false;
    pedals_[track] = false;
  }
  for (std::uint8_t track = 0; track < notes_.size(); ++track) {
    for (std::size_t note = 0; note < kNotes; ++note) {
      if (!notes_[track].test(note)) continue;
      if (!audio_tx.push(messages::note_off(track, static_cast<std::uint8_t>(note)))) return false;
      notes_[track].reset(note);
    }
  }
  return true;
}

}  // namespace quorvelan::ui::midi_holds
