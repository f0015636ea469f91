#pragma once
// The 16 voices shared by the four tracks: which voice a new note gets (the first idle one,
// else the oldest note's), which voice a note-off releases, and the per-track sustain pedal,
// which parks note-offs until the pedal comes up.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "synth/voice.hpp"

namespace quorvelan::synth::voice_alloc {

inline constexpr int kVoiceCount = 16;
inline constexpr int kTrackCount = 4;

// A note-off parked by the sustain pedal; `count` note-offs of that track and note so far,
// each of which releases one voice when the pedal comes up.
struct SustainedNote {
  std::uint8_t track;
  std::uint8_t note;
  std::uint32_t count;
};

class VoiceAllocator {
 public:
  explicit VoiceAllocator(float sample_rate);

  // Starts a note on the first idle voice, or on the voice of the oldest note when none is
  // idle (restarted at once), and returns that voice.
  voice::Voice& start(std::uint8_t track, std::uint8_t note);

  // Note off: parked while the track's pedal is down, else releases the first held voice of
  // that track and note. One note-off releases one voice.
  void release(std::uint8_t track, std::uint8_t note);

  // Pedal up releases as many voices of each parked note as note-offs were parked for it.
  void set_sustain(std::uint8_t track, bool on);

  // Lifts every pedal, forgets parked notes and releases every sounding voice.
  void all_notes_off();

  std::span<voice::Voice, kVoiceCount> voices() { return voices_; }
  std::span<const voice::Voice, kVoiceCount> voices() const { return voices_; }
  std::span<const SustainedNote> sustained_notes() const { return sustained_; }
  bool sustain(std::uint8_t track) const { return sustain_[track % kTrackCount]; }

 private:
  voice::Voice& choose_voice();
  bool release_held_voice(std::uint8_t track, std::uint8_t note);

  std::array<voice::Voice, kVoiceCount> voices_;
  // Reserved for every note of the four tracks, so parking never allocates in practice.
  std::vector<SustainedNote> sustained_;
  std::uint64_t note_counter_ = 0;
  std::array<bool, kTrackCount> sustain_{};
};

}  // namespace quorvelan::synth::voice_alloc
