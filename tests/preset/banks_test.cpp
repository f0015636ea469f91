#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "dx7/convert.hpp"
#include "dx7/factory.hpp"
#include "json/codec.hpp"
#include "preset.hpp"
#include "sequencer/types_json.hpp"
#include "support/temp_home.hpp"

namespace quorvelan::preset {
namespace {

namespace fs = std::filesystem;
using sequencer::types::TrackSynthParams;

class PresetBanks : public test_support::TempHome {
 protected:
  fs::path dx7_dir() const { return home() / ".quorvelan" / "dx7"; }
  fs::path presets_dir() const { return home() / ".quorvelan" / "presets"; }

  static std::string dump_of(const dx7::factory::FactoryBank& bank) {
    return {bank.dump.begin(), bank.dump.end()};
  }

  static TrackSynthParams patch(std::uint8_t algorithm, float mix) {
    TrackSynthParams params = sequencer::types::starting_synth_params();
    params.algorithm = algorithm;
    params.mix = mix;
    return params;
  }

  static std::string json_of(const TrackSynthParams& params) {
    return json::to_text(params).value();
  }

  static std::vector<std::string> names_of(const std::vector<PresetBank>& banks) {
    std::vector<std::string> names;
    for (const auto& bank : banks) names.push_back(bank.name);
    return names;
  }

