#include "term/input.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>

#include "support/pty.hpp"
#include "term/control.hpp"

namespace quorvelan::term {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(enable_raw_mode(pty.terminal()));
    auto opened = Input::open(pty.terminal(), "xterm");
    ASSERT_TRUE(opened);
    input = std::move(*opened);
  }
  void TearDown() override { restore(); }

  test_support::Pty pty{80, 24};
  std::unique_ptr<Input> input;
};

TEST_F(InputTest, ReturnsKeysAsTheyArrive) {
  pty.type("\x1b[1;5Cq");
  EXPECT_EQ(input->wait(100ms), (Event{KeyEvent{KeyCode::Right, 0, 0, KeyModifier::Ctrl}}));
  EXPECT_EQ(input->wait(100ms), (Event{KeyEvent{KeyCode::Char, 'q'}}));
}

TEST_F(InputTest, TimesOutWithNothingWhenNoKeyComes) {
  const auto start = Clock::now();
  const auto result = input->wait(16ms);
  ASSERT_TRUE(result);
  EXPECT_EQ(*result, std::nullopt);
  EXPECT_GE(Clock::now() - start, 16ms);
#ifndef QUORVELAN_SANITIZED
  EXPECT_LT(Clock::now() - start, 200ms);
#endif
}

TEST_F(InputTest, ALoneEscIsReportedAfterAShortWait) {
  pty.type("\x1b");
  EXPECT_EQ(input->wait(100ms), (Event{KeyEvent{KeyCode::Esc}}));
}

// A terminal sends a paste in one burst, but a slow remote link may split it, with pauses far
// longer than the rest of an escape sequence may take.
TEST_F(InputTest, APasteOutlastsASlowLinksPause) {
  pty.type("\x1b[200~pasted");
  EXPECT_EQ(input->wait(100ms), Event{OtherEvent{}});
  EXPECT_EQ(input->wait(700ms), std::nullopt);
  pty.type(" text\x1b[201~q");
  EXPECT_EQ(input->wait(100ms), (Event{KeyEvent{KeyCode::Char, 'q'}}));
}

TEST_F(InputTest, AWindowSizeChangeWakesTheWait) {
  std::raise(SIGWINCH);
  const auto start = Clock::now();
  EXPECT_EQ(input->wait(5s), Event{ResizeEvent{}});
  EXPECT_LT(Clock::now() - start, 1s);
  // The wake-up is used once.
  EXPECT_EQ(input->wait(1ms), std::nullopt);
}

TEST_F(InputTest, OnlyOneInputListensAtATime) {
  const auto second = Input::open(pty.terminal(), "xterm");
  ASSERT_FALSE(second);
  EXPECT_EQ(second.error().message(), "Terminal input is already open");
}

TEST_F(InputTest, AClosedTerminalEndsTheWaitWithAnError) {
  pty.hang_up();
  const auto result = input->wait(1s);
  ASSERT_FALSE(result);
}

}  // namespace
}  // namespace quorvelan::term
