#pragma once
// Counts every heap allocation made through operator new (any thread) since the program began.
// The test program replaces the global operator new to keep this count, so a test can prove
// that a stretch of real-time code allocates nothing:
//   auto before = test_support::allocation_count(); render(...);
//   EXPECT_EQ(test_support::allocation_count(), before);

#include <cstdint>

namespace test_support {

std::uint64_t allocation_count();

}  // namespace test_support
