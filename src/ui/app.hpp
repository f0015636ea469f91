#pragma once
// The application state of the user-interface thread and its main loop: the open project, the
// interface's own copy of every sound parameter, the ring ends to the audio thread, the audio
// engine, the MIDI connection, the terminal, and every cursor and overlay.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "audio/engine.hpp"
#include "audio/messages.hpp"
#include "audio/rtaudio_host.hpp"
#include "error.hpp"
#include "lfo.hpp"
#include "midi/mod.hpp"
#include "midi/native.hpp"
#include "preset.hpp"
#include "sequencer/pattern.hpp"
#include "sequencer/project.hpp"
#include "sequencer/types.hpp"
#include "term/buffer.hpp"
#include "term/input.hpp"
#include "term/keys.hpp"
#include "term/terminal.hpp"
#include "ui/midi_holds.hpp"
#include "ui/views.hpp"

namespace quorvelan::ui::app {

using Clock = std::chrono::steady_clock;
using sequencer::pattern::Pattern;

enum class View : std::uint8_t { Project, Seq, Synth, Fx, Lfo, Mix, Set };
enum class Mode : std::uint8_t { Normal };
enum class SeqPage : std::uint8_t { Steps, Arp };
enum class SynthPage : std::uint8_t { Ops, Flt, Amp };
enum class FileTarget : std::uint8_t { Pattern, SynthPreset, Project };
enum class DialogStage : std::uint8_t { TargetMenu, NameEntry, FileList };

// The target of every log record the App writes.
inline constexpr const char* kLogTarget = "quorvelan::ui::app";
inline constexpr std::size_t kTrackCount = sequencer::pattern::kTrackCount;
inline constexpr std::size_t kLevelHistoryLength = 32;
inline constexpr float kMaxMasterVolume = 4.0f;  // 400 %
inline constexpr std::uint8_t kMasterColumn = kTrackCount;  // the MIX column after the track strips
inline constexpr auto kStatusShownFor = std::chrono::seconds(2);

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

// What a jump label does when its letter is typed.
struct EasyMotionAction {
  // `column` = column, editing off; `current_track` = track when present.
  struct SelectColumn {
    std::optional<std::uint8_t> track;
    std::uint8_t column = 0;
    friend bool operator==(const SelectColumn&, const SelectColumn&) = default;
  };
  // `column` = column, editing on, then the operator, page, track and row the view needs.
  struct FocusParam {
    std::optional<std::uint8_t> page;
    std::optional<std::uint8_t> op;
    std::optional<std::uint8_t> track;
    std::uint8_t column = 0;
    std::uint8_t row = 0;
    friend bool operator==(const FocusParam&, const FocusParam&) = default;
  };
  // Editing of the current step, without switching it on.
  struct EditGrid {
    friend bool operator==(const EditGrid&, const EditGrid&) = default;
  };
  struct ArpField {
    std::uint8_t field = 0;
    friend bool operator==(const ArpField&, const ArpField&) = default;
  };
  // A synth page, its parameter list, first row; editing unchanged.
  struct OpenPage {
    std::uint8_t page = 0;
    friend bool operator==(const OpenPage&, const OpenPage&) = default;
  };
  using Variant = std::variant<SelectColumn, FocusParam, EditGrid, ArpField, OpenPage>;
  Variant value;
  friend bool operator==(const EasyMotionAction&, const EasyMotionAction&) = default;
};

struct EasyMotionTarget {
  char32_t label = 0;
  std::string name;
  EasyMotionAction action;
  friend bool operator==(const EasyMotionTarget&, const EasyMotionTarget&) = default;
};

// Where one jump label stands on screen.
struct LabelPosition {
  std::uint16_t x = 0;
  std::uint16_t y = 0;
  char32_t label = 0;
  friend bool operator==(const LabelPosition&, const LabelPosition&) = default;
};

// A screen cell that a jump label of the current view points at, in the view's target order.
struct LabelCell {
  std::uint16_t x = 0;
  std::uint16_t y = 0;
  friend bool operator==(const LabelCell&, const LabelCell&) = default;
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
  // How the settings view reads the device and port lists again; tests give fixed lists.
  std::function<std::vector<std::string>()> read_output_devices = [] {
    return audio::engine::AudioEngine::list_output_devices();
  };
  std::function<std::vector<std::string>()> read_midi_ports = &midi::native::list_midi_ports;
  // The host that a device switch opens devices on; tests give a scripted one.
  std::function<audio::host::Host&()> audio_host = &audio::rtaudio_host::system_host;
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
  // Takes the waiting MIDI events and routes them, as many as the ring to a working output has
  // room for; true when there was one.
  bool drain_midi();
  void route_midi(const midi::MidiEvent& event, Clock::time_point now);
  // Sends the current pattern to the audio thread when it changed.
  void flush_pattern_sync();
  // Advances the LFO previews and the animation counters for one drawn frame.
  void advance_frame();

