#include "log.hpp"

#include <spdlog/cfg/env.h>
#include <spdlog/pattern_formatter.h>
#include <spdlog/sinks/stdout_sinks.h>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <string>

namespace quorvelan::log {
namespace {

// Level names in capitals, padded to five columns.
class UpperLevelFlag final : public spdlog::custom_flag_formatter {
 public:
  void format(const spdlog::details::log_msg& msg, const std::tm&,
              spdlog::memory_buf_t& dest) override {
    auto name = spdlog::level::to_string_view(msg.level);
    std::string text(name.data(), name.size());
    std::ranges::transform(text, text.begin(), [](unsigned char c) { return std::toupper(c); });
    if (text == "WARNING") text = "WARN";
    if (text.size() < 5) text.append(5 - text.size(), ' ');
    dest.append(text.data(), text.data() + text.size());
  }
  std::unique_ptr<custom_flag_formatter> clone() const override {
    return std::make_unique<UpperLevelFlag>();
  }
};

std::unique_ptr<spdlog::formatter> make_formatter() {
  auto formatter = std::make_unique<spdlog::pattern_formatter>(spdlog::pattern_time_type::utc);
  formatter->add_flag<UpperLevelFlag>('*').set_pattern("[%Y-%m-%dT%H:%M:%SZ %* %n] %v");
  return formatter;
}

std::mutex registry_mutex;

// Error records only, until the environment says otherwise.
void ensure_default_filter() {
  static std::once_flag once;
  std::call_once(once, [] { spdlog::set_level(spdlog::level::err); });
}

}  // namespace

std::shared_ptr<spdlog::logger> target(std::string_view name) {
  ensure_default_filter();
  std::lock_guard lock(registry_mutex);
  std::string key(name);
  if (auto existing = spdlog::get(key)) return existing;
  static auto sink = std::make_shared<spdlog::sinks::stderr_sink_mt>();
  auto logger = std::make_shared<spdlog::logger>(key, sink);
  spdlog::initialize_logger(logger);  // registers it with the filter level in force
  logger->set_formatter(make_formatter());
  logger->flush_on(spdlog::level::trace);
  return logger;
}

void init_from_env() {
  ensure_default_filter();
  spdlog::cfg::load_env_levels();
}

}  // namespace quorvelan::log
