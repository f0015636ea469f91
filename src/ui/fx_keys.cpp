// The FX view's keys: the chorus, delay and reverb settings. A column is an effect and a row one
// of its parameters, numbered as the audio thread numbers them.

#include <algorithm>
#include <array>

#include "ui/app.hpp"
#include "ui/edit_keys.hpp"
#include "ui/effect_fields.hpp"

namespace quorvelan::ui::app {
namespace {

namespace messages = audio::messages;
using edit_keys::StepRange;
using term::KeyCode;

constexpr std::uint8_t kLastColumn = 2;
constexpr std::array<std::uint8_t, 3> kRowCount{3, 4, 4};

// Steps and limits per column and row: seconds for the delay times and the pre-delay, Hz for the
// chorus rate, 0..1 for the rest. Feedback stops short of 1 so that echoes always die away.
constexpr std::array<std::array<StepRange, 4>, 3> kRanges{{
    {{{0.1f, 0.1f, 5.0f}, {0.02f, 0.0f, 1.0f}, {0.02f, 0.0f, 1.0f}}},
    {{{0.01f, 0.01f, 1.0f}, {0.01f, 0.01f, 1.0f}, {0.02f, 0.0f, 0.95f}, {0.02f, 0.0f, 1.0f}}},
    {{{0.02f, 0.0f, 1.0f}, {0.02f, 0.0f, 1.0f}, {0.02f, 0.0f, 1.0f}, {0.005f, 0.0f, 0.1f}}},
}};

}  // namespace

void App::clamp_fx_row() {
  fx_row = std::min<std::uint8_t>(fx_row, kRowCount[std::min(column, kLastColumn)] - 1);
}

void App::handle_fx_key(const term::KeyEvent& key) {
  const std::uint8_t effect = std::min(column, kLastColumn);
  if (!editing) {
    if (edit_keys::move_cursor(key, column, kLastColumn, fx_row, kRowCount[effect] - 1) ==
        edit_keys::Move::None) {
      editing = key.code == KeyCode::Enter;
    }
    return;
  }
  if (edit_keys::ends_editing(key)) {
    editing = false;
    return;
  }
  const auto delta = edit_keys::delta(key);
  if (!delta || fx_row >= kRowCount[effect]) return;
  float* value = effect_fields::find(effects, effect, fx_row);
  *value = edit_keys::stepped(*value, *delta, kRanges[effect][fx_row]);
  audio_tx.push(messages::set_effect_param(effect, fx_row, *value));
}

}  // namespace quorvelan::ui::app
