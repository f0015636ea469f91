// The SEQ view: track tabs, pattern strip, step grid, step detail and the arpeggiator page.
// (Placeholder: its owner fills it in.)

#include "ui/app.hpp"

namespace quorvelan::ui::app {

void App::render_sequencer(term::Buffer&, const term::Rect&) const {}
void App::render_track_selector(term::Buffer&, const term::Rect&) const {}
std::vector<LabelCell> App::seq_label_cells(const term::Rect&) const { return {}; }

}  // namespace quorvelan::ui::app
