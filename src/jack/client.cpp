#include "jack/client.hpp"

#include <jack/jack.h>
#include <pthread.h>

namespace quorvelan::jack {
namespace {

// Shutdowns heard by any client of ours, in the whole process.
std::atomic<unsigned> shutdowns_heard{0};

}  // namespace

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

Client::Client(_jack_client* client, OnShutdown on_shutdown)
    : client_(client),
      on_shutdown_(std::move(on_shutdown)),
      shutdowns_before_(shutdowns_heard.load(std::memory_order_acquire)) {}

std::vector<std::string> Client::port_names(const char* type, unsigned long flags) const {
  std::vector<std::string> names;
  const char** ports = jack_get_ports(client_, nullptr, type, flags);
  if (ports == nullptr) return names;
  for (std::size_t index = 0; ports[index] != nullptr; ++index) names.emplace_back(ports[index]);
  jack_free(ports);
  return names;
}

bool Client::activate() { return jack_activate(client_) == 0; }

bool Client::server_gone() const {
  return server_gone_.load(std::memory_order_acquire) ||
         shutdowns_heard.load(std::memory_order_acquire) != shutdowns_before_;
}

Client::~Client() {
  if (server_gone()) {
    // The library may have freed the client already. The thread that reports this client's
    // shutdown, if it began to, must still be through with our code before this object goes.
    using namespace std::chrono_literals;
    for (int tries = 0; tries < 200 && server_gone_.load(std::memory_order_acquire) &&
                        !reported_.load(std::memory_order_acquire);
         ++tries) {
      std::this_thread::sleep_for(10ms);
    }
    return;
  }
  // Closing deactivates the client before its ports go: no callback runs on them meanwhile.
  jack_client_close(client_);
}

void Client::shutdown_callback(int, const char* reason, void* self) {
  // The library cancels this thread when it closes the client, which another thread may do while
  // we are still here. Cancelled inside our code, the thread would unwind through a frame that
  // must not throw and end the process; held off, the cancel waits until we are through.
  int cancel_state = 0;
  pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &cancel_state);
  auto& client = *static_cast<Client*>(self);
  client.server_gone_.store(true, std::memory_order_release);
  shutdowns_heard.fetch_add(1, std::memory_order_acq_rel);
  if (client.on_shutdown_) client.on_shutdown_(reason != nullptr ? reason : "");
  client.reported_.store(true, std::memory_order_release);
  pthread_setcancelstate(cancel_state, nullptr);
}

}  // namespace quorvelan::jack
