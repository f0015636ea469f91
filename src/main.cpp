#include <fmt/format.h>

#include <cstdio>

#include "ui/app.hpp"
#include "ui/startup.hpp"

int main() {
  using namespace quorvelan;
  ui::startup::redirect_stderr_to_log(ui::startup::temp_directory());
  ui::startup::start_logging();
  auto result = ui::app::App::start_and_run();
  if (!result) {
    fmt::print(stderr, "Error: {}\n", result.error().debug());
    return 1;
  }
  return 0;
}
