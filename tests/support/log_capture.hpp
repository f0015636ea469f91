#pragma once
// Records what one log target writes while it lives, at info level and above, as "level text".

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
        old_level_(logger_->level()),
        sink_(std::make_shared<spdlog::sinks::ringbuffer_sink_mt>(64)) {
    sink_->set_pattern("%l %v");
    logger_->sinks().push_back(sink_);
    logger_->set_level(spdlog::level::info);
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;
  ~LogCapture() {
    std::erase(logger_->sinks(), sink_);
    logger_->set_level(old_level_);
  }

  [[nodiscard]] std::vector<std::string> lines() const {
    std::vector<std::string> lines = sink_->last_formatted();
    for (auto& line : lines) {
      while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    }
    return lines;
  }

 private:
  std::shared_ptr<spdlog::logger> logger_;
  spdlog::level::level_enum old_level_;
  std::shared_ptr<spdlog::sinks::ringbuffer_sink_mt> sink_;
};

}  // namespace test_support
