#include "jack/client.hpp"

#include <jack/jack.h>

namespace quorvelan::jack {

bool server_runs() {
  jack_status_t status{};
  jack_client_t* client = jack_client_open("Quorvelan-probe", JackNoStartServer, &status);
  if (client != nullptr) jack_client_close(client);
  // JackServerFailed: nothing answered the connection at all.
  return client != nullptr || (status & JackServerFailed) == 0;
}

std::unique_ptr<Client> Client::open(const char* name, OnShutdown on_shutdown) {
  jack_client_t* handle =
      patiently([name] { return jack_client_open(name, JackNoStartServer, nullptr); });
  if (handle == nullptr) return nullptr;
  std::unique_ptr<Client> client(new Client(handle, std::move(on_shutdown)));
  jack_on_info_shutdown(
      handle,
      [](jack_status_t code, const char* reason, void* self) {
        shutdown_callback(static_cast<int>(code), reason, self);
      },
      client.get());
  return client;
}

Client::~Client() {
  if (server_gone()) {
    // The library may have freed the client already. The thread that reports the shutdown must
    // still be through with our code before this object goes.
    using namespace std::chrono_literals;
    for (int tries = 0; tries < 200 && !reported_.load(std::memory_order_acquire); ++tries) {
      std::this_thread::sleep_for(10ms);
    }
    return;
  }
  // Closing deactivates the client before its ports go: no callback runs on them meanwhile.
  jack_client_close(client_);
}

void Client::shutdown_callback(int, const char* reason, void* self) {
  auto& client = *static_cast<Client*>(self);
  client.server_gone_.store(true, std::memory_order_release);
  if (client.on_shutdown_) client.on_shutdown_(reason != nullptr ? reason : "");
  client.reported_.store(true, std::memory_order_release);
}

}  // namespace quorvelan::jack
