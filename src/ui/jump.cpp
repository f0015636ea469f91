// Jump labels: the targets of each view in label order, what typing a label does, and where the
// labels stand (each view gives its cells from the same layout it draws with).

#include <fmt/format.h>

#include <array>
#include <string_view>

#include "overloaded.hpp"
#include "ui/app.hpp"

namespace quorvelan::ui::app {
namespace {

using Action = EasyMotionAction;
using SelectColumn = EasyMotionAction::SelectColumn;
using FocusParam = EasyMotionAction::FocusParam;

constexpr std::u32string_view kLabels = U"asdfghjklqwertyuiopzxcvbnm";

constexpr std::array<std::string_view, 9> kArpFields{
    "Mode", "Division", "Gate", "Octaves", "Length", "Latch", "Offsets", "Scale", "Root"};
constexpr std::array<std::string_view, 7> kOperatorRows{"Ratio", "Level", "FB", "Atk",
                                                        "Dec",   "End",   "Rel"};
constexpr std::array<std::string_view, 4> kFilterRows{"Filter Type", "Cutoff", "Resonance",
                                                      "Env Depth"};
constexpr std::array<std::string_view, 5> kAmpRows{"Amp Atk", "Amp Dec", "Amp Sus", "Amp Rel",
                                                   "Drive"};
constexpr std::array<std::string_view, 3> kPageNames{"Operators", "Filter", "Amp"};
// The FX targets: name, column (chorus, delay, reverb) and row of that column.
struct FxTarget {
  std::string_view name;
  std::uint8_t column;
  std::uint8_t row;
};
constexpr std::array<FxTarget, 11> kFxTargets{{{"CHR Rate", 0, 0},
                                               {"CHR Depth", 0, 1},
                                               {"CHR Mix", 0, 2},
                                               {"DEL Time L", 1, 0},
                                               {"DEL Time R", 1, 1},
                                               {"DEL FB", 1, 2},
                                               {"DEL Mix", 1, 3},
                                               {"REV Decay", 2, 0},
                                               {"REV Damp", 2, 1},
                                               {"REV Mix", 2, 2},
                                               {"REV PreDly", 2, 3}}};
constexpr std::array<std::string_view, 10> kLfoFields{
    "Shape", "Rate", "Depth", "Target", "TrigMode", "Fade", "Sync", "Div", "Phase", "On/Off"};
constexpr std::array<std::string_view, 5> kTrackMixRows{"Vol", "Pan", "CHR Send", "DEL Send",
                                                        "REV Send"};
constexpr std::array<std::string_view, 5> kMasterRows{"M Vol", "M OD Drv", "M OD Tone", "M DJ Cut",
                                                      "M DJ Reso"};
constexpr std::array<std::string_view, 3> kSettingsColumns{"Project", "Audio", "MIDI"};
constexpr std::uint8_t kOperatorCount = sequencer::types::kOperatorCount;

// Collects targets in label order; a target past the last label is not created.
class TargetList {
 public:
  void add(std::string name, Action::Variant action) {
    if (targets_.size() >= kLabels.size()) return;
    targets_.push_back({kLabels[targets_.size()], std::move(name), Action{action}});
  }
  std::vector<EasyMotionTarget> take() && { return std::move(targets_); }

