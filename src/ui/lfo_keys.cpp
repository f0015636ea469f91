// The LFO view's keys and the modulation target picker. Every change sends all four LFO
// configurations at once; the audio thread replaces its own whole.

#include <utf8proc.h>

#include <algorithm>

#include "term/width.hpp"
#include "ui/app.hpp"
#include "ui/edit_keys.hpp"
#include "ui/mod_targets.hpp"

namespace quorvelan::ui::app {
namespace {

using edit_keys::Amounts;
using edit_keys::Pair;
using edit_keys::Stroke;
using lfo::LfoConfig;
using term::KeyCode;

constexpr std::uint8_t kLastLfo = lfo::kLfoCount - 1;

// The fields of one LFO, in the order of the view's rows.
enum class Field : std::uint8_t {
  Shape,
  Rate,
  Depth,
  Target,
  TrigMode,
  Fade,
  Sync,
  SyncDivision,
  PhaseOffset,
  Enabled,
};
constexpr std::uint8_t kLastField = static_cast<std::uint8_t>(Field::Enabled);

// A number moved by a per-key amount (Left/Right, Up/Down, [ ], { }) and kept in its range.
struct NumericField {
  float LfoConfig::*field;
  Amounts amounts;
  float low;
  float high;
};
constexpr NumericField kRate{&LfoConfig::rate, {0.1f, 1.0f, 0.01f, 1.0f}, 0.01f, 50.0f};
constexpr NumericField kDepth{&LfoConfig::depth, {0.05f, 0.1f, 0.01f, 0.1f}, -1.0f, 1.0f};
constexpr NumericField kFade{&LfoConfig::fade, {0.5f, 1.0f, 0.1f, 1.0f}, -10.0f, 10.0f};
// Fractions of a cycle: an hour on a 24-hour dial, an eighth, a degree, an eighth.
constexpr Amounts kPhaseAmounts{1.0f / 24.0f, 0.125f, 1.0f / 360.0f, 0.125f};

constexpr int kShapeCount = 8;
constexpr int kTrigModeCount = 5;

// Applies a stroke to one field; false when the field takes no such stroke.
bool apply_stroke(LfoConfig& config, Field field, Stroke stroke) {
  // Cycling fields and switches take every pair but { }.
  const bool steps_through = stroke.pair != Pair::Braces;
  auto move = [&](const NumericField& f) {
    float& value = config.*f.field;
    value = std::clamp(value + edit_keys::amount(f.amounts, stroke), f.low, f.high);
    return true;
  };
  switch (field) {
    case Field::Shape:
      if (steps_through) config.shape = edit_keys::wrapped(config.shape, stroke.sign, kShapeCount);
      return steps_through;
    case Field::Rate: return move(kRate);
    case Field::Depth: return move(kDepth);
    case Field::Target: return false;  // chosen in the picker
    case Field::TrigMode:
      if (steps_through)
        config.trig_mode = edit_keys::wrapped(config.trig_mode, stroke.sign, kTrigModeCount);
      return steps_through;
    case Field::Fade: return move(kFade);
    case Field::Sync:
      if (steps_through) config.sync = !config.sync;
      return steps_through;
    case Field::SyncDivision:
      config.sync_division = stroke.sign > 0 ? lfo::next_sync_division(config.sync_division)
                                             : lfo::prev_sync_division(config.sync_division);
      return true;
    case Field::PhaseOffset:
      config.phase_offset =
          lfo::wrap_unit(config.phase_offset + edit_keys::amount(kPhaseAmounts, stroke));
      return true;
    case Field::Enabled:
      if (steps_through) config.enabled = !config.enabled;
      return steps_through;
  }
  return false;
}

// The full Unicode lower-case form: per character its lower-case mapping, and the one character
// whose lower case is two ("İ" becomes "i" with a combining dot above).
std::string lower_case(std::string_view text) {
  std::string lower;
  lower.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    utf8proc_int32_t code_point = 0;
    const auto length =
        utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + at),
                         static_cast<utf8proc_ssize_t>(text.size() - at), &code_point);
    if (length <= 0) {  // not UTF-8: kept as it is
      lower += text[at++];
      continue;
    }
    if (code_point == 0x130) {
      lower += "i\u0307";
    } else {
      lower += term::encode_utf8(static_cast<char32_t>(utf8proc_tolower(code_point)));
    }
    at += static_cast<std::size_t>(length);
  }
  return lower;
}

}  // namespace

void App::handle_lfo_key(const term::KeyEvent& key) {
  const std::uint8_t lfo = std::min(column, kLastLfo);
  if (!editing) {
    if (edit_keys::move_cursor(key, column, kLastLfo, lfo_field, kLastField) !=
            edit_keys::Move::None ||
        key.code != KeyCode::Enter) {
      return;
    }
    if (lfo_field == static_cast<std::uint8_t>(Field::Target)) {
      picker_open = true;
      picker_filter.clear();
      picker_index = 0;
      picker_items = build_target_list_filtered(picker_filter);
    } else {
      editing = true;
    }
    return;
  }
  if (edit_keys::ends_editing(key)) {
    editing = false;
    return;
  }
  const auto stroke = edit_keys::stroke(key);
  if (!stroke || lfo_field > kLastField) return;
  if (apply_stroke(lfo_configs[lfo], static_cast<Field>(lfo_field), *stroke)) send_lfo_update();
}

void App::handle_picker_key(const term::KeyEvent& key) {
  auto refilter = [this] {
    picker_items = build_target_list_filtered(picker_filter);
    picker_index = 0;
  };
  if (edit_keys::is_typed(key)) {
    picker_filter += term::encode_utf8(key.character);
    refilter();
  } else if (key.code == KeyCode::Backspace) {
    edit_keys::pop_character(picker_filter);
    refilter();
  } else if (key.code == KeyCode::Enter) {
    if (picker_index < picker_items.size()) {
      auto& config = lfo_configs[std::min(column, kLastLfo)];
      config.target = picker_items[picker_index].first;
      config.base_value = get_param_value(config.target);
      send_lfo_update();
    }
    picker_open = false;
  } else if (key.code == KeyCode::Esc) {
    picker_open = false;
  } else {
    edit_keys::move_in_list(picker_index, key, picker_items.size());
  }
}

std::vector<std::pair<lfo::ModTarget, std::string>> App::build_target_list_filtered(
    std::string_view filter) {
  const std::string wanted = lower_case(filter);
  std::vector<std::pair<lfo::ModTarget, std::string>> items;
  for (const auto& target : mod_targets::all()) {
    auto label = mod_targets::label(target);
    if (wanted.empty() || lower_case(label).find(wanted) != std::string::npos) {
      items.emplace_back(target, std::move(label));
    }
  }
  return items;
}

}  // namespace quorvelan::ui::app