  // ---- Key dispatch (app_keys.cpp): the project list, the overlays, the always-available
  // keys, the jump labels, then the global keys and the current view's own keys. ----
  void handle_key(const term::KeyEvent& key);
  void handle_normal_key(const term::KeyEvent& key);
  void switch_view(View new_view);
  void toggle_transport();

  // ---- The views' own keys, after the global ones; one source each. ----
  void handle_seq_key(const term::KeyEvent& key);     // seq_keys.cpp
  void handle_synth_key(const term::KeyEvent& key);   // synth_keys.cpp
  void handle_fx_key(const term::KeyEvent& key);      // fx_keys.cpp
  void handle_lfo_key(const term::KeyEvent& key);     // lfo_keys.cpp
  void handle_mix_key(const term::KeyEvent& key);     // mix_keys.cpp
  void handle_set_key(const term::KeyEvent& key);     // set_keys.cpp
  void handle_dialog_key(const term::KeyEvent& key);  // dialog_keys.cpp
  void handle_picker_key(const term::KeyEvent& key);  // lfo_keys.cpp

  // ---- Step editing (seq_keys.cpp). ----
  void adjust_step_param(std::int8_t delta);
  void adjust_step_param_coarse(std::int8_t delta);
  static sequencer::pattern::TrigCondition cycle_trig_condition(
      const sequencer::pattern::TrigCondition& condition, std::int8_t delta);
  void release_all_held();

  // ---- Synth editing (synth_keys.cpp). ----
  void adjust_synth_param(float delta);
  static std::string_view synth_param_name(std::uint8_t id);

  // ---- Effects, mixer and master editing (fx_keys.cpp, mix_keys.cpp). ----
  void adjust_mixer_param(std::uint8_t track, float delta);
  void adjust_master_param(float delta);

  // ---- LFO editing and the target picker (lfo_keys.cpp). ----
  static std::vector<std::pair<lfo::ModTarget, std::string>> build_target_list_filtered(
      std::string_view filter);

  // ---- Dialogs and the preset browser (dialog_keys.cpp). ----
  void execute_save();
  static std::vector<std::string> list_files_for_target(FileTarget target);
  void apply_preset_filter();

  // ---- Output device (set_keys.cpp). ----
  // Makes a freshly started engine, with the ring ends that reach it, the one in use: the old
  // engine stops first, then the new one is sent everything the audio thread keeps.
  void adopt_audio_engine(audio::engine::AudioEngine engine, audio::messages::AudioProducer new_tx,
                          audio::messages::FeedbackConsumer new_rx, std::string device);
  // Shows, once per loss, that the engine's device is gone: an audio error in the status row and
  // the transport stopped. True when that changed what the screen shows.
  bool notice_device_loss();
  // An engine runs and its device is not lost: something reads audio_tx and reports back.
  [[nodiscard]] bool has_working_output() const { return audio_engine && !device_lost; }

  // ---- Jump labels (jump.cpp). ----
  [[nodiscard]] std::vector<EasyMotionTarget> build_easymotion_targets() const;
  void apply_easymotion(const EasyMotionAction& action);

  // ---- Project and pattern actions (app_project.cpp). ----
  [[nodiscard]] sequencer::project::Project build_project() const;
  // Writes build_project() to the project file of that name.
  [[nodiscard]] Result<void> save_project_as(std::string_view name) const;
  void load_project_by_name(const std::string& name);
  void ensure_pattern_slot(std::uint8_t index);
  // "n" and "p": the next or previous slot, created when new; an existing one brings its tempo.
  void next_pattern();
  void previous_pattern();

