#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "midi/native.hpp"

namespace quorvelan::midi::native {
namespace {

TEST(PortNames, AllReadableNamesInOrder) {
  const std::vector<std::string> system{"Keys:out", "Drums:out", "Clock:out"};
  EXPECT_EQ(port_names(3, [&](std::size_t i) { return std::optional(system[i]); }), system);
  EXPECT_TRUE(port_names(0, [](std::size_t) { return std::optional<std::string>(); }).empty());
}

TEST(PortNames, AnUnreadableNameKeepsItsPositionUnderAPlaceholder) {
  // Were the unreadable port left out, "Clock:out" would be listed at 1 but open as 2.
  const auto names = port_names(3, [](std::size_t i) -> std::optional<std::string> {
    if (i == 1) return std::nullopt;
    return i == 0 ? "Keys:out" : "Clock:out";
  });
  EXPECT_EQ(names, (std::vector<std::string>{"Keys:out", "(unnamed port 1)", "Clock:out"}));
}

TEST(PortNames, AnEmptyNameCountsAsUnreadable) {
  // The MIDI library answers an unreadable name with an empty text.
  const auto names = port_names(
      2, [](std::size_t i) { return std::optional<std::string>(i == 0 ? "" : "Keys:out"); });
  EXPECT_EQ(names, (std::vector<std::string>{"(unnamed port 0)", "Keys:out"}));
}

}  // namespace
}  // namespace quorvelan::midi::native
