#include "ui/crash.hpp"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <exception>

namespace quorvelan::ui::crash {
namespace {

constexpr std::array kFatalSignals{SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
// Signals that ask the program to end (kill, a closed terminal window). SIGQUIT belongs here too:
// its default action, a core dump, would leave the terminal raw and on the alternate screen.
constexpr std::array kEndSignals{SIGTERM, SIGINT, SIGHUP, SIGQUIT};

std::atomic<RestoreFn> restore_fn{nullptr};
std::atomic<bool> restored{false};
std::array<struct sigaction, kFatalSignals.size()> previous_actions{};
std::terminate_handler previous_terminate = nullptr;
bool installed = false;

void restore_once() noexcept {
  if (restored.exchange(true)) return;
  if (auto fn = restore_fn.load()) fn();
}

void on_fatal_signal(int signal_number, siginfo_t* info, void* context) {
  restore_once();
  for (std::size_t i = 0; i < kFatalSignals.size(); ++i) {
    if (kFatalSignals[i] != signal_number) continue;
    const struct sigaction& before = previous_actions[i];
    if ((before.sa_flags & SA_SIGINFO) && before.sa_sigaction != nullptr) {
      before.sa_sigaction(signal_number, info, context);
      return;
    }
    if (before.sa_handler != SIG_DFL && before.sa_handler != SIG_IGN) {
      before.sa_handler(signal_number);
      return;
    }
    // The default action: put it back and let the signal take its course.
    sigaction(signal_number, &before, nullptr);
    raise(signal_number);
    return;
  }
}

// Ends with the status that a shell reports for a process ended by the signal, 128 + its number,
// with the terminal given back first. Nothing is saved, as on quit.
void on_end_signal(int signal_number) {
  restore_once();
  _exit(128 + signal_number);
}

void on_terminate() {
  restore_once();
  if (previous_terminate != nullptr) previous_terminate();
  std::abort();
}

}  // namespace

void install(RestoreFn restore) {
  restore_fn.store(restore);
  restored.store(false);
  if (installed) return;
  installed = true;

  struct sigaction action {};
  action.sa_sigaction = on_fatal_signal;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < kFatalSignals.size(); ++i) {
    sigaction(kFatalSignals[i], &action, &previous_actions[i]);
  }
  struct sigaction end_action {};
  end_action.sa_handler = on_end_signal;
  sigemptyset(&end_action.sa_mask);
  for (const int signal_number : kEndSignals) {
    struct sigaction before {};
    sigaction(signal_number, nullptr, &before);
    // A signal ignored from the start (nohup, a background job) stays ignored.
    if (before.sa_handler != SIG_IGN) sigaction(signal_number, &end_action, nullptr);
  }
  previous_terminate = std::set_terminate(on_terminate);
  signal(SIGPIPE, SIG_IGN);
}

}  // namespace quorvelan::ui::crash