  // ---- Whole-state senders: everything the audio thread keeps, after a load. ----
  // The App's tempo, pattern (on the next pass), patches, effects, mixer, LFOs and master volume:
  // what a project opened or an engine started on must play, whatever the engine held before.
  void send_sound_state();
  void apply_synth_params_for_track(std::uint8_t track);
  void apply_synth_params_for_all_tracks();
  void apply_effects_params();
  void apply_mixer_state(const std::array<sequencer::types::TrackMixerState, kTrackCount>& mixer);
  void send_lfo_update();
  [[nodiscard]] float get_param_value(const lfo::ModTarget& target) const;

  // ---- Drawing: one whole frame from the state, read only (app_render.cpp), and the views'
  // bodies and overlays, one source each. ----
  void render_app(term::Buffer& buffer) const;
  void render_sequencer(term::Buffer& buffer, const term::Rect& body) const;  // seq_view.cpp
  void render_track_selector(term::Buffer& buffer, const term::Rect& area) const;
  void render_synth(term::Buffer& buffer, const term::Rect& body) const;     // synth_view.cpp
  void render_effects(term::Buffer& buffer, const term::Rect& body) const;   // fx_view.cpp
  void render_lfo(term::Buffer& buffer, const term::Rect& body) const;       // lfo_view.cpp
  void render_mixer(term::Buffer& buffer, const term::Rect& body) const;     // mix_view.cpp
  void render_settings(term::Buffer& buffer, const term::Rect& body) const;  // set_view.cpp
  void render_jump_overlay(term::Buffer& buffer, const term::Rect& screen) const;  // overlays.cpp
  void render_file_dialog(term::Buffer& buffer, const term::Rect& screen) const;   // dialog_view.cpp
  void render_help_popup(term::Buffer& buffer, const term::Rect& screen) const;    // overlays.cpp
  // A two-column level meter, lit from the bottom (widgets.cpp).
  static void render_vertical_meter(term::Buffer& buffer, const term::Rect& area, float left,
                                    float right);

  // The cells the jump labels of a view point at, from the same layout the view draws with,
  // in the order of that view's targets (each in its view's source).
  [[nodiscard]] std::vector<LabelCell> seq_label_cells(const term::Rect& body) const;
  [[nodiscard]] std::vector<LabelCell> synth_label_cells(const term::Rect& body) const;
  [[nodiscard]] std::vector<LabelCell> fx_label_cells(const term::Rect& body) const;
  [[nodiscard]] std::vector<LabelCell> lfo_label_cells(const term::Rect& body) const;
  [[nodiscard]] std::vector<LabelCell> mixer_label_cells(const term::Rect& body) const;
  [[nodiscard]] std::vector<LabelCell> settings_label_cells(const term::Rect& body) const;

  // ---- Shared helpers of the editing areas. ----
  void set_status(std::string text);
  // The status while the status row shows it, for kStatusShownFor after it was set.
  [[nodiscard]] const Status* shown_status(Clock::time_point now) const;
  [[nodiscard]] const Pattern& current_pattern_ref() const { return *patterns[current_pattern]; }
  // The current slot's pattern, made exclusively owned first (copied when another holder shares
  // it), ready to be changed in place.
  Pattern& mutable_current_pattern();
  // Keeps the step cursor on a step the current track plays (after a change of track, pattern,
  // paste or load).
  void clamp_step_cursor();
  // Keep the FX row on a row of the FX column (fx_keys.cpp) and the SYNTH row cursor on a row of
  // the page shown (synth_keys.cpp), after the column, page or view changed.
  void clamp_fx_row();
  void clamp_synth_row();

