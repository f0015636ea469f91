#pragma once
// The application state of the user-interface thread and its main loop: the open project, the
// interface's own copy of every sound parameter, the ring ends to the audio thread, the audio
// engine, the MIDI connection, the terminal, and every cursor and overlay.

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audio/engine.hpp"
#include "audio/messages.hpp"
#include "error.hpp"
#include "lfo.hpp"
#include "midi/mod.hpp"
#include "midi/native.hpp"
#include "sequencer/pattern.hpp"
#include "sequencer/project.hpp"
#include "sequencer/types.hpp"
#include "term/buffer.hpp"
#include "term/input.hpp"
#include "term/keys.hpp"
#include "term/terminal.hpp"
#include "ui/views.hpp"

namespace quorvelan::ui::app {

using Clock = std::chrono::steady_clock;
using sequencer::pattern::Pattern;

enum class View : std::uint8_t { Project, Seq, Synth, Fx, Lfo, Mix, Set };
enum class Mode : std::uint8_t { Normal };

inline constexpr std::size_t kTrackCount = 4;
inline constexpr std::size_t kLevelHistoryLength = 32;

// The last peak levels the audio thread reported for a track.
struct TrackMeter {
  float left = 0.0f;
  float right = 0.0f;
};

// The value an LFO last wrote into its target, as the audio thread reported it.
struct LiveModulation {
  lfo::ModTargetKind kind = lfo::ModTargetKind::None;
  std::uint8_t a = 0;
  std::uint8_t b = 0;
  float value = 0.0f;
};

struct Status {
  std::string text;
  Clock::time_point set_at;
};

// What start-up hands to the application state; tests build it without a terminal or devices.
struct AppParts {
  audio::messages::AudioProducer audio_tx;
  audio::messages::FeedbackConsumer feedback_rx;
  std::optional<audio::engine::AudioEngine> audio_engine{};
  std::vector<std::string> output_devices{};
  std::optional<midi::native::MidiInput> midi_input{};
  std::vector<std::string> midi_ports{};
  std::vector<std::string> project_list{};
  bool gamepad = false;
  std::unique_ptr<term::Terminal> terminal{};  // absent in tests: nothing is drawn
  std::unique_ptr<term::Input> input{};  // absent in tests: no key arrives
};

class App {
 public:
  explicit App(AppParts parts);
  App(App&&) = default;

  // Builds the whole state in start-up order (audio, terminal, MIDI, starter pattern, lists)
  // and runs the main loop until the user quits or the terminal fails.
  static Result<void> start_and_run();

  // The main loop; the App is dropped before it returns, on every path.
  static Result<void> run(App app);

  // ---- One pass of the main loop, in its parts (each also called by tests). ----
  // Takes every waiting report of the audio thread; true when there was one.
  bool drain_feedback();
  // Autosaves a named project when 30 s have passed since the last check.
  void autosave_if_due(Clock::time_point now);
  // Takes every waiting MIDI event and routes it; true when there was one.
  bool drain_midi();
  void route_midi(const midi::MidiEvent& event, Clock::time_point now);
  // Sends the current pattern to the audio thread when it changed.
  void flush_pattern_sync();
  // Advances the LFO previews and the animation counters for one drawn frame.
  void advance_frame();
  void handle_key(const term::KeyEvent& key);

  // ---- Project and pattern actions. ----
  [[nodiscard]] sequencer::project::Project build_project() const;
  void load_project_by_name(const std::string& name);
  void ensure_pattern_slot(std::uint8_t index);

  // ---- Whole-state senders: everything the audio thread keeps, after a load. ----
  void apply_synth_params_for_track(std::uint8_t track);
  void apply_effects_params();
  void apply_mixer_state(const std::array<sequencer::types::TrackMixerState, kTrackCount>& mixer);
  void send_lfo_update();
  [[nodiscard]] float get_param_value(const lfo::ModTarget& target) const;

  // ---- Drawing: one whole frame from the state, read only. ----
  void render_app(term::Buffer& buffer) const;

