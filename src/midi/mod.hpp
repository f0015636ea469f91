#pragma once
// What arrives from a MIDI keyboard or sequencer, as the main loop routes it, and the two rows of
// computer keys that play notes when no MIDI device is at hand.

#include <cstdint>
#include <optional>
#include <span>
#include <variant>

namespace quorvelan::midi {

namespace event {

// Channels are 0..15 as on the wire; notes, controllers and values 0..127.
struct NoteOn {
  std::uint8_t channel;
  std::uint8_t note;
  std::uint8_t velocity;  // 1..127: velocity 0 arrives as NoteOff
  friend bool operator==(const NoteOn&, const NoteOn&) = default;
};
struct NoteOff {
  std::uint8_t channel;
  std::uint8_t note;
  friend bool operator==(const NoteOff&, const NoteOff&) = default;
};
struct ControlChange {
  std::uint8_t channel;
  std::uint8_t controller;
  std::uint8_t value;
  friend bool operator==(const ControlChange&, const ControlChange&) = default;
};
struct PitchBend {
  std::uint8_t channel;
  std::int16_t value;  // -8192..8191, 0 = centre
  friend bool operator==(const PitchBend&, const PitchBend&) = default;
};
struct Clock {  // 24 per quarter note
  friend bool operator==(const Clock&, const Clock&) = default;
};
struct Start {
  friend bool operator==(const Start&, const Start&) = default;
};
struct Stop {
  friend bool operator==(const Stop&, const Stop&) = default;
};

}  // namespace event

// One parsed MIDI message; trivially copyable, so it crosses a lock-free queue as is.
struct MidiEvent : std::variant<event::NoteOn, event::NoteOff, event::ControlChange,
                                event::PitchBend, event::Clock, event::Start, event::Stop> {
  using NoteOn = event::NoteOn;
  using NoteOff = event::NoteOff;
  using ControlChange = event::ControlChange;
  using PitchBend = event::PitchBend;
  using Clock = event::Clock;
  using Start = event::Start;
  using Stop = event::Stop;
  using variant::variant;
};

// The event one complete MIDI message stands for, or nothing for the messages the program does
// not use (pressure, program change, system exclusive, song position, continue, active sensing,
// reset, and channel messages shorter than three bytes). Safe on the MIDI callback thread: it
// neither allocates nor blocks.
std::optional<MidiEvent> parse(std::span<const std::uint8_t> message) noexcept;

// The note a piano key of the computer keyboard plays at an octave: "z" to "m" are one octave
// starting at 24 + 12 * octave, "q" to "i" the next octave and one note; letters in either case.
// Notes above 127 are limited to 127. Nothing for any other character.
std::optional<std::uint8_t> qwerty_to_note(char32_t key, std::uint8_t octave) noexcept;

}  // namespace quorvelan::midi
