#include "ui/crash.hpp"

#include <signal.h>

#include <array>
#include <atomic>
#include <exception>

namespace quorvelan::ui::crash {
namespace {

constexpr std::array kFatalSignals{SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

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
  previous_terminate = std::set_terminate(on_terminate);
  signal(SIGPIPE, SIG_IGN);
}

}  // namespace quorvelan::ui::crash
