#pragma once
// Runs a program in a pseudo-terminal of a chosen size and keeps a model of its screen (through
// libvterm), so end-to-end tests can type keys and read back text, colours and attributes.

#include <termios.h>

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct VTerm;
struct VTermScreen;

namespace e2e {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Parses "RRGGBB".
Rgb rgb(std::string_view hex);

struct ScreenCell {
  std::string text;  // UTF-8 of the cell's characters, "" for the right half of a wide character
  std::optional<Rgb> fg;  // absent: the terminal's default colour
  std::optional<Rgb> bg;
  bool bold = false;
  bool underline = false;
  bool reverse = false;
};

struct PtyOptions {
  std::vector<std::string> argv;
  // Variables set (or, with an absent value, removed) on top of this process's environment.
  std::vector<std::pair<std::string, std::optional<std::string>>> env;
  int rows = 24;
  int cols = 80;
};

class PtySession {
 public:
  explicit PtySession(const PtyOptions& options);
  ~PtySession();
  PtySession(const PtySession&) = delete;
  PtySession& operator=(const PtySession&) = delete;

  void send(std::string_view bytes);
  // Sends text as the terminal sends a paste: marked at both ends when the program asked for
  // bracketed paste, as plain typing when it did not. The pieces arrive `pause` apart, as a slow
  // remote link delivers a long paste.
  void paste(std::initializer_list<std::string_view> pieces,
             std::chrono::milliseconds pause = std::chrono::milliseconds(0));
  // True while the program has the terminal mark pastes (it asked and did not give that back).
  bool marks_pastes();
  // Reads, without waiting for a frame, until the program asks the terminal to mark pastes:
  // the last step of taking it over. False when that does not come within the time-out.
  bool wait_until_pastes_marked(std::chrono::milliseconds timeout);
  // Reads whatever the program writes for the given time, and the rest of a frame it began.
  void pump(std::chrono::milliseconds duration);
  // Reads until the screen shows the text somewhere, or the time-out passes; once it shows, also
  // the rest of the frame that brought it.
  bool wait_for_text(std::string_view text, std::chrono::milliseconds timeout);
  // Waits for the program to end; its exit status, or absent on a time-out or a signal.
  std::optional<int> wait_exit(std::chrono::milliseconds timeout);
  void resize(int rows, int cols);

  std::string row_text(int row) const;
  std::string screen_text() const;  // rows joined by '\n'
  ScreenCell cell(int row, int col) const;
  // Row and column of the first cell where the text starts, if shown.
  std::optional<std::pair<int, int>> find(std::string_view text) const;
  // The pseudo-terminal's modes as the program set or left them (kept after it ends).
  termios modes() const;
  int rows() const { return rows_; }
  int cols() const { return cols_; }
  bool running() const { return !exit_status_ && !signalled_; }
  int pid() const { return pid_; }

 private:
  // What the terminal sends the program when `act` (a libvterm keyboard call) runs.
  template <class Act>
  std::string terminal_reply(Act act);
  void read_available(int timeout_ms);
  // Reads what has arrived without waiting; true when there was something.
  bool drain();
  // Reads until the program has finished writing every frame it began.
  void settle();
  void reap(bool block);

  int master_fd_ = -1;
  int pid_ = -1;
  int rows_;
  int cols_;
  VTerm* vt_ = nullptr;
  VTermScreen* screen_ = nullptr;
  std::optional<int> exit_status_;
  bool signalled_ = false;
};

}  // namespace e2e
