#pragma once
// The colour theme: a dark and a light palette of 22 fixed roles that every view draws with.

#include <cstdint>

#include "term/style.hpp"

namespace quorvelan::ui::views {

struct Theme {
  bool light = false;
  term::Color bg;
  term::Color fg;
  term::Color dim;
  term::Color border;
  term::Color header_bg;
  term::Color status_bg;
  term::Color playhead_fg;
  term::Color playhead_bg;
  term::Color mode_fg;
  term::Color selected_fg;
  term::Color selected_bg;
  term::Color beat_step;
  term::Color empty_step;
  term::Color transport;
  term::Color track1;
  term::Color track2;
  term::Color track3;
  term::Color track4;
  term::Color title;
  term::Color accent;
  term::Color filter_accent;
  term::Color amp_accent;

  static Theme dark();
  static Theme light_theme();

  // Flips between the two palettes.
  void toggle();

  // The colour of a track (0-based); tracks past the fourth wrap round.
  [[nodiscard]] term::Color track(std::uint8_t index) const;

  friend bool operator==(const Theme&, const Theme&) = default;
};

}  // namespace quorvelan::ui::views
