#pragma once
// Reads one value from JSON text and writes it back, for tests of the text forms.

#include <string>
#include <string_view>

#include "json/codec.hpp"

namespace quorvelan::json {

// The text written back after reading one T, or the text of the read or write failure.
template <class T>
std::string reread(std::string_view text) {
  auto value = from_text<T>(text);
  if (!value) return value.error().message();
  auto written = to_text(*value);
  return written ? *written : written.error().message();
}

}  // namespace quorvelan::json
