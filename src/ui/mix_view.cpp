// The MIX view: four track strips and the master strip, with their meters.
// (Placeholder: its owner fills it in.)

#include "ui/app.hpp"

namespace quorvelan::ui::app {

void App::render_mixer(term::Buffer&, const term::Rect&) const {}
std::vector<LabelCell> App::mixer_label_cells(const term::Rect&) const { return {}; }

}  // namespace quorvelan::ui::app
