// The SET view: its keys as key sequences -> cursor, values, dialog and status; taking over a
// new audio engine; and the three columns as drawn.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "audio/engine_fake_host.hpp"
#include "support/log_capture.hpp"
#include "support/temp_home.hpp"
#include "term/width.hpp"
#include "ui/harness.hpp"
#include "ui/view_cells.hpp"

namespace quorvelan::ui::app {
namespace {

namespace messages = audio::messages;
using term::KeyCode;
using term::KeyModifier;

// Two devices, the first in use, and two MIDI ports: the MIDI column's rows are 0 None, 1-2 the
// ports, 3-6 the channels of tracks 1-4, 7 clock sync.
Harness settings_view() {
  auto h = Harness::make();
  h.app.view = View::Set;
  h.app.row_nav = true;
  h.app.output_devices = {"default", "Studio Out"};
  h.app.current_device = "default";
  h.app.midi_ports = {"Keys", "Pads"};
  return h;
}

std::vector<term::KeyEvent> repeat(term::KeyEvent key, int count) {
  return std::vector<term::KeyEvent>(static_cast<std::size_t>(count), key);
}

struct Outcome {
  std::uint8_t column = 0;
  std::uint8_t settings_row = 0;
  std::array<std::uint8_t, 4> channels{1, 2, 3, 4};
  bool clock_sync = false;
  bool clock_measure_restarted = false;
  std::string status;
  friend bool operator==(const Outcome&, const Outcome&) = default;

