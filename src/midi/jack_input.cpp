#include "midi/jack_input.hpp"

#include <jack/jack.h>
#include <jack/midiport.h>

namespace quorvelan::midi::jack_input {

std::unique_ptr<JackInput> JackInput::open(const char* client_name) {
  auto client = jack::Client::open(client_name);
  if (!client) return nullptr;
  return std::unique_ptr<JackInput>(new JackInput(std::move(client)));
}

std::vector<std::string> JackInput::sources() const {
  return client_->port_names(JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput);
}

bool JackInput::listen(const std::string& source, const char* port_name, OnMessage on_message,
                       void* context) {
  jack_client_t* client = client_->handle();
  port_ = jack_port_register(client, port_name, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  if (port_ == nullptr) return false;
  on_message_ = on_message;
  context_ = context;
  return jack_set_process_callback(client, &JackInput::process, this) == 0 && client_->activate() &&
         jack_connect(client, source.c_str(), jack_port_name(port_)) == 0;
}

int JackInput::process(std::uint32_t frames, void* self) {
  const auto& input = *static_cast<const JackInput*>(self);
  void* buffer = jack_port_get_buffer(input.port_, frames);
  const std::uint32_t count = jack_midi_get_event_count(buffer);
  for (std::uint32_t index = 0; index < count; ++index) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, buffer, index) != 0) continue;
    input.on_message_({event.buffer, event.size}, input.context_);
  }
  return 0;
}

}  // namespace quorvelan::midi::jack_input
