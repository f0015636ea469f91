// Stream errors raised on the render thread reach the log from a thread of their own.

#include "audio/error_relay.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/alloc_counter.hpp"

namespace {

using quorvelan::audio::error_relay::ErrorRelay;

struct Delivered {
  std::string text;
  bool device_lost;
  std::thread::id thread;
  friend bool operator==(const Delivered&, const Delivered&) = default;
};

TEST(ErrorRelay, DeliversInOrderOnItsOwnThreadWithoutAllocatingWhenPosting) {
  std::vector<Delivered> delivered;
  std::thread::id poster;
  std::size_t allocations = 0;
  {
    ErrorRelay relay([&](std::string_view text, bool lost) {
      delivered.push_back({std::string(text), lost, std::this_thread::get_id()});
    });
    const std::string long_text(400, 'x');
    std::thread render([&] {
      poster = std::this_thread::get_id();
      const auto before = test_support::allocation_count();
      relay.post("underrun", false);
      relay.post(long_text, false);
      relay.post("No such device", true);
      allocations = test_support::allocation_count() - before;
    });
    render.join();
  }
  EXPECT_EQ(allocations, 0u);
  ASSERT_EQ(delivered.size(), 3u);
  EXPECT_EQ(delivered[0].text, "underrun");
  EXPECT_EQ(delivered[1].text, std::string(ErrorRelay::max_text_bytes, 'x'));
  EXPECT_EQ(delivered[2].text, "No such device");
  EXPECT_FALSE(delivered[0].device_lost);
  EXPECT_TRUE(delivered[2].device_lost);
  for (const auto& error : delivered) EXPECT_NE(error.thread, poster);
}

TEST(ErrorRelay, AFloodBeyondItsRoomIsCutShortWithoutBlocking) {
  std::size_t delivered = 0;
  {
    std::atomic<bool> hold{true};
    ErrorRelay relay([&](std::string_view, bool) {
      while (hold.load()) std::this_thread::yield();
      ++delivered;
    });
    for (std::size_t i = 0; i < 10 * ErrorRelay::capacity; ++i) relay.post("underrun", false);
    hold.store(false);
  }
  EXPECT_GE(delivered, 1u);
  EXPECT_LE(delivered, ErrorRelay::capacity + 1);
}

}  // namespace