  void set_status(std::string text);
  [[nodiscard]] const Pattern& current_pattern_ref() const { return *patterns[current_pattern]; }

  // ---- Patterns and transport ----
  std::vector<std::shared_ptr<Pattern>> patterns;  // slot i is entry i; shared, copied on write
  std::uint8_t current_pattern = 0;
  std::optional<Pattern> clipboard;
  bool dirty = false;  // the current pattern must be sent to the audio thread
  double bpm = 120.0;  // 20..300
  bool playing = false;  // as last reported by the audio thread
  std::array<std::uint8_t, kTrackCount> play_steps{};
  float master_volume = 1.0f;  // 0..4

  // ---- Per-track sound settings ----
  std::array<sequencer::types::TrackSynthParams, kTrackCount> synth_params;
  std::array<sequencer::types::TrackMixerState, kTrackCount> mixer;
  std::array<TrackMeter, kTrackCount> meters{};
  std::array<std::array<std::uint8_t, kLevelHistoryLength>, kTrackCount> level_history{};
  std::array<std::uint8_t, kTrackCount> midi_channels{1, 2, 3, 4};  // 1..16, 0 = none

  // ---- Effects and LFOs ----
  sequencer::types::EffectsParams effects;
  lfo::LfoConfigs lfo_configs{};
  std::array<LiveModulation, lfo::kLfoCount> lfo_modulation{};
  std::array<float, lfo::kLfoCount> lfo_preview_phase{};  // 0..1

  // ---- Audio, MIDI and devices ----
  audio::messages::AudioProducer audio_tx;
  audio::messages::FeedbackConsumer feedback_rx;
  std::optional<audio::engine::AudioEngine> audio_engine;
  std::vector<std::string> output_devices;
  std::optional<midi::native::MidiInput> midi_input;
  std::vector<std::string> midi_ports;
  bool clock_sync = false;  // follow the tempo of MIDI clock
  std::uint32_t clock_count = 0;
  std::optional<Clock::time_point> clock_start;

  // ---- Terminal and look ----
  std::unique_ptr<term::Terminal> terminal;
  std::unique_ptr<term::Input> input;
  views::Theme theme = views::Theme::dark();
  bool gamepad = false;

  // ---- Status and files ----
  std::optional<Status> status;
  std::optional<std::string> project_name;  // autosave runs only while present
  Clock::time_point last_autosave;
  std::vector<std::string> project_list;
  std::size_t project_row = 0;  // 0 is "+ New Project", n the n-th saved project

  // ---- View, mode and cursors ----
  View view = View::Project;
  Mode mode = Mode::Normal;
  std::uint8_t column = 0;
  bool row_nav = false;
  bool editing = false;
  std::uint8_t current_track = 0;
  std::uint8_t current_step = 0;
  std::uint8_t octave = 4;
  std::uint8_t seq_page = 0;    // 0 the step grid, 1 the arpeggiator page
  std::uint8_t synth_page = 0;  // 0 OPS, 1 FLT, 2 AMP

  // ---- Overlays ----
  bool help_visible = false;
  std::uint16_t help_scroll = 0;
  bool jump_active = false;
  bool picker_open = false;
  bool dialog_open = false;

  // ---- Loop state ----
  std::uint64_t pass_counter = 0;
  std::uint32_t frame_counter = 0;
  bool blink = false;
  float pulse = 0.0f;  // 0..1, the animation value of the modulation glyphs
  bool should_quit = false;

 private:
  void handle_project_key(const term::KeyEvent& key);
  void follow_clock(Clock::time_point now);

  void render_header(const term::Rect& area, term::Buffer& buffer) const;
  void render_status(const term::Rect& area, term::Buffer& buffer) const;
  void render_help(const term::Rect& area, term::Buffer& buffer) const;
  void render_project_picker(const term::Rect& area, term::Buffer& buffer) const;
};

// The default pattern with the starter beat: four kicks on track 1, four notes on track 2.
Pattern starter_pattern();

}  // namespace quorvelan::ui::app
