// The save and load dialog and the preset browser.
// (Placeholder: its owner fills it in.)

#include "ui/app.hpp"

namespace quorvelan::ui::app {

void App::handle_dialog_key(const term::KeyEvent&) {}
void App::execute_save() {}
std::vector<std::string> App::list_files_for_target(FileTarget) { return {}; }
void App::apply_preset_filter() {}

}  // namespace quorvelan::ui::app
