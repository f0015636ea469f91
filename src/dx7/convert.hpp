#pragma once
// Turns one DX7 voice into a track patch for the six-operator synth: the DX7 algorithm becomes
// its table entry, frequencies become ratios, output levels linear gains, envelope rates times
// in seconds, and operator 1's envelope the amp envelope. Pure: every voice gives a patch.

#include <array>
#include <cstdint>

#include "dx7/sysex.hpp"
#include "sequencer/types.hpp"

namespace quorvelan::dx7::convert {

// Per DX7 algorithm byte (0..31): the operator index (0 = operator 1) that the voice's feedback
// drives, the one operator in that algorithm's feedback mask. (Algorithm 21 feeds back on
// operator 3: pointing it at operator 6, which the mask leaves out, would drop the feedback.)
inline constexpr std::array<std::uint8_t, 32> FEEDBACK_OPERATOR{
    5, 1, 5, 5, 5, 5, 5, 3,  //
    1, 2, 5, 1, 5, 5, 1, 5,  //
    1, 2, 5, 2, 2, 5, 5, 5,  //
    5, 5, 2, 4, 5, 4, 5, 5,
};

// Seconds for an envelope rate: 40 s at rate 0 down to 1 ms at rate 99 and above.
float envelope_time(std::uint8_t rate);

// Multiple of the note frequency, 0.25..16. Fixed-frequency operators are taken relative to
// middle C (261.63 Hz).
float frequency_ratio(const sysex::Dx7Operator& op);

// Linear gain of an output level: 0.75 dB per step below 99; level 0 is silent.
float operator_level(std::uint8_t output_level);

sequencer::types::TrackSynthParams convert_voice(const sysex::Dx7Voice& voice);

}  // namespace quorvelan::dx7::convert
