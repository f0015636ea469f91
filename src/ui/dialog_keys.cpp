// The save and load dialog and the preset browser: what each key does at each stage, and the
// saves and loads they end in. The dialog takes every key while it is open.

#include <utf8proc.h>

#include <algorithm>
#include <string_view>

#include "log.hpp"
#include "preset.hpp"
#include "term/width.hpp"
#include "ui/app.hpp"
#include "ui/dialog_grid.hpp"
#include "ui/edit_keys.hpp"

namespace quorvelan::ui::app {
namespace {

using edit_keys::is_typed;
using edit_keys::move_in_list;
using edit_keys::pop_character;
using term::KeyCode;

constexpr std::size_t kTargetCount = 3;

// Letters and digits of any script, with the marks that some scripts write inside a word (the
// vowel signs of Devanagari, for example). Nothing here can leave a folder or end a file name.
bool is_letter_or_digit(char32_t c) {
  if (c > 0x10FFFF) return false;
  switch (utf8proc_category(static_cast<utf8proc_int32_t>(c))) {
    case UTF8PROC_CATEGORY_LU:
    case UTF8PROC_CATEGORY_LL:
    case UTF8PROC_CATEGORY_LT:
    case UTF8PROC_CATEGORY_LM:
    case UTF8PROC_CATEGORY_LO:
    case UTF8PROC_CATEGORY_MN:
    case UTF8PROC_CATEGORY_MC:
    case UTF8PROC_CATEGORY_ND:
    case UTF8PROC_CATEGORY_NL:
    case UTF8PROC_CATEGORY_NO:
      return true;
    default:
      return false;
  }
}

bool is_name_character(char32_t c) {
  return is_letter_or_digit(c) || c == U' ' || c == U'-' || c == U'_';
}

bool is_filter_character(char32_t c) { return is_name_character(c) || c == U'.'; }

bool is_white_space(utf8proc_int32_t c) {
  if (c == 0x20 || (c >= 0x09 && c <= 0x0D) || c == 0x85) return true;
  auto category = utf8proc_category(c);
  return category == UTF8PROC_CATEGORY_ZS || category == UTF8PROC_CATEGORY_ZL ||
         category == UTF8PROC_CATEGORY_ZP;
}

// Calls `visit(code_point, byte_offset, byte_length)` for each character of UTF-8 text; a byte
// that starts no valid character counts as U+FFFD of length 1.
template <class Visit>
void for_each_code_point(std::string_view text, Visit&& visit) {
  std::size_t at = 0;
  while (at < text.size()) {
    utf8proc_int32_t c = 0;
    auto length = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + at),
                                   static_cast<utf8proc_ssize_t>(text.size() - at), &c);
    if (length <= 0) {
      c = 0xFFFD;
      length = 1;
    }
    visit(c, at, static_cast<std::size_t>(length));
    at += static_cast<std::size_t>(length);
  }
}

// The text without the white space at either end.
std::string trimmed(std::string_view text) {
  std::size_t begin = text.size();
  std::size_t end = 0;
  for_each_code_point(text, [&](utf8proc_int32_t c, std::size_t at, std::size_t length) {
    if (is_white_space(c)) return;
    begin = std::min(begin, at);
    end = at + length;
  });
  return begin < end ? std::string(text.substr(begin, end - begin)) : std::string{};
}

std::string upper_case(std::string_view text) {
  std::string upper;
  upper.reserve(text.size());
  for_each_code_point(text, [&](utf8proc_int32_t c, std::size_t, std::size_t) {
    upper += term::encode_utf8(static_cast<char32_t>(utf8proc_toupper(c)));
  });
  return upper;
}

void back_to_target_menu(App& app) {
  app.dialog_stage = DialogStage::TargetMenu;
  app.dialog_file_index = 0;
}

// The browser's cursor on a preset that its list still holds (the list may have shrunk).
std::size_t clamped_to(std::size_t index, std::size_t count) {
  return count == 0 ? 0 : std::min(index, count - 1);
}

void open_preset_list(App& app, std::size_t position) {
  app.in_presets = true;
  app.preset_filter.clear();
  app.apply_preset_filter();
  app.preset_index = clamped_to(position, app.filtered_presets.size());
}

