#pragma once
// UTF-8 checks for text that comes from outside: files and file names.

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvelan::utf8 {

bool is_valid(std::string_view bytes);

// The length of the well-formed character that starts at byte `at`, or 0 when none does.
std::size_t character_length(std::string_view bytes, std::size_t at);

// The bytes with every maximal invalid sequence replaced by U+FFFD.
std::string to_valid(std::string_view bytes);

}  // namespace quorvelan::utf8
