#include "ui/views.hpp"

namespace quorvelan::ui::views {
namespace {

using term::Color;

// One palette: the 22 colours in slot order, as 0xRRGGBB.
constexpr Theme palette(bool light, const std::uint32_t (&slots)[22]) {
  return Theme{
      .light = light,
      .bg = Color::hex(slots[0]),
      .fg = Color::hex(slots[1]),
      .dim = Color::hex(slots[2]),
      .border = Color::hex(slots[3]),
      .header_bg = Color::hex(slots[4]),
      .status_bg = Color::hex(slots[5]),
      .playhead_fg = Color::hex(slots[6]),
      .playhead_bg = Color::hex(slots[7]),
      .mode_fg = Color::hex(slots[8]),
      .selected_fg = Color::hex(slots[9]),
      .selected_bg = Color::hex(slots[10]),
      .beat_step = Color::hex(slots[11]),
      .empty_step = Color::hex(slots[12]),
      .transport = Color::hex(slots[13]),
      .track1 = Color::hex(slots[14]),
      .track2 = Color::hex(slots[15]),
      .track3 = Color::hex(slots[16]),
      .track4 = Color::hex(slots[17]),
      .title = Color::hex(slots[18]),
      .accent = Color::hex(slots[19]),
      .filter_accent = Color::hex(slots[20]),
      .amp_accent = Color::hex(slots[21]),
  };
}

constexpr std::uint32_t kDarkSlots[22] = {
    0x181825, 0xCDD6F4, 0x6C7086, 0x45475A, 0x1E1E2E, 0x1E1E2E, 0x181825, 0xA6E3A1,
    0x181825, 0x181825, 0xCDD6F4, 0x585B70, 0x313244, 0xA6E3A1, 0x89B4FA, 0xFAB387,
    0xCBA6F7, 0x94E2D5, 0x89B4FA, 0x89B4FA, 0xCBA6F7, 0xA6E3A1,
};

constexpr std::uint32_t kLightSlots[22] = {
    0xEFF1F5, 0x4C4F69, 0x8C8FA1, 0xACB0BE, 0xDCE0E8, 0xDCE0E8, 0xEFF1F5, 0x40A02B,
    0xEFF1F5, 0xEFF1F5, 0x4C4F69, 0x8C8FA1, 0xCCD0DA, 0x40A02B, 0x1E66F5, 0xDF8E1D,
    0x8839EF, 0x179299, 0x1E66F5, 0x1E66F5, 0x8839EF, 0x40A02B,
};

}  // namespace

Theme Theme::dark() { return palette(false, kDarkSlots); }
Theme Theme::light_theme() { return palette(true, kLightSlots); }

void Theme::toggle() { *this = light ? dark() : light_theme(); }

term::Color Theme::track(std::uint8_t index) const {
  switch (index % 4) {
    case 0:
      return track1;
    case 1:
      return track2;
    case 2:
      return track3;
    default:
      return track4;
  }
}

}  // namespace quorvelan::ui::views
