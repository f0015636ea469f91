#include "dx7/factory.hpp"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "dx7/factory_voices.hpp"
#include "dx7/voice_design.hpp"

namespace quorvelan::dx7 {
namespace {

using voice_design::BankDesign;
using voice_design::OperatorDesign;
using voice_design::VoiceDesign;

// A bank whose voices and operators all differ, to catch swapped or misplaced fields.
constexpr BankDesign distinct_bank() {
  BankDesign bank{};
  for (std::size_t v = 0; v < bank.size(); ++v) {
    auto n = static_cast<std::uint8_t>(v);
    VoiceDesign voice{"", static_cast<std::uint8_t>(1 + v), static_cast<std::uint8_t>(v % 8), {}};
    for (std::size_t i = 0; i < 6; ++i) {
      auto k = static_cast<std::uint8_t>(i);
      voice.operators[i] = OperatorDesign{
          static_cast<std::uint8_t>((n + k) % 32),
          static_cast<std::uint8_t>(90 + k),
          static_cast<std::uint8_t>(k * 2),
          static_cast<std::uint8_t>(60 + n + k),
          {static_cast<std::uint8_t>(10 + k), 20, 30, static_cast<std::uint8_t>(40 + n)},
          {99, 80, static_cast<std::uint8_t>(50 + k), 0},
          i == 3 ? voice_design::OscMode::kFixed : voice_design::OscMode::kRatio};
    }
    bank[v] = voice;
  }
  bank[0].name = "Q";
  bank[1].name = "Ten chars!";
  bank[2].name = " lead sp";
  return bank;
}

TEST(VoicePacker, PackedBankParsesBackToTheDesign) {
  constexpr BankDesign design = distinct_bank();
  constexpr voice_design::BulkDump dump = voice_design::pack_bank(design);
  EXPECT_EQ(dump.back(), 0xF7);
  auto bank = sysex::parse_bulk_dump(dump);
  ASSERT_TRUE(bank.has_value()) << bank.error().debug();

  for (std::size_t v = 0; v < 32; ++v) {
    const sysex::Dx7Voice& voice = (*bank)[v];
    SCOPED_TRACE(v);
    EXPECT_EQ(voice.name, design[v].name);
    EXPECT_EQ(voice.algorithm + 1, design[v].algorithm);
    EXPECT_EQ(voice.feedback, design[v].feedback);
    EXPECT_EQ(voice.transpose, 24);  // middle C stays middle C
    for (std::size_t i = 0; i < 6; ++i) {
      const OperatorDesign& want = design[v].operators[i];
      const sysex::Dx7Operator& got = voice.operators[i];
      EXPECT_EQ(got.freq_coarse, want.coarse);
      EXPECT_EQ(got.freq_fine, want.fine);
      EXPECT_EQ(got.detune, want.detune);
      EXPECT_EQ(got.output_level, want.level);
      EXPECT_EQ(got.eg_rates, want.rates);
      EXPECT_EQ(got.eg_levels, want.levels);
      EXPECT_EQ(got.osc_mode, static_cast<std::uint8_t>(want.mode));
    }
  }
}

TEST(FactoryBanks, AreValidDumpsWhoseNamesMatchTheDesigns) {
  const std::uint8_t header[] = {0xF0, 0x43, 0x00, 0x09, 0x20, 0x00};
  std::set<std::string> names;
  for (auto [bank, design] : {std::pair{&factory::ROM1A, &factory_voices::kRom1a},
                              std::pair{&factory::ROM1B, &factory_voices::kRom1b}}) {
    SCOPED_TRACE(bank->id);
    ASSERT_EQ(bank->dump.size(), 4104u);
    EXPECT_TRUE(std::equal(std::begin(header), std::end(header), bank->dump.begin()));
    EXPECT_EQ(bank->dump.back(), 0xF7);
    ASSERT_TRUE(sysex::parse_bulk_dump(bank->dump).has_value());
    const sysex::Dx7Bank& voices = bank->voices();
    EXPECT_EQ(&voices, &bank->voices());  // parsed once, kept
    for (std::size_t v = 0; v < 32; ++v) {
      EXPECT_EQ(voices[v].name, (*design)[v].name);
      EXPECT_FALSE(voices[v].name.empty());
      names.insert(voices[v].name);
    }
  }
  EXPECT_EQ(names.size(), 64u) << "factory voice names repeat";
}

TEST(FactoryBanks, CatalogueListsBothBanksInOrderWithParsedNames) {
  const auto& catalog = factory::FACTORY_CATALOG.entries();
  ASSERT_EQ(catalog.size(), 64u);
  EXPECT_EQ(&catalog, &factory::FACTORY_CATALOG.entries());
  for (std::size_t i = 0; i < 64; ++i) {
    const factory::FactoryBank& bank = i < 32 ? factory::ROM1A : factory::ROM1B;
    EXPECT_EQ(catalog[i].rom, bank.id) << i;
    EXPECT_EQ(catalog[i].name, bank.voices()[i % 32].name) << i;
  }
  EXPECT_EQ(catalog[0].rom, "ROM1A");
  EXPECT_EQ(catalog[63].rom, "ROM1B");
}

TEST(FactoryBanksDeathTest, InvalidBuiltInDataStopsWithTheParseError) {
  std::vector<std::uint8_t> three{0xF0, 0x43, 0x00};
  EXPECT_DEATH(factory::parse_built_in("ROM1A", three),
               "Built-in ROM1A data is invalid: TooShort\\(3\\)");
  std::vector<std::uint8_t> corrupt(factory::ROM1B.dump.begin(), factory::ROM1B.dump.end());
  corrupt[100] ^= 1;
  EXPECT_DEATH(factory::parse_built_in("ROM1B", corrupt),
               "Built-in ROM1B data is invalid: ChecksumMismatch \\{ expected: [0-9]+, actual: "
               "[0-9]+ \\}");
}

}  // namespace
}  // namespace quorvelan::dx7
