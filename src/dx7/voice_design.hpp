#pragma once
// A DX7 voice as a sound designer writes it down, and the compile-time packer that turns 32 of
// them into a valid 32-voice bulk dump. The factory banks are built this way, so the readable
// voice table is their only source. A value out of range stops the build.

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "dx7/sysex.hpp"

namespace quorvelan::dx7::voice_design {

enum class OscMode : std::uint8_t { kRatio = 0, kFixed = 1 };

struct OperatorDesign {
  std::uint8_t coarse;  // ratio mode: multiple of the note frequency, 0 meaning one half
  std::uint8_t fine;    // 0..99: adds that many hundredths of the coarse multiple
  std::uint8_t detune;  // 0..14, 7 is in tune, 1.2 cents per step
  std::uint8_t level;   // output level 0..99, 0.75 dB per step
  std::array<std::uint8_t, 4> rates;   // 0..99: attack, decay, (sustain slope), release
  std::array<std::uint8_t, 4> levels;  // 0..99: (peak), (break), sustain, (end)
  OscMode mode = OscMode::kRatio;
};

struct VoiceDesign {
  std::string_view name;   // at most 10 printable ASCII characters, no trailing space
  std::uint8_t algorithm;  // DX7 algorithm 1..32
  std::uint8_t feedback;   // 0..7
  std::array<OperatorDesign, 6> operators;  // operator 1 first
};

using BankDesign = std::array<VoiceDesign, sysex::kVoiceCount>;
using BulkDump = std::array<std::uint8_t, sysex::kBulkDumpSize>;

namespace detail {

// The parts of a voice the designs leave alone, at the DX7's neutral settings: no level or rate
// scaling, no modulation, a flat pitch envelope, no transposition (middle C plays middle C).
constexpr std::uint8_t kBreakpoint = 39;
constexpr std::uint8_t kVelocitySensitivity = 2;
constexpr std::uint8_t kPitchEgRate = 99;
constexpr std::uint8_t kPitchEgLevel = 50;
constexpr std::uint8_t kOscKeySync = 1;
constexpr std::uint8_t kLfoSpeed = 35;
constexpr std::uint8_t kLfoSync = 1;
constexpr std::uint8_t kPitchModSensitivity = 3;
constexpr std::uint8_t kTranspose = 24;

constexpr std::uint8_t checked(unsigned value, unsigned highest, const char* what) {
  if (value > highest) throw std::out_of_range(what);
  return static_cast<std::uint8_t>(value);
}

constexpr void pack_operator(const OperatorDesign& op, std::uint8_t* block) {
  for (std::size_t i = 0; i < 4; ++i) {
    block[i] = checked(op.rates[i], 99, "envelope rate above 99");
    block[4 + i] = checked(op.levels[i], 99, "envelope level above 99");
  }
  block[8] = kBreakpoint;
  block[9] = 0;   // left depth
  block[10] = 0;  // right depth
  block[11] = 0;  // curves
  block[12] = static_cast<std::uint8_t>(checked(op.detune, 14, "detune above 14") << 3);
  block[13] = static_cast<std::uint8_t>(kVelocitySensitivity << 2);
  block[14] = checked(op.level, 99, "output level above 99");
  block[15] = static_cast<std::uint8_t>(static_cast<std::uint8_t>(op.mode) |
                                        checked(op.coarse, 31, "coarse above 31") << 1);
  block[16] = checked(op.fine, 99, "fine above 99");
}

constexpr void pack_name(std::string_view name, std::uint8_t* out) {
  if (name.size() > sysex::kNameLength) throw std::length_error("voice name above 10 characters");
  if (!name.empty() && name.back() == ' ') throw std::invalid_argument("voice name ends in space");
  for (std::size_t i = 0; i < sysex::kNameLength; ++i) {
    char c = i < name.size() ? name[i] : ' ';
    if (c < 32 || c > 126) throw std::invalid_argument("voice name not printable ASCII");
    out[i] = static_cast<std::uint8_t>(c);
  }
}

constexpr void pack_voice(const VoiceDesign& voice, std::uint8_t* packed) {
  // Blocks run from operator 6 down to operator 1.
  for (std::size_t k = 0; k < 6; ++k) {
    pack_operator(voice.operators[5 - k], packed + k * sysex::kOperatorBlockSize);
  }
  for (std::size_t i = 0; i < 4; ++i) {
    packed[102 + i] = kPitchEgRate;
    packed[106 + i] = kPitchEgLevel;
  }
  if (voice.algorithm < 1) throw std::out_of_range("algorithm below 1");
  packed[110] = checked(voice.algorithm - 1u, 31, "algorithm above 32");
  packed[111] =
      static_cast<std::uint8_t>(checked(voice.feedback, 7, "feedback above 7") | kOscKeySync << 3);
  packed[112] = kLfoSpeed;
  packed[113] = 0;  // LFO delay
  packed[114] = 0;  // LFO pitch depth
  packed[115] = 0;  // LFO amplitude depth
  packed[116] = static_cast<std::uint8_t>(kLfoSync | kPitchModSensitivity << 4);  // triangle
  packed[117] = kTranspose;
  pack_name(voice.name, packed + 118);
}

}  // namespace detail

// Header, 32 packed voices, checksum and end of exclusive: 4104 bytes.
consteval BulkDump pack_bank(const BankDesign& bank) {
  BulkDump dump{};
  for (std::size_t i = 0; i < sysex::kHeaderSize; ++i) dump[i] = sysex::kHeader[i];
  for (std::size_t v = 0; v < bank.size(); ++v) {
    detail::pack_voice(bank[v], dump.data() + sysex::kHeaderSize + v * sysex::kPackedVoiceSize);
  }
  dump[sysex::kChecksumOffset] = sysex::checksum(
      std::span<const std::uint8_t>(dump.data() + sysex::kHeaderSize, sysex::kVoiceDataSize));
  dump[sysex::kBulkDumpSize - 1] = sysex::kEndOfExclusive;
  return dump;
}

}  // namespace quorvelan::dx7::voice_design
