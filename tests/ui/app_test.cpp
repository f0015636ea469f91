#include "ui/app.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "files.hpp"
#include "midi/event_queue.hpp"
#include "preset.hpp"
#include "support/log_capture.hpp"
#include "support/temp_home.hpp"
#include "term/test_backend.hpp"
#include "ui/harness.hpp"
#include "ui/sent_messages.hpp"

namespace quorvelan::ui::app {
namespace {

namespace fs = std::filesystem;
namespace messages = audio::messages;
using namespace std::chrono_literals;

TEST(AppStart, StarterPatternHoldsTheBeatOnTracksOneAndTwoOnly) {
  auto h = Harness::make();
  ASSERT_EQ(h.app.patterns.size(), 1u);
  const auto& tracks = h.app.current_pattern_ref().tracks;
  for (int i = 0; i < 64; ++i) {
    const auto& kick = tracks[0].steps[i];
    const auto& note = tracks[1].steps[i];
    bool kick_step = i < 16 && i % 4 == 0;
    bool note_step = i < 16 && i % 4 == 2;
    EXPECT_EQ((kick.flags & sequencer::pattern::kStepOn) != 0, kick_step) << i;
    EXPECT_EQ((note.flags & sequencer::pattern::kStepOn) != 0, note_step) << i;
    if (kick_step) {
      EXPECT_EQ(kick.note, 36);
      EXPECT_EQ(kick.velocity, 120);
    }
    if (note_step) {
      EXPECT_EQ(note.note, 60);
      EXPECT_EQ(note.velocity, 80);
    }
    EXPECT_FALSE(tracks[2].steps[i].flags & sequencer::pattern::kStepOn);
    EXPECT_FALSE(tracks[3].steps[i].flags & sequencer::pattern::kStepOn);
  }
  EXPECT_EQ(h.app.view, View::Project);
  EXPECT_EQ(h.app.midi_channels, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
}

TEST(AppFeedback, ReportsUpdateStepsMetersTransportAndLfoValues) {
  auto h = Harness::make();
  h.app.pass_counter = 33;  // level history slot 1
  h.reports.push(messages::step_position(2, 7));
  h.reports.push(messages::step_position(9, 7));  // no such track: ignored
  h.reports.push(messages::track_meter(1, 0.5f, 0.25f));
  h.reports.push(messages::track_meter(3, 4.0f, 4.0f));
  h.reports.push(messages::transport_state(true));
  h.reports.push(messages::lfo_modulation(2, lfo::ModTarget::SendLevel{1}, 0.75f));
  EXPECT_TRUE(h.app.drain_feedback());
  EXPECT_EQ(h.app.play_steps, (std::array<std::uint8_t, 4>{0, 0, 7, 0}));
  EXPECT_FLOAT_EQ(h.app.meters[1].left, 0.5f);
  EXPECT_EQ(h.app.level_history[1][1], 24);  // (0.5 + 0.25) / 2 * 64
  EXPECT_EQ(h.app.level_history[3][1], 64);  // capped
  EXPECT_TRUE(h.app.playing);
  EXPECT_EQ(h.app.lfo_modulation[2].kind, lfo::ModTargetKind::SendLevel);
  EXPECT_EQ(h.app.lfo_modulation[2].a, 1);
  EXPECT_FALSE(h.app.drain_feedback());
}

TEST(AppMidi, NotesAndSustainReachEveryTrackOnTheChannelInTrackOrder) {
  auto h = Harness::make();
  h.app.midi_channels = {1, 1, 0, 2};
  auto now = Clock::now();
  h.app.route_midi(midi::MidiEvent::NoteOn{0, 60, 100}, now);
  h.app.route_midi(midi::MidiEvent::NoteOff{1, 61}, now);
  h.app.route_midi(midi::MidiEvent::ControlChange{0, 64, 64}, now);
  h.app.route_midi(midi::MidiEvent::ControlChange{0, 1, 127}, now);  // not the pedal
  h.app.route_midi(midi::MidiEvent::PitchBend{0, 100}, now);
  h.app.route_midi(midi::MidiEvent::NoteOn{5, 60, 100}, now);  // nobody listens
  auto sent = h.drain_sent();
  ASSERT_EQ(sent.size(), 5u);
  auto* first = messages::get_if<messages::AudioMessage::NoteOn>(sent[0]);
  auto* second = messages::get_if<messages::AudioMessage::NoteOn>(sent[1]);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->track, 0);
  EXPECT_EQ(second->track, 1);
  auto* off = messages::get_if<messages::AudioMessage::NoteOff>(sent[2]);
  ASSERT_TRUE(off);
  EXPECT_EQ(off->track, 3);
  auto* pedal = messages::get_if<messages::AudioMessage::SetSustain>(sent[3]);
  ASSERT_TRUE(pedal);
  EXPECT_TRUE(pedal->on);
}

enum class Output { None, Working, Lost };

// A harness whose engine, if any, runs on `host` and has, or has not, lost its device.
Harness harness_with(Output output, test_support::FakeHost& host) {
  host.with("system").default_device = 0;
  auto h = Harness::make();
  if (output == Output::None) return h;
  h.app.audio_engine.emplace(engine_on(host));
  if (output == Output::Lost) {
    host.client->error("JACK server shut down: gone", true);
    EXPECT_TRUE(h.app.notice_device_loss());
  }
  return h;
}

// Before, with no output to play and report the transport, MIDI Start left "[>]" in the header,
// and Space could not clear it.
TEST(AppMidi, StartAndStopDriveTheTransportShownAtOnceOnlyWhereAnOutputPlaysIt) {
  for (const auto& [output, shown_playing] :
       {std::pair{Output::Working, true}, {Output::None, false}, {Output::Lost, false}}) {
    test_support::FakeHost host;
    auto h = harness_with(output, host);
    h.app.route_midi(midi::MidiEvent::Start{}, Clock::now());
    EXPECT_EQ(h.app.playing, shown_playing) << static_cast<int>(output);
    h.app.route_midi(midi::MidiEvent::Stop{}, Clock::now());
    EXPECT_FALSE(h.app.playing);
    EXPECT_EQ(take_sent(h).lines, (std::vector<std::string>{"other", "other"}));
  }
}

// Before, a stalled terminal let MIDI pile up, and one pass pushed it all into the ring, which
// dropped what it could not hold: note-offs too, so notes sounded on.
TEST(AppMidi, ABacklogWaitsForRoomInTheRingOfAWorkingOutputAndIsDroppedWithoutOne) {
  // A note held on track 1 while 600 notes come and go on track 2: more than the ring holds.
  std::vector<midi::MidiEvent> backlog{midi::MidiEvent::NoteOn{0, 48, 100}};
  std::vector<std::string> routed{"on 0 48 100"};
  for (int i = 0; i < 600; ++i) {
    backlog.insert(backlog.end(),
                   {midi::MidiEvent::NoteOn{1, 60, 90}, midi::MidiEvent::NoteOff{1, 60}});
    routed.insert(routed.end(), {"on 1 60 90", "off 1 60"});
  }
  backlog.push_back(midi::MidiEvent::NoteOff{0, 48});
  routed.push_back("off 0 48");
  ASSERT_GT(routed.size(), messages::kRingCapacity);

  for (const auto& [output, arriving] :
       {std::pair{Output::Working, routed.size()}, {Output::None, messages::kRingCapacity}}) {
    test_support::FakeHost host;
    auto h = harness_with(output, host);
    h.app.midi_input = midi::native::MidiInput::unconnected();
    for (const auto& event : backlog) h.app.midi_input->queue().push(event);

    std::vector<std::string> sent;
    while (h.app.drain_midi()) {  // the ring is read only between passes, as by a stalled engine
      const auto pass = take_sent(h).lines;
      EXPECT_LE(pass.size(), messages::kRingCapacity);
      sent.insert(sent.end(), pass.begin(), pass.end());
    }
    EXPECT_EQ(sent, std::vector(routed.begin(), routed.begin() + arriving))
        << static_cast<int>(output);
  }
}

// Before, notes whose note-offs the full MIDI queue dropped sounded on until Play and Stop.
TEST(AppMidi, AnOverflowedQueueEndsEveryNoteAndPedalThatMidiHolds) {
  test_support::FakeHost host;
  auto h = harness_with(Output::Working, host);
  h.app.midi_input = midi::native::MidiInput::unconnected();
  auto& queue = h.app.midi_input->queue();
  const std::vector<midi::MidiEvent> held{
      midi::MidiEvent::ControlChange{0, 64, 127}, midi::MidiEvent::NoteOn{0, 48, 100},
      midi::MidiEvent::NoteOn{1, 50, 100}, midi::MidiEvent::NoteOff{1, 50},
      midi::MidiEvent::NoteOn{2, 62, 100}};
  for (const auto& event : held) queue.push(event);
  for (std::size_t i = held.size(); i < queue.capacity; ++i) {
    queue.push(midi::MidiEvent::PitchBend{0, 0});  // routed nowhere
  }
  queue.push(midi::MidiEvent::NoteOff{0, 48});  // lost, as is the pedal's release
  queue.push(midi::MidiEvent::ControlChange{0, 64, 0});

  test_support::LogCapture log("quorvelan::midi::native");
  while (h.app.drain_midi()) {
  }
  EXPECT_EQ(take_sent(h).lines,
            (std::vector<std::string>{"sustain 0 1", "on 0 48 100", "on 1 50 100", "off 1 50",
                                      "on 2 62 100", "sustain 0 0", "off 0 48", "off 2 62"}));
  EXPECT_EQ(log.lines(), std::vector<std::string>{"error MIDI input overflowed: dropped 2 events"});
}

// Feeds clocks at a steady tempo and returns the tempo after each quarter note.
std::vector<double> follow(App& app, double source_bpm, int quarters, Clock::time_point& now) {
  std::vector<double> tempos;
  const auto tick = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(60.0 / source_bpm / 24.0));
  app.route_midi(midi::MidiEvent::Clock{}, now);
  for (int q = 0; q < quarters; ++q) {
    for (int i = 0; i < 24; ++i) {
      now += tick;
      app.route_midi(midi::MidiEvent::Clock{}, now);
    }
    tempos.push_back(app.bpm);
  }
  return tempos;
}

TEST(AppClock, FollowsTheSourceTempoInTruncatedStepsAndSettlesBelowIt) {
  auto h = Harness::make();
  h.app.clock_sync = true;
  auto now = Clock::now();
  auto tempos = follow(h.app, 128.0, 40, now);
  EXPECT_DOUBLE_EQ(tempos[0], 121.2);
  EXPECT_DOUBLE_EQ(tempos[1], 122.2);
  EXPECT_DOUBLE_EQ(tempos[2], 123.0);
  EXPECT_DOUBLE_EQ(tempos[3], 123.7);
  EXPECT_DOUBLE_EQ(tempos.back(), 127.4);
}

TEST(AppClock, WithoutFollowingClocksChangeNothing) {
  auto h = Harness::make();
  auto now = Clock::now();
  follow(h.app, 200.0, 4, now);
  EXPECT_EQ(h.app.bpm, 120.0);
  EXPECT_TRUE(h.drain_sent().empty());
}

TEST(AppClock, APauseBetweenStopAndStartDoesNotPullTheTempoDown) {
  auto h = Harness::make();
  h.app.clock_sync = true;
  h.app.bpm = 128.0;
  auto now = Clock::now();
  follow(h.app, 128.0, 2, now);
  for (int i = 0; i < 10; ++i) h.app.route_midi(midi::MidiEvent::Clock{}, now += 20ms);
  h.app.route_midi(midi::MidiEvent::Stop{}, now);
  now += 10s;  // the pause
  h.app.route_midi(midi::MidiEvent::Start{}, now);
  auto tempos = follow(h.app, 128.0, 2, now);
  EXPECT_GT(tempos.front(), 127.0);
}

TEST(AppPatternSync, AChangedPatternIsSentOnceAsABoxedCopy) {
  auto h = Harness::make();
  h.app.flush_pattern_sync();
  EXPECT_TRUE(h.drain_sent().empty());
  h.app.dirty = true;
  h.app.flush_pattern_sync();
  h.app.flush_pattern_sync();
  std::vector<messages::AudioMessage> sent;
  while (auto message = h.sent.pop()) sent.push_back(*message);
  ASSERT_EQ(sent.size(), 1u);
  auto* box = messages::get_if<messages::AudioMessage::SetPattern>(sent[0]);
  ASSERT_TRUE(box);
  auto pattern = box->pattern.take();
  EXPECT_EQ(*pattern, h.app.current_pattern_ref());
  EXPECT_FALSE(h.app.dirty);
}

TEST(AppKeys, ProjectListMovesWithinItsRowsAndQuitsOnlyWithCtrl) {
  auto h = Harness::make({"alpha", "beta"});
  h.app.handle_key(key(term::KeyCode::Up));
  EXPECT_EQ(h.app.project_row, 0u);
  for (int i = 0; i < 5; ++i) h.app.handle_key(ch('j'));
  EXPECT_EQ(h.app.project_row, 2u);
  h.app.handle_key(ctrl('k'));
  EXPECT_EQ(h.app.project_row, 1u);
  h.app.handle_key(ch('q'));
  EXPECT_FALSE(h.app.should_quit);
  h.app.handle_key(ctrl('q'));
  EXPECT_TRUE(h.app.should_quit);
}

// The engine starts every track on its own LP2 filter; the patch shown has LP1.
bool sends_lp1_to_every_track(const std::vector<std::string>& sent) {
  return std::ranges::all_of(std::array{0, 1, 2, 3}, [&](int track) {
    return std::ranges::count(sent, fmt::format("synth {} 40 0.000", track)) == 1;
  });
}

// The engine starts with sounds of its own (sends, filters): a new project, and the first engine
// from its first note, must play what the screen shows.
void expect_the_whole_sound_shown(const Harness& h, const std::vector<std::string>& sent) {
  EXPECT_TRUE(h.app.dirty) << "the pattern follows on the next pass";
  // Tempo, 4 x 53 patch values, 19 effect values, 4 x 6 mixer values, the LFO box, master volume.
  EXPECT_EQ(sent.size(), 1u + 4 * 53 + 19 + 24 + 1 + 1);
  EXPECT_TRUE(sends_lp1_to_every_track(sent));
  EXPECT_EQ(std::ranges::count(sent, "send 0 0.000"), 4) << "the chorus send shown is 0 %";
}

TEST(AppKeys, NewProjectOpensTheSequencerSendsTheWholeSoundShownAndThePatternNextPass) {
  auto h = Harness::make({"alpha"});
  h.app.handle_key(key(term::KeyCode::Enter));
  EXPECT_EQ(h.app.view, View::Seq);
  EXPECT_FALSE(h.app.project_name.has_value());
  expect_the_whole_sound_shown(h, take_sent(h).lines);
  h.app.handle_key(ctrl('c'));
  EXPECT_TRUE(h.app.should_quit);
}

// Before, a note played on the project list came out louder and with effect tails of the
// engine's own.
TEST(AppStart, TheFirstEngineIsSentTheWholeSoundShownAndThePatternNextPass) {
  test_support::FakeHost host;
  host.with("system").default_device = 0;
  auto h = Harness::make({}, engine_on(host));
  expect_the_whole_sound_shown(h, take_sent(h).lines);
}

TEST(AppKeys, MasterVolumeStopsAtItsEnds) {
  auto h = Harness::make();
  h.app.view = View::Seq;
  for (int i = 0; i < 50; ++i) h.app.handle_key(ch('+', term::KeyModifier::Shift));
  EXPECT_FLOAT_EQ(h.app.master_volume, 4.0f);
  for (int i = 0; i < 50; ++i) h.app.handle_key(ch('-'));
  EXPECT_FLOAT_EQ(h.app.master_volume, 0.0f);
}

TEST(AppKeys, CopyAndPasteAPattern) {
  auto h = Harness::make();
  h.app.view = View::Seq;
  h.app.handle_key(ctrl('v'));
  EXPECT_EQ(h.app.status->text, "No pattern in clipboard");
  h.app.handle_key(ctrl('y'));
  EXPECT_EQ(h.app.status->text, "Copied pattern 1");
  h.app.patterns[0] = std::make_shared<Pattern>(Pattern::default_pattern());
  h.app.handle_key(ctrl('v'));
  EXPECT_EQ(h.app.status->text, "Pasted to pattern 1");
  EXPECT_EQ(h.app.current_pattern_ref(), starter_pattern());
  EXPECT_TRUE(h.app.dirty);
}

TEST(AppLfo, SynthTargetsReadThePatchFieldOrTheMixerStripOfTheirTrack) {
  auto h = Harness::make();
  auto& patch = h.app.synth_params[2];
  patch.op_ratios[2] = 3.5f;
  patch.op_end_level[5] = 0.25f;
  patch.op_release[0] = 1.75f;
  patch.algorithm = 7;
  patch.drive = 0.6f;
  h.app.mixer[2].pan = -0.5f;
  h.app.mixer[2].volume = 0.8f;
  auto value = [&](std::uint8_t track, std::uint8_t id) {
    return h.app.get_param_value(lfo::ModTarget::SynthParam{track, id});
  };
  EXPECT_EQ(value(2, 2), 3.5f);
  EXPECT_EQ(value(2, 35), 0.25f);
  EXPECT_EQ(value(2, 49), 1.75f);
  EXPECT_EQ(value(2, 36), 7.0f);
  EXPECT_EQ(value(2, 48), 0.6f);
  EXPECT_EQ(value(2, 46), -0.5f);
  EXPECT_EQ(value(2, 47), 0.8f);
  EXPECT_EQ(value(2, 55), 0.0f);
  EXPECT_EQ(value(4, 2), 0.0f);
}

TEST(AppLfo, EffectTargetsReadTheirEffectsFieldAndUnknownAddressesReadZero) {
  auto h = Harness::make();
  h.app.effects.chorus_depth = 0.3f;
  h.app.effects.delay_mix = 0.45f;
  h.app.effects.reverb_predelay = 0.02f;
  h.app.effects.delay_to_reverb = 0.7f;
  h.app.effects.dj_filter_resonance = 0.9f;
  h.app.effects.delay_ping_pong = true;
  auto value = [&](std::uint8_t effect, std::uint8_t param) {
    return h.app.get_param_value(lfo::ModTarget::EffectParam{effect, param});
  };
  EXPECT_EQ(value(0, 1), 0.3f);
  EXPECT_EQ(value(1, 3), 0.45f);
  EXPECT_EQ(value(2, 3), 0.02f);
  EXPECT_EQ(value(4, 1), 0.7f);
  EXPECT_EQ(value(5, 1), 0.9f);
  EXPECT_EQ(value(1, 4), 0.0f);  // the ping-pong switch is no modulation target
  EXPECT_EQ(value(3, 3), 0.0f);
  EXPECT_EQ(value(0, 17), 0.0f);
}

using AppProjectFiles = test_support::TempHome;

TEST(AppSenders, EffectSettingsGoOutInTheirFixedOrder) {
  auto h = Harness::make();
  h.app.effects.delay_ping_pong = true;
  h.app.apply_effects_params();
  std::vector<std::pair<int, int>> order;
  float ping_pong = -1.0f;
  for (const auto& message : h.drain_sent()) {
    auto* param = messages::get_if<messages::AudioMessage::SetEffectParam>(message);
    ASSERT_TRUE(param);
    order.emplace_back(param->effect, param->param);
    if (param->effect == 1 && param->param == 4) ping_pong = param->value;
  }
  const std::vector<std::pair<int, int>> expected{
      {0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 0}, {2, 1}, {2, 2},
      {2, 3}, {3, 0}, {3, 1}, {3, 2}, {1, 4}, {4, 0}, {4, 1}, {5, 0}, {5, 1}};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(ping_pong, 1.0f);
}

TEST_F(AppProjectFiles, LoadingAProjectReplacesPatternsAndSendsEverySection) {
  auto saved = Harness::make();
  saved.app.bpm = 98.0;
  saved.app.synth_params[2].drive = 0.5f;
  saved.app.mixer[3].muted = true;
  saved.app.midi_channels = {5, 0, 0, 0};
  saved.app.project_name = "groove";
  auto project = saved.app.build_project();
  project.current_pattern = 5;  // beyond the two slots saved below
  project.patterns.push_back(Pattern::default_pattern());
  ASSERT_TRUE(project.save(preset::projects_dir() / "stored-as.json").has_value());

  auto h = Harness::make({"stored-as"});
  h.app.handle_key(key(term::KeyCode::Down));
  h.app.handle_key(key(term::KeyCode::Enter));
  EXPECT_EQ(h.app.view, View::Seq);
  EXPECT_EQ(h.app.project_name, "stored-as");  // the file's name, not the stored one
  EXPECT_EQ(h.app.status->text, "Loaded: stored-as");
  EXPECT_EQ(h.app.patterns.size(), 6u);
  EXPECT_EQ(h.app.current_pattern, 5);
  EXPECT_EQ(h.app.bpm, 98.0);
  EXPECT_FLOAT_EQ(h.app.synth_params[2].drive, 0.5f);
  EXPECT_EQ(h.app.midi_channels[0], 5);
  EXPECT_TRUE(h.app.dirty);
  // One tempo, 4 x 53 patch values, 19 effect values, 4 x 6 mixer values, the LFO box, the master
  // volume.
  EXPECT_EQ(h.drain_sent().size(), 1u + 4 * 53 + 19 + 24 + 1 + 1);
}

TEST_F(AppProjectFiles, AProjectWithoutPatchesPlaysThePatchesShown) {
  auto project = Harness::make().app.build_project();
  project.synth_params.reset();
  ASSERT_TRUE(project.save(preset::projects_dir() / "bare.json").has_value());
  auto h = Harness::make({"bare"});
  h.press({key(term::KeyCode::Down), key(term::KeyCode::Enter)});
  EXPECT_EQ(h.app.status->text, "Loaded: bare");
  EXPECT_TRUE(sends_lp1_to_every_track(take_sent(h).lines));
}

TEST_F(AppProjectFiles, AFailedLoadChangesNothingAndSaysWhy) {
  auto h = Harness::make({"missing"});
  h.app.project_row = 1;
  h.app.handle_key(key(term::KeyCode::Enter));
  EXPECT_EQ(h.app.view, View::Project);
  EXPECT_TRUE(h.app.status->text.starts_with("Load error: "));
  EXPECT_FALSE(h.app.project_name.has_value());
  EXPECT_TRUE(h.drain_sent().empty());
}

TEST_F(AppProjectFiles, AutosaveWritesANamedProjectEveryThirtySeconds) {
  auto h = Harness::make();
  auto start = h.app.last_autosave;
  h.app.autosave_if_due(start + 60s);  // no name: never saved
  EXPECT_FALSE(fs::exists(preset::projects_dir()));

  h.app.project_name = "live";
  h.app.autosave_if_due(start + 29s);
  EXPECT_FALSE(fs::exists(preset::projects_dir() / "live.json"));
  h.app.autosave_if_due(start + 30s);
  auto file = preset::projects_dir() / "live.json";
  ASSERT_TRUE(fs::exists(file));
  EXPECT_EQ(h.app.last_autosave, start + 30s);
  auto loaded = sequencer::project::Project::load(file);
  ASSERT_TRUE(loaded.has_value());
  EXPECT_EQ(loaded->name, "live");

  // A failing autosave says so on screen each time, not only in the log.
  fs::remove(file);
  fs::create_directory(file);
  for (auto due : {start + 60s, start + 90s}) {
    h.app.status.reset();
    h.app.autosave_if_due(due);
    EXPECT_EQ(
        h.app.status.value_or(Status{}).text,
        "Auto-save error: cannot replace " + files::debug_path(file) + ": not a regular file");
  }
}

// ---- Drawing ----

std::string row(const term::TestBackend& backend, int y) { return backend.row(y); }

TEST(AppRender, ProjectPickerIsCentredAndMarksTheSelectedEntry) {
  auto h = Harness::make({"alpha"});
  term::TestBackend backend(80, 24);
  backend.draw([&](term::Buffer& b) { h.app.render_app(b); });
  // 8 lines in a box of width 50, centred: x = 15, y = 8.
  EXPECT_EQ(row(backend, 8).substr(15, 9), "QUORVELAN");
  EXPECT_EQ(row(backend, 12).substr(15, 15), "> + New Project");
  EXPECT_EQ(row(backend, 13).substr(15, 7), "  alpha");
  const auto& selected = backend.cell(15, 12);
  EXPECT_EQ(selected.background, h.app.theme.selected_bg);
  EXPECT_TRUE(term::contains(selected.modifiers, term::Modifier::Bold));
  EXPECT_EQ(backend.cell(0, 0).background, term::Color::hex(0x181825));
  EXPECT_EQ(row(backend, 15).substr(15, 46), "Up/Down: navigate  Enter: select  Ctrl+Q: quit");

  // A failed load keeps the player here: its reason shows in the status row.
  h.app.set_status("Load error: broken");
  backend.draw([&](term::Buffer& b) { h.app.render_app(b); });
  EXPECT_EQ(row(backend, 22).substr(0, 22), " [Load error: broken] ");
  EXPECT_EQ(backend.cell(0, 22).background, h.app.theme.status_bg);
}

TEST(AppRender, HeaderShowsTabsTempoTransportAndMeters) {
  auto h = Harness::make();
  h.app.view = View::Seq;
  h.app.bpm = 120.4;
  h.app.meters[0] = {0.07f, 0.08f};
  h.app.meters[1] = {1.0f, 5.0f};
  h.app.meters[2] = {1.0f / 14.0f, 5.0f / 14.0f};  // half and two and a half sevenths: round up
  h.app.playing = true;
  term::TestBackend backend(120, 10);
  backend.draw([&](term::Buffer& b) { h.app.render_app(b); });
  EXPECT_EQ(row(backend, 0),
            " QUORVELAN  [SEQ]  OPS  FLT  AMP   FX    LFO    MIX    SET    BPM:120  [>]  ▁▂ ██ ▂▄ ▁▁" +
                std::string(120 - 87, ' '));
  EXPECT_EQ(backend.cell(12, 0).background, h.app.theme.selected_bg);
}

TEST(AppRender, StatusRowShowsPositionTempoAndARecentMessage) {
  auto h = Harness::make();
  h.app.view = View::Seq;
  h.app.set_status("Saved: x");
  term::TestBackend backend(100, 10);
  backend.draw([&](term::Buffer& b) { h.app.render_app(b); });
  EXPECT_EQ(row(backend, 8).substr(0, 74),
            " NORMAL   Pat:A01  Trk:1/4  Oct:4  Step:01/16  BPM:120  [Saved: x]" +
                std::string(8, ' '));
  EXPECT_EQ(backend.cell(1, 8).background, term::colors::green);
  h.app.status->set_at -= 2s;
  h.app.editing = true;
  backend.draw([&](term::Buffer& b) { h.app.render_app(b); });
  EXPECT_EQ(row(backend, 8).find("Saved"), std::string::npos);
  EXPECT_EQ(backend.cell(1, 8).background, term::colors::red);
}

TEST(AppRender, ThemeToggleSwitchesPalettesBackAndForth) {
  views::Theme theme = views::Theme::dark();
  theme.toggle();
  EXPECT_EQ(theme.bg, term::Color::hex(0xEFF1F5));
  EXPECT_TRUE(theme.light);
  theme.toggle();
  EXPECT_EQ(theme, views::Theme::dark());
}

TEST(AppRender, ATinyTerminalDrawsWithoutLeavingTheBuffer) {
  auto h = Harness::make({"a-project-with-a-long-name"});
  for (View view : {View::Project, View::Seq}) {
    h.app.view = view;
    for (auto [w, height] : {std::pair{10, 3}, {1, 1}, {0, 0}, {3, 10}}) {
      term::TestBackend backend(static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(height));
      backend.draw([&](term::Buffer& b) { h.app.render_app(b); });
    }
  }
}

}  // namespace
}  // namespace quorvelan::ui::app
