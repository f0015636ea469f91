#include "dx7/bank_file.hpp"

#include <cstdint>
#include <span>

#include "files.hpp"

namespace quorvelan::dx7::bank_file {

std::optional<sysex::Dx7Bank> read_bank(const std::filesystem::path& path) {
  auto bytes = files::read_prefix(path, sysex::kBulkDumpSize);
  if (!bytes) return std::nullopt;
  auto bank = sysex::parse_bulk_dump(std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()));
  if (!bank) return std::nullopt;
  return *std::move(bank);
}

}  // namespace quorvelan::dx7::bank_file
