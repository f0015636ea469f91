#pragma once
// The rows of the SET view's three columns, numbered as its cursor counts them; the drawing and
// the keys both go by this numbering.

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace quorvelan::ui::settings_rows {

inline constexpr std::uint8_t kProjectColumn = 0;
inline constexpr std::uint8_t kAudioColumn = 1;
inline constexpr std::uint8_t kMidiColumn = 2;
inline constexpr std::size_t kChannelRows = 4;  // one per track

inline constexpr std::size_t kSaveRow = 0;
inline constexpr std::size_t kLoadRow = 1;

// The MIDI column: row 0 disconnects, rows 1 to `ports` are the ports in list order, then one
// channel row per track, and clock sync last.
struct MidiRows {
  std::size_t ports = 0;

  [[nodiscard]] constexpr std::size_t first_channel() const { return ports + 1; }
  [[nodiscard]] constexpr std::size_t clock_sync() const { return first_channel() + kChannelRows; }
  [[nodiscard]] constexpr bool is_port(std::size_t row) const { return row >= 1 && row <= ports; }
  [[nodiscard]] constexpr bool is_channel(std::size_t row) const {
    return row >= first_channel() && row < clock_sync();
  }
};

// The last row of a column: the audio column keeps row 0 even without devices.
constexpr std::size_t last_row(std::uint8_t column, std::size_t devices, std::size_t ports) {
  switch (column) {
    case kProjectColumn:
      return kLoadRow;
    case kAudioColumn:
      return std::max<std::size_t>(devices, 1) - 1;
    default:
      return MidiRows{ports}.clock_sync();
  }
}

}  // namespace quorvelan::ui::settings_rows
