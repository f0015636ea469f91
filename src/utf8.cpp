#include "utf8.hpp"

#include <cstddef>

namespace quorvelan::utf8 {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The length of the well-formed sequence at `at`, or, when it is ill-formed, the negated length of
// its maximal invalid prefix (at least one byte).
std::ptrdiff_t sequence_at(std::string_view bytes, std::size_t at) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;  // the range of the second byte, which is narrower after some leads
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return -1;
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (at + i >= bytes.size()) return -static_cast<std::ptrdiff_t>(i);
    unsigned char c = byte(at + i);
    bool in_range = i == 1 ? (c >= low && c <= high) : (c >= 0x80 && c <= 0xBF);
    if (!in_range) return -static_cast<std::ptrdiff_t>(i);
  }
  return static_cast<std::ptrdiff_t>(length);
}

}  // namespace

bool is_valid(std::string_view bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    std::ptrdiff_t length = sequence_at(bytes, at);
    if (length < 0) return false;
    at += length;
  }
  return true;
}

std::size_t character_length(std::string_view bytes, std::size_t at) {
  std::ptrdiff_t length = sequence_at(bytes, at);
  return length > 0 ? static_cast<std::size_t>(length) : 0;
}

std::string to_valid(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size();) {
    std::ptrdiff_t length = sequence_at(bytes, at);
    if (length > 0) {
      text.append(bytes.substr(at, length));
      at += length;
    } else {
      text.append(kReplacement);
      at += -length;
    }
  }
  return text;
}

}  // namespace quorvelan::utf8
