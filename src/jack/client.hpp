#pragma once
// Clients of the running JACK server, for the parts of the program that talk to JACK themselves
// (the audio output stream, the MIDI input), and patience with a server that refuses one.
//
// Once any client of the process has heard that the server went away, the JACK library owns every
// client the process had open: the next client the process opens, whoever opens it, closes and
// frees all of them, whether or not they heard it themselves. A client opened before a shutdown
// that any of ours heard is therefore never closed by us, only let go.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

struct _jack_client;

namespace quorvelan::jack {

// Whether a JACK server runs under the name the environment gives, whether or not it accepts a
// client now. Connects a client and lets it go at once.
bool server_runs();

// A JACK server refuses a client now and then while another program, on any server, opens a
// client of the same name: the JACK library names a client's socket after the client and the
// user alone. A step that opens clients and failed (its result tests false) is therefore taken
// again every 100 ms, for up to 1.5 s, as long as a server runs; then its last result stands.
inline constexpr auto retry_interval = std::chrono::milliseconds(100);
inline constexpr auto patience = std::chrono::milliseconds(1500);

template <class Step>
std::invoke_result_t<Step&> patiently(Step step) {
  const auto give_up = std::chrono::steady_clock::now() + patience;
  auto result = step();
  while (!result && std::chrono::steady_clock::now() < give_up && server_runs()) {
    std::this_thread::sleep_for(retry_interval);
    result = step();
  }
  return result;
}

class Client {
 public:
  using OnShutdown = std::function<void(const std::string& reason)>;

  // Connects to the running server (never starts one), patiently; null when it does not answer.
  // `on_shutdown`, if given, runs once on a JACK thread when the server goes away.
  static std::unique_ptr<Client> open(const char* name, OnShutdown on_shutdown = {});

  // Starts the client's part in the server's cycle; only then does the server tell it of an
  // orderly shutdown at once, rather than when its connection finally drops. Callbacks are set
  // before this. False when the server refuses.
  bool activate();

  ~Client();
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  [[nodiscard]] _jack_client* handle() const { return client_; }
  // The server's ports of `type` ("32 bit float mono audio", say) with `flags` (JackPortIsInput,
  // say), in its order.
  [[nodiscard]] std::vector<std::string> port_names(const char* type, unsigned long flags) const;
  // This client's server went away, as far as any client of ours has heard.
  [[nodiscard]] bool server_gone() const;

 private:
  Client(_jack_client* client, OnShutdown on_shutdown);
  static void shutdown_callback(int status, const char* reason, void* self);

  _jack_client* client_;
  OnShutdown on_shutdown_;
  unsigned shutdowns_before_;  // shutdowns heard in the process when this client opened
  std::atomic<bool> server_gone_{false};
  std::atomic<bool> reported_{false};  // on_shutdown has returned
};

}  // namespace quorvelan::jack
