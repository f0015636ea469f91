#include "dx7/factory.hpp"

#include <fmt/format.h>

#include <cstdio>
#include <exception>

#include "dx7/factory_voices.hpp"
#include "dx7/voice_design.hpp"

namespace quorvelan::dx7::factory {
namespace {

constexpr voice_design::BulkDump kRom1aDump = voice_design::pack_bank(factory_voices::kRom1a);
constexpr voice_design::BulkDump kRom1bDump = voice_design::pack_bank(factory_voices::kRom1b);

const sysex::Dx7Bank& rom1a_voices() {
  static const sysex::Dx7Bank bank = parse_built_in("ROM1A", kRom1aDump);
  return bank;
}

const sysex::Dx7Bank& rom1b_voices() {
  static const sysex::Dx7Bank bank = parse_built_in("ROM1B", kRom1bDump);
  return bank;
}

const std::vector<Dx7PresetEntry>& catalog_entries() {
  static const std::vector<Dx7PresetEntry> entries = [] {
    std::vector<Dx7PresetEntry> list;
    for (const FactoryBank* bank : {&ROM1A, &ROM1B}) {
      for (const sysex::Dx7Voice& voice : bank->voices()) list.push_back({voice.name, bank->id});
    }
    return list;
  }();
  return entries;
}

}  // namespace

constinit const FactoryBank ROM1A{"ROM1A", &rom1a_voices, kRom1aDump};
constinit const FactoryBank ROM1B{"ROM1B", &rom1b_voices, kRom1bDump};
constinit const FactoryCatalog FACTORY_CATALOG{&catalog_entries};

sysex::Dx7Bank parse_built_in(std::string_view id, std::span<const std::uint8_t> dump) {
  auto bank = sysex::parse_bulk_dump(dump);
  if (!bank) {
    std::string message =
        fmt::format("Built-in {} data is invalid: {}\n", id, bank.error().debug());
    std::fputs(message.c_str(), stderr);
    std::fflush(stderr);
    std::terminate();
  }
  return *std::move(bank);
}

}  // namespace quorvelan::dx7::factory
