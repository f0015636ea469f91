#include "ui/app.hpp"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "log.hpp"
#include "midi/event_queue.hpp"
#include "numeric.hpp"
#include "preset.hpp"
#include "term/control.hpp"
#include "ui/crash.hpp"
#include "utf8.hpp"

namespace quorvelan::ui::app {
namespace {

using namespace std::chrono_literals;
namespace messages = audio::messages;

constexpr auto kAutosaveInterval = 30s;
constexpr auto kInputWait = 16ms;
constexpr std::uint32_t kClocksPerQuarter = 24;
constexpr std::uint8_t kSustainController = 64;
constexpr float kPreviewFrameSeconds = 0.016666668f;  // one drawn frame at 60 per second

bool gamepad_requested() {
  const char* value = std::getenv("QUORVELAN_GAMEPAD");
  return value != nullptr && utf8::is_valid(value);
}

// Gives the terminal back as far as it was taken over: raw mode off, pastes unmarked, the main
// screen back.
Result<void> leave_terminal() {
  auto raw = term::disable_raw_mode();
  auto paste = term::disable_bracketed_paste(STDOUT_FILENO);
  auto screen = term::leave_alternate_screen(STDOUT_FILENO);
  if (!raw) return raw;
  if (!paste) return paste;
  return screen;
}

// Raw mode, the alternate screen and the drawing terminal; on failure, whatever had been taken
// over is given back before the error is returned.
Result<std::pair<std::unique_ptr<term::Terminal>, std::unique_ptr<term::Input>>> take_terminal() {
  if (auto raw = term::enable_raw_mode(STDIN_FILENO); !raw) return std::unexpected(raw.error());
  auto fail_with = [](const Error& error) {
    (void)leave_terminal();
    return std::unexpected(error);
  };
  if (auto screen = term::enter_alternate_screen(STDOUT_FILENO); !screen) {
    return fail_with(screen.error());
  }
  // Without it a terminal sends a paste as typing, and every pasted letter runs as a command.
  if (auto paste = term::enable_bracketed_paste(STDOUT_FILENO); !paste) {
    return fail_with(paste.error());
  }
  if (auto size = term::terminal_size(STDOUT_FILENO); !size) return fail_with(size.error());
  const char* term_name = std::getenv("TERM");
  auto input = term::Input::open(STDIN_FILENO, term_name != nullptr ? term_name : "xterm");
  if (!input) return fail_with(input.error());
  return std::pair{std::make_unique<term::Terminal>(STDOUT_FILENO), std::move(*input)};
}

}  // namespace

Pattern starter_pattern() {
  Pattern pattern = Pattern::default_pattern();
  auto place = [&](std::uint8_t track, std::initializer_list<int> steps, std::uint8_t note,
                   std::uint8_t velocity) {
    for (int index : steps) {
      auto& step = pattern.tracks[track].steps[static_cast<std::size_t>(index)];
      step.note = note;
      step.velocity = velocity;
      step.flags |= sequencer::pattern::kStepOn;
    }
  };
  place(0, {0, 4, 8, 12}, 36, 120);
  place(1, {2, 6, 10, 14}, 60, 80);
  return pattern;
}

App::App(AppParts parts)
    : audio_tx(std::move(parts.audio_tx)),
      feedback_rx(std::move(parts.feedback_rx)),
      audio_engine(std::move(parts.audio_engine)),
      current_device(audio_engine ? audio_engine->device_name() : std::string{}),
      output_devices(std::move(parts.output_devices)),
      read_output_devices(std::move(parts.read_output_devices)),
      audio_host(std::move(parts.audio_host)),
      midi_input(std::move(parts.midi_input)),
      midi_port_index(midi_input ? std::optional<std::size_t>{0} : std::nullopt),
      midi_ports(std::move(parts.midi_ports)),
      read_midi_ports(std::move(parts.read_midi_ports)),
      terminal(std::move(parts.terminal)),
      input(std::move(parts.input)),
      gamepad(parts.gamepad),
      last_autosave(Clock::now()),
      project_list(std::move(parts.project_list)) {
  patterns.push_back(std::make_shared<Pattern>(starter_pattern()));
  synth_params.fill(sequencer::types::starting_synth_params());
  mixer.fill(sequencer::types::starting_mixer_state());
  effects = sequencer::types::starting_effects_params();
  // An engine starts with a sound of its own (send levels, master): from the first note it must
  // play what the screen shows.
  if (audio_engine) send_sound_state();
}

Result<void> App::start_and_run() {
  auto [audio_tx, audio_rx] = messages::make_audio_ring();
  auto [feedback_tx, feedback_rx] = messages::make_feedback_ring();

  // Listing the devices asks every card and logs them: do it once and open the first listed one,
  // which is the device the engine would choose for itself.
  auto output_devices = audio::engine::AudioEngine::list_output_devices();
  std::optional<std::string> first_device;
  if (!output_devices.empty() && !output_devices.front().empty()) {
    first_device = output_devices.front();
  }
  std::optional<audio::engine::AudioEngine> engine;
  if (auto created =
          audio::engine::AudioEngine::create(first_device, std::move(audio_rx), std::move(feedback_tx))) {
    engine.emplace(std::move(*created));
  } else {
    log::target(kLogTarget)->info("No audio device: {}", created.error().message());
  }

  // From the moment the terminal is taken over, a signal or a crash must give it back.
  crash::install(term::restore);
  auto taken = take_terminal();
  if (!taken) return std::unexpected(taken.error());  // the engine goes with this scope

  auto midi_input = midi::native::MidiInput::new_with_port(0);
  if (midi_input) log::target(kLogTarget)->info("External MIDI input connected");

  App app(AppParts{
      .audio_tx = std::move(audio_tx),
      .feedback_rx = std::move(feedback_rx),
      .audio_engine = std::move(engine),
      .output_devices = std::move(output_devices),
      .midi_input = std::move(midi_input),
      .midi_ports = midi::native::list_midi_ports(),
      .project_list = preset::list_projects(),
      .gamepad = gamepad_requested(),
      .terminal = std::move(taken->first),
      .input = std::move(taken->second),
  });
  return run(std::move(app));
}

Result<void> App::run(App app) {
  if (app.view != View::Project) {
    app.dirty = true;
    app.flush_pattern_sync();
  }

  Result<void> outcome;
  bool redraw = true;
  // The status that the last frame showed, by when it was set: a status that appears, changes or
  // runs out while no key comes (an autosave error, say) is drawn all the same.
  std::optional<Clock::time_point> drawn_status;
  while (!app.should_quit) {
    if (app.drain_feedback()) redraw = true;
    if (app.notice_device_loss()) redraw = true;
    ++app.pass_counter;
    app.autosave_if_due(Clock::now());
    if (app.drain_midi()) redraw = true;
    app.flush_pattern_sync();

    const Status* status = app.shown_status(Clock::now());
    const auto status_set_at = status ? std::optional(status->set_at) : std::nullopt;
    if (status_set_at != drawn_status) redraw = true;

    if (app.playing || redraw) {
      app.advance_frame();
      if (app.terminal) {
        auto drawn = app.terminal->draw([&app](term::Buffer& buffer) { app.render_app(buffer); });
        if (!drawn) {
          outcome = std::unexpected(drawn.error());
          break;
        }
      }
      drawn_status = status_set_at;
    }

    if (!app.input) break;  // nothing can ever arrive
    auto event = app.input->wait(kInputWait);
    if (!event) {
      outcome = std::unexpected(event.error());
      break;
    }
    redraw = false;
    if (!*event) continue;
    if (const auto* key = std::get_if<term::KeyEvent>(&**event)) {
      app.handle_key(*key);
      redraw = true;
    } else if (std::holds_alternative<term::ResizeEvent>(**event)) {
      redraw = true;  // the old layout must not stay until the next key
    }
  }

  auto left = app.terminal ? leave_terminal() : Result<void>{};
  { App dropped = std::move(app); }  // stops the stream and closes MIDI before returning
  if (!outcome) return outcome;
  return left;
}

bool App::drain_feedback() {
  bool took_any = false;
  while (auto message = feedback_rx.pop()) {
    took_any = true;
    message->visit([this](const auto& report) {
      using Report = std::decay_t<decltype(report)>;
      if constexpr (std::is_same_v<Report, messages::FeedbackMessage::StepPosition>) {
        if (report.track < kTrackCount) play_steps[report.track] = report.step;
      } else if constexpr (std::is_same_v<Report, messages::FeedbackMessage::TrackMeter>) {
        if (report.track >= kTrackCount) return;
        meters[report.track] = TrackMeter{report.left, report.right};
        float level = std::min((report.left + report.right) * 0.5f * 64.0f, 64.0f);
        level_history[report.track][pass_counter & (kLevelHistoryLength - 1)] =
            saturating_cast<std::uint8_t>(level);
      } else if constexpr (std::is_same_v<Report, messages::FeedbackMessage::TransportState>) {
        playing = report.playing;
      } else {
        if (report.lfo < lfo::kLfoCount) {
          lfo_modulation[report.lfo] = LiveModulation{report.kind, report.a, report.b, report.value};
        }
      }
    });
  }
  return took_any;
}

void App::autosave_if_due(Clock::time_point now) {
  if (!project_name) return;
  if (now - last_autosave < kAutosaveInterval) return;
  std::string name = *project_name;
  auto saved = save_project_as(name);
  if (saved) {
    log::target(kLogTarget)->info("Auto-saved project: {}", name);
  } else {
    // Shown each time, not only logged: the player must not go on working on a project that
    // is no longer being saved.
    std::string text = "Auto-save error: " + saved.error().message();
    log::target(kLogTarget)->error("{}", text);
    set_status(std::move(text));
  }
  last_autosave = now;
}

bool App::drain_midi() {
  if (!midi_input) return false;
  if (ending_midi_holds) {
    end_midi_holds();
    if (ending_midi_holds) return false;  // the events after the gap wait behind the releases
  }
  // An event pushes at most one message per track. While an engine reads the ring, an event
  // waits in the MIDI queue until the ring has room for all of them, so that a note-off is never
  // dropped. Without one nothing ever makes room: events are routed into the ring as they come
  // and dropped there, and a device chosen later starts on fresh rings, with no stale burst.
  const bool waits_for_room = has_working_output();
  bool took_any = false;
  const auto now = Clock::now();
  while (!waits_for_room || audio_tx.room() >= kTrackCount) {
    auto event = midi_input->try_receive();
    if (!event) {
      if (midi_input->queue().take_loss()) end_midi_holds();
      break;
    }
    took_any = true;
    route_midi(*event, now);
  }
  return took_any;
}

void App::end_midi_holds() {
  // Nothing sounds without a working output, and the engine of a device chosen later holds
  // nothing.
  if (!has_working_output()) midi_holds = {};
  ending_midi_holds = !midi_holds.release_all(audio_tx);
}

void App::route_midi(const midi::MidiEvent& event, Clock::time_point now) {
  auto for_each_track_on = [this](std::uint8_t channel, auto&& send) {
    for (std::uint8_t track = 0; track < kTrackCount; ++track) {
      if (midi_channels[track] == channel + 1) send(track);
    }
  };
  std::visit(
      [&](const auto& message) {
        using Message = std::decay_t<decltype(message)>;
        if constexpr (std::is_same_v<Message, midi::MidiEvent::NoteOn>) {
          for_each_track_on(message.channel, [&](std::uint8_t track) {
            audio_tx.push(messages::note_on(track, message.note, message.velocity));
            midi_holds.note_on(track, message.note);
          });
        } else if constexpr (std::is_same_v<Message, midi::MidiEvent::NoteOff>) {
          for_each_track_on(message.channel, [&](std::uint8_t track) {
            audio_tx.push(messages::note_off(track, message.note));
            midi_holds.note_off(track, message.note);
          });
        } else if constexpr (std::is_same_v<Message, midi::MidiEvent::ControlChange>) {
          if (message.controller != kSustainController) return;
          const bool on = message.value >= 64;
          for_each_track_on(message.channel, [&](std::uint8_t track) {
            audio_tx.push(messages::set_sustain(track, on));
            midi_holds.sustain(track, on);
          });
        } else if constexpr (std::is_same_v<Message, midi::MidiEvent::Start> ||
                             std::is_same_v<Message, midi::MidiEvent::Stop>) {
          constexpr bool start = std::is_same_v<Message, midi::MidiEvent::Start>;
          audio_tx.push(start ? messages::play() : messages::stop());
          // As after Space, the header shows the transport that the audio thread reports; only
          // a working output is sure to answer, so only then is it shown at once.
          if (has_working_output()) playing = start;
          // A measurement spanning the pause would pull the tempo down: begin a fresh one.
          clock_start.reset();
          clock_count = 0;
        } else if constexpr (std::is_same_v<Message, midi::MidiEvent::Clock>) {
          if (clock_sync) follow_clock(now);
        }
      },
      static_cast<const midi::MidiEvent::variant&>(event));
}

void App::follow_clock(Clock::time_point now) {
  if (!clock_start) {
    clock_start = now;
    clock_count = 0;
    return;
  }
  if (++clock_count < kClocksPerQuarter) return;
  double elapsed = std::chrono::duration<double>(now - *clock_start).count();
  if (elapsed > 0.0) {
    double measured =
        std::clamp(60.0 / elapsed, sequencer::pattern::kMinBpm, sequencer::pattern::kMaxBpm);
    // One decimal place, truncated: a tempo that is never rounded up settles just below the source.
    double smoothed = std::trunc((measured * 0.15 + bpm * 0.85) * 10.0) / 10.0;
    if (std::abs(smoothed - bpm) > 0.05) {
      bpm = smoothed;
      audio_tx.push(messages::set_bpm(bpm));
    }
  }
  clock_count = 0;
  clock_start = now;
}

void App::flush_pattern_sync() {
  if (!dirty) return;
  dirty = false;
  audio_tx.push(std::make_unique<Pattern>(*patterns[current_pattern]));
}

void App::advance_frame() {
  for (std::size_t i = 0; i < lfo::kLfoCount; ++i) {
    const auto& config = lfo_configs[i];
    if (!config.enabled) continue;
    float rate = config.sync ? static_cast<float>(bpm / 60.0) / std::max(config.sync_division, 0.001f)
                             : config.rate;
    lfo_preview_phase[i] = std::fmod(lfo_preview_phase[i] + rate * kPreviewFrameSeconds, 1.0f);
  }
  ++frame_counter;
  blink = (frame_counter & 4) == 0;
  pulse = std::sin(static_cast<float>(frame_counter) * 0.15f) * 0.5f + 0.5f;
}

void App::set_status(std::string text) { status = Status{std::move(text), Clock::now()}; }

const Status* App::shown_status(Clock::time_point now) const {
  if (!status) return nullptr;
  if (std::chrono::floor<std::chrono::seconds>(now - status->set_at) >= kStatusShownFor) {
    return nullptr;
  }
  return &*status;
}

Pattern& App::mutable_current_pattern() {
  auto& slot = patterns[current_pattern];
  if (slot.use_count() > 1) slot = std::make_shared<Pattern>(*slot);
  return *slot;
}

void App::clamp_step_cursor() {
  const auto& track = current_pattern_ref().tracks[current_track];
  const std::size_t playable = std::min<std::size_t>(track.length, track.steps.size());
  if (current_step >= playable) current_step = playable > 0 ? static_cast<std::uint8_t>(playable - 1) : 0;
}

}  // namespace quorvelan::ui::app
