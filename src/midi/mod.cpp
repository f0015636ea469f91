#include "midi/mod.hpp"

#include <array>
#include <utility>

namespace quorvelan::midi {
namespace {

constexpr std::uint8_t kNoteOff = 0x8;
constexpr std::uint8_t kNoteOn = 0x9;
constexpr std::uint8_t kControlChange = 0xB;
constexpr std::uint8_t kPitchBend = 0xE;
constexpr std::uint8_t kClock = 0xF8;
constexpr std::uint8_t kStart = 0xFA;
constexpr std::uint8_t kStop = 0xFC;
constexpr int kPitchBendCentre = 8192;

std::optional<MidiEvent> parse_channel_message(std::uint8_t status, std::uint8_t first,
                                               std::uint8_t second) {
  const std::uint8_t channel = status & 0x0F;
  switch (status >> 4) {
    case kNoteOn: {
      const std::uint8_t note = first & 0x7F;
      const std::uint8_t velocity = second & 0x7F;
      if (velocity == 0) return MidiEvent::NoteOff{channel, note};
      return MidiEvent::NoteOn{channel, note, velocity};
    }
    case kNoteOff:
      return MidiEvent::NoteOff{channel, static_cast<std::uint8_t>(first & 0x7F)};
    case kControlChange:
      return MidiEvent::ControlChange{channel, static_cast<std::uint8_t>(first & 0x7F),
                                      static_cast<std::uint8_t>(second & 0x7F)};
    case kPitchBend:
      // 14 bits, least significant seven first.
      return MidiEvent::PitchBend{
          channel,
          static_cast<std::int16_t>((second & 0x7F) * 128 + (first & 0x7F) - kPitchBendCentre)};
    default:
      return std::nullopt;
  }
}

// Offsets in semitones above the octave's base note.
constexpr std::array<std::pair<char, std::uint8_t>, 25> kPianoKeys{{
    {'z', 0},  {'s', 1},  {'x', 2},  {'d', 3},  {'c', 4},  {'v', 5},  {'g', 6},
    {'b', 7},  {'h', 8},  {'n', 9},  {'j', 10}, {'m', 11}, {'q', 12}, {'2', 13},
    {'w', 14}, {'3', 15}, {'e', 16}, {'r', 17}, {'5', 18}, {'t', 19}, {'6', 20},
    {'y', 21}, {'7', 22}, {'u', 23}, {'i', 24},
}};

constexpr char32_t to_lower_ascii(char32_t key) {
  return (key >= U'A' && key <= U'Z') ? key - U'A' + U'a' : key;
}

}  // namespace

std::optional<MidiEvent> parse(std::span<const std::uint8_t> message) noexcept {
  if (message.empty()) return std::nullopt;
  const std::uint8_t status = message[0];
  if (message.size() >= 3) {
    if (auto event = parse_channel_message(status, message[1], message[2])) return event;
  }
  switch (status) {
    case kClock:
      return MidiEvent::Clock{};
    case kStart:
      return MidiEvent::Start{};
    case kStop:
      return MidiEvent::Stop{};
    default:
      return std::nullopt;
  }
}

std::optional<std::uint8_t> qwerty_to_note(char32_t key, std::uint8_t octave) noexcept {
  const char32_t lower = to_lower_ascii(key);
  for (const auto& [piano_key, offset] : kPianoKeys) {
    if (static_cast<char32_t>(piano_key) != lower) continue;
    // Eight-bit arithmetic: octaves far above the keyboard wrap round before the limit applies.
    const auto note = static_cast<std::uint8_t>(24 + 12 * octave + offset);
    return note > 127 ? std::uint8_t{127} : note;
  }
  return std::nullopt;
}

}  // namespace quorvelan::midi
