#pragma once
// UTF-8 checks for text that comes from outside: files and file names.

#include <string>
#include <string_view>

namespace quorvelan::utf8 {

bool is_valid(std::string_view bytes);

// The bytes with every maximal invalid sequence replaced by U+FFFD.
std::string to_valid(std::string_view bytes);

}  // namespace quorvelan::utf8
