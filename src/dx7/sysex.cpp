#include "dx7/sysex.hpp"

#include <fmt/format.h>

namespace quorvelan::dx7::sysex {
namespace {

constexpr std::size_t kChannelOffset = 2;
constexpr std::uint8_t kHighestChannel = 0x0F;

bool header_is_valid(std::span<const std::uint8_t> data) {
  for (std::size_t i = 0; i < kHeaderSize; ++i) {
    bool ok = i == kChannelOffset ? data[i] <= kHighestChannel : data[i] == kHeader[i];
    if (!ok) return false;
  }
  return true;
}

std::uint8_t bits(std::uint8_t byte, int shift, int width) {
  return static_cast<std::uint8_t>((byte >> shift) & ((1 << width) - 1));
}

std::array<std::uint8_t, 4> four(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return {bytes[offset], bytes[offset + 1], bytes[offset + 2], bytes[offset + 3]};
}

Dx7Operator unpack_operator(std::span<const std::uint8_t> block) {
  return Dx7Operator{
      .eg_rates = four(block, 0),
      .eg_levels = four(block, 4),
      .breakpoint = block[8],
      .left_depth = block[9],
      .right_depth = block[10],
      .left_curve = bits(block[11], 0, 2),
      .right_curve = bits(block[11], 2, 2),
      .rate_scaling = bits(block[12], 0, 3),
      .amp_mod_sensitivity = bits(block[13], 0, 2),
      .key_velocity_sensitivity = bits(block[13], 2, 3),
      .output_level = block[14],
      .osc_mode = bits(block[15], 0, 1),
      .freq_coarse = bits(block[15], 1, 5),
      .freq_fine = block[16],
      .detune = bits(block[12], 3, 4),
  };
}

// Unprintable name bytes read as spaces; trailing spaces go.
std::string unpack_name(std::span<const std::uint8_t> bytes) {
  std::string name;
  for (std::uint8_t byte : bytes) {
    auto c = static_cast<std::uint8_t>(byte & 0x7F);
    name += (c < 32 || c > 126) ? ' ' : static_cast<char>(c);
  }
  name.erase(name.find_last_not_of(' ') + 1);
  return name;
}

Dx7Voice unpack_voice(std::span<const std::uint8_t> packed) {
  Dx7Voice voice;
  // The blocks run from operator 6 down to operator 1.
  for (std::size_t k = 0; k < voice.operators.size(); ++k) {
    voice.operators[5 - k] =
        unpack_operator(packed.subspan(k * kOperatorBlockSize, kOperatorBlockSize));
  }
  voice.pitch_eg_rates = four(packed, 102);
  voice.pitch_eg_levels = four(packed, 106);
  voice.algorithm = bits(packed[110], 0, 5);
  voice.feedback = bits(packed[111], 0, 3);
  voice.osc_key_sync = bits(packed[111], 3, 1);
  voice.lfo_speed = packed[112];
  voice.lfo_delay = packed[113];
  voice.lfo_pitch_mod_depth = packed[114];
  voice.lfo_amp_mod_depth = packed[115];
  voice.lfo_sync = bits(packed[116], 0, 1);
  voice.lfo_wave = bits(packed[116], 1, 3);
  voice.pitch_mod_sensitivity = bits(packed[116], 4, 3);
  voice.transpose = packed[117];
  voice.name = unpack_name(packed.subspan(118, kNameLength));
  return voice;
}

}  // namespace

std::string Dx7ParseError::debug() const {
  struct Text {
    std::string operator()(const InvalidHeader&) const { return "InvalidHeader"; }
    std::string operator()(const TooShort& e) const {
      return fmt::format("TooShort({})", e.length);
    }
    std::string operator()(const ChecksumMismatch& e) const {
      return fmt::format("ChecksumMismatch {{ expected: {}, actual: {} }}", e.expected, e.actual);
    }
  };
  return std::visit(Text{}, kind);
}

std::expected<Dx7Bank, Dx7ParseError> parse_bulk_dump(std::span<const std::uint8_t> data) {
  if (data.size() < kBulkDumpSize) {
    return std::unexpected(Dx7ParseError{Dx7ParseError::TooShort{data.size()}});
  }
  if (!header_is_valid(data)) return std::unexpected(Dx7ParseError{Dx7ParseError::InvalidHeader{}});

  auto voice_data = data.subspan(kHeaderSize, kVoiceDataSize);
  std::uint8_t expected = checksum(voice_data);
  std::uint8_t actual = data[kChecksumOffset];
  if (expected != actual) {
    return std::unexpected(Dx7ParseError{Dx7ParseError::ChecksumMismatch{expected, actual}});
  }

  Dx7Bank bank;
  for (std::size_t i = 0; i < kVoiceCount; ++i) {
    bank[i] = unpack_voice(voice_data.subspan(i * kPackedVoiceSize, kPackedVoiceSize));
  }
  return bank;
}

}  // namespace quorvelan::dx7::sysex
