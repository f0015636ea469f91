#pragma once
// The polyphonic FM synthesizer of the audio thread: 16 voices shared by four tracks, one patch
// per track, and the parameter entry point that changes a patch and, for the live parameters,
// the track's sounding voices. Audio thread only; nothing here locks or allocates.

#include <array>
#include <cstdint>
#include <span>

#include "synth/voice.hpp"
#include "synth/voice_alloc.hpp"

namespace quorvelan::synth::engine {

using OperatorValues = std::array<float, voice::kOperatorsPerVoice>;  // operator 1 first

// The engine's copy of one track's patch, kept up to date by `set_param`. Times in seconds,
// levels linear.
struct TrackPatch {
  OperatorValues op_ratio{1.0f, 2.0f, 1.0f, 3.0f, 4.0f, 5.0f};
  OperatorValues op_level{1.0f, 0.8f, 0.6f, 0.5f, 0.4f, 0.3f};
  OperatorValues op_feedback{};
  OperatorValues op_attack{0.01f, 0.01f, 0.01f, 0.01f, 0.01f, 0.01f};
  OperatorValues op_decay{0.5f, 0.3f, 0.5f, 0.3f, 0.4f, 0.3f};
  OperatorValues op_end_level{0.3f, 0.3f, 0.3f, 0.3f, 0.3f, 0.3f};
  OperatorValues op_release{0.3f, 0.3f, 0.3f, 0.3f, 0.3f, 0.3f};
  float mix = 0.5f;
  float cutoff = 1.0f;  // normalised 0..1
  float resonance = 0.0f;
  float filter_env_amount = 0.0f;
  float amp_attack = 0.01f;
  float amp_decay = 0.3f;
  float amp_sustain = 0.7f;
  float amp_release = 0.3f;
  float pan = 0.0f;
  float volume = 0.8f;
  float drive = 0.0f;
  std::uint8_t algorithm = 1;
  std::uint8_t filter_type = 1;  // filter::FilterType, never above 5
};

class SynthEngine {
 public:
  explicit SynthEngine(float sample_rate);

  // Starts a note with the patch of `track` (modulo 4); gain = velocity / 127 x volume.
  void note_on(std::uint8_t track, std::uint8_t note, std::uint8_t velocity);

  // Changes one parameter (ids of synth::params) of the patch of `track` (modulo 4); live ids
  // also reach the sounding voices of `track`. Unknown ids and non-finite values change nothing.
  void set_param(std::uint8_t track, std::uint8_t id, float value);

  // Rescales the gain of the sounding voices of `track` from one track volume to another,
  // keeping each note's velocity scaling when the old volume was above 0.001.
  static void update_active_voices(std::span<voice::Voice> voices, std::uint8_t track,
                                   float old_volume, float new_volume);

  // Fills `out` with the sum of all voices, and raises each track's peaks.
  void render(std::span<voice::StereoFrame> out);

  // The largest single-voice output magnitude per track (0..3) since the last call.
  std::array<voice::StereoFrame, voice_alloc::kTrackCount> take_peaks();

  voice_alloc::VoiceAllocator& voice_allocator() { return allocator_; }
  const voice_alloc::VoiceAllocator& voice_allocator() const { return allocator_; }
  const TrackPatch& patch(std::uint8_t track) const {
    return patches_[track % voice_alloc::kTrackCount];
  }

 private:
  voice_alloc::VoiceAllocator allocator_;
  std::array<TrackPatch, voice_alloc::kTrackCount> patches_{};
  std::array<voice::StereoFrame, voice_alloc::kTrackCount> peaks_{};
};

}  // namespace quorvelan::synth::engine
