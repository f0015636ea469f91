// Jump labels: the targets of each view, what typing a label does, and where labels stand.
// (Placeholder: its owner fills it in.)

#include "ui/app.hpp"

namespace quorvelan::ui::app {

std::vector<EasyMotionTarget> App::build_easymotion_targets() const { return {}; }
void App::apply_easymotion(const EasyMotionAction&) {}
std::vector<LabelPosition> easymotion_positions(const term::Rect&, const App&) { return {}; }

}  // namespace quorvelan::ui::app
