// The MIX view's keys: each track's volume, pan and sends, and the master section.
// (Placeholder: its owner fills it in.)

#include "ui/app.hpp"

namespace quorvelan::ui::app {

void App::handle_mix_key(const term::KeyEvent&) {}
void App::adjust_mixer_param(std::uint8_t, float) {}
void App::adjust_master_param(float) {}

}  // namespace quorvelan::ui::app
