// With no sound server and no sound card the engine fails at once with a clear error.

#include <gtest/gtest.h>

#include <chrono>

#include "audio/engine.hpp"
#include "audio/messages.hpp"

namespace {

using quorvelan::audio::engine::AudioEngine;
namespace messages = quorvelan::audio::messages;

TEST(AudioEngineWithoutDevices, CreationFailsCleanlyAndQuickly) {
  // The test's environment names a JACK server and a PulseAudio server that do not exist.
  if (!AudioEngine::list_output_devices().empty()) GTEST_SKIP() << "this machine has a sound card";
  auto [commands, command_end] = messages::make_audio_ring();
  auto [feedback_end, feedback] = messages::make_feedback_ring();
  const auto started = std::chrono::steady_clock::now();
  const auto engine =
      AudioEngine::create(std::nullopt, std::move(command_end), std::move(feedback_end));
  ASSERT_FALSE(engine);
  EXPECT_EQ(engine.error().message(), "No default audio device available");
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

}  // namespace
