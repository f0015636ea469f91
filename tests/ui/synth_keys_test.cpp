// The SYNTH view's keys: moving between the algorithm block and the rows of each page, and
// editing as key sequences, each checked by the patch value it leaves and the one message sent.

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ui/harness.hpp"
#include "ui/sent_messages.hpp"

namespace quorvelan::ui::app {
namespace {

using sequencer::types::TrackSynthParams;
using term::KeyCode;

constexpr std::uint8_t kTrack = 2;
constexpr std::uint8_t kDx7Algorithm1 = 8;
constexpr std::uint8_t kFourOperators = 0;

std::string synth_line(std::uint8_t track, std::uint8_t id, float value) {
  return fmt::format("synth {} {} {:.3f}", track, id, value);
}

Harness synth_view(SynthPage page, std::uint8_t column, bool editing) {
  auto h = Harness::make();
  h.app.view = View::Synth;
  h.app.current_track = kTrack;
  h.app.synth_page = page;
  h.app.column = column;
  h.app.editing = editing;
  h.app.row_nav = true;
  return h;
}

struct Cursor {
  std::uint8_t column;
  std::uint8_t row;  // of the page shown
  std::uint8_t op;
  bool editing;
  friend bool operator==(const Cursor&, const Cursor&) = default;
};
std::ostream& operator<<(std::ostream& out, const Cursor& c) {
  return out << "column " << int{c.column} << " row " << int{c.row} << " op " << int{c.op}
             << (c.editing ? " editing" : "");
}

TEST(SynthKeys, NavigationMovesBetweenTheAlgorithmBlockRowsAndOperators) {
  struct Case {
    const char* what;
    SynthPage page;
    std::uint8_t algorithm;
    Cursor start;
    std::vector<term::KeyEvent> keys;
    Cursor expected;
  };
  const auto down = key(KeyCode::Down);
  const auto up = key(KeyCode::Up);
  const auto left = key(KeyCode::Left);
  const auto right = key(KeyCode::Right);
  const std::vector<Case> cases{
      {"Enter edits the algorithm",
       SynthPage::Ops,
       8,
       {0, 3, 0, false},
       {key(KeyCode::Enter)},
       {0, 3, 0, true}},
      {"Enter edits a row",
       SynthPage::Amp,
       8,
       {1, 2, 0, false},
       {key(KeyCode::Enter)},
       {1, 2, 0, true}},
      {"Down from the block lands on the first row",
       SynthPage::Ops,
       8,
       {0, 4, 0, false},
       {down},
       {1, 0, 0, false}},
      {"OPS rows stop at Release",
       SynthPage::Ops,
       8,
       {1, 0, 0, false},
       std::vector(9, down),
       {1, 6, 0, false}},
      {"FLT rows stop at Env Depth",
       SynthPage::Flt,
       8,
       {1, 0, 0, false},
       std::vector(6, down),
       {1, 3, 0, false}},
      {"AMP rows stop at Drive",
       SynthPage::Amp,
       8,
       {1, 0, 0, false},
       std::vector(6, down),
       {1, 4, 0, false}},
      {"Up climbs the rows, then into the block",
       SynthPage::Flt,
       8,
       {1, 2, 0, false},
       {up, up, up},
       {0, 0, 0, false}},
      {"Up in the block does nothing", SynthPage::Ops, 8, {0, 2, 0, false}, {up}, {0, 2, 0, false}},
      {"Right stops at the fourth operator of a 4-operator algorithm",
       SynthPage::Ops,
       kFourOperators,
       {1, 0, 0, false},
       std::vector(5, right),
       {1, 0, 3, false}},
      {"Right stops at the sixth operator of a DX7 algorithm",
       SynthPage::Ops,
       kDx7Algorithm1,
       {1, 0, 0, false},
       std::vector(9, right),
       {1, 0, 5, false}},
      {"Left stops at the first operator",
       SynthPage::Ops,
       8,
       {1, 0, 2, false},
       std::vector(3, left),
       {1, 0, 0, false}},
      {"an operator beyond the count stays until Left",
       SynthPage::Ops,
       kFourOperators,
       {1, 0, 5, false},
       {right, left},
       {1, 0, 4, false}},
      {"operators change only on the OPS list",
       SynthPage::Flt,
       8,
       {1, 0, 1, false},
       {right, left},
       {1, 0, 1, false}},
      {"nor from the block", SynthPage::Ops, 8, {0, 0, 1, false}, {right, left}, {0, 0, 1, false}},
      {"a page change from AMP's Drive row lands on FLT's last row", SynthPage::Amp, 8,
       {1, 4, 0, false}, {key(KeyCode::BackTab)}, {1, 3, 0, false}},
  };
  for (const auto& c : cases) {
    auto h = synth_view(c.page, c.start.column, c.start.editing);
    h.app.synth_params[kTrack].algorithm = c.algorithm;
    (c.page == SynthPage::Ops ? h.app.op_row : h.app.page_row) = c.start.row;
    h.app.current_op = c.start.op;
    for (const auto& k : c.keys) h.press({k});
    const std::uint8_t row = c.page == SynthPage::Ops ? h.app.op_row : h.app.page_row;
    EXPECT_EQ((Cursor{h.app.column, row, h.app.current_op, h.app.editing}), c.expected) << c.what;
    EXPECT_TRUE(h.drain_sent().empty()) << c.what;
  }
}

TEST(SynthKeys, AlgorithmStepsByOneWithinTheTableAndIsAlwaysSent) {
  struct Case {
    std::uint8_t start;
    term::KeyEvent key;
    std::uint8_t expected;
  };
  for (const auto& c : std::vector<Case>{{8, key(KeyCode::Right), 9},
                                         {8, key(KeyCode::Up), 9},
                                         {8, ch(']'), 9},
                                         {8, key(KeyCode::Left), 7},
                                         {8, key(KeyCode::Down), 7},
                                         {8, ch('['), 7},
                                         {39, key(KeyCode::Right), 39},
                                         {0, key(KeyCode::Left), 0},
                                         {8, ch('x'), 8},
                                         {8, key(KeyCode::Tab), 8}}) {
    auto h = synth_view(SynthPage::Ops, 0, true);
    h.app.synth_params[kTrack].algorithm = c.start;
    h.press({c.key});
    EXPECT_EQ(h.app.synth_params[kTrack].algorithm, c.expected) << int{c.start};
    EXPECT_EQ(take_sent(h).lines, std::vector{synth_line(kTrack, 36, c.expected)});
  }
  for (auto done : {key(KeyCode::Enter), key(KeyCode::Esc)}) {
    auto h = synth_view(SynthPage::Ops, 0, true);
    h.press({done});
    EXPECT_FALSE(h.app.editing);
    EXPECT_TRUE(h.drain_sent().empty());
  }
}

using Field = std::function<float&(TrackSynthParams&)>;
struct EditCase {
  const char* what;
  std::uint8_t row;
  Field field;
  float start;
  term::KeyEvent key;
  float expected;
  std::uint8_t id;
};

// Each case edits one row on its page and expects the value and exactly one message for it.
void check_edits(SynthPage page, const std::vector<EditCase>& cases) {
  for (const auto& c : cases) {
    auto h = synth_view(page, 1, true);
    (page == SynthPage::Ops ? h.app.op_row : h.app.page_row) = c.row;
    h.app.current_op = 2;
    c.field(h.app.synth_params[kTrack]) = c.start;
    h.press({c.key});
    const float value = c.field(h.app.synth_params[kTrack]);
    EXPECT_FLOAT_EQ(value, c.expected) << c.what;
    EXPECT_EQ(take_sent(h).lines, std::vector{synth_line(kTrack, c.id, value)}) << c.what;
    EXPECT_TRUE(h.app.editing);
  }
}

TEST(SynthKeys, OpsRowsEditTheCurrentOperatorWithinTheirLimits) {
  const auto op = [](auto member) {
    return Field([member](TrackSynthParams& p) -> float& { return (p.*member)[2]; });
  };
  check_edits(
      SynthPage::Ops,
      {
          {"ratio stops at 16", 0, op(&TrackSynthParams::op_ratios), 16.0f, key(KeyCode::Right),
           16.0f, 2},
          {"ratio stops at 1/8", 0, op(&TrackSynthParams::op_ratios), 0.125f, key(KeyCode::Left),
           0.125f, 2},
          {"a bracket is a quarter step", 0, op(&TrackSynthParams::op_ratios), 1.0f, ch(']'),
           1.0625f, 2},
          {"Up is five steps", 0, op(&TrackSynthParams::op_ratios), 1.0f, key(KeyCode::Up), 2.25f,
           2},
          {"level", 1, op(&TrackSynthParams::op_levels), 0.5f, key(KeyCode::Down), 0.4f, 8},
          {"feedback stops at 0", 2, op(&TrackSynthParams::op_feedback), 0.0f, key(KeyCode::Left),
           0.0f, 14},
          {"attack stops at 1 ms, not 0", 3, op(&TrackSynthParams::op_attack), 0.001f,
           key(KeyCode::Left), 0.001f, 20},
          {"decay stops at 5 s", 4, op(&TrackSynthParams::op_decay), 4.99f, ch('}'), 5.0f, 26},
          {"end level stops at 1", 5, op(&TrackSynthParams::op_end_level), 1.0f,
           key(KeyCode::Right), 1.0f, 32},
          {"release has the last ids", 6, op(&TrackSynthParams::op_release), 0.3f, ch('{'), 0.25f,
           51},
      });
}

TEST(SynthKeys, FltRowsEditTheFilter) {
  const auto field = [](float TrackSynthParams::*member) {
    return Field([member](TrackSynthParams& p) -> float& { return p.*member; });
  };
  check_edits(SynthPage::Flt,
              {
                  {"cutoff", 1, field(&TrackSynthParams::filter_cutoff), 0.5f, key(KeyCode::Right),
                   0.52f, 38},
                  {"resonance stops at 0", 2, field(&TrackSynthParams::filter_resonance), 0.01f,
                   key(KeyCode::Left), 0.0f, 39},
                  {"env depth goes down to -1", 3, field(&TrackSynthParams::filter_env_depth),
                   -0.95f, key(KeyCode::Down), -1.0f, 41},
                  {"env depth stops at 1", 3, field(&TrackSynthParams::filter_env_depth), 0.99f,
                   key(KeyCode::Up), 1.0f, 41},
              });

  // The type moves by whole steps only; a quarter step changes nothing but is still sent.
  struct TypeCase {
    std::uint8_t start;
    term::KeyEvent key;
    std::uint8_t expected;
  };
  for (const auto& c : std::vector<TypeCase>{{2, key(KeyCode::Up), 5},
                                             {2, key(KeyCode::Down), 0},
                                             {2, ch(']'), 2},
                                             {2, ch('['), 2},
                                             {2, key(KeyCode::Right), 3},
                                             {2, ch('{'), 0},
                                             {5, key(KeyCode::Right), 5},
                                             {0, key(KeyCode::Left), 0}}) {
    auto h = synth_view(SynthPage::Flt, 1, true);
    h.app.synth_params[kTrack].filter_type = c.start;
    h.press({c.key});
    EXPECT_EQ(h.app.synth_params[kTrack].filter_type, c.expected) << int{c.start};
    EXPECT_EQ(take_sent(h).lines, std::vector{synth_line(kTrack, 40, c.expected)});
  }

  // The row cursor is shared with AMP, whose Drive row FLT does not have: nothing is edited.
  auto h = synth_view(SynthPage::Flt, 1, true);
  h.app.page_row = 4;
  const TrackSynthParams before = h.app.synth_params[kTrack];
  h.press({key(KeyCode::Right), key(KeyCode::Up)});
  EXPECT_EQ(h.app.synth_params[kTrack], before);
  EXPECT_TRUE(h.drain_sent().empty());
}

TEST(SynthKeys, AmpRowsEditTheEnvelopeAndDrive) {
  const auto field = [](float TrackSynthParams::*member) {
    return Field([member](TrackSynthParams& p) -> float& { return p.*member; });
  };
  check_edits(
      SynthPage::Amp,
      {
          {"attack stops at 1 ms", 0, field(&TrackSynthParams::amp_attack), 0.001f,
           key(KeyCode::Left), 0.001f, 42},
          {"decay", 1, field(&TrackSynthParams::amp_decay), 0.3f, ch(']'), 0.3025f, 43},
          {"sustain", 2, field(&TrackSynthParams::amp_sustain), 0.7f, key(KeyCode::Up), 0.8f, 44},
          {"release stops at 5 s", 3, field(&TrackSynthParams::amp_release), 5.0f,
           key(KeyCode::Right), 5.0f, 45},
          {"drive", 4, field(&TrackSynthParams::drive), 0.0f, ch('}'), 0.1f, 48},
      });
}

TEST(SynthKeys, KeysWithoutAStepEditNothingAndEnterOrEscEndsEditing) {
  for (auto page : {SynthPage::Ops, SynthPage::Flt, SynthPage::Amp}) {
    auto h = synth_view(page, 1, true);
    const TrackSynthParams before = h.app.synth_params[kTrack];
    h.press({ch('x'), key(KeyCode::Home), key(KeyCode::Delete)});
    EXPECT_EQ(h.app.synth_params[kTrack], before);
    EXPECT_TRUE(h.app.editing);
    h.press({key(page == SynthPage::Amp ? KeyCode::Esc : KeyCode::Enter)});
    EXPECT_FALSE(h.app.editing);
    EXPECT_TRUE(h.drain_sent().empty());
  }
}

// After a load every parameter of a patch goes out once, operator by operator, then the rest;
// pan and volume are the mixer's.
TEST(SynthKeys, AWholePatchIsSentInItsFixedOrder) {
  auto h = Harness::make();
  h.app.synth_params[1].filter_type = 4;
  h.app.apply_synth_params_for_track(1);
  std::vector<std::string> expected;
  const auto& patch = h.app.synth_params[1];
  for (std::uint8_t op = 0; op < 6; ++op) {
    for (auto [first, field] : {std::pair{0, &TrackSynthParams::op_ratios},
                                {6, &TrackSynthParams::op_levels},
                                {12, &TrackSynthParams::op_feedback},
                                {18, &TrackSynthParams::op_attack},
                                {24, &TrackSynthParams::op_decay},
                                {30, &TrackSynthParams::op_end_level},
                                {49, &TrackSynthParams::op_release}}) {
      expected.push_back(synth_line(1, static_cast<std::uint8_t>(first + op), (patch.*field)[op]));
    }
  }
  for (auto [id, value] : {std::pair{36, static_cast<float>(patch.algorithm)},
                           {37, patch.mix},
                           {38, patch.filter_cutoff},
                           {39, patch.filter_resonance},
                           {40, 4.0f},
                           {41, patch.filter_env_depth},
                           {42, patch.amp_attack},
                           {43, patch.amp_decay},
                           {44, patch.amp_sustain},
                           {45, patch.amp_release},
                           {48, patch.drive}}) {
    expected.push_back(synth_line(1, static_cast<std::uint8_t>(id), value));
  }
  EXPECT_EQ(take_sent(h).lines, expected);
}

TEST(SynthKeys, ParameterNamesByIdWithAQuestionMarkBeyondTheTable) {
  for (auto [id, name] : std::vector<std::pair<std::uint8_t, const char*>>{{0, "Op 1 Ratio"},
                                                                           {5, "Op 6 Ratio"},
                                                                           {11, "Op 6 Level"},
                                                                           {12, "Op 1 FB"},
                                                                           {23, "Op 6 Atk"},
                                                                           {24, "Op 1 Dec"},
                                                                           {35, "Op 6 End"},
                                                                           {36, "Algorithm"},
                                                                           {37, "Mix"},
                                                                           {38, "Filter Freq"},
                                                                           {39, "Filter Res"},
                                                                           {40, "Filter Type"},
                                                                           {41, "Filter Depth"},
                                                                           {42, "Amp Atk"},
                                                                           {45, "Amp Rel"},
                                                                           {46, "Pan"},
                                                                           {47, "Volume"},
                                                                           {48, "Drive"},
                                                                           {49, "Op 1 Rel"},
                                                                           {54, "Op 6 Rel"},
                                                                           {55, "?"},
                                                                           {255, "?"}}) {
    EXPECT_EQ(App::synth_param_name(id), name) << int{id};
  }
}

}  // namespace
}  // namespace quorvelan::ui::app
