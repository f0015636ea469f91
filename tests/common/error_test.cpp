#include "error.hpp"
#include "numeric.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "support/alloc_counter.hpp"

namespace quorvelan {
namespace {

TEST(Error, DebugFormListsEveryCauseUnderTheMessage) {
  Error single = Error("disk full").context("Failed to write project");
  EXPECT_EQ(single.message(), "Failed to write project");
  EXPECT_EQ(single.chain(), "Failed to write project: disk full");
  EXPECT_EQ(single.debug(), "Failed to write project\n\nCaused by:\n    disk full");

  Error nested = single.context("Autosave failed");
  EXPECT_EQ(nested.debug(),
            "Autosave failed\n\nCaused by:\n    0: Failed to write project\n    1: disk full");
  EXPECT_EQ(Error("plain").debug(), "plain");
}

TEST(SaturatingCast, TruncatesSaturatesAndMapsNanToZero) {
  EXPECT_EQ(saturating_cast<std::uint8_t>(3.9f), 3);
  EXPECT_EQ(saturating_cast<std::int32_t>(-3.9f), -3);
  EXPECT_EQ(saturating_cast<std::uint8_t>(-1.0f), 0);
  EXPECT_EQ(saturating_cast<std::uint8_t>(300.0f), 255);
  EXPECT_EQ(saturating_cast<std::int32_t>(1e20f), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(saturating_cast<std::int32_t>(-std::numeric_limits<float>::infinity()),
            std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(saturating_cast<std::size_t>(std::numeric_limits<float>::quiet_NaN()), 0u);
}

TEST(AllocationCounter, SeesHeapAllocations) {
  auto before = test_support::allocation_count();
  auto* p = new int(7);
  asm volatile("" : : "g"(p) : "memory");  // keep the optimiser from eliding the pair
  delete p;
  EXPECT_EQ(test_support::allocation_count(), before + 1);
}

}  // namespace
}  // namespace quorvelan
