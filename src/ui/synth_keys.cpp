// The SYNTH view's keys: the algorithm and every patch parameter of the current track.
// (Placeholder: its owner fills it in.)

#include "ui/app.hpp"

namespace quorvelan::ui::app {

void App::handle_synth_key(const term::KeyEvent&) {}
void App::adjust_synth_param(float) {}
std::string_view App::synth_param_name(std::uint8_t) { return "?"; }

}  // namespace quorvelan::ui::app
