// The drawing of the save and load dialog and the preset browser.
// (Placeholder: its owner fills it in.)

#include "ui/app.hpp"

namespace quorvelan::ui::app {

void App::render_file_dialog(term::Buffer&, const term::Rect&) const {}

}  // namespace quorvelan::ui::app
