// The LFO view's keys and the modulation target picker: every field's steps, wraps and
// switches, the filtered target list, and what each change sends.

#include <gtest/gtest.h>

#include <functional>

#include "ui/harness.hpp"
#include "ui/sent_messages.hpp"
#include "ui/view_keys.hpp"

namespace quorvelan::ui::app {
namespace {

using lfo::LfoConfig;
using lfo::LfoShape;
using lfo::LfoTrigMode;
using lfo::ModTarget;
using term::KeyCode;

// Down to a field of the first LFO and start editing it.
std::vector<term::KeyEvent> edit_field(int field) {
  std::vector<term::KeyEvent> keys(field, kDown);
  keys.push_back(kEnter);
  return keys;
}

struct LfoCase {
  const char* what;
  int field;
  std::function<void(LfoConfig&)> setup;
  std::vector<term::KeyEvent> keys;  // after editing has begun
  std::function<bool(const LfoConfig&)> holds;
  std::size_t updates;  // configurations sent
};

TEST(LfoKeys, EachFieldStepsWrapsOrSwitchesAndSendsAllFourLfos) {
  auto near = [](float a, float b) { return std::abs(a - b) < 1e-5f; };
  const std::vector<LfoCase> cases{
      {"rate stops at 0.01", 1, [](LfoConfig& c) { c.rate = 0.01f; }, {kLeft},
       [&](const LfoConfig& c) { return near(c.rate, 0.01f); }, 1},
      {"rate 49.5 up is 50", 1, [](LfoConfig& c) { c.rate = 49.5f; }, {kUp},
       [&](const LfoConfig& c) { return near(c.rate, 50.0f); }, 1},
      {"rate: 0.1, 0.01 and 1 a stroke", 1, [](LfoConfig& c) { c.rate = 2.0f; },
       {kRight, ch('['), ch('{')}, [&](const LfoConfig& c) { return near(c.rate, 1.09f); }, 3},
      {"depth stops at -1", 2, [](LfoConfig& c) { c.depth = -0.98f; }, {kDown},
       [&](const LfoConfig& c) { return near(c.depth, -1.0f); }, 1},
      {"depth: 0.05, 0.01 and 0.1 a stroke", 2, [](LfoConfig& c) { c.depth = 0.0f; },
       {kRight, ch(']'), ch('}')}, [&](const LfoConfig& c) { return near(c.depth, 0.16f); }, 3},
      {"fade: 0.5, 1, 0.1 and 1 a stroke, stopping at 10", 5,
       [](LfoConfig& c) { c.fade = 8.0f; }, {kRight, kUp, ch('['), ch('}'), ch('}')},
       [&](const LfoConfig& c) { return near(c.fade, 10.0f); }, 5},
      {"phase 0 left wraps to 23/24", 8, [](LfoConfig& c) { c.phase_offset = 0.0f; }, {kLeft},
       [&](const LfoConfig& c) { return near(c.phase_offset, 23.0f / 24.0f); }, 1},
      {"phase 0.95 up wraps to 0.075", 8, [](LfoConfig& c) { c.phase_offset = 0.95f; }, {kUp},
       [&](const LfoConfig& c) { return near(c.phase_offset, 0.075f); }, 1},
      {"phase: a degree with ]", 8, [](LfoConfig& c) { c.phase_offset = 0.0f; }, {ch(']')},
       [&](const LfoConfig& c) { return near(c.phase_offset, 1.0f / 360.0f); }, 1},
      {"shape S&H next is Sine", 0, [](LfoConfig& c) { c.shape = LfoShape::SampleAndHold; },
       {kRight}, [](const LfoConfig& c) { return c.shape == LfoShape::Sine; }, 1},
      {"shape: down and [ go back, braces do nothing", 0,
       [](LfoConfig& c) { c.shape = LfoShape::Triangle; }, {kDown, ch('['), ch('{'), ch('}')},
       [](const LfoConfig& c) { return c.shape == LfoShape::SampleAndHold; }, 2},
      {"trigger mode Free previous is Half", 4,
       [](LfoConfig& c) { c.trig_mode = LfoTrigMode::Free; }, {kLeft},
       [](const LfoConfig& c) { return c.trig_mode == LfoTrigMode::Half; }, 1},
      {"sync switches on arrows and brackets, not braces", 6, [](LfoConfig& c) { c.sync = false; },
       {kLeft, kUp, ch(']'), ch('{')}, [](const LfoConfig& c) { return c.sync; }, 3},
      {"division: next is shorter, braces step too", 7,
       [](LfoConfig& c) { c.sync_division = 1.0f; }, {kRight, kRight, ch('{')},
       [&](const LfoConfig& c) { return near(c.sync_division, 0.5f); }, 3},
      {"enabled switches", 9, [](LfoConfig& c) { c.enabled = false; }, {ch(']')},
       [](const LfoConfig& c) { return c.enabled; }, 1},
      {"Esc ends editing; arrows then move the cursor", 1, [](LfoConfig& c) { c.rate = 1.0f; },
       {kEsc, kRight, kLeft}, [&](const LfoConfig& c) { return near(c.rate, 1.0f); }, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto h = in_view('r');
    c.setup(h.app.lfo_configs[0]);
    for (const auto& k : edit_field(c.field)) h.app.handle_key(k);
    ASSERT_TRUE(h.app.editing);
    for (const auto& k : c.keys) h.app.handle_key(k);
    EXPECT_TRUE(c.holds(h.app.lfo_configs[0]));
    auto sent = take_sent(h);
    EXPECT_EQ(sent.lines, std::vector<std::string>(c.updates, "lfos"));
    if (!sent.lfo_boxes.empty()) {
      EXPECT_TRUE(c.holds(sent.lfo_boxes.back()[0]));
    }
    EXPECT_FALSE(h.app.dirty);
  }
}

TEST(LfoKeys, TheTargetFieldTakesNoStrokesAndOpensThePickerInstead) {
  auto h = in_view('r');
  h.app.editing = true;  // as a jump label can leave it
  h.app.lfo_field = 3;
  h.press({kLeft, kUp, ch(']'), ch('}')});
  EXPECT_TRUE(h.drain_sent().empty());
  h.press({kEsc, kEnter});
  EXPECT_FALSE(h.app.editing);
  EXPECT_TRUE(h.app.picker_open);
  EXPECT_EQ(h.app.picker_items.size(), 250u);
}

TEST(LfoKeys, ColumnsStopAtTheFourthLfoAndComingBackSelectsTheFirst) {
  auto h = in_view('r');
  h.press({kDown, kDown, kRight, kRight, kRight, kRight, kRight});
  EXPECT_EQ(h.app.column, 3);
  EXPECT_EQ(h.app.lfo_field, 0);
  h.press({kDown, kDown, kDown, kDown, kDown, kDown, kDown, kDown, kDown, kDown, kDown});
  EXPECT_EQ(h.app.lfo_field, 9);
  h.press({kLeft, kLeft, ch('q'), ch('r')});
  EXPECT_EQ(h.app.column, 0);
  h.app.lfo_configs[0].rate = 1.0f;
  h.press({kDown, kEnter, kRight, kEsc, kDown, kDown, kEnter, ch('t'), ch('2'), kEnter});
  EXPECT_NEAR(h.app.lfo_configs[0].rate, 1.1f, 1e-5f);
  EXPECT_EQ(h.app.lfo_configs[0].target, (ModTarget::SynthParam{1, 0}));
  EXPECT_EQ(h.app.lfo_configs[1].rate, Harness::make().app.lfo_configs[1].rate);
}

TEST(LfoKeys, SentConfigurationsCarryEachTargetsCurrentValueAndTheAppKeepsItsOwn) {
  auto h = in_view('r');
  h.app.effects.reverb_mix = 0.3f;
  h.app.lfo_configs[1].target = ModTarget::EffectParam{2, 2};
  h.app.lfo_configs[1].base_value = 0.0f;
  h.press({kDown, kEnter, kRight});
  auto sent = take_sent(h);
  ASSERT_EQ(sent.lfo_boxes.size(), 1u);
  EXPECT_EQ(sent.lfo_boxes[0][1].base_value, 0.3f);
  EXPECT_EQ(sent.lfo_boxes[0][0].base_value, 0.0f);  // no target
  EXPECT_EQ(h.app.lfo_configs[1].base_value, 0.0f);
}

// ---- The target picker ----

std::vector<std::string> labels(const App& app) {
  std::vector<std::string> out;
  for (const auto& [target, label] : app.picker_items) out.push_back(label);
  return out;
}

Harness with_picker_open() {
  auto h = in_view('r');
  h.press({kDown, kDown, kDown, kEnter});
  EXPECT_TRUE(h.app.picker_open);
  return h;
}

TEST(LfoPicker, TheWholeListHoldsEveryTargetInItsOrder) {
  const auto all = App::build_target_list_filtered("");
  ASSERT_EQ(all.size(), 250u);
  const std::vector<std::pair<std::size_t, std::string>> spots{
      {0, "(none)"},          {1, "T1:Op 1 Ratio"},    {39, "T1:Filter Freq"},
      {56, "T2:Op 1 Ratio"},  {220, "T4:Op 6 Rel"},    {221, "FX:Chorus Rate"},
      {226, "FX:Delay FB"},   {232, "FX:OD Drive"},    {235, "FX:CHR>REV"},
      {238, "FX:DJ Reso"},    {239, "LFO1:Rate"},      {240, "LFO1:Depth"},
      {246, "LFO4:Depth"},    {247, "MIX:Chorus Send"}, {249, "MIX:Reverb Send"},
  };
  for (const auto& [at, label] : spots) EXPECT_EQ(all[at].second, label) << at;
  EXPECT_EQ(all[39].first, (ModTarget::SynthParam{0, 38}));
  EXPECT_EQ(all[226].first, (ModTarget::EffectParam{1, 2}));
  EXPECT_EQ(all[246].first, (ModTarget::LfoParam{3, 1}));
  EXPECT_EQ(all[249].first, ModTarget::SendLevel{2});
}

TEST(LfoPicker, TypingNarrowsTheListInAnyCase) {
  struct Typed {
    std::u32string keys;
    std::vector<std::string> expected;  // empty: only the count is checked
    std::size_t count;
  };
  const std::vector<std::string> reverb{
      "FX:Reverb Decay", "FX:Reverb Damp", "FX:Reverb Mix", "FX:Reverb PreDly",
      "FX:CHR>REV",      "FX:DEL>REV",     "MIX:Reverb Send"};
  const std::vector<Typed> cases{
      {U"rev", reverb, 7},
      {U"REV", reverb, 7},
      {U"t1:", {}, 55},
      {U"\u212A", {}, 28},  // the Kelvin sign lower-cases to k: the Atk rows
      {U"k", {}, 28},
      {U"xyz", {}, 0},
  };
  for (const auto& c : cases) {
    auto h = with_picker_open();
    h.press({kDown, kDown});
    for (char32_t k : c.keys) h.app.handle_key(ch(k));
    EXPECT_EQ(h.app.picker_index, 0u);
    EXPECT_EQ(h.app.picker_items.size(), c.count);
    if (!c.expected.empty()) {
      EXPECT_EQ(labels(h.app), c.expected);
    }
  }
  auto h = with_picker_open();
  h.press({ch('t'), ch('1'), ch(':')});
  for (const auto& [target, label] : h.app.picker_items) {
    EXPECT_EQ(target.kind(), lfo::ModTargetKind::SynthParam);
    EXPECT_EQ(target.a(), 0);
  }
}

TEST(LfoPicker, BackspaceTakesAWholeCharacterAndRebuildsTheList) {
  auto h = with_picker_open();
  h.press({ch('r'), ch(U'é')});
  EXPECT_EQ(h.app.picker_filter, "r\u00e9");
  EXPECT_TRUE(h.app.picker_items.empty());
  h.press({kBackspace});
  EXPECT_EQ(h.app.picker_filter, "r");
  EXPECT_EQ(h.app.picker_items, App::build_target_list_filtered("r"));
  h.press({kBackspace, kBackspace, kBackspace});
  EXPECT_EQ(h.app.picker_filter, "");
  EXPECT_EQ(h.app.picker_items.size(), 250u);
  h.press({ctrl('q'), ch('x', term::KeyModifier::Alt), key(KeyCode::Tab)});  // ignored
  EXPECT_EQ(h.app.picker_filter, "");
  EXPECT_TRUE(h.app.picker_open);
  EXPECT_FALSE(h.app.should_quit);
}

TEST(LfoPicker, UpAndDownStayInsideTheList) {
  auto h = with_picker_open();
  h.press({kUp});
  EXPECT_EQ(h.app.picker_index, 0u);
  h.press({ch('l'), ch('f'), ch('o'), ch('4')});
  ASSERT_EQ(h.app.picker_items.size(), 2u);
  h.press({kDown, kDown, kDown});
  EXPECT_EQ(h.app.picker_index, 1u);
  h.press({kUp});
  EXPECT_EQ(h.app.picker_index, 0u);
}

TEST(LfoPicker, EnterAssignsTheTargetWithItsCurrentValueEscAndEmptyListsChangeNothing) {
  auto h = with_picker_open();
  h.app.synth_params[1].filter_cutoff = 0.37f;
  for (char32_t k : std::u32string(U"t2:filter f")) h.app.handle_key(ch(k));
  ASSERT_EQ(labels(h.app), std::vector<std::string>{"T2:Filter Freq"});
  h.press({kEnter});
  EXPECT_FALSE(h.app.picker_open);
  const auto& lfo1 = h.app.lfo_configs[0];
  EXPECT_EQ(lfo1.target, (ModTarget::SynthParam{1, 38}));
  EXPECT_EQ(lfo1.base_value, 0.37f);
  auto sent = take_sent(h);
  ASSERT_EQ(sent.lines, std::vector<std::string>{"lfos"});
  EXPECT_EQ(sent.lfo_boxes[0][0].target, lfo1.target);
  EXPECT_EQ(sent.lfo_boxes[0][0].base_value, 0.37f);

  h.press({kEnter, ch('m'), ch('i'), ch('x'), kDown, kEsc});
  EXPECT_FALSE(h.app.picker_open);
  EXPECT_EQ(h.app.lfo_configs[0].target, (ModTarget::SynthParam{1, 38}));
  h.press({kEnter, ch('z'), ch('z'), kEnter});
  EXPECT_FALSE(h.app.picker_open);
  EXPECT_EQ(h.app.lfo_configs[0].target, (ModTarget::SynthParam{1, 38}));
  EXPECT_TRUE(h.drain_sent().empty());
}

}  // namespace
}  // namespace quorvelan::ui::app
