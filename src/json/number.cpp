#include "json/number.hpp"

#include <fmt/format.h>

#include <charconv>
#include <string_view>

namespace quorvelan::json {
namespace {

// Where plain notation ends: the decimal exponent kk of the value (10^(kk-1) <= |v| < 10^kk)
// must satisfy lowest < kk <= highest. Single precision has fewer digits, so a narrower band.
struct PlainBand {
  int lowest;
  int highest;
};

template <class Float>
std::string format_shortest(Float value, PlainBand band) {
  char buffer[64];
  auto end =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific).ptr;
  std::string_view scientific(buffer, end - buffer);  // "-d.ddde+XX", shortest round-trip digits

  std::string_view sign = scientific.front() == '-' ? "-" : "";
  scientific.remove_prefix(sign.size());
  auto e = scientific.find('e');
  std::string digits(scientific.substr(0, e));
  std::erase(digits, '.');
  std::string_view exponent_text = scientific.substr(e + 1);
  if (exponent_text.front() == '+') exponent_text.remove_prefix(1);
  int exponent = 0;
  std::from_chars(exponent_text.data(), exponent_text.data() + exponent_text.size(), exponent);
  int length = static_cast<int>(digits.size());
  int kk = exponent + 1;  // 10^(kk-1) <= |value| < 10^kk
  int k = kk - length;    // exponent of the last digit

  if (k >= 0 && kk <= band.highest) {
    return fmt::format("{}{}{}.0", sign, digits, std::string(k, '0'));
  }
  if (kk > 0 && kk <= band.highest) {
    return fmt::format("{}{}.{}", sign, digits.substr(0, kk), digits.substr(kk));
  }
  if (kk > band.lowest && kk <= 0) {
    return fmt::format("{}0.{}{}", sign, std::string(-kk, '0'), digits);
  }
  std::string_view rest = std::string_view(digits).substr(1);
  return fmt::format("{}{}{}{}e{}", sign, digits.front(), rest.empty() ? "" : ".", rest, kk - 1);
}

}  // namespace

std::string format_f32(float value) { return format_shortest(value, {-6, 13}); }
std::string format_f64(double value) { return format_shortest(value, {-5, 16}); }

}  // namespace quorvelan::json
