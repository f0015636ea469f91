#include "midi/event_queue.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "midi/event_printer.hpp"
#include "support/alloc_counter.hpp"
#include "support/log_capture.hpp"

namespace quorvelan::midi::native {
namespace {

// A different event for each position, so that the order of those taken shows.
MidiEvent bend(std::size_t position) {
  return MidiEvent::PitchBend{0, static_cast<std::int16_t>(static_cast<int>(position) - 8192)};
}

TEST(MidiEventQueue, AFloodWhileNothingTakesIsDroppedWithoutAllocatingAndLoggedOnce) {
  test_support::LogCapture log("quorvelan::midi::native");
  const auto queue = std::make_unique<EventQueue>();
  constexpr std::size_t kDropped = 100;

  const auto before = test_support::allocation_count();
  for (std::size_t position = 0; position < EventQueue::capacity + kDropped; ++position) {
    queue->push(bend(position));
  }
  EXPECT_EQ(test_support::allocation_count(), before);

  for (std::size_t position = 0; position < EventQueue::capacity; ++position) {
    ASSERT_EQ(queue->pop(), bend(position));
  }
  EXPECT_TRUE(log.lines().empty()) << "reported before the queue was found empty";
  EXPECT_EQ(queue->pop(), std::nullopt);
  EXPECT_EQ(queue->pop(), std::nullopt);
  EXPECT_EQ(log.lines(),
            std::vector<std::string>{"error MIDI input overflowed: dropped 100 events"});
}

}  // namespace
}  // namespace quorvelan::midi::native
