// The SET view's keys: project save and load, the output device, the MIDI port, channels and clock.
// (Placeholder: its owner fills it in.)

#include "ui/app.hpp"

namespace quorvelan::ui::app {

void App::handle_set_key(const term::KeyEvent&) {}

}  // namespace quorvelan::ui::app
