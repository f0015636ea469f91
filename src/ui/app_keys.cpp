// Key dispatch: one chain decides which handler gets a key, by the open view, overlay or dialog;
// the first handler that takes a key consumes it. Then the global keys, which act in every view
// whether or not a field is being edited, and the navigation keys between views and pages.

#include <algorithm>

#include "ui/app.hpp"
#include "ui/edit_keys.hpp"

namespace quorvelan::ui::app {
namespace {

namespace messages = audio::messages;
using term::KeyCode;
using term::KeyModifier;

constexpr float kMasterVolumeStep = 0.1f;
constexpr std::uint16_t kHelpPage = 10;
constexpr std::uint16_t kHelpScrollEnd = 65535;

bool is_quit(const term::KeyEvent& key) { return key.is_ctrl('c') || key.is_ctrl('q'); }
bool is_function(const term::KeyEvent& key, std::uint8_t number) {
  return key.code == KeyCode::F && key.function == number;
}
bool is_page_back(const term::KeyEvent& key) {
  return (key.code == KeyCode::Up && key.has(KeyModifier::Ctrl)) || key.code == KeyCode::BackTab ||
         is_function(key, 1);
}
bool is_page_forward(const term::KeyEvent& key) {
  return (key.code == KeyCode::Down && key.has(KeyModifier::Ctrl)) || key.code == KeyCode::Tab ||
         is_function(key, 2);
}

View view_at(int index) { return static_cast<View>(index); }
int index_of(View view) { return static_cast<int>(view); }

// The view before (-1) or after (+1) `view` in tab order, SEQ to SET; `view` itself past either
// end and from the project list.
View view_beside(View view, int step) {
  const int index = index_of(view) + step;
  const bool inside =
      view != View::Project && index >= index_of(View::Seq) && index <= index_of(View::Set);
  return inside ? view_at(index) : view;
}

}  // namespace

void App::handle_key(const term::KeyEvent& key) {
  if (view == View::Project) return handle_project_key(key);
  if (dialog_open) return handle_dialog_key(key);
  if (picker_open) return handle_picker_key(key);
  if (help_visible) return handle_help_key(key);

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
    clipboard = current_pattern_ref();
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
    clamp_step_cursor();
    dirty = true;
    set_status("Pasted to pattern " + std::to_string(current_pattern + 1));
    return;
  }
  if (jump_active) {
    jump_active = false;
    if (key.code != KeyCode::Char) return;
    auto target = std::ranges::find(jump_targets, key.character, &EasyMotionTarget::label);
    if (target != jump_targets.end()) apply_easymotion(target->action);
    return;
  }
  handle_normal_key(key);
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
      // The engine starts from sounds of its own, not the ones shown: send all of those.
      send_sound_state();
    } else if (project_row <= project_list.size()) {
      load_project_by_name(project_list[project_row - 1]);
    }
  }
}

void App::handle_help_key(const term::KeyEvent& key) {
  auto scroll_by = [this](int lines) {
    help_scroll = static_cast<std::uint16_t>(std::clamp(help_scroll + lines, 0, int{kHelpScrollEnd}));
  };
  if (key.code == KeyCode::Up || key.is_char('k')) {
    scroll_by(-1);
  } else if (key.code == KeyCode::Down || key.is_char('j')) {
    scroll_by(1);
  } else if (key.code == KeyCode::PageUp) {
    scroll_by(-kHelpPage);
  } else if (key.code == KeyCode::PageDown) {
    scroll_by(kHelpPage);
  } else if (key.code == KeyCode::Home) {
    help_scroll = 0;
  } else if (key.code == KeyCode::End) {
    help_scroll = kHelpScrollEnd;
  } else if (key.is_char('h') || key.code == KeyCode::Esc) {
    help_visible = false;
    help_scroll = 0;
  }
}

void App::handle_normal_key(const term::KeyEvent& key) {
  if (handle_global_key(key)) return;
  if (!editing && handle_navigation_key(key)) return;
  switch (view) {
    case View::Seq: return handle_seq_key(key);
    case View::Synth: return handle_synth_key(key);
    case View::Fx: return handle_fx_key(key);
    case View::Lfo: return handle_lfo_key(key);
    case View::Mix: return handle_mix_key(key);
    case View::Set: return handle_set_key(key);
    case View::Project: return;
  }
}

