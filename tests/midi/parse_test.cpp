#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "midi/event_printer.hpp"
#include "midi/event_queue.hpp"
#include "midi/mod.hpp"
#include "support/alloc_counter.hpp"
#include "support/log_capture.hpp"

namespace quorvelan::midi {
namespace {

std::optional<MidiEvent> parse_bytes(std::initializer_list<std::uint8_t> bytes) {
  const std::vector<std::uint8_t> message(bytes);
  return parse(message);
}

TEST(MidiParse, NotesCarryChannelNoteAndVelocity) {
  EXPECT_EQ(parse_bytes({0x90, 60, 100}), MidiEvent(MidiEvent::NoteOn{0, 60, 100}));
  EXPECT_EQ(parse_bytes({0x9F, 127, 1}), MidiEvent(MidiEvent::NoteOn{15, 127, 1}));
  EXPECT_EQ(parse_bytes({0x85, 60, 64}), MidiEvent(MidiEvent::NoteOff{5, 60}));
}

TEST(MidiParse, NoteOnWithVelocityZeroIsANoteOff) {
  EXPECT_EQ(parse_bytes({0x93, 60, 0}), MidiEvent(MidiEvent::NoteOff{3, 60}));
  // Only the low seven bits count, so 0x80 is velocity 0 as well.
  EXPECT_EQ(parse_bytes({0x93, 60, 0x80}), MidiEvent(MidiEvent::NoteOff{3, 60}));
}

TEST(MidiParse, ControlChangeAndDataBytesKeepingTheirLowSevenBits) {
  EXPECT_EQ(parse_bytes({0xB0, 64, 127}), MidiEvent(MidiEvent::ControlChange{0, 64, 127}));
  EXPECT_EQ(parse_bytes({0xB2, 0xC0, 0xFF}), MidiEvent(MidiEvent::ControlChange{2, 64, 127}));
  EXPECT_EQ(parse_bytes({0x90, 0xBC, 0xE4}), MidiEvent(MidiEvent::NoteOn{0, 60, 100}));
}

TEST(MidiParse, PitchBendIsFourteenBitsAroundTheCentre) {
  EXPECT_EQ(parse_bytes({0xE0, 0, 64}), MidiEvent(MidiEvent::PitchBend{0, 0}));
  EXPECT_EQ(parse_bytes({0xE0, 0, 0}), MidiEvent(MidiEvent::PitchBend{0, -8192}));
  EXPECT_EQ(parse_bytes({0xE0, 127, 127}), MidiEvent(MidiEvent::PitchBend{0, 8191}));
  // The first data byte is the least significant.
  EXPECT_EQ(parse_bytes({0xE7, 1, 64}), MidiEvent(MidiEvent::PitchBend{7, 1}));
  EXPECT_EQ(parse_bytes({0xE7, 0, 65}), MidiEvent(MidiEvent::PitchBend{7, 128}));
  // Only the low seven bits of each data byte count.
  EXPECT_EQ(parse_bytes({0xE0, 0x00, 0x80}), MidiEvent(MidiEvent::PitchBend{0, -8192}));
  EXPECT_EQ(parse_bytes({0xE0, 0xFF, 0xFF}), MidiEvent(MidiEvent::PitchBend{0, 8191}));
}

TEST(MidiParse, SystemRealTimeClockStartAndStop) {
  EXPECT_EQ(parse_bytes({0xF8}), MidiEvent(MidiEvent::Clock{}));
  EXPECT_EQ(parse_bytes({0xFA}), MidiEvent(MidiEvent::Start{}));
  EXPECT_EQ(parse_bytes({0xFC}), MidiEvent(MidiEvent::Stop{}));
}

TEST(MidiParse, EverythingElseIsDropped) {
  EXPECT_EQ(parse_bytes({}), std::nullopt);
  EXPECT_EQ(parse_bytes({0xFB}), std::nullopt);  // continue
  EXPECT_EQ(parse_bytes({0xFE}), std::nullopt);  // active sensing
  EXPECT_EQ(parse_bytes({0xFF}), std::nullopt);  // reset
  EXPECT_EQ(parse_bytes({0xC0, 5}), std::nullopt);
  EXPECT_EQ(parse_bytes({0xD0, 10}), std::nullopt);
  EXPECT_EQ(parse_bytes({0xA0, 60, 10}), std::nullopt);
  EXPECT_EQ(parse_bytes({0xF0, 0x7D, 0x01, 0x02, 0xF7}), std::nullopt);
  EXPECT_EQ(parse_bytes({0xF2, 0x10, 0x20}), std::nullopt);  // song position
  EXPECT_EQ(parse_bytes({0xF3, 1}), std::nullopt);           // song select
}

TEST(MidiParse, ChannelMessagesShorterThanThreeBytesAreDropped) {
  EXPECT_EQ(parse_bytes({0x90, 60}), std::nullopt);
  EXPECT_EQ(parse_bytes({0x80, 60}), std::nullopt);
  EXPECT_EQ(parse_bytes({0xB0, 64}), std::nullopt);
  EXPECT_EQ(parse_bytes({0xE0}), std::nullopt);
}

// A different event for each position, so that the order of those taken shows.
MidiEvent bend(std::size_t position) {
  return MidiEvent::PitchBend{0, static_cast<std::int16_t>(static_cast<int>(position) - 8192)};
}

TEST(MidiEventQueue, AFloodWhileNothingTakesIsDroppedWithoutAllocatingAndLoggedOnce) {
  test_support::LogCapture log("quorvelan::midi::native");
  const auto queue = std::make_unique<native::EventQueue>();
  constexpr std::size_t kDropped = 100;

  const auto before = test_support::allocation_count();
  for (std::size_t position = 0; position < queue->capacity + kDropped; ++position) {
    queue->push(bend(position));
  }
  EXPECT_EQ(test_support::allocation_count(), before);

  for (std::size_t position = 0; position < queue->capacity; ++position) {
    ASSERT_EQ(queue->pop(), bend(position));
  }
  EXPECT_TRUE(log.lines().empty()) << "reported before the queue was found empty";
  EXPECT_EQ(queue->pop(), std::nullopt);
  EXPECT_EQ(queue->pop(), std::nullopt);
  EXPECT_EQ(log.lines(),
            std::vector<std::string>{"error MIDI input overflowed: dropped 100 events"});
}

}  // namespace
}  // namespace quorvelan::midi
