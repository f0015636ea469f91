// The SYNTH view's keys: moving between the algorithm block and the parameter rows of the OPS,
// FLT and AMP pages, and editing the algorithm and every patch parameter of the current track.
// Each edit changes the App's copy of the patch first, then sends that one parameter.

#include <algorithm>
#include <array>

#include "numeric.hpp"
#include "synth/algorithm.hpp"
#include "synth/params.hpp"
#include "ui/app.hpp"
#include "ui/edit_keys.hpp"

namespace quorvelan::ui::app {
namespace {

namespace messages = audio::messages;
namespace ids = synth::params;
using sequencer::types::OperatorValues;
using sequencer::types::TrackSynthParams;
using term::KeyCode;

constexpr std::uint8_t kLastAlgorithm = synth::algorithm::kAlgorithmCount - 1;
constexpr std::size_t kLastOperator = sequencer::types::kOperatorCount - 1;
constexpr std::uint8_t kFilterTypeRow = 0;
constexpr int kLastFilterType = 5;
// Shortest envelope time: a zero-length segment would click.
constexpr float kMinTime = 0.001f;
constexpr float kMaxTime = 5.0f;

using edit_keys::StepRange;
constexpr StepRange kRatio{0.25f, 0.125f, 16.0f};
constexpr StepRange kUnit{0.02f, 0.0f, 1.0f};
constexpr StepRange kTime{0.01f, kMinTime, kMaxTime};
constexpr StepRange kSigned{0.02f, -1.0f, 1.0f};

// The OPS page's rows, by `op_row`; the id sent is the row's first id plus the operator.
struct OperatorRow {
  OperatorValues TrackSynthParams::*field;
  StepRange range;
  std::uint8_t first_id;
};
constexpr std::array<OperatorRow, 7> kOperatorRows{{
    {&TrackSynthParams::op_ratios, kRatio, ids::kOpRatio},
    {&TrackSynthParams::op_levels, kUnit, ids::kOpLevel},
    {&TrackSynthParams::op_feedback, kUnit, ids::kOpFeedback},
    {&TrackSynthParams::op_attack, kTime, ids::kOpAttack},
    {&TrackSynthParams::op_decay, kTime, ids::kOpDecay},
    {&TrackSynthParams::op_end_level, kUnit, ids::kOpEndLevel},
    {&TrackSynthParams::op_release, kTime, ids::kOpRelease},
}};

struct ScalarRow {
  float TrackSynthParams::*field;
  StepRange range;
  std::uint8_t id;
};
// FLT rows 1..3 (row 0 is the filter type).
constexpr std::array<ScalarRow, 3> kFilterRows{{
    {&TrackSynthParams::filter_cutoff, kUnit, ids::kFilterCutoff},
    {&TrackSynthParams::filter_resonance, kUnit, ids::kFilterResonance},
    {&TrackSynthParams::filter_env_depth, kSigned, ids::kFilterEnvAmount},
}};
// AMP rows 0..4.
constexpr std::array<ScalarRow, 5> kAmpRows{{
    {&TrackSynthParams::amp_attack, kTime, ids::kAmpAttack},
    {&TrackSynthParams::amp_decay, kTime, ids::kAmpDecay},
    {&TrackSynthParams::amp_sustain, kUnit, ids::kAmpSustain},
    {&TrackSynthParams::amp_release, kTime, ids::kAmpRelease},
    {&TrackSynthParams::drive, kUnit, ids::kDrive},
}};

// The last row of each page: OPS, FLT, AMP.
constexpr std::array<std::uint8_t, 3> kLastRow{kOperatorRows.size() - 1, kFilterRows.size(),
                                               kAmpRows.size() - 1};

// The row cursor of the page shown: OPS has its own, FLT and AMP share one.
std::uint8_t& page_cursor(App& app) {
  return app.synth_page == SynthPage::Ops ? app.op_row : app.page_row;
}

std::uint8_t last_row(SynthPage page) { return kLastRow[static_cast<std::size_t>(page)]; }

void navigate(App& app, const term::KeyEvent& key) {
  std::uint8_t& row = page_cursor(app);
  switch (key.code) {
    case KeyCode::Enter:
      app.editing = true;
      break;
    case KeyCode::Down:
      if (app.column == 0) {
        app.column = 1;
        row = 0;
      } else {
        row = std::min<std::uint8_t>(row + 1, last_row(app.synth_page));
      }
      break;
    case KeyCode::Up:
      if (app.column == 0) break;
      if (row == 0) {
        app.column = 0;
      } else {
        --row;
      }
      break;
    case KeyCode::Right:
    case KeyCode::Left: {
      if (app.column == 0 || app.synth_page != SynthPage::Ops) break;
      if (key.code == KeyCode::Left) {
        if (app.current_op > 0) --app.current_op;
        break;
      }
      const std::uint8_t count =
          synth::algorithm::algorithm_entry(app.synth_params[app.current_track].algorithm)
              .operator_count;
      // An operator left beyond the count by an algorithm change stays there until Left.
      if (count > 0 && app.current_op + 1 < count) ++app.current_op;
      break;
    }
    default:
      break;
  }
}

void edit_algorithm(App& app, const term::KeyEvent& key) {
  std::uint8_t& algorithm = app.synth_params[app.current_track].algorithm;
  const bool up = key.code == KeyCode::Right || key.code == KeyCode::Up || key.is_char(U']');
  const bool down = key.code == KeyCode::Left || key.code == KeyCode::Down || key.is_char(U'[');
  if (up) algorithm = std::min<std::uint8_t>(algorithm + 1, kLastAlgorithm);
  if (down && algorithm > 0) --algorithm;
  // Any other key resends the algorithm unchanged, which puts the engine back in step after a
  // dropped message.
  app.audio_tx.push(
      messages::set_synth_param(app.current_track, ids::kAlgorithm, static_cast<float>(algorithm)));
}

}  // namespace

void App::handle_synth_key(const term::KeyEvent& key) {
  if (!editing) return navigate(*this, key);
  if (edit_keys::ends_editing(key)) {
    editing = false;
  } else if (column == 0) {
    edit_algorithm(*this, key);
  } else if (auto delta = edit_keys::delta(key)) {
    adjust_synth_param(*delta);
  }
}

void App::adjust_synth_param(float delta) {
  TrackSynthParams& patch = synth_params[current_track];
  auto send = [&](std::uint8_t id, float value) {
    audio_tx.push(messages::set_synth_param(current_track, id, value));
  };
  auto adjust = [&](const ScalarRow& row) {
    float& value = patch.*row.field;
    value = edit_keys::stepped(value, delta, row.range);
    send(row.id, value);
  };
  // A row past the page's end (page_row is shared, so AMP's Drive row may be set while FLT shows)
  // edits nothing.
  switch (synth_page) {
    case SynthPage::Ops: {
      if (op_row >= kOperatorRows.size()) return;
      const OperatorRow& row = kOperatorRows[op_row];
      const std::size_t op = std::min<std::size_t>(current_op, kLastOperator);
      float& value = (patch.*row.field)[op];
      value = edit_keys::stepped(value, delta, row.range);
      send(static_cast<std::uint8_t>(row.first_id + op), value);
      return;
    }
    case SynthPage::Flt: {
      if (page_row != kFilterTypeRow) {
        if (page_row <= kFilterRows.size()) adjust(kFilterRows[page_row - 1]);
        return;
      }
      // Whole types only: a quarter step moves nothing, five steps run to the end of the list.
      const int step = saturating_cast<std::int8_t>(delta);
      const int type = static_cast<std::int8_t>(patch.filter_type);
      patch.filter_type = static_cast<std::uint8_t>(std::clamp(type + step, 0, kLastFilterType));
      send(ids::kFilterType, static_cast<float>(patch.filter_type));
      return;
    }
    case SynthPage::Amp:
      if (page_row < kAmpRows.size()) adjust(kAmpRows[page_row]);
      return;
  }
}

void App::clamp_synth_row() {
  std::uint8_t& row = page_cursor(*this);
  row = std::min(row, last_row(synth_page));
}

std::string_view App::synth_param_name(std::uint8_t id) { return ids::synth_param_name(id); }

}  // namespace quorvelan::ui::app
