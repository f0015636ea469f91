// Jump labels of every view stand on what they jump to: each label's cell, from the view's own
// layout, lies on its target's row or title in the frame the view draws, at full width and at a
// width where labels reach the last columns of the screen.

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <functional>

#include "term/width.hpp"
#include "ui/harness.hpp"
#include "ui/view_cells.hpp"

namespace quorvelan::ui::app {
namespace {

struct ViewCase {
  const char* what;
  View view;
  std::function<void(App&)> setup;
  // Per target, in label order: a text the view draws on the label's row, starting at most a
  // few cells left of the label (a title on a block's top border, a field's name on its line).
  std::vector<std::string> texts;
};

std::vector<ViewCase> view_cases() {
  const std::vector<std::string> track_tabs{"Track 1", "Track 2", "Track 3", "Track 4"};
  auto with = [](std::vector<std::string> head, std::vector<std::string> tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
  };
  const std::vector<std::string> strip{"│", "│", "│"};
  std::vector<std::string> mixer;
  for (int track = 0; track < 4; ++track) {
    mixer = with(mixer, {"Vol:", "Pan:", "CHR:", "DEL:", "REV:"});
  }
  return {
      {"SEQ steps", View::Seq, nullptr, with(track_tabs, {"Pattern A01", "Step 01"})},
      {"SEQ arpeggiator", View::Seq, [](App& app) { app.seq_page = SeqPage::Arp; },
       with(track_tabs, {"Mode:", "Division:", "Gate:", "Octaves:", "Length:", "Latch:", "Offsets:",
                         "Scale:", "Root:"})},
      {"SYNTH operators", View::Synth, [](App& app) { app.current_op = 2; },
       with({"Track 1 - Algorithm", "Rat", "Lvl", "FB", "Atk", "Dec", "End", "Rel", "Rat", "Rat",
             "Rat", "Rat", "Rat"},
            strip)},
      {"SYNTH filter", View::Synth, [](App& app) { app.synth_page = SynthPage::Flt; },
       with({"Track 1 - Algorithm", "Type:", "Cutoff:", "Resonance:", "Env Depth:"}, strip)},
      {"SYNTH amp", View::Synth, [](App& app) { app.synth_page = SynthPage::Amp; },
       with({"Track 1 - Algorithm", "Atk:", "Dec:", "Sus:", "Rel:", "Drive:"}, strip)},
      {"FX",
       View::Fx,
       nullptr,
       {"Rate", "Depth", "Mix", "Time L", "Time R", "Feedback", "Mix", "Decay", "Damping", "Mix",
        "PreDly"}},
      {"LFO 3",
       View::Lfo,
       [](App& app) { app.column = 2; },
       {"Shape", "Rate", "Depth", "Target", "Mode", "Fade", "Sync", "Div", "Phase", "Enabled"}},
      {"MIX", View::Mix, nullptr, with(mixer, {"Vol:", "Drv:", "Tone:", "Cut:", "Reso:"})},
      {"SET", View::Set, nullptr, {"PROJECT", "AUDIO", "MIDI"}},
  };
}

Harness in_case(const ViewCase& c) {
  auto h = Harness::make();
  h.press({key(term::KeyCode::Enter)});  // a new project
  h.app.view = c.view;
  h.app.row_nav = true;
  if (c.setup) c.setup(h.app);
  h.app.jump_targets = h.app.build_easymotion_targets();
  return h;
}

term::Rect body_of(std::uint16_t width, std::uint16_t height) {
  return {0, 1, width, static_cast<std::uint16_t>(height - 3)};
}

// The text a row shows from a label's cell on: past the border, focus and row markers before it,
// up to the border or frame line that ends its block, without blanks at the end.
std::string text_from(const term::TestBackend& plain, int x, int y, int width) {
  std::string text;
  for (int at = x; at < width; ++at) {
    const auto& symbol = plain.cell(at, y).symbol;
    const bool frame = symbol == "│" || symbol == "╭" || symbol == "╮" || symbol == "─";
    if (text.empty() && (frame || symbol == " " || symbol == ">" || symbol == "*")) continue;
    if (frame) break;
    text += symbol;
  }
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

// Checks every label at one screen size: drawn as "[l]" on its cell, which lies on the row or
// title where the view draws the target (as much of its text as the view has room for); a label
// that would cross the right edge is left out.
void expect_labels_on_their_targets(const ViewCase& c, std::uint16_t width, std::uint16_t height) {
  auto h = in_case(c);
  const auto positions = easymotion_positions(body_of(width, height), h.app);
  ASSERT_EQ(positions.size(), c.texts.size()) << c.what;
  const auto plain = h.draw(width, height);
  h.app.jump_active = true;
  const auto labelled = h.draw(width, height);
  for (std::size_t k = 0; k < positions.size(); ++k) {
    const auto& p = positions[k];
    const auto& target = h.app.jump_targets[k];
    const auto where =
        fmt::format("{} at {}x{}: {} ({}, {})", c.what, width, height, target.name, p.x, p.y);
    ASSERT_LT(p.y, height - 2) << where << " lies outside the body";
    if (p.x + 3 > width) {
      if (p.x < width) {
        EXPECT_EQ(labelled.cell(p.x, p.y), plain.cell(p.x, p.y)) << where;
      }
      continue;
    }
    EXPECT_EQ(cells_text(labelled, p.x, p.y, 3), "[" + term::encode_utf8(target.label) + "]")
        << where;
    const auto& expected = c.texts[k];
    if (expected == "│") {  // the page strip's edge
      EXPECT_EQ(plain.cell(p.x, p.y).symbol, expected) << where;
      continue;
    }
    const auto shown = text_from(plain, p.x, p.y, width);
    const bool whole = shown.starts_with(expected);
    const bool cut_short = !shown.empty() && expected.starts_with(shown);
    EXPECT_TRUE(whole || cut_short) << where << ": the row shows '" << shown << "'";
  }
}

TEST(JumpLabelPositions, EveryLabelStandsOnItsTargetAtFullWidthAndWhenNarrow) {
  for (const auto& c : view_cases()) {
    expect_labels_on_their_targets(c, 100, 30);
    expect_labels_on_their_targets(c, 60, 30);
  }
}

TEST(JumpLabelPositions, ALabelEndingOnTheLastColumnIsDrawnAndOneColumnLessLeavesItOut) {
  for (const auto& c : view_cases()) {
    auto h = in_case(c);
    // The width at which the rightmost label ends on the screen's last column.
    bool found = false;
    for (std::uint16_t width = 100; width > 3 && !found; --width) {
      const auto positions = easymotion_positions(body_of(width, 30), h.app);
      const auto last = std::ranges::max_element(positions, {}, &LabelPosition::x);
      if (last == positions.end() || last->x + 3 != width) continue;
      found = true;
      h.app.jump_active = true;
      const auto fits = h.draw(width, 30);
      EXPECT_EQ(cells_text(fits, last->x, last->y, 3), "[" + term::encode_utf8(last->label) + "]")
          << c.what << " at width " << width;
      h.app.jump_active = false;
      const auto plain = h.draw(static_cast<std::uint16_t>(width - 1), 30);
      h.app.jump_active = true;
      const auto crossing = h.draw(static_cast<std::uint16_t>(width - 1), 30);
      const auto& left_out = easymotion_positions(body_of(width - 1, 30), h.app);
      for (const auto& p : left_out) {
        if (p.x + 3 <= width - 1) continue;
        for (int x = p.x; x < width - 1; ++x) {
          EXPECT_EQ(crossing.cell(x, p.y), plain.cell(x, p.y)) << c.what << " at " << width - 1;
        }
      }
    }
    EXPECT_TRUE(found) << c.what;
  }
}

}  // namespace
}  // namespace quorvelan::ui::app
