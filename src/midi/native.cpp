#include "midi/native.hpp"

#include <RtMidi.h>
#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <array>

#include "error.hpp"
#include "log.hpp"
#include "midi/event_queue.hpp"
#include "midi/jack_input.hpp"

namespace quorvelan::midi::native {
namespace {

constexpr const char* kLogTarget = "quorvelan::midi::native";
constexpr const char* kScanClientName = "Quorvelan-scan";
constexpr const char* kClientName = "Quorvelan";
constexpr const char* kInputPortName = "quorvelan-input";

// In order of preference. A system that cannot even create a client (an ALSA sequencer without
// its device) gives way to the next; JACK comes last because a JACK client can always be made,
// merely finding no ports while no server runs.
constexpr std::array kPreferredApis{RtMidi::MACOSX_CORE, RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK};

std::optional<RtMidi::Api> probe_api() {
  std::vector<RtMidi::Api> compiled;
  RtMidi::getCompiledApi(compiled);
  for (const auto api : kPreferredApis) {
    if (std::ranges::find(compiled, api) == compiled.end()) continue;
    try {
      RtMidiIn probe(api, kScanClientName);
      return api;
    } catch (const RtMidiError&) {
    }
  }
  return std::nullopt;
}

// Chosen once, so that listing and opening always count ports on the same system.
std::optional<RtMidi::Api> chosen_api() {
  static const std::optional<RtMidi::Api> api = probe_api();
  return api;
}

Result<std::unique_ptr<RtMidiIn>> open_client(const char* name) {
  const auto api = chosen_api();
  if (!api) return fail("MIDI support could not be initialized");
  try {
    return std::make_unique<RtMidiIn>(*api, name);
  } catch (const RtMidiError& error) {
    return fail(error.getMessage());
  }
}

std::size_t port_count(RtMidiIn& client) {
  try {
    return client.getPortCount();
  } catch (const RtMidiError&) {
    return 0;
  }
}

std::vector<std::string> read_port_names(RtMidiIn& client, std::size_t count) {
  return port_names(count, [&client](std::size_t position) -> std::optional<std::string> {
    try {
      return client.getPortName(static_cast<unsigned int>(position));
    } catch (const RtMidiError&) {
      return std::nullopt;
    }
  });
}

// Runs on the one thread that hears the port, the queue's only writer: RtMidi's callback thread,
// which calls for one message at a time, or the JACK process thread.
void queue_message(std::span<const std::uint8_t> message, void* queue) {
  if (const auto event = parse(message)) static_cast<EventQueue*>(queue)->push(*event);
}

void on_rtmidi_message(double /*time_stamp*/, std::vector<unsigned char>* message, void* queue) {
  queue_message(*message, queue);
}

// The name of the port at `position`, logged as the one being connected to; nothing, with the
// reason logged, when there is no such port.
std::optional<std::string> port_to_connect(std::vector<std::string> names, std::size_t position) {
  const auto log = log::target(kLogTarget);
  if (position >= names.size()) {
    if (names.empty()) {
      log->info("No MIDI input ports available");
    } else {
      log->info("MIDI port index {} out of range ({})", position, names.size());
    }
    return std::nullopt;
  }
  log->info("Connecting to MIDI port {}: {}", position, names[position]);
  return std::move(names[position]);
}

}  // namespace

// Member order matters: the client is destroyed first, which closes the port and stops the
// callback before the queue it writes into is freed.
struct MidiInput::Connection {
  EventQueue events;
  std::unique_ptr<RtMidiIn> client;             // an ALSA sequencer or CoreMIDI client
  std::unique_ptr<jack_input::JackInput> jack;  // or a JACK client
};

std::vector<std::string> port_names(
    std::size_t count, const std::function<std::optional<std::string>(std::size_t)>& read_name) {
  std::vector<std::string> names;
  names.reserve(count);
  for (std::size_t position = 0; position < count; ++position) {
    auto name = read_name(position);
    names.push_back(name && !name->empty() ? std::move(*name)
                                           : fmt::format("(unnamed port {})", position));
  }
  return names;
}

std::vector<std::string> list_midi_ports() {
  const auto log = log::target(kLogTarget);
  std::vector<std::string> names;
  if (chosen_api() == RtMidi::UNIX_JACK) {
    if (const auto client = jack_input::JackInput::open(kScanClientName)) names = client->sources();
  } else {
    auto client = open_client(kScanClientName);
    if (!client) {
      log->warn("Failed to create MIDI input for scanning: {}", client.error().message());
      return {};
    }
    names = read_port_names(**client, port_count(**client));
  }
  log->info("MIDI ports found: {} {}", names.size(), names);
  return names;
}

std::optional<MidiInput> MidiInput::new_with_port(std::size_t position) {
  if (chosen_api() == RtMidi::UNIX_JACK) return new_with_jack_port(position);
  auto client = open_client(kClientName);
  if (!client) return std::nullopt;
  RtMidiIn& input = **client;
  // Clock, start and stop are timing messages: without this they never reach the callback.
  input.ignoreTypes(false, false, false);
  auto name = port_to_connect(read_port_names(input, port_count(input)), position);
  if (!name) return std::nullopt;
  auto connection = std::make_unique<Connection>();
  connection->client = std::move(*client);
  try {
    input.setCallback(&on_rtmidi_message, &connection->events);
    input.openPort(static_cast<unsigned int>(position), kInputPortName);
  } catch (const RtMidiError&) {
    return std::nullopt;
  }
  return MidiInput(std::move(connection), std::move(*name));
}

std::optional<MidiInput> MidiInput::new_with_jack_port(std::size_t position) {
  auto connection = std::make_unique<Connection>();
  connection->jack = jack_input::JackInput::open(kClientName);
  // No server answering counts as no ports, as RtMidi would have it.
  auto sources = connection->jack ? connection->jack->sources() : std::vector<std::string>{};
  auto name = port_to_connect(std::move(sources), position);
  if (!name ||
      !connection->jack->listen(*name, kInputPortName, &queue_message, &connection->events)) {
    return std::nullopt;
  }
  return MidiInput(std::move(connection), std::move(*name));
}

MidiInput::MidiInput(std::unique_ptr<Connection> connection, std::string port_name)
    : connection_(std::move(connection)), port_name_(std::move(port_name)) {}

MidiInput::MidiInput(MidiInput&&) noexcept = default;
MidiInput& MidiInput::operator=(MidiInput&&) noexcept = default;
MidiInput::~MidiInput() = default;

MidiInput MidiInput::unconnected() { return MidiInput(std::make_unique<Connection>(), ""); }

std::optional<MidiEvent> MidiInput::try_receive() {
  if (!connection_) return std::nullopt;
  return connection_->events.pop();
}

EventQueue& MidiInput::queue() { return connection_->events; }

}  // namespace quorvelan::midi::native