  // ---- Patterns and transport ----
  std::vector<std::shared_ptr<Pattern>> patterns;  // slot i is entry i; shared, copied on write
  std::uint8_t current_pattern = 0;
  std::optional<Pattern> clipboard;
  bool dirty = false;  // the current pattern must be sent to the audio thread
  double bpm = 120.0;  // 20..300
  bool playing = false;  // as last reported by the audio thread
  std::array<std::uint8_t, kTrackCount> play_steps{};
  float master_volume = 1.0f;  // 0..kMaxMasterVolume
  // Notes started by note keys and note previews, still sounding: (track, note).
  std::vector<std::pair<std::uint8_t, std::uint8_t>> held_notes;

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
  std::string current_device;  // the output device in use; empty without an engine
  bool device_lost = false;    // current_device is gone: choosing it again opens it anew
  std::vector<std::string> output_devices;
  std::function<std::vector<std::string>()> read_output_devices;
  std::function<audio::host::Host&()> audio_host;
  std::optional<midi::native::MidiInput> midi_input;
  std::optional<std::size_t> midi_port_index;  // position of the connected port in midi_ports
  std::vector<std::string> midi_ports;
  std::function<std::vector<std::string>()> read_midi_ports;
  // What MIDI input holds sounding, and whether it is being ended after lost MIDI events.
  midi_holds::MidiHolds midi_holds;
  bool ending_midi_holds = false;
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
  SeqPage seq_page = SeqPage::Steps;
  std::uint8_t detail_row = 0;        // 0 Note .. 6 Division of the step detail
  std::uint8_t arp_field = 0;         // 0 Mode .. 8 Root of the arpeggiator page
  std::uint8_t arp_offset_index = 0;  // the arpeggiator offset being edited
  SynthPage synth_page = SynthPage::Ops;
  std::uint8_t op_row = 0;      // 0 Ratio .. 6 Release of the OPS page
  std::uint8_t page_row = 0;    // the row of the FLT (0..3) or AMP (0..4) page
  std::uint8_t current_op = 0;  // operator shown and edited, 0..5
  std::uint8_t fx_row = 0;      // row of the FX column
  std::uint8_t mixer_row = 0;   // row of the MIX column, 0..4
  std::uint8_t lfo_field = 0;   // field of the selected LFO, 0..9
  std::uint8_t settings_row = 0;

  // ---- Overlays ----
  bool help_visible = false;
  std::uint16_t help_scroll = 0;
  bool jump_active = false;
  std::vector<EasyMotionTarget> jump_targets;
  bool picker_open = false;
  std::string picker_filter;
  std::vector<std::pair<lfo::ModTarget, std::string>> picker_items;
  std::size_t picker_index = 0;

  // ---- File dialog and preset browser ----
  bool dialog_open = false;
  bool dialog_is_load = false;
  FileTarget dialog_target = FileTarget::Pattern;
  DialogStage dialog_stage = DialogStage::TargetMenu;
  std::string dialog_name;
  std::vector<std::string> dialog_files;
  std::size_t dialog_file_index = 0;  // cursor of the target menu and of the file list
  std::uint8_t grid_cursor = 0;       // 0..38 in the gamepad name grid
  std::vector<preset::PresetBank> banks;
  std::size_t bank_index = 0;
  bool in_presets = false;  // false: the bank list; true: the presets of the chosen bank
  std::string preset_filter;
  std::vector<std::size_t> filtered_presets;  // indexes into the bank's preset names
  std::size_t preset_index = 0;               // position in filtered_presets
  std::optional<std::size_t> last_bank;
  std::optional<std::size_t> last_preset;

  // ---- Loop state ----
  std::uint64_t pass_counter = 0;
  std::uint32_t frame_counter = 0;
  bool blink = false;
  float pulse = 0.0f;  // 0..1, the animation value of the modulation glyphs
  bool should_quit = false;

 private:
  void handle_project_key(const term::KeyEvent& key);
  void handle_help_key(const term::KeyEvent& key);
  bool handle_global_key(const term::KeyEvent& key);
  bool handle_navigation_key(const term::KeyEvent& key);
  void select_track(std::uint8_t track);
  void change_pattern(std::uint8_t slot);
  void change_tempo(double delta);
  void follow_clock(Clock::time_point now);
  void end_midi_holds();

  void render_header(const term::Rect& area, term::Buffer& buffer) const;
  void render_status(const term::Rect& area, term::Buffer& buffer) const;
  void render_help(const term::Rect& area, term::Buffer& buffer) const;
  void render_project_picker(const term::Rect& area, term::Buffer& buffer) const;
};

// The frame's header, body, status and help rows, top to bottom.
std::array<term::Rect, 4> frame_rows(const term::Rect& screen);

// The label positions of the current view's jump targets inside the body area: the n-th cell of
// the view paired with the n-th target's label (jump.cpp).
std::vector<LabelPosition> easymotion_positions(const term::Rect& body, const App& app);

// The default pattern with the starter beat: four kicks on track 1, four notes on track 2.
Pattern starter_pattern();

}  // namespace quorvelan::ui::app
