#pragma once
// Decimal text of floats: the shortest digits that read back as the same value, in plain
// notation with a ".0" kept on integral values, and in exponent notation ("1e-7", "1.5e20")
// once the magnitude leaves the range where plain notation stays short.

#include <string>

namespace quorvelan::json {

// Finite values only; the writer refuses the others before it gets here.
std::string format_f32(float value);
std::string format_f64(double value);

}  // namespace quorvelan::json