  Outcome with_channels(std::array<std::uint8_t, 4> values) const {
    Outcome o = *this;
    o.channels = values;
    return o;
  }
  // Toggled at least once: the measurement starts afresh.
  Outcome with_clock_sync(bool on) const {
    Outcome o = *this;
    o.clock_sync = on;
    o.clock_measure_restarted = true;
    return o;
  }
  Outcome with_status(std::string text) const {
    Outcome o = *this;
    o.status = std::move(text);
    return o;
  }
};

Outcome at(std::uint8_t column, std::uint8_t row) {
  Outcome o;
  o.column = column;
  o.settings_row = row;
  return o;
}

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
  return out << "column " << int{o.column} << " row " << int{o.settings_row} << " channels "
             << int{o.channels[0]} << "," << int{o.channels[1]} << "," << int{o.channels[2]} << ","
             << int{o.channels[3]} << " clock " << o.clock_sync << " restarted "
             << o.clock_measure_restarted << " status '" << o.status << "'";
}

Outcome outcome_of(const App& app) {
  return {app.column,
          app.settings_row,
          app.midi_channels,
          app.clock_sync,
          app.clock_count == 0 && !app.clock_start,
          app.status ? app.status->text : ""};
}

TEST(SettingsKeys, MoveTheCursorAndChangeChannelsAndClockSync) {
  const auto right = key(KeyCode::Right);
  const auto left = key(KeyCode::Left);
  const auto down = key(KeyCode::Down);
  const auto up = key(KeyCode::Up);
  auto keys = [](std::initializer_list<std::vector<term::KeyEvent>> groups) {
    std::vector<term::KeyEvent> all;
    for (const auto& group : groups) all.insert(all.end(), group.begin(), group.end());
    return all;
  };
  struct Case {
    const char* what;
    std::vector<term::KeyEvent> keys;
    Outcome expected;
  };
  const std::vector<Case> cases{
      {"Down stops at the project column's last row", repeat(down, 5), at(0, 1)},
      {"Up stops at row 0", keys({{down}, repeat(up, 3)}), at(0, 0)},
      {"Left in the first column stays there", {left}, at(0, 0)},
      {"Right moves a column and back to row 0", keys({{down, right}}), at(1, 0)},
      {"the audio column ends at its last device", keys({{right}, repeat(down, 4)}), at(1, 1)},
      {"Right in the last column stays there", keys({{right, right, right}}), at(2, 0)},
      {"Down stops at clock sync, after the ports and channels",
       keys({{right, right}, repeat(down, 20)}), at(2, 7)},
      {"Right on a port row stays in the MIDI column at row 0", keys({{right, right, down, right}}),
       at(2, 0)},
      {"Left on a port row moves to the audio column", keys({{right, right, down, down, left}}),
       at(1, 0)},
      {"Right on a channel row raises that track's channel",
       keys({{right, right}, repeat(down, 4), {right}}), at(2, 4).with_channels({1, 3, 3, 4})},
      {"Left from channel 1 gives none, then 16",
       keys({{right, right}, repeat(down, 3), {left, left}}),
       at(2, 3).with_channels({16, 2, 3, 4})},
      {"Right from 16 wraps to none", keys({{right, right}, repeat(down, 6), repeat(right, 13)}),
       at(2, 6).with_channels({1, 2, 3, 0})},
      {"Left on clock sync toggles it instead of moving",
       keys({{right, right}, repeat(down, 7), {left}}), at(2, 7).with_clock_sync(true)},
      {"Right twice on clock sync toggles it back",
       keys({{right, right}, repeat(down, 7), {right, right}}), at(2, 7).with_clock_sync(false)},
      {"Enter on None disconnects MIDI", keys({{right, right, key(KeyCode::Enter)}}),
       at(2, 0).with_status("MIDI disconnected")},
      {"Enter on a channel row does nothing",
       keys({{right, right}, repeat(down, 3), {key(KeyCode::Enter)}}), at(2, 3)},
      {"Enter on the device in use does nothing", keys({{right, key(KeyCode::Enter)}}), at(1, 0)},
      {"Esc and other keys do nothing",
       keys({{down, key(KeyCode::Esc), key(KeyCode::Home), ch('z')}}), at(0, 1)},
  };
  for (const auto& c : cases) {
    auto h = settings_view();
    h.app.clock_count = 9;
    h.app.clock_start = Clock::now();
    for (const auto& k : c.keys) h.app.handle_key(k);
    EXPECT_EQ(outcome_of(h.app), c.expected) << c.what;
    EXPECT_FALSE(h.app.dialog_open) << c.what;
    EXPECT_TRUE(h.drain_sent().empty()) << c.what << ": nothing is sent to the audio thread";
  }
}

TEST(SettingsKeys, WithoutPortsOrDevicesTheColumnsStillHaveTheirRows) {
  auto h = settings_view();
  h.app.output_devices.clear();
  h.app.current_device.clear();
  h.app.midi_ports.clear();
  h.press({key(KeyCode::Right), key(KeyCode::Down), key(KeyCode::Enter)});
  EXPECT_EQ(h.app.column, 1);
  EXPECT_EQ(h.app.settings_row, 0) << "row 0 only";
  EXPECT_FALSE(h.app.status) << "and Enter on it does nothing";
  h.press({key(KeyCode::Right)});
  for (int i = 0; i < 9; ++i) h.press({key(KeyCode::Down)});
  EXPECT_EQ(h.app.settings_row, 5) << "None, four channels, clock sync";
  h.press({key(KeyCode::Up), key(KeyCode::Right)});
  EXPECT_EQ(h.app.midi_channels[3], 5);
}

class SettingsProjectKeys : public test_support::TempHome {};

TEST_F(SettingsProjectKeys, EnterOpensTheProjectDialogAtItsNameOrFileStage) {
  struct Case {
    const char* what;
    std::optional<std::string> project;
    bool saved_projects;
    int row;
    bool load;
    DialogStage stage;
    std::string name;
    std::vector<std::string> files;
  };
  const std::vector<Case> cases{
      {"save with the open project's name",
       "Night Drive",
       false,
       0,
       false,
       DialogStage::NameEntry,
       "Night Drive",
       {}},
      {"save with an empty name when no project is open",
       std::nullopt,
       false,
       0,
       false,
       DialogStage::NameEntry,
       "",
       {}},
      {"load with nothing saved opens an empty list",
       std::nullopt,
       false,
       1,
       true,
       DialogStage::FileList,
       "",
       {}},
      {"load lists the saved projects",
       std::nullopt,
       true,
       1,
       true,
       DialogStage::FileList,
       "",
       {"alpha", "beta"}},
  };
  for (const auto& c : cases) {
    if (c.saved_projects) {
      for (const char* name : {"beta", "alpha"}) {
        write_file(home() / ".quorvelan" / "projects" / (std::string(name) + ".json"), "{}");
      }
    }
    auto h = settings_view();
    h.app.project_name = c.project;
    h.app.dialog_name = "left over";
    h.app.dialog_file_index = 3;
    for (int i = 0; i < c.row; ++i) h.press({key(KeyCode::Down)});
    h.press({key(KeyCode::Enter)});
    EXPECT_TRUE(h.app.dialog_open) << c.what;
    EXPECT_EQ(h.app.dialog_is_load, c.load) << c.what;
    EXPECT_EQ(h.app.dialog_target, FileTarget::Project) << c.what;
    EXPECT_EQ(h.app.dialog_stage, c.stage) << c.what;
    EXPECT_EQ(h.app.dialog_file_index, 0u) << c.what;
    if (c.load) {
      EXPECT_EQ(h.app.dialog_files, c.files) << c.what;
    } else {
      EXPECT_EQ(h.app.dialog_name, c.name) << c.what;
    }
  }
}

TEST(SettingsDeviceSwitch, TheNewEngineGetsTheWholeSoundStateAndTheOldOneStopsFirst) {
  test_support::FakeHost old_host;
  old_host.with("system").default_device = 0;
  test_support::FakeHost new_host;
  new_host.with("Studio Out").default_device = 0;
  auto h = settings_view();
  h.app.audio_engine.emplace(engine_on(old_host));
  h.app.bpm = 97.0;
  h.app.master_volume = 2.5f;
  h.app.mixer[2].muted = true;
  // The old engine's last reports: playing, at these steps.
  h.reports.push(messages::transport_state(true));
  for (std::uint8_t track = 0; track < 4; ++track)
    h.reports.push(messages::step_position(track, 9));
  h.app.drain_feedback();
  ASSERT_TRUE(h.app.playing);

  auto [new_tx, new_rx] = messages::make_audio_ring();
  auto [new_feedback_tx, new_feedback_rx] = messages::make_feedback_ring();
  test_support::LogCapture log("quorvelan::ui::app");
  h.app.adopt_audio_engine(engine_on(new_host), std::move(new_tx), std::move(new_feedback_rx),
                           "Studio Out");

  EXPECT_TRUE(old_host.stream_dropped);
  EXPECT_TRUE(new_host.playing);
  EXPECT_EQ(h.app.current_device, "Studio Out");
  EXPECT_EQ(h.app.audio_engine->device_name(), "Studio Out");
  EXPECT_EQ(h.app.status->text, "Audio: Studio Out");
  EXPECT_NE(log.text().find("info Switched audio device to: Studio Out"), std::string::npos);
  EXPECT_TRUE(h.app.dirty) << "the pattern follows on the next pass";

  std::vector<messages::AudioMessage> resent;
  while (auto message = new_rx.pop()) {
    resent.push_back(*message);
    messages::free_box(*message);
  }
  std::map<messages::AudioTag, int> counts;
  for (const auto& message : resent) ++counts[message.tag()];
  ASSERT_FALSE(resent.empty());
  ASSERT_NE(messages::get_if<messages::AudioMessage::SetBpm>(resent.front()), nullptr);
  EXPECT_EQ(messages::get_if<messages::AudioMessage::SetBpm>(resent.front())->bpm, 97.0);
  ASSERT_NE(messages::get_if<messages::AudioMessage::SetMasterVolume>(resent.back()), nullptr);
  EXPECT_EQ(messages::get_if<messages::AudioMessage::SetMasterVolume>(resent.back())->volume, 2.5f);
  // Four patches of 53 values plus each track's volume and pan; 18 effect values and the
  // ping-pong switch; mute and three sends per track; the LFO configurations.
  EXPECT_EQ(counts[messages::AudioTag::SetSynthParam], 4 * 53 + 4 * 2);
  EXPECT_EQ(counts[messages::AudioTag::SetEffectParam], 19);
  EXPECT_EQ(counts[messages::AudioTag::SetMute], 4);
  EXPECT_EQ(counts[messages::AudioTag::SetSendLevel], 12);
  EXPECT_EQ(counts[messages::AudioTag::SetLfoConfigs], 1);
  EXPECT_EQ(resent.size(), 1u + 4 * 53 + 19 + 24 + 2);
  EXPECT_TRUE(h.drain_sent().empty()) << "nothing more goes into the old ring";
}

// Before, the transport flag kept the old engine's last report: the new engine was stopped, yet
// Space sent Stop and the play positions stood where the old engine left them.
TEST(SettingsDeviceSwitch, AfterASwitchTheTransportIsStoppedAndSpacePlays) {
  test_support::FakeHost host;
  host.with("Studio Out").default_device = 0;
  auto h = settings_view();
  h.reports.push(messages::transport_state(true));
  h.reports.push(messages::step_position(1, 5));
  h.app.drain_feedback();

  auto [new_tx, new_rx] = messages::make_audio_ring();
  auto [new_feedback_tx, new_feedback_rx] = messages::make_feedback_ring();
  h.app.adopt_audio_engine(engine_on(host), std::move(new_tx), std::move(new_feedback_rx),
                           "Studio Out");
  EXPECT_FALSE(h.app.playing);
  EXPECT_EQ(h.app.play_steps, (std::array<std::uint8_t, 4>{}));
  while (auto message = new_rx.pop()) messages::free_box(*message);

  h.press({ch(' ')});
  auto sent = new_rx.pop();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->tag(), messages::AudioTag::Play);
}

