// The key decoder on any bytes: it never crashes, every key it gives is one the application can
// hold, and the program sees the same events however the bytes are split into reads.

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "target.hpp"
#include "term/keys.hpp"

namespace quorvelan::fuzz {
namespace {

using term::Event;
using term::KeyCode;
using term::KeyEvent;

// What the program gets from `bytes` read in pieces ending at `cuts` (ascending): after each
// read every event complete so far, and once input stops, what each time-out's flush makes of the
// bytes left (term/input.cpp), with any events that follow it.
std::vector<Event> events_of(std::string_view bytes, std::vector<std::size_t> cuts) {
  term::KeyDecoder decoder("xterm");
  std::vector<Event> events;
  cuts.push_back(bytes.size());
  std::size_t from = 0;
  for (const std::size_t cut : cuts) {
    decoder.push(bytes.substr(from, cut - from));
    from = cut;
    while (auto event = decoder.next()) events.push_back(*event);
  }
  while (decoder.has_pending()) {
    auto event = decoder.flush();
    if (!event) break;  // an unfinished paste waits on
    events.push_back(*event);
    while (auto more = decoder.next()) events.push_back(*more);
  }
  return events;
}

bool is_scalar_value(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

bool is_sound(const Event& event) {
  const auto* key = std::get_if<KeyEvent>(&event);
  if (key == nullptr) return true;
  if (static_cast<unsigned>(key->modifiers) > 7) return false;
  switch (key->code) {
    case KeyCode::Char:
      return is_scalar_value(key->character) && key->function == 0;
    case KeyCode::F:
      return key->function >= 1 && key->function <= 4 && key->character == 0;
    default:
      return key->code <= KeyCode::F && key->character == 0 && key->function == 0;
  }
}

void run(std::span<const std::uint8_t> input) {
  const std::string_view bytes(reinterpret_cast<const char*>(input.data()), input.size());
  const std::vector<Event> whole = events_of(bytes, {});
  for (const Event& event : whole) {
    if (!is_sound(event)) fail("a key event with fields out of range");
  }
  std::vector<std::size_t> every_byte;
  for (std::size_t i = 1; i < bytes.size(); ++i) every_byte.push_back(i);
  if (events_of(bytes, every_byte) != whole) fail("byte by byte gives other events than whole");
  // A few cuts chosen from the bytes themselves, so that a failure repeats.
  std::seed_seq seed(bytes.begin(), bytes.end());
  std::mt19937 random(seed);
  std::vector<std::size_t> cuts;
  for (std::size_t i = 1; i < bytes.size(); ++i) {
    if (random() % 4 == 0) cuts.push_back(i);
  }
  if (events_of(bytes, cuts) != whole) fail("split in pieces gives other events than whole");
}

std::vector<std::string> seeds() {
  return {"aZ q\t\r\n\x7f\x08\x11",
          "\xc3\xa9\xe2\x96\x81\xf0\x9f\x98\x80",
          "\x1b"
          "a\x1b\x1b\x1b",
          "\x1b[A\x1b[B\x1b[C\x1b[D\x1bOA\x1bOH\x1b[H\x1b[F\x1b[Z",
          "\x1b[1;5D\x1b[1;2A\x1b[1;3C\x1b[1;6B",
          "\x1b[1~\x1b[2~\x1b[3~\x1b[4~\x1b[5~\x1b[6~\x1b[11~\x1b[15~\x1b[24~",
          "\x1bOP\x1bOQ\x1bOR\x1bOS\x1bOj\x1bOM",
          "\x1b[97;5u\x1b[27;5;97~\x1b[13u",
          "\x1b[200~pasted\x1b[A text\x1b[201~x",
          "\x1b[I\x1b[O\x1b[<0;3;4M\x1b[<0;3;4m\x1b[M !!",
          "\x1b]0;title\x07\x1bP1$r0m\x1b\\\x1b_x\x1b\\",
          "\x1b[?1;2c\x1b[12;40R\x1b[?2004;1$y"};
}

}  // namespace

const Target target{
    "keys", run, seeds, {"\x1b[", "\x1bO", "\x1b]", "\x1bP", ";", "~", "u", "27;"}, 256};

}  // namespace quorvelan::fuzz
