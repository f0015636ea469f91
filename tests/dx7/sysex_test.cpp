#include "dx7/sysex.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <string_view>
#include <vector>

namespace quorvelan::dx7::sysex {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kVoiceStart = 6;

// Rewrites the checksum so that the dump's voice bytes are accepted again.
void seal(Bytes& dump) {
  unsigned sum = std::accumulate(dump.begin() + 6, dump.begin() + 4102, 0u);
  dump[4102] = static_cast<std::uint8_t>((128 - sum % 128) % 128);
}

// A valid dump whose voice bytes are all zero but for the names "Voice 1".."Voice 32".
Bytes make_dump() {
  Bytes dump(4104, 0);
  const std::uint8_t header[] = {0xF0, 0x43, 0x00, 0x09, 0x20, 0x00};
  std::copy(std::begin(header), std::end(header), dump.begin());
  for (std::size_t v = 0; v < 32; ++v) {
    std::string name = "Voice " + std::to_string(v + 1);
    name.resize(10, ' ');
    std::copy(name.begin(), name.end(), dump.begin() + kVoiceStart + 128 * v + 118);
  }
  dump[4103] = 0xF7;
  seal(dump);
  return dump;
}

void set_name(Bytes& dump, std::size_t voice, const Bytes& name) {
  std::copy(name.begin(), name.end(), dump.begin() + kVoiceStart + 128 * voice + 118);
  seal(dump);
}

Dx7ParseError error_of(const Bytes& dump) {
  auto result = parse_bulk_dump(dump);
  EXPECT_FALSE(result.has_value());
  return result ? Dx7ParseError{} : result.error();
}

TEST(BulkDump, ChecksLengthThenHeaderThenChecksum) {
  Bytes dump = make_dump();
  ASSERT_TRUE(parse_bulk_dump(dump).has_value());

  Bytes short_and_bad(dump.begin(), dump.end() - 1);
  short_and_bad[0] = 0x00;
  EXPECT_EQ(error_of(short_and_bad), (Dx7ParseError{Dx7ParseError::TooShort{4103}}));
  EXPECT_EQ(error_of({}), (Dx7ParseError{Dx7ParseError::TooShort{0}}));

  Bytes bad_header_and_sum = dump;
  bad_header_and_sum[1] = 0x44;
  bad_header_and_sum[4102] ^= 1;
  EXPECT_EQ(error_of(bad_header_and_sum), (Dx7ParseError{Dx7ParseError::InvalidHeader{}}));
}

TEST(BulkDump, RefusesEveryWrongHeaderByteButAcceptsAnyChannel) {
  const Bytes good = make_dump();
  for (std::size_t offset : {0, 1, 3, 4, 5}) {
    Bytes dump = good;
    dump[offset] ^= 0x01;
    EXPECT_EQ(error_of(dump), (Dx7ParseError{Dx7ParseError::InvalidHeader{}})) << offset;
  }
  Bytes single_voice = good;
  single_voice[3] = 0x00;
  EXPECT_EQ(error_of(single_voice), (Dx7ParseError{Dx7ParseError::InvalidHeader{}}));

  Bytes channel = good;
  channel[2] = 0x05;
  EXPECT_TRUE(parse_bulk_dump(channel).has_value());
  channel[2] = 0x0F;
  EXPECT_TRUE(parse_bulk_dump(channel).has_value());
  channel[2] = 0x10;
  EXPECT_EQ(error_of(channel), (Dx7ParseError{Dx7ParseError::InvalidHeader{}}));
}

TEST(BulkDump, ChecksumIsTheSevenBitComplementOfTheVoiceBytes) {
  Bytes dump(4104, 0);
  const std::uint8_t header[] = {0xF0, 0x43, 0x00, 0x09, 0x20, 0x00};
  std::copy(std::begin(header), std::end(header), dump.begin());

  dump[kVoiceStart] = 0x80;  // voice bytes sum to 0x80
  dump[4102] = 0x00;
  EXPECT_TRUE(parse_bulk_dump(dump).has_value());
  dump[4102] = 0x01;
  EXPECT_EQ(error_of(dump), (Dx7ParseError{Dx7ParseError::ChecksumMismatch{0, 1}}));

  dump[kVoiceStart] = 0x81;
  dump[4102] = 0x7F;
  EXPECT_TRUE(parse_bulk_dump(dump).has_value());
  dump[4102] = 0x7E;
  EXPECT_EQ(error_of(dump), (Dx7ParseError{Dx7ParseError::ChecksumMismatch{127, 126}}));
  dump[4102] = 0xFF;  // right low bits, but bit 7 set
  EXPECT_EQ(error_of(dump), (Dx7ParseError{Dx7ParseError::ChecksumMismatch{127, 255}}));

  // Carries past 8 bits: 4096 bytes of 0x7F sum to 0x7F000.
  std::fill(dump.begin() + 6, dump.begin() + 4102, 0x7F);
  dump[4102] = 0x00;
  EXPECT_TRUE(parse_bulk_dump(dump).has_value());
}

TEST(BulkDump, IgnoresTheEndByteAndTrailingData) {
  Bytes dump = make_dump();
  auto reference = parse_bulk_dump(dump);
  ASSERT_TRUE(reference.has_value());

  Bytes no_end = dump;
  no_end[4103] = 0x00;
  EXPECT_EQ(parse_bulk_dump(no_end), reference);

  Bytes longer = dump;
  longer.insert(longer.end(), {0xF0, 0x01, 0x02, 0xF7});
  EXPECT_EQ(parse_bulk_dump(longer), reference);
}

TEST(BulkDump, NamesKeepPrintableAsciiAndLoseTrailingSpaces) {
  Bytes dump = make_dump();
  set_name(dump, 0, {'W', 'a', 'r', 'm', ' ', 'K', 'e', 'y', 's', ' '});
  set_name(dump, 1, {0x00, 'a', 0x7F, 'b', 0xC1, 0x1F, ' ', ' ', ' ', ' '});
  set_name(dump, 2, Bytes(10, ' '));
  set_name(dump, 3, {' ', ' ', 'x', ' ', ' ', 'y', 0x00, 0x0A, ' ', 0xFF});
  set_name(dump, 31, {'~', '!', 'L', 'a', 's', 't', 'o', 'n', 'e', '~'});

  auto bank = parse_bulk_dump(dump);
  ASSERT_TRUE(bank.has_value());
  EXPECT_EQ((*bank)[0].name, "Warm Keys");
  EXPECT_EQ((*bank)[1].name, " a bA");
  EXPECT_EQ((*bank)[2].name, "");
  EXPECT_EQ((*bank)[3].name, "  x  y");  // 0xFF keeps 0x7F: a space
  EXPECT_EQ((*bank)[4].name, "Voice 5");
  EXPECT_EQ((*bank)[31].name, "~!Lastone~");
}

TEST(BulkDump, UnpacksEveryFieldWithOperatorsReversed) {
  Bytes dump = make_dump();
  auto voice = [&](std::size_t offset) -> std::uint8_t& {
    return dump[kVoiceStart + 128 * 7 + offset];
  };
  for (std::size_t k = 0; k < 6; ++k) {  // block k is operator 6 - k
    std::size_t base = 17 * k;
    auto tag = static_cast<std::uint8_t>(10 * (6 - k));  // 60 for operator 6 .. 10 for operator 1
    for (std::size_t i = 0; i < 8; ++i) voice(base + i) = static_cast<std::uint8_t>(tag + i);
    voice(base + 8) = static_cast<std::uint8_t>(tag + 8);
    voice(base + 9) = 0x80 | tag;  // whole bytes are not masked
    voice(base + 10) = 3;
    voice(base + 11) = 0b1110;         // left curve 2, right curve 3
    voice(base + 12) = (14 << 3) | 5;  // detune 14, rate scaling 5
    voice(base + 13) = (6 << 2) | 1;   // velocity 6, amplitude modulation 1
    voice(base + 14) = tag;            // output level
    voice(base + 15) = (31 << 1) | 1;  // coarse 31, fixed
    voice(base + 16) = 99;
  }
  const std::uint8_t tail[] = {
      91, 92, 93, 94, 51, 52, 53, 54, 0xE0 | 21, 0x08 | 5, 35, 36, 37, 38, (5 << 4) | (4 << 1) | 1,
      24};
  for (std::size_t i = 0; i < std::size(tail); ++i) voice(102 + i) = tail[i];
  seal(dump);

  auto bank = parse_bulk_dump(dump);
  ASSERT_TRUE(bank.has_value());
  const Dx7Voice& v = (*bank)[7];
  for (std::size_t i = 0; i < 6; ++i) {
    const Dx7Operator& op = v.operators[i];
    auto tag = static_cast<std::uint8_t>(10 * (i + 1));
    SCOPED_TRACE(i);
    EXPECT_EQ(op.output_level, tag);
    EXPECT_EQ(op.eg_rates,
              (std::array<std::uint8_t, 4>{tag, std::uint8_t(tag + 1), std::uint8_t(tag + 2),
                                           std::uint8_t(tag + 3)}));
    EXPECT_EQ(op.eg_levels[3], tag + 7);
    EXPECT_EQ(op.breakpoint, tag + 8);
    EXPECT_EQ(op.left_depth, 0x80 | tag);
    EXPECT_EQ(op.right_depth, 3);
    EXPECT_EQ(op.left_curve, 2);
    EXPECT_EQ(op.right_curve, 3);
    EXPECT_EQ(op.rate_scaling, 5);
    EXPECT_EQ(op.detune, 14);
    EXPECT_EQ(op.amp_mod_sensitivity, 1);
    EXPECT_EQ(op.key_velocity_sensitivity, 6);
    EXPECT_EQ(op.osc_mode, 1);
    EXPECT_EQ(op.freq_coarse, 31);
    EXPECT_EQ(op.freq_fine, 99);
  }
  EXPECT_EQ(v.pitch_eg_rates, (std::array<std::uint8_t, 4>{91, 92, 93, 94}));
  EXPECT_EQ(v.pitch_eg_levels, (std::array<std::uint8_t, 4>{51, 52, 53, 54}));
  EXPECT_EQ(v.algorithm, 21);  // high bits masked off
  EXPECT_EQ(v.feedback, 5);
  EXPECT_EQ(v.osc_key_sync, 1);
  EXPECT_EQ(v.lfo_speed, 35);
  EXPECT_EQ(v.lfo_delay, 36);
  EXPECT_EQ(v.lfo_pitch_mod_depth, 37);
  EXPECT_EQ(v.lfo_amp_mod_depth, 38);
  EXPECT_EQ(v.lfo_sync, 1);
  EXPECT_EQ(v.lfo_wave, 4);
  EXPECT_EQ(v.pitch_mod_sensitivity, 5);
  EXPECT_EQ(v.transpose, 24);
  EXPECT_EQ(v.name, "Voice 8");
  EXPECT_EQ((*bank)[6].operators[0].output_level, 0);  // neighbours untouched
  EXPECT_EQ((*bank)[8].operators[5].output_level, 0);
}

TEST(BulkDump, ErrorDebugTextNamesTheVariantAndItsFields) {
  EXPECT_EQ(Dx7ParseError{Dx7ParseError::InvalidHeader{}}.debug(), "InvalidHeader");
  EXPECT_EQ(Dx7ParseError{Dx7ParseError::TooShort{4000}}.debug(), "TooShort(4000)");
  EXPECT_EQ((Dx7ParseError{Dx7ParseError::ChecksumMismatch{127, 255}}.debug()),
            "ChecksumMismatch { expected: 127, actual: 255 }");
}

}  // namespace
}  // namespace quorvelan::dx7::sysex
