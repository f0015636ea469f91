#pragma once
// Reading a DX7 bank from a bulk-dump file that a user placed in the data directory.

#include <filesystem>
#include <optional>

#include "dx7/sysex.hpp"

namespace quorvelan::dx7::bank_file {

// The 32 voices of the bulk dump in the file, or nothing when it cannot be read or parsed.
// Only a regular file (links followed) is read, and only its first 4104 bytes, so a FIFO or a
// device never blocks the caller and a huge file is never loaded whole.
std::optional<sysex::Dx7Bank> read_bank(const std::filesystem::path& path);

}  // namespace quorvelan::dx7::bank_file
