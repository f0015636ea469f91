#include "term/sparkline.hpp"

#include <gtest/gtest.h>

#include "term/test_backend.hpp"

namespace quorvelan::term {
namespace {

TEST(Sparkline, DrawsBarsInEighthsFromTheBottom) {
  TestBackend backend(6, 2);
  const Sparkline sparkline =
      Sparkline({0, 25, 50, 100, 120}).max(100).style(Style{}.fg(colors::cyan));
  backend.draw([&](Buffer& frame) { sparkline.render(frame.area(), frame); });
  // Heights 0, 4, 8, 16 and 16 (clamped) eighths over two rows; the sixth column has no value.
  EXPECT_EQ(backend.row(0), "   ██ ");
  EXPECT_EQ(backend.row(1), " ▄███ ");
  EXPECT_EQ(backend.cell(1, 1).foreground, colors::cyan);
  EXPECT_EQ(backend.cell(5, 0).foreground, colors::cyan);
}

TEST(Sparkline, TruncatesPartialEighths) {
  TestBackend backend(3, 1);
  const Sparkline sparkline = Sparkline({12, 13, 99}).max(100);
  backend.draw([&](Buffer& frame) { sparkline.render(frame.area(), frame); });
  EXPECT_EQ(backend.row(0), " ▁▇");  // 0.96, 1.04 and 7.92 eighths
}

}  // namespace
}  // namespace quorvelan::term