// Before, a lost device showed only in the log, the transport still read playing, and Enter on
// the device did nothing, as it still counted as in use.
TEST(SettingsDeviceSwitch, ALostDeviceIsShownOnceAndEnterOnItOpensItAgain) {
  test_support::FakeHost lost_host;
  lost_host.with("Speakers").default_device = 0;
  test_support::FakeHost host;
  host.with("Speakers").default_device = 0;
  auto h = settings_view();
  h.app.audio_host = [&host]() -> audio::host::Host& { return host; };
  h.app.audio_engine.emplace(engine_on(lost_host));
  h.app.column = 1;  // the cursor on the device in use
  const auto status = [&h] { return h.app.status ? h.app.status->text : ""; };
  h.reports.push(messages::transport_state(true));
  h.app.drain_feedback();
  EXPECT_FALSE(h.app.notice_device_loss());

  lost_host.client->error("JACK server shut down: gone", true);
  EXPECT_TRUE(h.app.notice_device_loss());
  EXPECT_FALSE(h.app.playing);
  EXPECT_EQ(status(), "Audio error: JACK server shut down: gone");
  EXPECT_FALSE(h.app.notice_device_loss()) << "shown once per loss";

  host.play_error = "device busy";
  h.press({key(KeyCode::Enter)});
  EXPECT_EQ(status(), "Audio error: device busy");
  EXPECT_FALSE(lost_host.stream_dropped) << "a failed switch keeps the old engine";
  host.play_error.reset();
  h.press({key(KeyCode::Enter)});
  EXPECT_EQ(status(), "Audio: default");
  EXPECT_TRUE(lost_host.stream_dropped);
  EXPECT_TRUE(host.playing);

  host.opened_device.reset();
  h.press({key(KeyCode::Enter)});
  EXPECT_FALSE(host.opened_device) << "the device opened again counts as in use";
}

