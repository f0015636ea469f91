// The engine outlives its device: a JACK server of this test's own is stopped under a running
// engine. Its own server, so that the shared test server stays up for the others.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "audio/engine.hpp"
#include "audio/messages.hpp"
#include "support/log_capture.hpp"

namespace {

using namespace std::chrono_literals;
using quorvelan::audio::engine::AudioEngine;
namespace messages = quorvelan::audio::messages;

int run_script(const std::string& script, const std::string& arguments) {
  return std::system((std::string(QUORVELAN_JACK_SCRIPTS) + "/" + script + " " + arguments + " " +
                      QUORVELAN_JACK_SWEEP)
                         .c_str());
}

// A server named after the build folder, as test runs of several build trees may overlap; it is
// stopped however the test ends, and stopping it leaves nothing in JACK's registry.
class PrivateServer {
 public:
  PrivateServer()
      : pidfile_(std::string(QUORVELAN_TEST_BINARY_DIR) + "/jackd-" + name_ + ".pid"),
        started_(run_script("start-server.sh", name_ + " " + pidfile_) == 0) {}
  ~PrivateServer() {
    stop();
    std::filesystem::remove(pidfile_ + ".log");
  }
  PrivateServer(const PrivateServer&) = delete;
  PrivateServer& operator=(const PrivateServer&) = delete;

  [[nodiscard]] bool started() const { return started_; }
  [[nodiscard]] const std::string& name() const { return name_; }
  bool stop() { return run_script("stop-server.sh", pidfile_) == 0; }

 private:
  std::string name_ = QUORVELAN_JACK_LOSS_SERVER;
  std::string pidfile_;
  bool started_;
};

bool logged_stream_error(const test_support::LogCapture& log) {
  for (const auto& line : log.lines()) {
    if (line.starts_with("error Audio stream error: ")) return true;
  }
  return false;
}

TEST(AudioEngineServerLoss, ALostServerIsLoggedAndTheEngineStillDropsCleanly) {
  PrivateServer server;
  ASSERT_TRUE(server.started());
  setenv("JACK_DEFAULT_SERVER", server.name().c_str(), 1);
  const test_support::LogCapture log("quorvelan::audio::engine");

  auto [commands, command_end] = messages::make_audio_ring();
  auto [feedback_end, feedback] = messages::make_feedback_ring();
  auto engine = AudioEngine::create("system", std::move(command_end), std::move(feedback_end));
  ASSERT_TRUE(engine) << engine.error().message();
  std::this_thread::sleep_for(200ms);

  ASSERT_TRUE(server.stop());
  const auto stopped = std::chrono::steady_clock::now();
  while (!logged_stream_error(log) && std::chrono::steady_clock::now() - stopped < 5s) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_TRUE(logged_stream_error(log));
  commands.push(messages::note_on(0, 60, 100));  // nobody listens; must not matter

  std::optional<AudioEngine> dropped = std::move(*engine);
  dropped.reset();
  while (feedback.pop()) {
  }
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(feedback.pop()) << "feedback after the engine was dropped";
}

}  // namespace
