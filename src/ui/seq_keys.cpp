// The SEQ view's keys: step grid navigation and editing with note entry, and the arpeggiator page.
// (Placeholder: its owner fills it in.)

#include "ui/app.hpp"

namespace quorvelan::ui::app {

void App::handle_seq_key(const term::KeyEvent&) {}
void App::adjust_step_param(std::int8_t) {}
void App::adjust_step_param_coarse(std::int8_t) {}
sequencer::pattern::TrigCondition App::cycle_trig_condition(
    const sequencer::pattern::TrigCondition& condition, std::int8_t) {
  return condition;
}
void App::release_all_held() {}

}  // namespace quorvelan::ui::app
