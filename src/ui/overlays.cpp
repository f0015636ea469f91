// The jump-label overlay and the help popup.
// (Placeholder: its owner fills it in.)

#include "ui/app.hpp"

namespace quorvelan::ui::app {

void App::render_jump_overlay(term::Buffer&, const term::Rect&) const {}
void App::render_help_popup(term::Buffer&, const term::Rect&) const {}

}  // namespace quorvelan::ui::app
