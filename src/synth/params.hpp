#pragma once
// The synth parameter ids 0..54: the numbering of one track patch's parameters shared by the
// audio messages, the engine, the patch editor, the LFO targets and the labels on screen.
// Per-operator ids are the first id of a run of six, operator 1 first.

#include <array>
#include <cstdint>
#include <string_view>

#include "sequencer/types.hpp"

namespace quorvelan::synth::params {

inline constexpr std::uint8_t kOpRatio = 0;           // 0..5, multiple of the note frequency
inline constexpr std::uint8_t kOpLevel = 6;           // 6..11, linear gain
inline constexpr std::uint8_t kOpFeedback = 12;       // 12..17, self-feedback amount
inline constexpr std::uint8_t kOpAttack = 18;         // 18..23, seconds
inline constexpr std::uint8_t kOpDecay = 24;          // 24..29, seconds
inline constexpr std::uint8_t kOpEndLevel = 30;       // 30..35, fraction of the peak
inline constexpr std::uint8_t kAlgorithm = 36;        // entry of the algorithm table, sent as float
inline constexpr std::uint8_t kMix = 37;              // 0 = carrier set A only, 1 = set B only
inline constexpr std::uint8_t kFilterCutoff = 38;     // normalised 0..1; Hz = value^2 x 20000
inline constexpr std::uint8_t kFilterResonance = 39;  // 0..1; Q = 10 x value + 0.707
inline constexpr std::uint8_t kFilterType = 40;       // filter::FilterType, sent as float
inline constexpr std::uint8_t kFilterEnvAmount = 41;  // signed, added to the cutoff
inline constexpr std::uint8_t kAmpAttack = 42;        // seconds
inline constexpr std::uint8_t kAmpDecay = 43;         // seconds
inline constexpr std::uint8_t kAmpSustain = 44;       // level 0..1
inline constexpr std::uint8_t kAmpRelease = 45;       // seconds
inline constexpr std::uint8_t kPan = 46;              // -1 left .. +1 right
inline constexpr std::uint8_t kVolume = 47;           // linear gain
inline constexpr std::uint8_t kDrive = 48;            // tanh saturation above 0.001
inline constexpr std::uint8_t kOpRelease = 49;        // 49..54, seconds

inline constexpr int kParamCount = 55;

// The label shown for an id; "?" for ids above 54.
std::string_view synth_param_name(std::uint8_t id);

// Whether a change also reaches the track's sounding voices; the other ids are heard from the
// track's next note.
bool is_live(std::uint8_t id);

struct ParamValue {
  std::uint8_t id;
  float value;
};

// Every field of a patch under its id, in the order a whole patch is sent: per operator its
// ratio, level, feedback, attack, decay, end level and release, then algorithm, mix, filter,
// amplifier envelope and drive. Pan and volume belong to the mixer and are not among them.
inline constexpr std::size_t kPatchParamCount = 53;
std::array<ParamValue, kPatchParamCount> patch_parameters(
    const sequencer::types::TrackSynthParams& patch);

}  // namespace quorvelan::synth::params
