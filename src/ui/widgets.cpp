// Parameter widgets: bars, parameter lines, modulation marks, pan text and level meters.
// (Placeholder: its owner fills it in.)

#include "ui/app.hpp"

namespace quorvelan::ui::app {

void App::render_vertical_meter(term::Buffer&, const term::Rect&, float, float) {}

}  // namespace quorvelan::ui::app
