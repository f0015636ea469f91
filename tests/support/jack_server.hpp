#pragma once
// A JACK server of the test's own (the dummy driver, through the scripts in tests/jack), named
// after the test's process, as test runs of several build trees may overlap. It is stopped however
// the test ends. The test fixture's server should run meanwhile: the start script clears JACK's
// registry of servers when none runs, and a process that outlives a restart cannot follow a new
// registry.

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

namespace test_support {

class PrivateServer {
 public:
  explicit PrivateServer(bool start_now = true)
      : name_("quorvelan-private-" + std::to_string(getpid())),
        pidfile_(std::string(QUORVELAN_TEST_BINARY_DIR) + "/jackd-" + name_ + ".pid"),
        started_(start_now && start()) {}
  ~PrivateServer() {
    stop();
    std::filesystem::remove(pidfile_ + ".log");
    if (previous_default_) setenv("JACK_DEFAULT_SERVER", previous_default_->c_str(), 1);
  }
  PrivateServer(const PrivateServer&) = delete;
  PrivateServer& operator=(const PrivateServer&) = delete;

  [[nodiscard]] bool started() const { return started_; }
  [[nodiscard]] const std::string& name() const { return name_; }

  // JACK runs only a few servers per machine at once; a busy machine may need another try.
  bool start() {
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (run_script("start-server.sh", name_ + " " + pidfile_) == 0) return started_ = true;
      stop();
      std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    return false;
  }
  // Through the stop script: SIGTERM, then SIGKILL if the server has not exited after 5 s.
  bool stop() { return run_script("stop-server.sh", pidfile_) == 0; }

  // Points the JACK clients this process opens at this server, until it is destroyed.
  void make_default() {
    const char* previous = std::getenv("JACK_DEFAULT_SERVER");
    previous_default_ = previous != nullptr ? previous : "default";
    setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
  }

 private:
  static int run_script(const std::string& script, const std::string& arguments) {
    return std::system(
        (std::string(QUORVELAN_JACK_SCRIPTS) + "/" + script + " " + arguments).c_str());
  }

  std::string name_;
  std::string pidfile_;
  bool started_;
  std::optional<std::string> previous_default_;
};

}  // namespace test_support
