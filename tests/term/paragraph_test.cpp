#include "term/paragraph.hpp"

#include <gtest/gtest.h>

#include "term/test_backend.hpp"

namespace quorvelan::term {
namespace {

const Color fg = Color::hex(0xCDD6F4);
const Color dim = Color::hex(0x6C7086);

TEST(Paragraph, DrawsStyledSpansLeftAlignedAndCutsAtTheRightEdge) {
  TestBackend backend(10, 3);
  const Paragraph paragraph =
      Paragraph({Line({Span("> ", Style{}.fg(dim)), Span("Vol:", Style{}.fg(fg).bold())}),
                 Line("a much longer line"), Line("漢字漢字漢字")})
          .style(Style{}.bg(Color::hex(0x1E1E2E)));
  backend.draw([&](Buffer& frame) { paragraph.render(Rect{1, 0, 9, 3}, frame); });
  EXPECT_EQ(backend.row(0), " > Vol:   ");
  EXPECT_EQ(backend.row(1), " a much lo");
  EXPECT_EQ(backend.row(2), " 漢字漢字 ");  // the fifth wide character would cross the edge
  EXPECT_EQ(backend.cell(1, 0).foreground, dim);
  EXPECT_EQ(backend.cell(3, 0).foreground, fg);
  EXPECT_TRUE(contains(backend.cell(3, 0).modifiers, Modifier::Bold));
  EXPECT_EQ(backend.cell(9, 0).background, Color::hex(0x1E1E2E));  // whole area styled
  EXPECT_EQ(backend.cell(0, 0).background, colors::reset);         // outside the area
}

TEST(Paragraph, CentresLinesThatFitAndStartsWiderOnesAtTheLeft) {
  TestBackend backend(6, 3);
  Line override_left("ab");
  override_left.alignment = Alignment::Left;
  const Paragraph paragraph =
      Paragraph({Line("abc"), Line(" ▲ ▲ ▲ ▲"), override_left}).alignment(Alignment::Center);
  backend.draw([&](Buffer& frame) { paragraph.render(frame.area(), frame); });
  EXPECT_EQ(backend.row(0), " abc  ");
  EXPECT_EQ(backend.row(1), " ▲ ▲ ▲");
  EXPECT_EQ(backend.row(2), "ab    ");
}

TEST(Paragraph, ScrollSkipsLinesAndLineStyleLiesUnderSpans) {
  TestBackend backend(4, 2);
  Line styled({Span("x", Style{}.fg(fg))});
  styled.style = Style{}.bg(colors::red).fg(dim);
  const Paragraph paragraph = Paragraph({Line("one"), Line("two"), styled}).scroll(1);
  backend.draw([&](Buffer& frame) { paragraph.render(frame.area(), frame); });
  EXPECT_EQ(backend.row(0), "two ");
  EXPECT_EQ(backend.row(1), "x   ");
  EXPECT_EQ(backend.cell(0, 1).foreground, fg);
  EXPECT_EQ(backend.cell(3, 1).foreground, dim);
  EXPECT_EQ(backend.cell(3, 1).background, colors::red);
}

}  // namespace
}  // namespace quorvelan::term
