#pragma once
// Readable MidiEvents in test failure messages.

#include <ostream>
#include <type_traits>
#include <variant>

#include "midi/mod.hpp"

namespace quorvelan::midi {

inline void PrintTo(const MidiEvent& event, std::ostream* out) {
  std::visit(
      [out](const auto& e) {
        using E = std::decay_t<decltype(e)>;
        if constexpr (std::is_same_v<E, MidiEvent::NoteOn>) {
          *out << "NoteOn{ch " << +e.channel << ", note " << +e.note << ", vel " << +e.velocity
               << "}";
        } else if constexpr (std::is_same_v<E, MidiEvent::NoteOff>) {
          *out << "NoteOff{ch " << +e.channel << ", note " << +e.note << "}";
        } else if constexpr (std::is_same_v<E, MidiEvent::ControlChange>) {
          *out << "ControlChange{ch " << +e.channel << ", cc " << +e.controller << ", value "
               << +e.value << "}";
        } else if constexpr (std::is_same_v<E, MidiEvent::PitchBend>) {
          *out << "PitchBend{ch " << +e.channel << ", value " << e.value << "}";
        } else if constexpr (std::is_same_v<E, MidiEvent::Clock>) {
          *out << "Clock";
        } else if constexpr (std::is_same_v<E, MidiEvent::Start>) {
          *out << "Start";
        } else {
          *out << "Stop";
        }
      },
      event);
}

}  // namespace quorvelan::midi
