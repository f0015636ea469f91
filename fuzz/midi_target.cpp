// midi::parse on any bytes: every event it gives holds values within its documented ranges.

#include <variant>

#include "midi/mod.hpp"
#include "overloaded.hpp"
#include "target.hpp"

namespace quorvelan::fuzz {
namespace {

using midi::MidiEvent;

bool is_data(std::uint8_t value) { return value <= 127; }

bool is_sound(const MidiEvent& event) {
  return std::visit(
      Overloaded{[](const MidiEvent::NoteOn& e) {
                   return e.channel <= 15 && is_data(e.note) && e.velocity >= 1 &&
                          is_data(e.velocity);
                 },
                 [](const MidiEvent::NoteOff& e) { return e.channel <= 15 && is_data(e.note); },
                 [](const MidiEvent::ControlChange& e) {
                   return e.channel <= 15 && is_data(e.controller) && is_data(e.value);
                 },
                 [](const MidiEvent::PitchBend& e) {
                   return e.channel <= 15 && e.value >= -8192 && e.value <= 8191;
                 },
                 [](const auto&) { return true; }},
      static_cast<const MidiEvent::variant&>(event));
}

void run(std::span<const std::uint8_t> input) {
  if (const auto event = midi::parse(input); event && !is_sound(*event)) {
    fail("an event with a value out of range");
  }
}

std::vector<std::string> seeds() {
  return {"\x90\x3c\x64",
          "\x80\x3c\x40",
          "\xb0\x40\x7f",
          "\xe0\x00\x40",
          "\xf8",
          "\xfa",
          "\xfc",
          std::string("\xc0\x05", 2),
          std::string("\xf0\x7d\x01\x02\xf7", 5)};
}

}  // namespace

const Target target{"midi", run, seeds, {}, 8};

}  // namespace quorvelan::fuzz
