#pragma once
// A JACK client that records two input ports connected from another client's outputs: what a
// listener at the device would hear.

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

namespace test_support {

class JackRecorder {
 public:
  // Connects to the running server; `ok()` tells whether it could.
  explicit JackRecorder(std::size_t max_frames);
  ~JackRecorder();
  JackRecorder(const JackRecorder&) = delete;
  JackRecorder& operator=(const JackRecorder&) = delete;

  [[nodiscard]] bool ok() const { return client_ != nullptr; }
  // Connects the first two output ports of the client whose name starts with `client` to the
  // recorder's inputs. False when there are fewer than two or a connection fails.
  bool connect_from(const std::string& client);
  // The ports that each output port of that client plays into, in the server's order.
  [[nodiscard]] std::vector<std::vector<std::string>> connections_from(
      const std::string& client) const;
  [[nodiscard]] std::size_t sample_rate() const;

  void start() { recording_.store(true, std::memory_order_release); }
  void stop() { recording_.store(false, std::memory_order_release); }
  // Frames recorded so far; the samples below them are final.
  [[nodiscard]] std::size_t frames() const { return frames_.load(std::memory_order_acquire); }
  [[nodiscard]] const std::vector<float>& channel(std::size_t index) const {
    return channels_[index];
  }

 private:
  static int process(jack_nframes_t frames, void* self);
  // The audio output ports of the client whose name starts with `client`, in the server's order.
  [[nodiscard]] std::vector<std::string> outputs_of(const std::string& client) const;

  jack_client_t* client_ = nullptr;
  std::array<jack_port_t*, 2> ports_{};
  std::array<std::vector<float>, 2> channels_;
  std::atomic<std::size_t> frames_{0};
  std::atomic<bool> recording_{false};
};

}  // namespace test_support
