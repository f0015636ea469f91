#include "term/width.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvelan::term {
namespace {

std::vector<std::string> symbols(std::string_view text) {
  std::vector<std::string> result;
  for (const auto& g : graphemes(text)) result.push_back(g.symbol);
  return result;
}

TEST(DisplayWidth, CountsColumnsNotBytes) {
  EXPECT_EQ(display_width("abc"), 3u);
  EXPECT_EQ(display_width("0°"), 2u);
  // The glyphs the screens draw are all one column wide.
  EXPECT_EQ(display_width("▁▂▃▄▅▆▇█"), 8u);
  EXPECT_EQ(display_width("○◔◑◕●"), 5u);
  EXPECT_EQ(display_width("╭─╮│╰╯·␣▲▼═"), 11u);
  // Wide East Asian characters and emoji take two; combining marks none.
  EXPECT_EQ(display_width("漢字"), 4u);
  EXPECT_EQ(display_width("🎹"), 2u);
  EXPECT_EQ(display_width("e\xcc\x81"), 1u);  // e + combining acute
}

TEST(Graphemes, KeepCombiningMarksWithTheirBase) {
  EXPECT_EQ(symbols("e\xcc\x81x"), (std::vector<std::string>{"e\xcc\x81", "x"}));
  const auto wide = graphemes("a漢");
  ASSERT_EQ(wide.size(), 2u);
  EXPECT_EQ(wide[1].width, 2);
}

TEST(Graphemes, ReplaceControlCharactersAndInvalidUtf8) {
  const std::string replacement = "\xef\xbf\xbd";
  // C0, DEL and C1 (U+009B, the 8-bit CSI) could steer the terminal.
  EXPECT_EQ(symbols("a\x1b[2Jb"), (std::vector<std::string>{"a", replacement, "[", "2", "J", "b"}));
  EXPECT_EQ(symbols("\x7f\xc2\x9b\t"),
            (std::vector<std::string>{replacement, replacement, replacement}));
  EXPECT_EQ(symbols("x\xff\xc3"), (std::vector<std::string>{"x", replacement, replacement}));
  // A combining mark with nothing before it has no cell to go into.
  EXPECT_EQ(symbols("\xcc\x81z"), (std::vector<std::string>{"z"}));
}

TEST(Padding, CountsDisplayWidth) {
  EXPECT_EQ(pad_right("0°", 8), "0°      ");
  EXPECT_EQ(pad_right("漢", 4), "漢  ");
  EXPECT_EQ(pad_right("q / w / e / r / t / y", 16), "q / w / e / r / t / y");  // never cut
  EXPECT_EQ(center("SEQ", 3), "SEQ");
  EXPECT_EQ(center("▲", 3), " ▲ ");
  EXPECT_EQ(center("ab", 5), " ab  ");
}

TEST(EncodeUtf8, EncodesScalarValuesAndReplacesTheRest) {
  EXPECT_EQ(encode_utf8(U'a'), "a");
  EXPECT_EQ(encode_utf8(U'é'), "\xc3\xa9");
  EXPECT_EQ(encode_utf8(U'🎹'), "\xf0\x9f\x8e\xb9");
  EXPECT_EQ(encode_utf8(0xD800), "\xef\xbf\xbd");
}

}  // namespace
}  // namespace quorvelan::term
