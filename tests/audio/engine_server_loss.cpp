// The engine outlives its device: a JACK server of this test's own is stopped under a running
// engine and MIDI input, and started again. Its own server, so that the shared test server stays
// up for the others.

#include <RtMidi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <span>
#include <string>
#include <thread>

#include "audio/engine.hpp"
#include "audio/engine_jack_recorder.hpp"
#include "audio/messages.hpp"
#include "midi/native.hpp"
#include "support/jack_server.hpp"
#include "support/log_capture.hpp"

namespace {

using namespace std::chrono_literals;
using quorvelan::audio::engine::AudioEngine;
namespace messages = quorvelan::audio::messages;

// Waits up to 5 s for the engine to log that its stream was lost.
bool stream_error_logged(const test_support::LogCapture& log) {
  const auto logged = [&log] {
    return std::ranges::any_of(log.lines(), [](const std::string& line) {
      return line.starts_with("error Audio stream error: ");
    });
  };
  for (int tries = 0; tries < 500 && !logged(); ++tries) std::this_thread::sleep_for(10ms);
  return logged();
}

bool listed(const std::vector<std::string>& names, const std::string& name) {
  return std::ranges::find(names, name) != names.end();
}

// First in this program, so that the audio back end is first chosen while no server runs.
TEST(AudioEngineServerLoss, WhatRanOnAServerThatLeftGoesQuietlyAndItsReturnIsHeard) {
  if (std::filesystem::exists("/dev/snd/seq")) GTEST_SKIP() << "MIDI runs on the ALSA sequencer";
  test_support::PrivateServer server(false);
  server.make_default();
  EXPECT_FALSE(listed(AudioEngine::list_output_devices(), "system"));
  ASSERT_TRUE(server.start());
  EXPECT_TRUE(listed(AudioEngine::list_output_devices(), "system"));

  const test_support::LogCapture log("quorvelan::audio::engine");
  const auto midi_input = [] {
    const auto ports = quorvelan::midi::native::list_midi_ports();
    const auto found = std::ranges::find(ports, "quorvelan-test-sender:out");
    return quorvelan::midi::native::MidiInput::new_with_port(found - ports.begin());
  };
  auto [commands, command_end] = messages::make_audio_ring();
  auto [feedback_end, feedback] = messages::make_feedback_ring();
  std::optional<RtMidiOut> sender(std::in_place, RtMidi::UNIX_JACK, "quorvelan-test-sender");
  sender->openVirtualPort("out");
  auto old_engine = AudioEngine::create("default", std::move(command_end), std::move(feedback_end));
  auto old_midi = midi_input();
  ASSERT_TRUE(old_engine && old_midi);

  ASSERT_TRUE(server.stop());
  ASSERT_TRUE(stream_error_logged(log));
  sender.reset();  // the test's own client goes before any other opens
  // Listing opens clients, and the JACK library then frees every client left on the gone server.
  EXPECT_FALSE(listed(AudioEngine::list_output_devices(), "system"));
  ASSERT_TRUE(server.start());
  ASSERT_TRUE(listed(AudioEngine::list_output_devices(), "default"));
  auto [new_commands, new_command_end] = messages::make_audio_ring();
  auto [new_feedback_end, new_feedback] = messages::make_feedback_ring();
  auto new_engine =
      AudioEngine::create("default", std::move(new_command_end), std::move(new_feedback_end));
  ASSERT_TRUE(new_engine) << new_engine.error().message();
  old_engine = std::unexpected(quorvelan::Error("dropped"));
  old_midi.reset();

  test_support::JackRecorder recorder(48000);
  ASSERT_TRUE(recorder.ok() && recorder.connect_from("Quorvelan"));
  new_commands.push(messages::note_on(0, 69, 100));
  recorder.start();
  std::this_thread::sleep_for(300ms);
  recorder.stop();
  const std::span<const float> heard(recorder.channel(0).data(), recorder.frames());
  EXPECT_TRUE(std::ranges::any_of(heard, [](float x) { return std::fabs(x) > 1e-3f; }))
      << "the engine on the returned server is silent";

  const auto dropping = std::chrono::steady_clock::now();
  new_engine = std::unexpected(quorvelan::Error("dropped"));
  EXPECT_LT(std::chrono::steady_clock::now() - dropping, 1s);
}

TEST(AudioEngineServerLoss, ALostServerIsLoggedAndTheEngineStillDropsCleanly) {
  test_support::PrivateServer server;
  ASSERT_TRUE(server.started());
  server.make_default();
  const test_support::LogCapture log("quorvelan::audio::engine");

  auto [commands, command_end] = messages::make_audio_ring();
  auto [feedback_end, feedback] = messages::make_feedback_ring();
  auto engine = AudioEngine::create("system", std::move(command_end), std::move(feedback_end));
  ASSERT_TRUE(engine) << engine.error().message();
  std::this_thread::sleep_for(200ms);

  ASSERT_TRUE(server.stop());
  EXPECT_TRUE(stream_error_logged(log));
  commands.push(messages::note_on(0, 60, 100));  // nobody listens; must not matter

  std::optional<AudioEngine> dropped = std::move(*engine);
  dropped.reset();
  while (feedback.pop()) {
  }
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(feedback.pop()) << "feedback after the engine was dropped";
}

}  // namespace
