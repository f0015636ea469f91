// The FX view's keys: the chorus, delay and reverb settings.
// (Placeholder: its owner fills it in.)

#include "ui/app.hpp"

namespace quorvelan::ui::app {

void App::handle_fx_key(const term::KeyEvent&) {}

}  // namespace quorvelan::ui::app
