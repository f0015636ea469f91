#pragma once
// Notices when the JACK server goes away. RtAudio closes its JACK stream on its own thread when
// that happens and tells nobody, so a small client of our own listens for the shutdown.

#include <atomic>
#include <functional>
#include <memory>
#include <string>

struct _jack_client;

namespace quorvelan::audio::jack_watch {

class JackWatch {
 public:
  using OnShutdown = std::function<void(const std::string& reason)>;

  // Connects to the running server (never starts one); null when no server answers.
  // `on_shutdown` runs once, on a JACK thread, when the server shuts down.
  static std::unique_ptr<JackWatch> start(OnShutdown on_shutdown);
  ~JackWatch();
  JackWatch(const JackWatch&) = delete;
  JackWatch& operator=(const JackWatch&) = delete;

  [[nodiscard]] bool server_gone() const { return server_gone_.load(std::memory_order_acquire); }

 private:
  explicit JackWatch(OnShutdown on_shutdown) : on_shutdown_(std::move(on_shutdown)) {}
  static void shutdown_callback(int status, const char* reason, void* watch);

  _jack_client* client_ = nullptr;
  OnShutdown on_shutdown_;
  std::atomic<bool> server_gone_{false};
  std::atomic<bool> reported_{false};  // on_shutdown has returned
};

}  // namespace quorvelan::audio::jack_watch