bool App::handle_global_key(const term::KeyEvent& key) {
  if (key.code == KeyCode::F) {
    if (key.function != 3 && key.function != 4) return false;
    // Selected even when the track stays at either end, so that MIX's column follows it.
    const int track = current_track + (key.function == 3 ? -1 : 1);
    select_track(static_cast<std::uint8_t>(std::clamp(track, 0, int{kTrackCount} - 1)));
    return true;
  }
  if (key.code == KeyCode::PageUp || key.code == KeyCode::PageDown) {
    switch_view(view_beside(view, key.code == KeyCode::PageUp ? -1 : 1));
    return true;
  }
  if (key.code != KeyCode::Char) return false;

  // The view keys, in tab order; pressing the key of the view already shown ends its editing.
  constexpr std::u32string_view kViewKeys = U"qwert";
  if (auto at = kViewKeys.find(key.character); at != std::u32string_view::npos) {
    switch_view(view_at(index_of(View::Seq) + static_cast<int>(at)));
    editing = false;
    return true;
  }
  switch (key.character) {
    case U' ':
      toggle_transport();
      return true;
    case U'1':
    case U'2':
    case U'3':
    case U'4':
      select_track(static_cast<std::uint8_t>(key.character - U'1'));
      return true;
    case U'<':
    case U'd':
      change_tempo(-1.0);
      return true;
    case U'>':
    case U'f':
      change_tempo(1.0);
      return true;
    case U'T':
      theme.toggle();
      return true;
    case U'y':
      switch_view(View::Set);
      return true;
    case U'g':
      editing = false;
      jump_targets = build_easymotion_targets();
      jump_active = true;
      return true;
    case U'h':
      help_visible = !help_visible;
      help_scroll = 0;
      return true;
    case U's':
    case U'l':
      dialog_open = true;
      dialog_is_load = key.character == U'l';
      dialog_stage = DialogStage::TargetMenu;
      dialog_file_index = 0;
      if (!dialog_is_load) dialog_name.clear();
      return true;
    case U'm': {
      auto& strip = mixer[current_track];
      strip.muted = !strip.muted;
      audio_tx.push(messages::set_mute(current_track, strip.muted));
      return true;
    }
    case U'n':
      next_pattern();
      return true;
    case U'p':
      previous_pattern();
      return true;
    default:
      return false;
  }
}

bool App::handle_navigation_key(const term::KeyEvent& key) {
  const bool ctrl = key.has(KeyModifier::Ctrl);
  const bool to_previous_view = key.code == KeyCode::Left && ctrl;
  const bool to_next_view = key.code == KeyCode::Right && ctrl;
  const bool page_back = is_page_back(key);
  const bool page_forward = is_page_forward(key);
  if (!to_previous_view && !to_next_view && !page_back && !page_forward) return false;

  row_nav = true;
  if (to_previous_view || to_next_view) {
    switch_view(view_beside(view, to_previous_view ? -1 : 1));
  } else if (view == View::Seq) {
    seq_page = seq_page == SeqPage::Steps ? SeqPage::Arp : SeqPage::Steps;
  } else if (view == View::Synth) {
    constexpr int kPages = 3;
    synth_page = edit_keys::wrapped(synth_page, page_forward ? 1 : -1, kPages);
    clamp_synth_row();
  }
  return true;
}

void App::switch_view(View new_view) {
  if (new_view == view) return;
  view = new_view;
  // MIX opens on the strip of the selected track: its keys act on that track, and the track
  // stays what the player chose in the other views.
  column = view == View::Mix ? current_track : 0;
  row_nav = true;
  editing = false;
  mode = Mode::Normal;
  if (view == View::Fx) clamp_fx_row();
  if (view == View::Set) {
    output_devices = read_output_devices();
    midi_ports = read_midi_ports();
    settings_row = 0;
  }
}

void App::toggle_transport() { audio_tx.push(playing ? messages::stop() : messages::play()); }

void App::select_track(std::uint8_t track) {
  current_track = track;
  if (view == View::Mix) column = track;
  clamp_step_cursor();
}

void App::change_tempo(double delta) {
  bpm = std::clamp(bpm + delta, sequencer::pattern::kMinBpm, sequencer::pattern::kMaxBpm);
  // The pattern keeps the tempo it is played at, but a tempo change alone is not resent.
  mutable_current_pattern().bpm = bpm;
  audio_tx.push(messages::set_bpm(bpm));
}

}  // namespace quorvelan::ui::app
