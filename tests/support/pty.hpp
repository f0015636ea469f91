#pragma once
// A pseudo-terminal for tests: the program side (`terminal`) acts as the user's terminal device,
// the other side (`user`) types into it and reads what the program drew.

#include <string>

namespace test_support {

class Pty {
 public:
  Pty(unsigned short width, unsigned short height);
  ~Pty();
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  [[nodiscard]] int terminal() const { return terminal_; }
  void resize(unsigned short width, unsigned short height);
  void type(const std::string& bytes);
  // Everything written to the terminal so far and not yet read.
  std::string drawn();
  // Closes the user's side, as when the terminal window goes away.
  void hang_up();

 private:
  int user_ = -1;
  int terminal_ = -1;
};

}  // namespace test_support
