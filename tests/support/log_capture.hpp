#pragma once
// Captures the records of one log target at info level and above while it lives, so tests can
// check the lines a user would find in the log file.

#include <spdlog/sinks/ringbuffer_sink.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "log.hpp"

namespace test_support {

class LogCapture {
 public:
  explicit LogCapture(std::string_view target)
      : logger_(quorvelan::log::target(target)),
        sink_(std::make_shared<spdlog::sinks::ringbuffer_sink_mt>(256)),
        level_(logger_->level()) {
    sink_->set_pattern("%l %v");
    logger_->sinks().push_back(sink_);
    logger_->set_level(spdlog::level::info);
  }
  ~LogCapture() {
    logger_->set_level(level_);
    std::erase(logger_->sinks(), sink_);
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // Each record as "level text", e.g. "error Audio stream error: gone".
  [[nodiscard]] std::vector<std::string> lines() const {
    auto all = sink_->last_formatted();
    for (auto& line : all) line.erase(line.find_last_not_of("\r\n") + 1);
    return all;
  }

  // Every record, each followed by a line break.
  [[nodiscard]] std::string text() const {
    std::string all;
    for (const auto& line : lines()) all += line + "\n";
    return all;
  }

  [[nodiscard]] bool contains(std::string_view line) const {
    const auto all = lines();
    return std::ranges::find(all, line) != all.end();
  }

 private:
  std::shared_ptr<spdlog::logger> logger_;
  std::shared_ptr<spdlog::sinks::ringbuffer_sink_mt> sink_;
  spdlog::level::level_enum level_;
};

}  // namespace test_support
