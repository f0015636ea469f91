#include "synth/voice_alloc.hpp"

#include <algorithm>
#include <utility>

namespace quorvelan::synth::voice_alloc {

namespace {

constexpr std::size_t kNotesPerTrack = 128;

template <std::size_t... I>
std::array<voice::Voice, sizeof...(I)> make_voices(float sample_rate, std::index_sequence<I...>) {
  return {((void)I, voice::Voice(sample_rate))...};
}

}  // namespace

VoiceAllocator::VoiceAllocator(float sample_rate)
    : voices_(make_voices(sample_rate, std::make_index_sequence<kVoiceCount>{})) {
  sustained_.reserve(kTrackCount * kNotesPerTrack);
}

voice::Voice& VoiceAllocator::choose_voice() {
  const auto idle = std::ranges::find(voices_, voice::VoiceState::Idle, &voice::Voice::state);
  if (idle != voices_.end()) return *idle;
  // min_element keeps the first of equal stamps.
  return *std::ranges::min_element(voices_, {}, &voice::Voice::age);
}

voice::Voice& VoiceAllocator::start(std::uint8_t track, std::uint8_t note) {
  ++note_counter_;
  auto& voice = choose_voice();
  voice.note_on(track, note, note_counter_);
  return voice;
}

bool VoiceAllocator::release_held_voice(std::uint8_t track, std::uint8_t note) {
  const auto held = std::ranges::find_if(voices_, [&](const voice::Voice& v) {
    return v.state == voice::VoiceState::Active && v.track == track && v.note == note;
  });
  if (held == voices_.end()) return false;
  held->release();
  return true;
}

void VoiceAllocator::release(std::uint8_t track, std::uint8_t note) {
  if (!sustain(track)) {
    release_held_voice(track, note);
    return;
  }
  const auto parked = std::ranges::find_if(
      sustained_, [&](const SustainedNote& s) { return s.track == track && s.note == note; });
  if (parked != sustained_.end())
    ++parked->count;
  else
    sustained_.push_back({track, note, 1});
}

void VoiceAllocator::set_sustain(std::uint8_t track, bool on) {
  sustain_[track % kTrackCount] = on;
  if (on) return;
  for (const auto& parked : sustained_) {
    if (parked.track != track) continue;
    for (std::uint32_t i = 0; i < parked.count; ++i)
      if (!release_held_voice(track, parked.note)) break;
  }
  std::erase_if(sustained_, [&](const SustainedNote& s) { return s.track == track; });
}

void VoiceAllocator::all_notes_off() {
  sustained_.clear();
  sustain_.fill(false);
  for (auto& v : voices_)
    if (v.state != voice::VoiceState::Idle) v.release();
}

}  // namespace quorvelan::synth::voice_alloc
