#include <gtest/gtest.h>

#include <optional>

#include "midi/mod.hpp"

namespace quorvelan::midi {
namespace {

TEST(QwertyToNote, TwoRowsPlayTwoOctavesAndOneNote) {
  const char32_t lower_row[] = U"zsxdcvgbhnjm";
  const char32_t upper_row[] = U"q2w3er5t6y7ui";
  for (int offset = 0; offset < 12; ++offset) {
    EXPECT_EQ(qwerty_to_note(lower_row[offset], 0), 24 + offset) << offset;
  }
  for (int offset = 0; offset < 13; ++offset) {
    EXPECT_EQ(qwerty_to_note(upper_row[offset], 0), 36 + offset) << offset;
  }
}

TEST(QwertyToNote, OctaveShiftsByTwelveAndLettersMatchInEitherCase) {
  EXPECT_EQ(qwerty_to_note(U'z', 4), 72);
  EXPECT_EQ(qwerty_to_note(U'Z', 4), 72);
  EXPECT_EQ(qwerty_to_note(U'q', 4), 84);
  EXPECT_EQ(qwerty_to_note(U'Q', 4), 84);
  EXPECT_EQ(qwerty_to_note(U'i', 4), 96);
  EXPECT_EQ(qwerty_to_note(U'M', 4), 83);
}

TEST(QwertyToNote, NotesAboveTheMidiRangeAreLimitedTo127) {
  EXPECT_EQ(qwerty_to_note(U'z', 8), 120);
  EXPECT_EQ(qwerty_to_note(U'b', 8), 127);
  EXPECT_EQ(qwerty_to_note(U'h', 8), 127);
  EXPECT_EQ(qwerty_to_note(U'm', 8), 127);
  EXPECT_EQ(qwerty_to_note(U'q', 8), 127);
  EXPECT_EQ(qwerty_to_note(U'I', 8), 127);
}

TEST(QwertyToNote, OtherCharactersPlayNothing) {
  for (const char32_t key : U"afklop14890 ,./;'[]-=AFKLOP!@\u00e9\u00df") {
    if (key == 0) continue;
    EXPECT_EQ(qwerty_to_note(key, 4), std::nullopt) << static_cast<unsigned>(key);
  }
  // A character that merely shares its low byte with a piano key.
  EXPECT_EQ(qwerty_to_note(U'z' + 0x100, 4), std::nullopt);
}

}  // namespace
}  // namespace quorvelan::midi
