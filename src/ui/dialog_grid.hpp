#pragma once
// The letter grid of the gamepad name entry: every character a name can be spelt with from a
// gamepad, ten to a row.

#include <cstddef>
#include <string_view>

namespace quorvelan::ui::dialog_grid {

inline constexpr std::string_view kCharacters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_ ";
inline constexpr std::size_t kColumns = 10;

}  // namespace quorvelan::ui::dialog_grid
