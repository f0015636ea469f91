#pragma once
// Listening to one MIDI port of the JACK server with a client of our own. RtMidi's JACK input
// drops its port while its client is still active, while the JACK library may be walking the
// client's port list on a thread of its own (answering a latency notification): now and then
// that walk steps into the freed list entry. This client is deactivated before its port goes.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "jack/client.hpp"

struct _jack_port;

namespace quorvelan::midi::jack_input {

class JackInput {
 public:
  // Called on the JACK process thread with each complete message.
  using OnMessage = void (*)(std::span<const std::uint8_t> message, void* context);

  // A client of the running server under `client_name`; null when no server answers.
  static std::unique_ptr<JackInput> open(const char* client_name);

  // The server's MIDI output ports in its order: the sources an input can listen to.
  [[nodiscard]] std::vector<std::string> sources() const;

  // Registers the input port `port_name`, hands each message arriving there to `on_message` and
  // connects `source` to it. False when a step fails.
  bool listen(const std::string& source, const char* port_name, OnMessage on_message,
              void* context);

 private:
  explicit JackInput(std::unique_ptr<jack::Client> client) : client_(std::move(client)) {}
  static int process(std::uint32_t frames, void* self);

  // Destroyed last, so closing the client stops the callback before anything it reads goes.
  std::unique_ptr<jack::Client> client_;
  _jack_port* port_ = nullptr;
  OnMessage on_message_ = nullptr;
  void* context_ = nullptr;
};

}  // namespace quorvelan::midi::jack_input
