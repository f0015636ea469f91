#pragma once
// The small pieces every parameter view is built from: a text bar for a 0..1 value, a parameter
// row, a parameter row that shows live LFO modulation with a pulsing knob, a bar marking both the
// set and the modulated value, the pan, percent and time texts, and how far a list scrolls. Each
// only builds styled text for the caller to place, but for the two that draw straight into the
// frame: the page strip, and the level meter App::render_vertical_meter.
//
// Values are positions on a 0..1 scale; anything outside, NaN included, draws as the nearest end
// (NaN as empty), never as a wild index.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lfo.hpp"
#include "term/buffer.hpp"
#include "term/rect.hpp"
#include "term/style.hpp"
#include "term/text.hpp"
#include "ui/views.hpp"

namespace quorvelan::ui::app {
class App;
}  // namespace quorvelan::ui::app

namespace quorvelan::ui::widgets {

// Exactly `width` characters: "=" for the filled part of `value`, blanks for the rest.
std::string param_bar(std::size_t width, float value);

// param_bar between two "|": width + 2 characters.
std::string framed_bar(std::size_t width, float value);

// "> Label    value    |====        |": a row marker (">>" editing, "> " selected), the label,
// the value text and a 12-cell bar of `value`.
term::Line param_line_sel(std::string_view label, std::string_view value_text, bool selected,
                          bool editing, const views::Theme& theme, float value);

// A parameter row whose target an LFO may be moving. Unmodulated: marker, a blank, label, value,
// bar. Modulated: marker and label tinted towards `mod_color` with the pulse, a knob glyph in
// place of the blank, and the bar of param_bar_mod_spans. `pulse` is the frame's animation value
// 0..1.
term::Line param_line_sel_mod(std::string_view label, std::string_view value_text, bool modulated,
                              bool selected, bool editing, const views::Theme& theme,
                              term::Color mod_color, float base, float modulated_value,
                              float pulse);

// "|", then `width` one-cell spans ("=" base fill, "─" from the fill's end to the modulation
// mark, "│" the mark in `mod_color`), then "|": width + 2 spans.
std::vector<term::Span> param_bar_mod_spans(std::size_t width, term::Color base_color,
                                            term::Color mod_color, float base,
                                            float modulated_value);

// The pulsing knob "○ ◔ ◑ ◕ ●" for `pulse`, BOLD, coloured from `dim` towards `mod_color` by the
// pulse (or the one of the two nearer to it when either is not an RGB colour).
term::Span knob_span(term::Color dim, term::Color mod_color, float pulse);

// The value 0..1 that the first LFO moving the parameter (`kind`, `a`, `b`) last wrote into it, as
// the audio thread reported it; nothing when no LFO moves it.
std::optional<float> live_modulation(const app::App& app, lfo::ModTargetKind kind, std::uint8_t a,
                                     std::uint8_t b);

// The strip beside a view with pages: a left border, then a row each for "▲" (lit when a page
// lies above), the page names (the current one lit, the others "·") and "▼" (lit when one lies
// below), centred.
void render_page_strip(term::Buffer& buffer, const term::Rect& area, const views::Theme& theme,
                       std::span<const char* const> pages, std::size_t current);

// The block glyph "▁" .. "█" of a level 0..1, to the nearest eighth: levels outside show the
// lowest or the full block.
const char* meter_glyph(float level);

// The first line to show of a list drawn in `rows` rows so that line `line` is among them:
// scrolled no further than that needs, and not at all without rows.
std::size_t first_visible(std::size_t line, std::size_t rows);

// Pan -1 (full left) .. +1 (full right) as "L50" .. "C" .. "R50".
std::string pan_display(float pan);

// A level 0..1 as "42%"; a -1..1 amount as "-25%" / "+0%" / "+25%"; seconds as "250ms". Whole
// numbers, rounded.
std::string percent_display(float level);
std::string signed_percent_display(float amount);
std::string milliseconds_display(float seconds);

}  // namespace quorvelan::ui::widgets
