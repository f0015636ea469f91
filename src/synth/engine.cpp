#include "synth/engine.hpp"

#include <algorithm>
#include <cmath>

#include "numeric.hpp"
#include "synth/filter.hpp"
#include "synth/params.hpp"
#include "synth/voice_bank.hpp"
#include "synth/wavetable.hpp"

namespace quorvelan::synth::engine {

namespace {

using voice::Voice;
using voice::VoiceState;

constexpr float kMinimumVolume = 0.001f;

// Algorithm and filter-type values arrive as floats: truncated, saturated to 0..255.
std::uint8_t to_id(float value) { return saturating_cast<std::uint8_t>(value); }

std::uint8_t to_filter_type(float value) {
  const std::uint8_t type = to_id(value);
  return type < filter::kFilterTypeCount ? type
                                         : static_cast<std::uint8_t>(filter::FilterType::Lp2);
}

// The float field that `id` names, or nullptr for the integer fields (algorithm, filter type).
float* float_field(TrackPatch& patch, std::uint8_t id) {
  using namespace params;
  if (id < kAlgorithm) {
    const std::array groups{&patch.op_ratio,  &patch.op_level, &patch.op_feedback,
                            &patch.op_attack, &patch.op_decay, &patch.op_end_level};
    return &(*groups[id / voice::kOperatorsPerVoice])[id % voice::kOperatorsPerVoice];
  }
  if (id >= kOpRelease) return &patch.op_release[id - kOpRelease];
  switch (id) {
    case kMix:
      return &patch.mix;
    case kFilterCutoff:
      return &patch.cutoff;
    case kFilterResonance:
      return &patch.resonance;
    case kFilterEnvAmount:
      return &patch.filter_env_amount;
    case kAmpAttack:
      return &patch.amp_attack;
    case kAmpDecay:
      return &patch.amp_decay;
    case kAmpSustain:
      return &patch.amp_sustain;
    case kAmpRelease:
      return &patch.amp_release;
    case kPan:
      return &patch.pan;
    case kVolume:
      return &patch.volume;
    case kDrive:
      return &patch.drive;
    default:
      return nullptr;
  }
}

void store(TrackPatch& patch, std::uint8_t id, float value) {
  if (id == params::kAlgorithm)
    patch.algorithm = to_id(value);
  else if (id == params::kFilterType)
    patch.filter_type = to_filter_type(value);
  else
    *float_field(patch, id) = value;
}

// Copies a live parameter, as stored in the patch, into a sounding voice.
void apply_live(Voice& voice, const TrackPatch& patch, std::uint8_t id) {
  using namespace params;
  const int op = id % voice::kOperatorsPerVoice;
  if (id < kOpLevel) {
    voice.operators[op].ratio = patch.op_ratio[op];
  } else if (id < kOpFeedback) {
    voice.operators[op].level = patch.op_level[op];
  } else if (id < kOpAttack) {
    voice.operators[op].feedback = patch.op_feedback[op];
  } else if (id == kAlgorithm) {
    voice.algorithm = patch.algorithm;
  } else if (id == kMix) {
    voice.mix = patch.mix;
  } else if (id == kAmpRelease) {
    voice.amp_envelope.set_release(patch.amp_release);
  } else if (id == kPan) {
    voice.pan = patch.pan;
  } else if (id == kDrive) {
    voice.drive = patch.drive;
  }
}

void load_patch(Voice& voice, const TrackPatch& patch, std::uint8_t velocity) {
  voice.algorithm = patch.algorithm;
  voice.mix = patch.mix;
  voice.cutoff = patch.cutoff;
  voice.resonance = patch.resonance;
  voice.filter_env_amount = patch.filter_env_amount;
  voice.pan = patch.pan;
  voice.drive = patch.drive;
  voice.filter_type = static_cast<filter::FilterType>(patch.filter_type);
  for (int j = 0; j < voice::kOperatorsPerVoice; ++j) {
    auto& op = voice.operators[j];
    op.ratio = patch.op_ratio[j];
    op.level = patch.op_level[j];
    op.feedback = patch.op_feedback[j];
    op.envelope.set_times(patch.op_attack[j], patch.op_decay[j], patch.op_end_level[j],
                          patch.op_release[j]);
  }
  voice.amp_envelope.set_times(patch.amp_attack, patch.amp_decay, patch.amp_sustain,
                               patch.amp_release);
  voice.gain = static_cast<float>(velocity) / 127.0f * patch.volume;
  voice.prepare_filter();
}

bool sounds_on(const Voice& voice, std::uint8_t track) {
  return voice.track == track && voice.state != VoiceState::Idle;
}

}  // namespace

SynthEngine::SynthEngine(float sample_rate) : allocator_(sample_rate) {
  // Built here, where the engine is made, rather than in the audio thread's first render.
  wavetable::sine_point_table();
}

void SynthEngine::note_on(std::uint8_t track, std::uint8_t note, std::uint8_t velocity) {
  auto& voice = allocator_.start(track, note);
  load_patch(voice, patch(track), velocity);
}

void SynthEngine::set_param(std::uint8_t track, std::uint8_t id, float value) {
  if (id >= params::kParamCount || !std::isfinite(value)) return;
  auto& track_patch = patches_[track % voice_alloc::kTrackCount];
  if (id == params::kVolume) {
    const float old_volume = track_patch.volume;
    track_patch.volume = value;
    update_active_voices(allocator_.voices(), track, old_volume, value);
    return;
  }
  store(track_patch, id, value);
  if (!params::is_live(id)) return;
  for (auto& voice : allocator_.voices())
    if (sounds_on(voice, track)) apply_live(voice, track_patch, id);
}

void SynthEngine::update_active_voices(std::span<Voice> voices, std::uint8_t track,
                                       float old_volume, float new_volume) {
  for (auto& voice : voices) {
    if (!sounds_on(voice, track)) continue;
    voice.gain = old_volume > kMinimumVolume ? voice.gain / old_volume * new_volume : new_volume;
  }
}

void SynthEngine::render(std::span<voice::StereoFrame> out) {
  std::ranges::fill(out, voice::StereoFrame{});
  std::array<voice::StereoFrame, voice_alloc::kVoiceCount> voice_peaks{};
  voice_bank::render(allocator_.voices(), out, voice_peaks);
  for (std::size_t v = 0; v < voice_peaks.size(); ++v) {
    auto& peak = peaks_[allocator_.voices()[v].track % voice_alloc::kTrackCount];
    peak.left = std::max(peak.left, voice_peaks[v].left);
    peak.right = std::max(peak.right, voice_peaks[v].right);
  }
}

std::array<voice::StereoFrame, voice_alloc::kTrackCount> SynthEngine::take_peaks() {
  const auto peaks = peaks_;
  peaks_.fill(voice::StereoFrame{});
  return peaks;
}

}  // namespace quorvelan::synth::engine
