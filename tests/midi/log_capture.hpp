#pragma once
// Collects what one log target writes while it lives, at info level and above, as "level text"
// lines, so tests can check the lines a user would find in the log file.

#include <spdlog/sinks/ostream_sink.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "log.hpp"

namespace test_support {

class LogCapture {
 public:
  explicit LogCapture(std::string_view target)
      : logger_(quorvelan::log::target(target)),
        sink_(std::make_shared<spdlog::sinks::ostream_sink_mt>(lines_)),
        previous_level_(logger_->level()) {
    sink_->set_pattern("%l %v");
    logger_->sinks().push_back(sink_);
    logger_->set_level(spdlog::level::info);
  }
  ~LogCapture() {
    auto& sinks = logger_->sinks();
    sinks.erase(std::remove(sinks.begin(), sinks.end(), sink_), sinks.end());
    logger_->set_level(previous_level_);
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::string text() const { return lines_.str(); }

 private:
  std::ostringstream lines_;
  std::shared_ptr<spdlog::logger> logger_;
  std::shared_ptr<spdlog::sinks::ostream_sink_mt> sink_;
  spdlog::level::level_enum previous_level_;
};

}  // namespace test_support
