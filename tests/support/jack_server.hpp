#pragma once
// A JACK server of the test's own (the dummy driver, through the scripts in tests/jack), named
// after the build folder like the fixture's, as test runs of several build trees may overlap. It is
// stopped however the test ends, and stopping it leaves nothing in JACK's registry.

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace test_support {

class PrivateServer {
 public:
  explicit PrivateServer(bool start_now = true)
      : name_(QUORVELAN_JACK_PRIVATE_SERVER),
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

  // The start script waits out a full table of servers itself.
  bool start() { return started_ = run_script("start-server.sh", name_ + " " + pidfile_) == 0; }
  // Through the stop script, which returns once the server has ended and left the registry.
  bool stop() { return run_script("stop-server.sh", pidfile_) == 0; }

  // Points the JACK clients this process opens at this server, until it is destroyed.
  void make_default() {
    const char* previous = std::getenv("JACK_DEFAULT_SERVER");
    previous_default_ = previous != nullptr ? previous : "default";
    setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
  }

 private:
  static int run_script(const std::string& script, const std::string& arguments) {
    return std::system((std::string(QUORVELAN_JACK_SCRIPTS) + "/" + script + " " + arguments + " " +
                        QUORVELAN_JACK_SWEEP)
                           .c_str());
  }

  std::string name_;
  std::string pidfile_;
  bool started_;
  std::optional<std::string> previous_default_;
};

}  // namespace test_support
