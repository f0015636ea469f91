// Key dispatch: the project list takes every key in its view; elsewhere the always-available
// keys (master volume, quit, pattern copy and paste) come first.

#include <algorithm>

#include "ui/app.hpp"

namespace quorvelan::ui::app {
namespace {

namespace messages = audio::messages;
using term::KeyCode;

constexpr float kMasterVolumeStep = 0.1f;
constexpr float kMaxMasterVolume = 4.0f;

bool is_quit(const term::KeyEvent& key) { return key.is_ctrl('c') || key.is_ctrl('q'); }

}  // namespace

void App::handle_key(const term::KeyEvent& key) {
  if (view == View::Project) {
    handle_project_key(key);
    return;
  }
  if (key.is_char('+') || key.is_char('=') || key.is_char('-')) {
    float step = key.is_char('-') ? -kMasterVolumeStep : kMasterVolumeStep;
    master_volume = std::clamp(master_volume + step, 0.0f, kMaxMasterVolume);
    audio_tx.push(messages::set_master_volume(master_volume));
    return;
  }
  if (is_quit(key)) {
    should_quit = true;
    return;
  }
  if (key.is_ctrl('y')) {
    clipboard = *patterns[current_pattern];
    set_status("Copied pattern " + std::to_string(current_pattern + 1));
    return;
  }
  if (key.is_ctrl('v')) {
    if (!clipboard) {
      set_status("No pattern in clipboard");
      return;
    }
    ensure_pattern_slot(current_pattern);
    patterns[current_pattern] = std::make_shared<Pattern>(*clipboard);
    dirty = true;
    set_status("Pasted to pattern " + std::to_string(current_pattern + 1));
  }
}

void App::handle_project_key(const term::KeyEvent& key) {
  if (key.code == KeyCode::Down || key.is_char('j') || key.is_ctrl('j')) {
    project_row = std::min(project_row + 1, project_list.size());
  } else if (key.code == KeyCode::Up || key.is_char('k') || key.is_ctrl('k')) {
    if (project_row > 0) --project_row;
  } else if (is_quit(key)) {
    should_quit = true;
  } else if (key.code == KeyCode::Enter) {
    if (project_row == 0) {
      view = View::Seq;
      dirty = true;
    } else if (project_row <= project_list.size()) {
      load_project_by_name(project_list[project_row - 1]);
    }
  }
}

}  // namespace quorvelan::ui::app
