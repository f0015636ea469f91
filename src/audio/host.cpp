#include "audio/host.hpp"

#include <chrono>
#include <thread>

namespace quorvelan::audio::host {

std::string_view format_name(SampleFormat format) {
  switch (format) {
    case SampleFormat::I8:
      return "I8";
    case SampleFormat::I16:
      return "I16";
    case SampleFormat::I24:
      return "I24";
    case SampleFormat::I32:
      return "I32";
    case SampleFormat::U16:
      return "U16";
    case SampleFormat::F32:
      return "F32";
    case SampleFormat::F64:
      return "F64";
  }
  return "?";
}

bool device_asks_for_sound(const std::atomic<bool>& rendered) {
  using namespace std::chrono_literals;
  const auto give_up = std::chrono::steady_clock::now() + 2s;
  while (!rendered.load(std::memory_order_acquire)) {
    if (std::chrono::steady_clock::now() >= give_up) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

}  // namespace quorvelan::audio::host
