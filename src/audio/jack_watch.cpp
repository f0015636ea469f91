#include "audio/jack_watch.hpp"

#include <jack/jack.h>

#include <chrono>
#include <thread>

namespace quorvelan::audio::jack_watch {

std::unique_ptr<JackWatch> JackWatch::start(OnShutdown on_shutdown) {
  std::unique_ptr<JackWatch> watch(new JackWatch(std::move(on_shutdown)));
  jack_status_t status{};
  watch->client_ = jack_client_open("Quorvelan-watch", JackNoStartServer, &status);
  if (watch->client_ == nullptr) return nullptr;
  jack_on_info_shutdown(
      watch->client_,
      [](jack_status_t code, const char* reason, void* self) {
        shutdown_callback(static_cast<int>(code), reason, self);
      },
      watch.get());
  return watch;
}

JackWatch::~JackWatch() {
  if (client_ == nullptr) return;
  // Closing cancels the client's threads; the one that reports the shutdown must be through
  // with our code first, or it would be cancelled in the middle of it.
  using namespace std::chrono_literals;
  for (int tries = 0; tries < 200 && server_gone() && !reported_.load(std::memory_order_acquire);
       ++tries) {
    std::this_thread::sleep_for(10ms);
  }
  jack_client_close(client_);
}

void JackWatch::shutdown_callback(int, const char* reason, void* self) {
  auto& watch = *static_cast<JackWatch*>(self);
  watch.server_gone_.store(true, std::memory_order_release);
  watch.on_shutdown_(reason != nullptr ? reason : "");
  watch.reported_.store(true, std::memory_order_release);
}

}  // namespace quorvelan::audio::jack_watch
