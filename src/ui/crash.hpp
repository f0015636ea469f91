#pragma once
// Gives the terminal back when the program crashes on any thread: an uncaught exception
// (std::terminate) or a fatal signal runs the restore function, then hands over to whatever
// handler was installed before, which reports the crash on standard error. A signal that asks
// the program to end (SIGTERM, SIGINT, SIGHUP, SIGQUIT) runs the same restore function, then
// exits with the status 128 + the signal's number.

namespace quorvelan::ui::crash {

// Must be async-signal-safe: it runs inside signal handlers.
using RestoreFn = void (*)() noexcept;

// Installs the handlers (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, std::terminate, and SIGTERM,
// SIGINT, SIGHUP and SIGQUIT unless they were ignored) and ignores SIGPIPE. Calling it again
// replaces the restore function only.
void install(RestoreFn restore);

}  // namespace quorvelan::ui::crash