// ---- Drawing ----

TEST(SettingsView, ThreeColumnsShowTheProjectTheDevicesAndMidi) {
  auto h = settings_view();
  h.app.project_name = "Night Drive";
  h.app.midi_channels = {1, 10, 0, 16};
  h.app.clock_sync = true;
  h.app.column = 2;
  h.app.settings_row = 4;
  const auto frame = h.draw(100, 30);
  // 100 columns in thirds: 0-32, 33-66, 67-99; the body starts on row 1.
  const std::vector<std::pair<int, std::vector<std::string>>> columns{
      {0, {"╭PROJECT", "│  Save Project", "│  Load Project", "│Active: Night Drive", "│ "}},
      {33, {"╭AUDIO", "│Output: default", "│  default *", "│  Studio Out", "│ "}},
      {67,
       {"╭MIDI", "│Port: None", "│  None *", "│  Keys", "│  Pads", "│  Trk 1 Ch: 1 [</>]",
        "│> Trk 2 Ch: 10 [</>]", "│  Trk 3 Ch: Off [</>]", "│  Trk 4 Ch: 16 [</>]",
        "│  Clock Sync: On", "│ "}},
  };
  for (const auto& [x, lines] : columns) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const int width = static_cast<int>(term::display_width(lines[i]));
      EXPECT_EQ(cells_text(frame, x, 1 + static_cast<int>(i), width), lines[i]) << x << " " << i;
    }
  }
  EXPECT_EQ(frame.cell(99, 1).symbol, "╮");
  EXPECT_EQ(frame.cell(0, 27).symbol, "╰");

  const auto& theme = h.app.theme;
  const auto& selected = frame.cell(68, 7);
  EXPECT_EQ(selected.foreground, theme.selected_fg);
  EXPECT_EQ(selected.background, theme.selected_bg);
  EXPECT_EQ(frame.cell(68, 6).foreground, theme.fg);
  EXPECT_EQ(frame.cell(68, 6).background, theme.bg);
  EXPECT_EQ(frame.cell(68, 1).foreground, theme.fg) << "titles are plain while rows are navigated";
}

TEST(SettingsView, TheFocusedTitleIsHighlightedWithoutRowNavigationAndRowsAreNot) {
  auto h = settings_view();
  h.app.theme = views::Theme::light_theme();
  h.app.row_nav = false;
  h.app.column = 1;
  const auto frame = h.draw(100, 30);
  const auto& theme = h.app.theme;
  EXPECT_EQ(frame.cell(34, 1).foreground, theme.selected_fg);
  EXPECT_EQ(frame.cell(34, 1).background, theme.selected_bg);
  EXPECT_EQ(frame.cell(1, 1).background, theme.bg);
  EXPECT_EQ(cells_text(frame, 34, 3, 11), "  default *");
  EXPECT_EQ(frame.cell(34, 3).background, theme.bg);
}

TEST(SettingsView, AListTallerThanTheColumnScrollsToKeepTheCursorInSight) {
  auto h = settings_view();
  for (int i = 0; i < 30; ++i) h.app.midi_ports.push_back("Port " + std::to_string(i));
  h.app.column = 2;
  h.app.settings_row = 37;  // clock sync after 32 ports, below the 25 rows shown at 100x30
  const auto frame = h.draw(100, 30);
  EXPECT_EQ(cells_text(frame, 67, 26, 18), "│> Clock Sync: Off");
}

}  // namespace
}  // namespace quorvelan::ui::app
