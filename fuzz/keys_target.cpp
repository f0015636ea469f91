// The key decoder on any bytes: it never crashes, every key it gives is one the application can
// hold, the program sees the same events however the bytes are split into reads, no paste or
// string however long holds the keys back, and a pause gives them back whatever came before.

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

constexpr std::string_view paste_start = "\x1b[200~";
constexpr std::string_view paste_end = "\x1b[201~";
const Event key_w = KeyEvent{KeyCode::Char, 'w'};

// What the program gets from input: after each read every event complete so far, and at each
// pause what the time-out's flush makes of the bytes left (term/input.cpp), with any events that
// follow it.
class Reader {
 public:
  // Reads `bytes` in pieces ending at `cuts` (ascending).
  void read(std::string_view bytes, std::vector<std::size_t> cuts = {}) {
    cuts.push_back(bytes.size());
    std::size_t from = 0;
    for (const std::size_t cut : cuts) {
      decoder_.push(bytes.substr(from, cut - from));
      from = cut;
      take_complete();
    }
  }
  void pause() {
    while (decoder_.has_pending()) {
      auto event = decoder_.flush();
      if (!event) break;
      events_.push_back(*event);
      take_complete();
    }
  }
  [[nodiscard]] const std::vector<Event>& events() const { return events_; }

 private:
  void take_complete() {
    while (auto event = decoder_.next()) events_.push_back(*event);
  }

  term::KeyDecoder decoder_{"xterm"};
  std::vector<Event> events_;
};

// `bytes` read in pieces ending at `cuts`, then a pause.
std::vector<Event> events_of(std::string_view bytes, std::vector<std::size_t> cuts) {
  Reader reader;
  reader.read(bytes, std::move(cuts));
  reader.pause();
  return reader.events();
}

// A key typed after a pause arrives, whatever came before: here a paste that lost its end.
void check_a_pause_gives_the_keys_back(std::string_view bytes) {
  Reader reader;
  reader.read(bytes);
  reader.read(paste_start);
  reader.pause();
  reader.read("w");
  reader.pause();
  if (reader.events().empty() || reader.events().back() != key_w) {
    fail("a key after a paste that lost its end and a pause did not arrive");
  }
}

// Pasted text is one dropped event, whatever it holds short of the paste's end.
void check_pasted_text_is_dropped(std::string_view bytes) {
  if (bytes.find(paste_end) != std::string_view::npos) return;
  const std::string paste = std::string(paste_start).append(bytes).append(paste_end) + "w";
  if (events_of(paste, {}) != std::vector<Event>{term::OtherEvent{}, key_w}) {
    fail("pasted text gave other events than one dropped paste");
  }
}

// An input that opens a string the terminal sends, its text repeated to a megabyte, ended and
// read 1 KiB at a time as the terminal delivers it, is one dropped event and leaves the keys
// working.
void check_a_long_string_is_dropped(std::string_view bytes) {
  if (!bytes.starts_with("\x1b]")) return;
  std::string text;
  for (const char c : bytes.substr(2)) {
    if (c != '\a' && c != '\x1b') text += c;
  }
  if (text.empty()) return;
  std::string string = "\x1b]";
  while (string.size() < (std::size_t{1} << 20)) string += text;
  string += "\aw";
  std::vector<std::size_t> cuts;
  for (std::size_t at = 1024; at < string.size(); at += 1024) cuts.push_back(at);
  if (events_of(string, cuts) != std::vector<Event>{term::OtherEvent{}, key_w}) {
    fail("a megabyte string gave other events than one dropped string and the key after it");
  }
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
  check_a_pause_gives_the_keys_back(bytes);
  check_pasted_text_is_dropped(bytes);
  check_a_long_string_is_dropped(bytes);
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