  PresetBank user_bank() const {
    auto banks = list_all_banks();
    EXPECT_EQ(banks.back().name, "User");
    return banks.back();
  }
};

std::vector<std::string> voice_names(const dx7::sysex::Dx7Bank& voices) {
  std::vector<std::string> names;
  for (const auto& voice : voices) names.push_back(voice.name);
  return names;
}

TEST_F(PresetBanks, WithoutADataDirectoryOnlyTheFactoryBanksAreListed) {
  auto banks = list_all_banks();
  ASSERT_EQ(banks.size(), 2u);
  EXPECT_EQ(banks[0], (PresetBank{BankSource{BankSource::Factory{"ROM1A"}}, "DX7 ROM1A",
                                  voice_names(dx7::factory::ROM1A.voices())}));
  EXPECT_EQ(banks[1], (PresetBank{BankSource{BankSource::Factory{"ROM1B"}}, "DX7 ROM1B",
                                  voice_names(dx7::factory::ROM1B.voices())}));
  EXPECT_FALSE(fs::exists(home() / ".quorvelan"));
}

TEST_F(PresetBanks, ListsEachValidLowerCaseSyxFileByStem) {
  std::string longer = dump_of(dx7::factory::ROM1A) + std::string(5000, '\x42');
  write_file(dx7_dir() / "b.syx", dump_of(dx7::factory::ROM1B));
  write_file(dx7_dir() / "a.syx", dump_of(dx7::factory::ROM1A));
  write_file(dx7_dir() / "c.SYX", dump_of(dx7::factory::ROM1A));
  write_file(dx7_dir() / "d.syx", std::string(100, '\xF0'));
  write_file(dx7_dir() / "e.syx", longer);
  fs::create_directories(dx7_dir() / "folder.syx");
  fs::create_symlink(dx7_dir() / "b.syx", dx7_dir() / "linked.syx");
  ASSERT_EQ(::mkfifo((dx7_dir() / "pipe.syx").c_str(), 0600), 0);  // must not block the listing

  auto banks = list_all_banks();
  EXPECT_EQ(names_of(banks), (std::vector<std::string>{"DX7 ROM1A", "DX7 ROM1B", "DX7 a", "DX7 b",
                                                       "DX7 e", "DX7 linked"}));
  ASSERT_EQ(banks.size(), 6u);
  EXPECT_EQ(banks[2].source, BankSource{BankSource::SysexFile{dx7_dir() / "a.syx"}});
  EXPECT_EQ(banks[2].presets, voice_names(dx7::factory::ROM1A.voices()));
  EXPECT_EQ(banks[3].presets, voice_names(dx7::factory::ROM1B.voices()));
  EXPECT_EQ(banks[4].presets, banks[2].presets);
}

TEST_F(PresetBanks, FactoryVoicesConvertByIndex) {
  auto banks = list_all_banks();
  const auto& rom1b = dx7::factory::ROM1B.voices();
  EXPECT_EQ(load_from_bank(banks[1], 0), dx7::convert::convert_voice(rom1b[0]));
  EXPECT_EQ(load_from_bank(banks[1], 31), dx7::convert::convert_voice(rom1b[31]));
  EXPECT_EQ(load_from_bank(banks[1], 32), std::nullopt);
  PresetBank unknown{BankSource{BankSource::Factory{"ROM2A"}}, "DX7 ROM2A", banks[1].presets};
  EXPECT_EQ(load_from_bank(unknown, 0), std::nullopt);
}

TEST_F(PresetBanks, SysexVoicesAreReadAfreshFromTheFile) {
  fs::path file = dx7_dir() / "mine.syx";
  write_file(file, dump_of(dx7::factory::ROM1A));
  PresetBank bank = list_all_banks().at(2);
  EXPECT_EQ(load_from_bank(bank, 7), dx7::convert::convert_voice(dx7::factory::ROM1A.voices()[7]));
  EXPECT_EQ(load_from_bank(bank, 32), std::nullopt);

  write_file(file, dump_of(dx7::factory::ROM1B));
  EXPECT_EQ(load_from_bank(bank, 7), dx7::convert::convert_voice(dx7::factory::ROM1B.voices()[7]));
  fs::remove(file);
  EXPECT_EQ(load_from_bank(bank, 7), std::nullopt);
}

TEST_F(PresetBanks, SavedPresetIsPrettyJsonAndLoadsBack) {
  TrackSynthParams saved = patch(12, 0.25f);
  ASSERT_TRUE(save_preset("Warm Pad", saved).has_value());

  std::string text = read_file(presets_dir() / "Warm Pad.json");
  std::string track = json_of(saved);
  std::string indented_track;
  for (char c : track) indented_track += c == '\n' ? std::string("\n  ") : std::string(1, c);
  EXPECT_EQ(text, "{\n  \"name\": \"Warm Pad\",\n  \"version\": 2,\n  \"track\": " +
                      indented_track + ",\n  \"tracks\": null\n}");

  PresetBank bank = user_bank();
  EXPECT_EQ(bank.source, BankSource{BankSource::User{}});
  EXPECT_EQ(bank.presets, std::vector<std::string>{"Warm Pad"});
  EXPECT_EQ(load_from_bank(bank, 0), saved);
  EXPECT_EQ(load_from_bank(bank, 1), std::nullopt);

  ASSERT_TRUE(save_preset("Warm Pad", patch(3, 0.5f)).has_value());  // replaces it
  EXPECT_EQ(load_from_bank(bank, 0), patch(3, 0.5f));
}

TEST_F(PresetBanks, UserPresetFilesInEveryAcceptedForm) {
  std::string a = json_of(patch(9, 0.1f));
  std::string b = json_of(patch(10, 0.2f));
  std::string four = "[" + b + "," + a + "," + a + "," + a + "]";
  std::vector<std::pair<std::string, std::string>> files{
      {"both", R"({"name":"x","version":2,"track":)" + a + R"(,"tracks":)" + four + "}"},
      {"extra key", R"({"colour":"red","version":0,"name":"x","track":)" + a + "}"},
      {"five", R"(["x",2,)" + a + ",null,1]"},
      {"four only", R"({"name":"x","version":255,"track":null,"tracks":)" + four + "}"},
      {"neither", R"({"name":"x","version":2})"},
      {"no version", R"({"name":"x","track":)" + a + "}"},
      {"three", R"(["x",2,)" + a + "]"},
      {"trailing", R"({"name":"x","version":2,"track":)" + a + "}\n{}"},
      {"two", R"(["x",2])"},
      {"version 300", R"({"name":"x","version":300,"track":)" + a + "}"},
  };
  for (const auto& [name, text] : files) write_file(presets_dir() / (name + ".json"), text);

  PresetBank bank = user_bank();
  ASSERT_EQ(bank.presets.size(), files.size());
  std::vector<std::optional<TrackSynthParams>> expected{
      patch(9, 0.1f), patch(9, 0.1f), std::nullopt, patch(10, 0.2f), std::nullopt,
      std::nullopt,   patch(9, 0.1f), std::nullopt, std::nullopt,    std::nullopt};
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(bank.presets[i], files[i].first);
    EXPECT_EQ(load_from_bank(bank, i), expected[i]) << files[i].first;
  }
}

TEST_F(PresetBanks, DisplayNameIsTheFileNameAndLoadedPatchesAreNormalised) {
  TrackSynthParams stored = patch(47, 0.5f);
  stored.filter_type = 9;
  write_file(presets_dir() / "Renamed.json",
             R"({"name":"Original","version":2,"track":)" + json_of(stored) + "}");
  PresetBank bank = user_bank();
  EXPECT_EQ(bank.presets, std::vector<std::string>{"Renamed"});
  auto loaded = load_from_bank(bank, 0);
  ASSERT_TRUE(loaded.has_value());
  EXPECT_EQ(loaded->filter_type, 1);  // the type the synth plays for an unknown one
  EXPECT_EQ(loaded->algorithm, 47);   // read modulo the table by the synth, so kept as stored
}

TEST_F(PresetBanks, UnsafeNamesAreRefusedAndTouchNothing) {
  ASSERT_TRUE(save_preset("Keep", patch(8, 0.0f)).has_value());
  std::string kept = read_file(presets_dir() / "Keep.json");
  for (const char* name :
       {"../Keep", "../../escape", "/tmp/x", "a/b", "a\\b", ".", "..", "tab\there"}) {
    auto result = save_preset(name, patch(9, 1.0f));
    EXPECT_FALSE(result.has_value()) << name;
  }
  EXPECT_EQ(read_file(presets_dir() / "Keep.json"), kept);
  EXPECT_FALSE(fs::exists(home() / ".quorvelan" / "Keep.json"));
  EXPECT_FALSE(fs::exists(home() / "escape.json"));
  EXPECT_EQ(fs::directory_iterator(presets_dir())->path().filename(), "Keep.json");
  EXPECT_EQ(std::distance(fs::directory_iterator(presets_dir()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace quorvelan::preset
