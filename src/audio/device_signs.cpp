#include "audio/device_signs.hpp"

#include <algorithm>

namespace quorvelan::audio::device_signs {

void DeviceSigns::report_lost(std::string_view reason) noexcept {
  auto none = Loss::None;
  if (!loss_.compare_exchange_strong(none, Loss::Writing, std::memory_order_relaxed)) return;
  reason_length_ = std::min(reason.size(), max_reason_bytes);
  std::copy_n(reason.data(), reason_length_, reason_.data());
  loss_.store(Loss::Written, std::memory_order_release);
}

bool DeviceSigns::lost() const noexcept {
  return loss_.load(std::memory_order_relaxed) != Loss::None;
}

std::optional<std::string> DeviceSigns::lost_reason() const {
  if (loss_.load(std::memory_order_acquire) != Loss::Written) return std::nullopt;
  return std::string(reason_.data(), reason_length_);
}

}  // namespace quorvelan::audio::device_signs
