// The SET view's keys: saving and loading the project, the output device, the MIDI port, the
// tracks' MIDI channels and clock following. Every action happens at once on Enter (or Left and
// Right on the channel and clock rows); the view has no editing state.

#include <fmt/format.h>

#include <algorithm>

#include "log.hpp"
#include "preset.hpp"
#include "sequencer/project.hpp"
#include "ui/app.hpp"
#include "ui/edit_keys.hpp"
#include "ui/settings_rows.hpp"

namespace quorvelan::ui::app {
namespace {

namespace messages = audio::messages;
namespace rows = settings_rows;
using audio::engine::AudioEngine;
using term::KeyCode;

using sequencer::project::kLastMidiChannel;
constexpr std::string_view kSystemDefault = "default";

std::size_t last_row(const App& app) {
  return std::min<std::size_t>(
      rows::last_row(app.column, app.output_devices.size(), app.midi_ports.size()), 255);
}

// Opens exactly the device asked for. The engine serves a device that has gone with the system
// default instead; here that would play elsewhere under the chosen name, so it counts as failed.
Result<AudioEngine> open_chosen_device(audio::host::Host& host, const std::string& name,
                                       messages::AudioConsumer commands,
                                       messages::FeedbackProducer feedback) {
  auto engine = AudioEngine::create(host, name, std::move(commands), std::move(feedback));
  if (engine && name != kSystemDefault && engine->device_name() != name) {
    return fail(fmt::format("Audio device '{}' not found", name));
  }
  return engine;
}

void switch_output_device(App& app, std::size_t row) {
  if (row >= app.output_devices.size()) return;
  const std::string name = app.output_devices[row];
  if (name == app.current_device && !app.device_lost) return;
  auto [audio_tx, audio_rx] = messages::make_audio_ring();
  auto [feedback_tx, feedback_rx] = messages::make_feedback_ring();
  auto engine =
      open_chosen_device(app.audio_host(), name, std::move(audio_rx), std::move(feedback_tx));
  if (!engine) {
    app.set_status("Audio error: " + engine.error().message());
    log::target(kLogTarget)->error("Audio device switch error: {}", engine.error().message());
    return;
  }
  app.adopt_audio_engine(std::move(*engine), std::move(audio_tx), std::move(feedback_rx), name);
}

void choose_midi_port(App& app, std::size_t position) {
  // Opened before the old connection goes, so that a failure leaves no connection at all.
  auto opened = midi::native::MidiInput::new_with_port(position);
  app.midi_input = std::move(opened);
  if (app.midi_input) {
    app.midi_port_index = position;
    // The ports may have changed since the list was read: name the one that really opened.
    app.set_status("MIDI: " + app.midi_input->port_name());
  } else {
    app.midi_port_index.reset();
    app.set_status("MIDI error: " + app.midi_ports[position]);
  }
}

void open_project_dialog(App& app, bool load) {
  app.dialog_open = true;
  app.dialog_is_load = load;
  app.dialog_target = FileTarget::Project;
  app.dialog_file_index = 0;
  if (load) {
    app.dialog_stage = DialogStage::FileList;
    app.dialog_files = preset::list_projects();
  } else {
    app.dialog_stage = DialogStage::NameEntry;
    app.dialog_name = app.project_name.value_or("");
  }
}

void press_enter(App& app) {
  const std::size_t row = app.settings_row;
  switch (app.column) {
    case rows::kProjectColumn:
      if (row == rows::kSaveRow || row == rows::kLoadRow)
        open_project_dialog(app, row == rows::kLoadRow);
      return;
    case rows::kAudioColumn:
      return switch_output_device(app, row);
    default:
      if (row == 0) {
        app.midi_input.reset();
        app.midi_port_index.reset();
        app.set_status("MIDI disconnected");
      } else if (rows::MidiRows{app.midi_ports.size()}.is_port(row)) {
        choose_midi_port(app, row - 1);
      }
      return;
  }
}

// Left or Right: a channel or clock-sync row changes its value, any other row moves the column.
void press_sideways(App& app, int step) {
  const rows::MidiRows midi{app.midi_ports.size()};
  const std::size_t row = app.settings_row;
  if (app.column == rows::kMidiColumn && midi.is_channel(row)) {
    // Through 0 (none) and 1..16, wrapping at both ends.
    auto& channel = app.midi_channels[row - midi.first_channel()];
    channel = edit_keys::wrapped(channel, step, kLastMidiChannel + 1);
  } else if (app.column == rows::kMidiColumn && row == midi.clock_sync()) {
    app.clock_sync = !app.clock_sync;
    app.clock_count = 0;
    app.clock_start.reset();
  } else {
    app.column = static_cast<std::uint8_t>(
        std::clamp(app.column + step, int{rows::kProjectColumn}, int{rows::kMidiColumn}));
    app.settings_row = 0;
  }
}

}  // namespace

void App::handle_set_key(const term::KeyEvent& key) {
  switch (key.code) {
    case KeyCode::Up:
      if (settings_row > 0) --settings_row;
      return;
    case KeyCode::Down:
      settings_row =
          static_cast<std::uint8_t>(std::min<std::size_t>(settings_row + 1u, last_row(*this)));
      return;
    case KeyCode::Left:
      return press_sideways(*this, -1);
    case KeyCode::Right:
      return press_sideways(*this, 1);
    case KeyCode::Enter:
      return press_enter(*this);
    default:
      return;
  }
}

void App::adopt_audio_engine(audio::engine::AudioEngine engine, messages::AudioProducer new_tx,
                             messages::FeedbackConsumer new_rx, std::string device) {
  audio_engine.reset();  // the old stream stops before its rings go
  audio_engine.emplace(std::move(engine));
  audio_tx = std::move(new_tx);
  feedback_rx = std::move(new_rx);
  current_device = std::move(device);
  device_lost = false;
  // The new audio thread starts stopped and has played nothing yet: a transport still marked
  // playing would make the next Space send Stop.
  playing = false;
  play_steps.fill(0);

  send_sound_state();
  set_status("Audio: " + current_device);
  log::target(kLogTarget)->info("Switched audio device to: {}", current_device);
}

bool App::notice_device_loss() {
  if (!has_working_output()) return false;
  auto reason = audio_engine->device_loss();
  if (!reason) return false;
  device_lost = true;
  // The stream renders no more, so the audio thread will never report the transport stopped.
  playing = false;
  set_status("Audio error: " + *reason);
  return true;
}

}  // namespace quorvelan::ui::app
