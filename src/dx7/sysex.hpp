#pragma once
// The DX7's 32-voice bulk dump (packed voice format): checking a dump and unpacking its voices.
// Pure functions of the bytes given: no files, no logging, no state.

#include <array>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <variant>

namespace quorvelan::dx7::sysex {

inline constexpr std::size_t kVoiceCount = 32;
inline constexpr std::size_t kHeaderSize = 6;
inline constexpr std::size_t kPackedVoiceSize = 128;
inline constexpr std::size_t kOperatorBlockSize = 17;
inline constexpr std::size_t kVoiceDataSize = kVoiceCount * kPackedVoiceSize;  // 4096
inline constexpr std::size_t kChecksumOffset = kHeaderSize + kVoiceDataSize;   // 4102
inline constexpr std::size_t kBulkDumpSize = kChecksumOffset + 2;  // checksum, end of exclusive
inline constexpr std::size_t kNameLength = 10;

// Start of exclusive, Yamaha, sub-status/channel 0, format 9 (32 packed voices), 4096 bytes.
inline constexpr std::array<std::uint8_t, kHeaderSize> kHeader{0xF0, 0x43, 0x00, 0x09, 0x20, 0x00};
inline constexpr std::uint8_t kEndOfExclusive = 0xF7;

// The 7-bit two's complement of the voice bytes' sum: what the checksum byte must hold.
constexpr std::uint8_t checksum(std::span<const std::uint8_t> voice_data) {
  unsigned sum = 0;
  for (std::uint8_t byte : voice_data) sum += byte;
  return static_cast<std::uint8_t>(-sum & 0x7F);
}

// One operator. Whole-byte fields are copied unchecked, so a malformed dump may exceed the
// DX7's ranges (rates and levels 0..99); bit fields are within the ranges noted.
struct Dx7Operator {
  std::array<std::uint8_t, 4> eg_rates{};
  std::array<std::uint8_t, 4> eg_levels{};
  std::uint8_t breakpoint = 0;
  std::uint8_t left_depth = 0;
  std::uint8_t right_depth = 0;
  std::uint8_t left_curve = 0;                // 0..3
  std::uint8_t right_curve = 0;               // 0..3
  std::uint8_t rate_scaling = 0;              // 0..7
  std::uint8_t amp_mod_sensitivity = 0;       // 0..3
  std::uint8_t key_velocity_sensitivity = 0;  // 0..7
  std::uint8_t output_level = 0;
  std::uint8_t osc_mode = 0;     // 0 ratio, 1 fixed frequency
  std::uint8_t freq_coarse = 0;  // 0..31
  std::uint8_t freq_fine = 0;
  std::uint8_t detune = 0;  // 0..14 in practice, 7 is centre

  friend bool operator==(const Dx7Operator&, const Dx7Operator&) = default;
};

struct Dx7Voice {
  std::string name;  // printable ASCII, trailing spaces removed
  std::array<std::uint8_t, 4> pitch_eg_rates{};
  std::array<std::uint8_t, 4> pitch_eg_levels{};
  std::array<Dx7Operator, 6> operators{};  // operator 1 first
  std::uint8_t algorithm = 0;              // 0..31 for algorithms 1..32
  std::uint8_t feedback = 0;               // 0..7
  std::uint8_t osc_key_sync = 0;           // 0..1
  std::uint8_t lfo_speed = 0;
  std::uint8_t lfo_delay = 0;
  std::uint8_t lfo_pitch_mod_depth = 0;
  std::uint8_t lfo_amp_mod_depth = 0;
  std::uint8_t lfo_sync = 0;               // 0..1
  std::uint8_t lfo_wave = 0;               // 0..7
  std::uint8_t pitch_mod_sensitivity = 0;  // 0..7
  std::uint8_t transpose = 0;

  friend bool operator==(const Dx7Voice&, const Dx7Voice&) = default;
};

using Dx7Bank = std::array<Dx7Voice, kVoiceCount>;

struct Dx7ParseError {
  struct InvalidHeader {
    friend bool operator==(const InvalidHeader&, const InvalidHeader&) = default;
  };
  struct TooShort {
    std::size_t length;
    friend bool operator==(const TooShort&, const TooShort&) = default;
  };
  struct ChecksumMismatch {
    std::uint8_t expected;  // computed from the voice bytes
    std::uint8_t actual;    // stored in the dump
    friend bool operator==(const ChecksumMismatch&, const ChecksumMismatch&) = default;
  };

  std::variant<InvalidHeader, TooShort, ChecksumMismatch> kind;

  // "InvalidHeader", "TooShort(4000)", "ChecksumMismatch { expected: 127, actual: 255 }".
  [[nodiscard]] std::string debug() const;

  friend bool operator==(const Dx7ParseError&, const Dx7ParseError&) = default;
};

// Checks length, header and checksum, in that order, then unpacks the 32 voices.
// Bytes past the first 4104 are ignored; the end-of-exclusive byte is not examined.
std::expected<Dx7Bank, Dx7ParseError> parse_bulk_dump(std::span<const std::uint8_t> data);

}  // namespace quorvelan::dx7::sysex
