// The LFO view's keys and the modulation target picker.
// (Placeholder: its owner fills it in.)

#include "ui/app.hpp"

namespace quorvelan::ui::app {

void App::handle_lfo_key(const term::KeyEvent&) {}
void App::handle_picker_key(const term::KeyEvent&) {}
std::vector<std::pair<lfo::ModTarget, std::string>> App::build_target_list_filtered(
    std::string_view) {
  return {};
}

}  // namespace quorvelan::ui::app
