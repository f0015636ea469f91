#include "json/number.hpp"

#include <charconv>
#include <cstdlib>
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
  auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  std::string_view scientific(buffer, end - buffer);  // "-d.ddde+XX", shortest round-trip digits

  std::string text;
  if (scientific.front() == '-') {
    text = "-";
    scientific.remove_prefix(1);
  }
  auto e = scientific.find('e');
  std::string digits;
  for (char c : scientific.substr(0, e)) {
    if (c != '.') digits += c;
  }
  int exponent = std::atoi(std::string(scientific.substr(e + 1)).c_str());
  int length = static_cast<int>(digits.size());
  int kk = exponent + 1;
  int k = kk - length;  // exponent of the last digit

  if (k >= 0 && kk <= band.highest) {
    text += digits;
    text.append(k, '0');
    text += ".0";
  } else if (kk > 0 && kk <= band.highest) {
    text += digits.substr(0, kk);
    text += '.';
    text += digits.substr(kk);
  } else if (kk > band.lowest && kk <= 0) {
    text += "0.";
    text.append(-kk, '0');
    text += digits;
  } else {
    text += digits.front();
    if (length > 1) {
      text += '.';
      text += digits.substr(1);
    }
    text += 'e';
    text += std::to_string(kk - 1);
  }
  return text;
}

}  // namespace

std::string format_f32(float value) { return format_shortest(value, {-6, 13}); }
std::string format_f64(double value) { return format_shortest(value, {-5, 16}); }

}  // namespace quorvelan::json
