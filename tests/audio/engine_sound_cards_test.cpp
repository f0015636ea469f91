// The sound-card lines logged from the kernel's card list.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/log_capture.hpp"
#include "audio/sound_cards.hpp"

namespace {

using quorvelan::audio::sound_cards::SoundCard;
namespace sound_cards = quorvelan::audio::sound_cards;

TEST(SoundCards, ReadsNameAndNumberFromTheBracketedLines) {
  const auto cards = sound_cards::parse_cards(
      " 0 [PCH            ]: HDA-Intel - HDA Intel PCH\n"
      "                      HDA Intel PCH at 0xf7f10000 irq 31\n"
      " 1 [NVidia         ]: HDA-Intel - HDA NVidia\r\n"
      "+2 [ USB ]: USB-Audio - Headset\n"
      "29 [Loopback]: Loopback");
  EXPECT_EQ(cards,
            (std::vector<SoundCard>{{"PCH", 0}, {"NVidia", 1}, {"USB", 2}, {"Loopback", 29}}));
}

TEST(SoundCards, SkipsLinesWithoutBracketsInOrderOrWithoutANumber) {
  EXPECT_TRUE(sound_cards::parse_cards("0 ]PCH[ x\n"
                                       "0 [PCH x\n"
                                       "0 PCH] x\n"
                                       "-1 [PCH]\n"
                                       "[PCH]\n"
                                       "zero [PCH]\n"
                                       "1 2 [PCH]\n"
                                       "+ [PCH]\n"
                                       "4294967296 [PCH]\n")
                  .empty());
  EXPECT_EQ(sound_cards::parse_cards("4294967295 [Big]"),
            (std::vector<SoundCard>{{"Big", 4294967295u}}));
}

TEST(SoundCards, EachCardOfTheFileIsLoggedAndAMissingFileLogsNothing) {
  const test_support::LogCapture log("quorvelan::audio::engine");
  const auto path = std::filesystem::temp_directory_path() / "quorvelan-engine-cards-test";
  std::ofstream(path) << " 0 [PCH            ]: HDA-Intel - HDA Intel PCH\n"
                         "                      HDA Intel PCH at 0xf7f10000 irq 31\n"
                         " 3 [USB]: USB-Audio - Headset\n";
  sound_cards::log_sound_cards(path);
  std::filesystem::remove(path);
  sound_cards::log_sound_cards(path);
  EXPECT_EQ(log.lines(),
            (std::vector<std::string>{"info Discovered ALSA card from /proc: PCH (0)",
                                      "info Discovered ALSA card from /proc: USB (3)"}));
}

}  // namespace