void choose_target(App& app) {
  app.dialog_target = static_cast<FileTarget>(std::min(app.dialog_file_index, kTargetCount - 1));
  if (!app.dialog_is_load) {
    app.dialog_stage = DialogStage::NameEntry;
    app.dialog_name.clear();
    return;
  }
  app.dialog_stage = DialogStage::FileList;
  if (app.dialog_target != FileTarget::SynthPreset) {
    app.dialog_files = App::list_files_for_target(app.dialog_target);
    app.dialog_file_index = 0;
    return;
  }
  // The browser reopens where the last preset came from, when that bank is still there.
  app.banks = preset::list_all_banks();
  if (app.last_bank && *app.last_bank < app.banks.size()) {
    app.bank_index = *app.last_bank;
    open_preset_list(app, app.last_preset.value_or(0));
  } else {
    app.bank_index = 0;
    app.in_presets = false;
  }
}

void handle_target_menu_key(App& app, const term::KeyEvent& key) {
  if (key.code == KeyCode::Esc) {
    app.dialog_open = false;
  } else if (key.code == KeyCode::Enter) {
    choose_target(app);
  } else {
    move_in_list(app.dialog_file_index, key, kTargetCount);
  }
}

void save_and_close(App& app) {
  app.execute_save();
  app.dialog_open = false;
}

void handle_typed_name_key(App& app, const term::KeyEvent& key) {
  if (key.code == KeyCode::Esc) {
    back_to_target_menu(app);
  } else if (key.code == KeyCode::Backspace) {
    pop_character(app.dialog_name);
  } else if (key.code == KeyCode::Enter) {
    if (!app.dialog_name.empty()) save_and_close(app);
  } else if (is_typed(key) && is_name_character(key.character)) {
    app.dialog_name += term::encode_utf8(key.character);
  }
}

void handle_grid_name_key(App& app, const term::KeyEvent& key) {
  auto& cursor = app.grid_cursor;
  switch (key.code) {
    case KeyCode::Left:
      if (cursor > 0) --cursor;
      break;
    case KeyCode::Right:
      if (cursor + 1u < dialog_grid::kCharacters.size()) ++cursor;
      break;
    case KeyCode::Up:
      if (cursor >= dialog_grid::kColumns) cursor -= dialog_grid::kColumns;
      break;
    case KeyCode::Down:
      if (cursor + dialog_grid::kColumns < dialog_grid::kCharacters.size()) {
        cursor += dialog_grid::kColumns;
      }
      break;
    case KeyCode::Enter:
      app.dialog_name += dialog_grid::kCharacters[std::min<std::size_t>(
          cursor, dialog_grid::kCharacters.size() - 1)];
      break;
    case KeyCode::Esc:
      if (app.dialog_name.empty()) {
        back_to_target_menu(app);
      } else {
        pop_character(app.dialog_name);
      }
      break;
    default:
      if (key.is_char(U' ') && !app.dialog_name.empty()) save_and_close(app);
      break;
  }
}

void load_pattern_named(App& app, const std::string& name) {
  auto path = preset::item_path(preset::patterns_dir(), name);
  auto loaded = path ? preset::load_pattern(*path) : Result<Pattern>(std::unexpected(path.error()));
  if (!loaded) {
    std::string text = "Load error: " + loaded.error().message();
    log::target(kLogTarget)->error("{}", text);
    app.set_status(std::move(text));
    return;
  }
  if (loaded->effects) {
    app.effects = *loaded->effects;
    app.apply_effects_params();
  }
  // The slot takes the pattern, but the tempo playing now stays.
  app.ensure_pattern_slot(app.current_pattern);
  app.patterns[app.current_pattern] = std::make_shared<Pattern>(std::move(*loaded));
  app.clamp_step_cursor();
  app.dirty = true;
  app.set_status("Loaded: " + name);
}

void handle_file_list_key(App& app, const term::KeyEvent& key) {
  if (key.code == KeyCode::Esc) {
    back_to_target_menu(app);
  } else if (key.code == KeyCode::Enter) {
    if (app.dialog_file_index >= app.dialog_files.size()) return;
    const std::string name = app.dialog_files[app.dialog_file_index];
    if (app.dialog_target == FileTarget::Project) {
      app.load_project_by_name(name);
    } else {
      load_pattern_named(app, name);
    }
    app.dialog_open = false;
  } else {
    move_in_list(app.dialog_file_index, key, app.dialog_files.size());
  }
}

void handle_bank_list_key(App& app, const term::KeyEvent& key) {
  if (key.code == KeyCode::Esc) {
    back_to_target_menu(app);
  } else if (key.code == KeyCode::Enter) {
    if (!app.banks.empty()) open_preset_list(app, 0);
  } else {
    move_in_list(app.bank_index, key, app.banks.size());
  }
}

