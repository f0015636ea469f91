// The LFO view: a live preview of the selected LFO, the four LFOs' settings and the target picker.
// (Placeholder: its owner fills it in.)

#include "ui/app.hpp"

namespace quorvelan::ui::app {

void App::render_lfo(term::Buffer&, const term::Rect&) const {}
std::vector<LabelCell> App::lfo_label_cells(const term::Rect&) const { return {}; }

}  // namespace quorvelan::ui::app
