#pragma once
// The program's own two DX7 banks, "ROM1A" and "ROM1B", and the catalogue of their 64 voice
// names. Each is built once, on first use, and kept for the life of the process, so start-up
// does not pay for parsing. Safe to first use from several threads at once.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dx7/sysex.hpp"

namespace quorvelan::dx7::factory {

struct FactoryBank {
  std::string_view id;                 // "ROM1A" or "ROM1B"
  const sysex::Dx7Bank& (*voices)();   // parses the built-in dump on the first call
  std::span<const std::uint8_t> dump;  // the built-in 4104 bytes
};

extern const FactoryBank ROM1A;
extern const FactoryBank ROM1B;

struct Dx7PresetEntry {
  std::string name;      // the voice name as parsed
  std::string_view rom;  // the bank id
};

struct FactoryCatalog {
  // ROM1A's 32 voices in bank order, then ROM1B's; built on the first call.
  const std::vector<Dx7PresetEntry>& (*entries)();
};

extern const FactoryCatalog FACTORY_CATALOG;

// Parses a built-in dump. Invalid built-in data is a defect of the program: it stops with
// "Built-in <id> data is invalid: " and the parse error.
sysex::Dx7Bank parse_built_in(std::string_view id, std::span<const std::uint8_t> dump);

}  // namespace quorvelan::dx7::factory
