#pragma once
// Log records go through one logger per target (the module path, e.g. "quorvelan::audio::engine"),
// all writing to standard error in the form "[2026-01-01T12:00:00Z ERROR target] text".
// Only error records pass by default; SPDLOG_LEVEL widens the filter ("info", "quorvelan=info").

#include <spdlog/spdlog.h>

#include <memory>
#include <string_view>

namespace quorvelan::log {

// The logger for a target, created on first use. Safe to call from any thread but the audio
// callback (it may allocate and lock).
std::shared_ptr<spdlog::logger> target(std::string_view name);

// Applies the filter from the environment to every logger, present and future. Call once at start.
void init_from_env();

}  // namespace quorvelan::log
