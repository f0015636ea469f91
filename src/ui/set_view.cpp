// The SET view: project, audio output and MIDI columns.
// (Placeholder: its owner fills it in.)

#include "ui/app.hpp"

namespace quorvelan::ui::app {

void App::render_settings(term::Buffer&, const term::Rect&) const {}
std::vector<LabelCell> App::settings_label_cells(const term::Rect&) const { return {}; }

}  // namespace quorvelan::ui::app
