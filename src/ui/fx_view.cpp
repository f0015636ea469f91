// The FX view: the three send effects with their routing and live modulation.
// (Placeholder: its owner fills it in.)

#include "ui/app.hpp"

namespace quorvelan::ui::app {

void App::render_effects(term::Buffer&, const term::Rect&) const {}
std::vector<LabelCell> App::fx_label_cells(const term::Rect&) const { return {}; }

}  // namespace quorvelan::ui::app