void load_chosen_preset(App& app) {
  if (app.preset_index >= app.filtered_presets.size() || app.bank_index >= app.banks.size()) return;
  const auto& bank = app.banks[app.bank_index];
  const std::size_t preset = app.filtered_presets[app.preset_index];
  auto patch = preset::load_from_bank(bank, preset);
  if (!patch) {
    app.set_status("Failed to load preset");
    return;
  }
  app.synth_params[app.current_track] = *patch;
  app.apply_synth_params_for_track(app.current_track);
  app.last_bank = app.bank_index;
  app.last_preset = app.preset_index;
  app.set_status("Loaded to Track " + std::to_string(app.current_track + 1) + ": [" + bank.name +
                 "] " + bank.presets[preset]);
}

void handle_preset_list_key(App& app, const term::KeyEvent& key) {
  if (key.code == KeyCode::Esc) {
    if (app.preset_filter.empty()) {
      app.in_presets = false;
    } else {
      open_preset_list(app, 0);
    }
  } else if (key.code == KeyCode::Backspace) {
    if (app.preset_filter.empty()) return;
    pop_character(app.preset_filter);
    app.apply_preset_filter();
    app.preset_index = clamped_to(app.preset_index, app.filtered_presets.size());
  } else if (key.code == KeyCode::Enter) {
    if (app.filtered_presets.empty()) return;
    load_chosen_preset(app);
    app.dialog_open = false;
  } else if (is_typed(key) && is_filter_character(key.character)) {
    app.preset_filter += term::encode_utf8(key.character);
    app.apply_preset_filter();
    app.preset_index = 0;
  } else {
    move_in_list(app.preset_index, key, app.filtered_presets.size());
  }
}

}  // namespace

void App::handle_dialog_key(const term::KeyEvent& key) {
  switch (dialog_stage) {
    case DialogStage::TargetMenu:
      return handle_target_menu_key(*this, key);
    case DialogStage::NameEntry:
      return gamepad ? handle_grid_name_key(*this, key) : handle_typed_name_key(*this, key);
    case DialogStage::FileList:
      if (dialog_target != FileTarget::SynthPreset) return handle_file_list_key(*this, key);
      return in_presets ? handle_preset_list_key(*this, key) : handle_bank_list_key(*this, key);
  }
}

void App::execute_save() {
  const std::string name = trimmed(dialog_name);
  if (name.empty()) return;

  const std::optional<std::string> previous_name = project_name;
  Result<void> saved;
  switch (dialog_target) {
    case FileTarget::Pattern: {
      Pattern pattern = current_pattern_ref();
      pattern.effects = effects;
      saved = preset::save_pattern(pattern, name);
      break;
    }
    case FileTarget::SynthPreset:
      saved = preset::save_preset(name, synth_params[current_track]);
      break;
    case FileTarget::Project: {
      project_name = name;
      saved = save_project_as(name);
      break;
    }
  }

  if (!saved) {
    std::string text = "Save error: " + saved.error().message();
    if (dialog_target == FileTarget::Project) {
      // The autosave must go on protecting the project that is open, not chase a name that failed.
      project_name = previous_name;
      if (previous_name) text += " (autosave stays on " + *previous_name + ")";
    }
    log::target(kLogTarget)->error("{}", text);
    set_status(std::move(text));
    return;
  }
  if (dialog_target == FileTarget::SynthPreset) {
    set_status("Saved preset for Track " + std::to_string(current_track + 1) + ": " + name);
    return;
  }
  if (dialog_target == FileTarget::Project) last_autosave = Clock::now();
  set_status("Saved: " + name);
}

std::vector<std::string> App::list_files_for_target(FileTarget target) {
  switch (target) {
    case FileTarget::Pattern:
      return preset::list_json_files(preset::patterns_dir());
    case FileTarget::Project:
      return preset::list_projects();
    case FileTarget::SynthPreset:
      return {};
  }
  return {};
}

void App::apply_preset_filter() {
  filtered_presets.clear();
  if (bank_index >= banks.size()) return;
  const std::string wanted = upper_case(preset_filter);
  const auto& names = banks[bank_index].presets;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (wanted.empty() || upper_case(names[i]).find(wanted) != std::string::npos) {
      filtered_presets.push_back(i);
    }
  }
}

}  // namespace quorvelan::ui::app
