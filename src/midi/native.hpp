#pragma once
// The connection to the system's MIDI set-up: listing input ports and listening to one of them.
// Incoming messages are parsed on the MIDI service's thread and wait in a lock-free queue of fixed
// size until the main thread takes them; what arrives while it is full is dropped and logged.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "midi/mod.hpp"

namespace quorvelan::midi::native {

class EventQueue;

// The names of all MIDI input ports, in the system's order; empty when there is no MIDI system.
std::vector<std::string> list_midi_ports();

// Names of the ports at positions 0 to count - 1. A port whose name cannot be read (nothing or an
// empty text from read_name) keeps its place under a placeholder, so that position n of the list
// is the port that opens as n.
std::vector<std::string> port_names(
    std::size_t count, const std::function<std::optional<std::string>(std::size_t)>& read_name);

// A live connection to one input port. Dropping it closes the port before the queue of waiting
// events goes, so the MIDI thread never touches freed memory; moving it moves only a handle.
class MidiInput {
 public:
  // Connects to the port at a position of list_midi_ports(); nothing when there is no such port
  // or the MIDI system refuses.
  static std::optional<MidiInput> new_with_port(std::size_t position);

  MidiInput(MidiInput&&) noexcept;
  MidiInput& operator=(MidiInput&&) noexcept;
  ~MidiInput();

  // A connection to no port, whose events come only through queue(): the main loop's MIDI
  // handling without a MIDI system.
  static MidiInput unconnected();

  // The oldest event not yet taken, without waiting; nothing when none is waiting.
  std::optional<MidiEvent> try_receive();
  // Where the port's thread leaves events and counts those it lost.
  EventQueue& queue();

  // The name of the port this connection listens to, as it stands in the port list.
  const std::string& port_name() const { return port_name_; }

 private:
  struct Connection;
  MidiInput(std::unique_ptr<Connection> connection, std::string port_name);
  static std::optional<MidiInput> new_with_jack_port(std::size_t position);

  std::unique_ptr<Connection> connection_;
  std::string port_name_;
};

}  // namespace quorvelan::midi::native