 private:
  std::vector<EasyMotionTarget> targets_;
};

std::uint8_t index_u8(std::size_t index) { return static_cast<std::uint8_t>(index); }

FocusParam focus(std::uint8_t column, std::uint8_t row,
                 std::optional<std::uint8_t> page = std::nullopt,
                 std::optional<std::uint8_t> op = std::nullopt,
                 std::optional<std::uint8_t> track = std::nullopt) {
  return FocusParam{page, op, track, column, row};
}

void add_seq_targets(const App& app, TargetList& list) {
  for (std::uint8_t track = 0; track < kTrackCount; ++track) {
    list.add(fmt::format("Track {}", track + 1), SelectColumn{track, 0});
  }
  if (app.seq_page == SeqPage::Arp) {
    for (std::size_t field = 0; field < kArpFields.size(); ++field) {
      list.add(std::string(kArpFields[field]), Action::ArpField{index_u8(field)});
    }
    return;
  }
  list.add("Step Grid", Action::EditGrid{});
  list.add("Step Detail", SelectColumn{std::nullopt, 2});
}

void add_synth_targets(const App& app, TargetList& list) {
  list.add("Algorithm", focus(0, 0));
  auto page_rows = [&list](std::uint8_t page, const auto& names) {
    for (std::size_t row = 0; row < names.size(); ++row) {
      list.add(std::string(names[row]), focus(1, index_u8(row), page));
    }
  };
  switch (app.synth_page) {
    case SynthPage::Ops: {
      const std::uint8_t current = std::min<std::uint8_t>(app.current_op, kOperatorCount - 1);
      for (std::size_t row = 0; row < kOperatorRows.size(); ++row) {
        list.add(fmt::format("O{} {}", current + 1, kOperatorRows[row]),
                 focus(1, index_u8(row), 0, current));
      }
      for (std::uint8_t op = 0; op < kOperatorCount; ++op) {
        if (op == current) continue;
        list.add(fmt::format("Op {}", op + 1), focus(1, 0, 0, op));
      }
      break;
    }
    case SynthPage::Flt:
      page_rows(1, kFilterRows);
      break;
    case SynthPage::Amp:
      page_rows(2, kAmpRows);
      break;
  }
  for (std::size_t page = 0; page < kPageNames.size(); ++page) {
    list.add(std::string(kPageNames[page]), Action::OpenPage{index_u8(page)});
  }
}

void add_fx_targets(TargetList& list) {
  for (const auto& [name, column, row] : kFxTargets) {
    list.add(std::string(name), focus(column, row));
  }
}

void add_lfo_targets(const App& app, TargetList& list) {
  const auto lfo = static_cast<std::uint8_t>(std::min<std::size_t>(app.column, lfo::kLfoCount - 1));
  for (std::size_t field = 0; field < kLfoFields.size(); ++field) {
    list.add(fmt::format("L{} {}", lfo + 1, kLfoFields[field]), focus(lfo, index_u8(field)));
  }
}

void add_mix_targets(TargetList& list) {
  for (std::uint8_t track = 0; track < kTrackCount; ++track) {
    for (std::size_t row = 0; row < kTrackMixRows.size(); ++row) {
      list.add(fmt::format("T{} {}", track + 1, kTrackMixRows[row]),
               focus(track, index_u8(row), std::nullopt, std::nullopt, track));
    }
  }
  for (std::size_t row = 0; row < kMasterRows.size(); ++row) {
    list.add(std::string(kMasterRows[row]), focus(kMasterColumn, index_u8(row)));
  }
}

void add_settings_targets(TargetList& list) {
  for (std::size_t column = 0; column < kSettingsColumns.size(); ++column) {
    list.add(std::string(kSettingsColumns[column]), SelectColumn{std::nullopt, index_u8(column)});
  }
}

}  // namespace

std::vector<EasyMotionTarget> App::build_easymotion_targets() const {
  TargetList list;
  switch (view) {
    case View::Seq:
      add_seq_targets(*this, list);
      break;
    case View::Synth:
      add_synth_targets(*this, list);
      break;
    case View::Fx:
      add_fx_targets(list);
      break;
    case View::Lfo:
      add_lfo_targets(*this, list);
      break;
    case View::Mix:
      add_mix_targets(list);
      break;
    case View::Set:
      add_settings_targets(list);
      break;
    case View::Project:
      break;
  }
  return std::move(list).take();
}

void App::apply_easymotion(const EasyMotionAction& action) {
  auto select_track = [this](std::uint8_t track) {
    current_track = track;
    clamp_step_cursor();
  };
  std::visit(Overloaded{
                 [&](const SelectColumn& select) {
                   column = select.column;
                   editing = false;
                   if (select.track) select_track(*select.track);
                   // The settings rows differ per column: start the new column at its top, as Left
                   // and Right do.
                   if (view == View::Set) settings_row = 0;
                 },
                 [&](const FocusParam& focus) {
                   column = focus.column;
                   editing = true;
                   if (focus.op) {
                     current_op = *focus.op;
                     op_row = 0;
                   }
                   if (focus.page) {
                     synth_page = static_cast<SynthPage>(*focus.page);
                     (synth_page == SynthPage::Ops ? op_row : page_row) = focus.row;
                   }
                   if (focus.track) {
                     select_track(*focus.track);
                     mixer_row = focus.row;
                   }
                   if (view == View::Mix && focus.column == kMasterColumn) mixer_row = focus.row;
                   if (view == View::Lfo) lfo_field = focus.row;
                   if (view == View::Fx) fx_row = focus.row;
                 },
                 [&](const Action::EditGrid&) {
                   column = 1;
                   editing = true;
                 },
                 [&](const Action::ArpField& arp) {
                   arp_field = arp.field;
                   editing = true;
                 },
                 [&](const Action::OpenPage& open) {
                   synth_page = static_cast<SynthPage>(open.page);
                   column = 1;
                   page_row = 0;
                 },
             },
             action.value);
}

std::vector<LabelPosition> easymotion_positions(const term::Rect& body, const App& app) {
  if (app.jump_targets.empty()) return {};
  std::vector<LabelCell> cells;
  switch (app.view) {
    case View::Seq:
      cells = app.seq_label_cells(body);
      break;
    case View::Synth:
      cells = app.synth_label_cells(body);
      break;
    case View::Fx:
      cells = app.fx_label_cells(body);
      break;
    case View::Lfo:
      cells = app.lfo_label_cells(body);
      break;
    case View::Mix:
      cells = app.mixer_label_cells(body);
      break;
    case View::Set:
      cells = app.settings_label_cells(body);
      break;
    case View::Project:
      return {};
  }
  std::vector<LabelPosition> positions;
  for (std::size_t k = 0; k < cells.size() && k < app.jump_targets.size(); ++k) {
    positions.push_back({cells[k].x, cells[k].y, app.jump_targets[k].label});
  }
  return positions;
}

}  // namespace quorvelan::ui::app
