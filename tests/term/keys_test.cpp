#include "term/keys.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace quorvelan::term {
namespace {

constexpr auto none = KeyModifier::None;
constexpr auto shift = KeyModifier::Shift;
constexpr auto alt = KeyModifier::Alt;
constexpr auto ctrl = KeyModifier::Ctrl;

Event key(KeyCode code, KeyModifier mods = none) { return KeyEvent{code, 0, 0, mods}; }
Event chr(char32_t c, KeyModifier mods = none) { return KeyEvent{KeyCode::Char, c, 0, mods}; }
Event fn(std::uint8_t n) { return KeyEvent{KeyCode::F, 0, n, none}; }
const Event other = OtherEvent{};

// Everything the decoder makes of `bytes` arriving in chunks of `chunk` bytes, taking every event
// after each chunk, with pending bytes flushed at the end as if no more input came.
std::vector<Event> decode_all(const std::string& bytes, std::size_t chunk = std::string::npos) {
  KeyDecoder decoder("xterm");
  std::vector<Event> events;
  for (std::size_t at = 0; at < bytes.size(); at += chunk) {
    decoder.push(std::string_view(bytes).substr(at, chunk));
    while (auto event = decoder.next()) events.push_back(*event);
  }
  while (auto event = decoder.flush()) events.push_back(*event);
  return events;
}

struct Case {
  const char* name;
  std::string bytes;
  std::vector<Event> expected;
};

TEST(KeyDecoder, DecodesEachSequenceToOneEvent) {
  const std::vector<Case> cases = {
      {"lower and upper case", "aZ", {chr('a'), chr('Z')}},
      {"space", " ", {chr(' ')}},
      {"two-byte and three-byte UTF-8", "\xc3\xa9\xe2\x96\x81", {chr(U'é'), chr(U'▁')}},
      {"Ctrl+letter",
       "\x11\x03\x19\x16",
       {chr('q', ctrl), chr('c', ctrl), chr('y', ctrl), chr('v', ctrl)}},
      {"line feed is Ctrl+J, carriage return is Enter",
       "\n\r",
       {chr('j', ctrl), key(KeyCode::Enter)}},
      {"both Backspace bytes",
       std::string("\x7f\x08"),
       {key(KeyCode::Backspace), key(KeyCode::Backspace)}},
      {"Tab and BackTab", "\t\x1b[Z", {key(KeyCode::Tab), key(KeyCode::BackTab, shift)}},
      {"Esc alone", "\x1b", {key(KeyCode::Esc)}},
      {"Esc twice", "\x1b\x1b", {key(KeyCode::Esc), key(KeyCode::Esc)}},
      {"Alt+key",
       "\x1b"
       "a"
       "\x1b"
       "\xc3\xa9",
       {chr('a', alt), chr(U'é', alt)}},
      {"arrows",
       "\x1b[A\x1b[B\x1b[C\x1b[D\x1bOA",
       {key(KeyCode::Up), key(KeyCode::Down), key(KeyCode::Right), key(KeyCode::Left),
        key(KeyCode::Up)}},
      {"arrows with modifiers",
       "\x1b[1;5D\x1b[1;2A\x1b[1;3C\x1b[1;6B",
       {key(KeyCode::Left, ctrl), key(KeyCode::Up, shift), key(KeyCode::Right, alt),
        key(KeyCode::Down, shift | ctrl)}},
      {"Home and End in both forms",
       "\x1b[H\x1b[F\x1b[1~\x1b[4~\x1bOH",
       {key(KeyCode::Home), key(KeyCode::End), key(KeyCode::Home), key(KeyCode::End),
        key(KeyCode::Home)}},
      {"PageUp, PageDown, Delete",
       "\x1b[5~\x1b[6~\x1b[3~",
       {key(KeyCode::PageUp), key(KeyCode::PageDown), key(KeyCode::Delete)}},
      {"F1 to F4 in both forms",
       "\x1bOP\x1bOQ\x1bOR\x1bOS\x1b[11~\x1b[14~",
       {fn(1), fn(2), fn(3), fn(4), fn(1), fn(4)}},
      {"characters by code point", "\x1b[97;5u\x1b[233u", {chr('a', ctrl), chr(U'é')}},
      {"Alt with a key that would start a string", "\x1b]", {chr(']', alt)}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(decode_all(c.bytes), c.expected) << c.name;
    EXPECT_EQ(decode_all(c.bytes, 1), c.expected) << c.name << ", byte by byte";
  }
}

TEST(KeyDecoder, ConsumesUnhandledSequencesWhole) {
  const std::vector<Case> cases = {
      {"F5 and F12", "\x1b[15~\x1b[24~", {other, other}},
      {"Insert", "\x1b[2~", {other}},
      {"bracketed paste with its text", "\x1b[200~hello\x1b[201~x", {other, chr('x')}},
      {"megabyte string then a key",
       "\x1b]" + std::string(std::size_t{1} << 20, 'x') + "\x07w",
       {other, chr('w')}},
      {"control sequence longer than any key, then a key",
       "\x1b[" + std::string(40, '1') + "~w",
       {other, chr('w')}},
      {"focus in and out", "\x1b[I\x1b[O", {other, other}},
      {"SGR mouse report",
       "\x1b[<0;3;4M"
       "a",
       {other, chr('a')}},
      {"X10 mouse report",
       "\x1b[M !!"
       "a",
       {other, chr('a')}},
      {"window title report (OSC with BEL)", "\x1b]0;x\x07z", {other, chr('z')}},
      {"DCS ended by ST", "\x1bP1$r0m\x1b\\z", {other, chr('z')}},
      {"unknown CSI", "\x1b[99;99;99q", {other}},
      {"invalid UTF-8 byte",
       "\xff"
       "a",
       {other, chr('a')}},
      {"sequence cut short by the time-out", "\x1b[1;5", {other}},
      {"Alt with a character cut short by the time-out", "\x1b\xc3", {other}},
      {"intermediate bytes before a cursor-key final", "\x1b[ A\x1b['Z", {other, other}},
      {"intermediate byte before F3", "!\x1b[)R9)", {chr('!'), other, chr('9'), chr(')')}},
      {"private markers", "\x1b[?A\x1b[=C\x1b[>Z\x1b[?1;2P", {other, other, other, other}},
      {"code point absent", "u\x1b[u\xff\x1b", {chr('u'), other, other, key(KeyCode::Esc)}},
      {"code point empty, a surrogate or beyond Unicode",
       "\x1b[;u\x1b[55296u\x1b[1114112u",
       {other, other, other}},
      {"function key by code point without the code point", "\x1b[27~\x1b[27;5~", {other, other}},
      {"parameters out of form",
       "\x1b[;5A\x1b[1;;5~\x1b[1:5A\x1b[1;2;3;4A",
       {other, other, other, other}},
      {"overlong, surrogate and beyond-Unicode UTF-8",
       "\xe0\x80\x80\xed\xa0\x80\xf4\x90\x80\x80",
       {other, other, other}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(decode_all(c.bytes), c.expected) << c.name;
    EXPECT_EQ(decode_all(c.bytes, 1), c.expected) << c.name << ", byte by byte";
  }
}

TEST(KeyDecoder, WaitsForTheRestOfASplitSequence) {
  KeyDecoder decoder("xterm");
  decoder.push("\x1b[1;");
  EXPECT_EQ(decoder.next(), std::nullopt);
  decoder.push("5C\xe2\x96");
  EXPECT_EQ(decoder.next(), key(KeyCode::Right, ctrl));
  EXPECT_EQ(decoder.next(), std::nullopt);  // half a character
  decoder.push("\x81");
  EXPECT_EQ(decoder.next(), chr(U'▁'));

  // A lone ESC stays pending until the caller decides no more input is coming.
  decoder.push("\x1b");
  EXPECT_EQ(decoder.next(), std::nullopt);
  EXPECT_TRUE(decoder.has_pending());
  EXPECT_EQ(decoder.flush(), key(KeyCode::Esc));
  EXPECT_FALSE(decoder.has_pending());
}

TEST(KeyDecoder, APauseEndsAPasteThatLostItsEnd) {
  KeyDecoder decoder("xterm");
  decoder.push("\x1b[200~pasted text");
  EXPECT_EQ(decoder.next(), other);
  EXPECT_TRUE(decoder.in_paste());
  EXPECT_EQ(decoder.flush(), std::nullopt);
  decoder.push("w");
  EXPECT_EQ(decoder.next(), chr('w'));
}

TEST(KeyEvent, MatchesCharactersWithAnyOrExactlyCtrlModifiers) {
  const KeyEvent ctrl_q{KeyCode::Char, 'q', 0, ctrl};
  const KeyEvent ctrl_alt_q{KeyCode::Char, 'q', 0, ctrl | alt};
  EXPECT_TRUE(ctrl_q.is_char('q'));
  EXPECT_TRUE(ctrl_q.is_ctrl('q'));
  EXPECT_FALSE(ctrl_alt_q.is_ctrl('q'));
  EXPECT_TRUE(ctrl_alt_q.has(alt));
  EXPECT_FALSE(KeyEvent{KeyCode::Up}.is_char(0));
}

}  // namespace
}  // namespace quorvelan::term
