// The SYNTH view: the algorithm block and the OPS, FLT and AMP pages.
// (Placeholder: its owner fills it in.)

#include "ui/app.hpp"

namespace quorvelan::ui::app {

void App::render_synth(term::Buffer&, const term::Rect&) const {}
std::vector<LabelCell> App::synth_label_cells(const term::Rect&) const { return {}; }

}  // namespace quorvelan::ui::app
