#include "audio/error_relay.hpp"

#include <algorithm>
#include <chrono>
#include <utility>

namespace quorvelan::audio::error_relay {

ErrorRelay::ErrorRelay(Deliver deliver)
    : deliver_(std::move(deliver)), thread_([this](std::stop_token stop) {
        using namespace std::chrono_literals;
        while (!stop.stop_requested()) {
          deliver_waiting();
          std::this_thread::sleep_for(20ms);
        }
      }) {}

ErrorRelay::~ErrorRelay() {
  thread_.request_stop();
  thread_.join();
  deliver_waiting();
}

void ErrorRelay::post(std::string_view text, bool device_lost) noexcept {
  Entry entry;
  entry.length = std::min(text.size(), max_text_bytes);
  std::copy_n(text.data(), entry.length, entry.text.data());
  entry.device_lost = device_lost;
  waiting_.push(entry);
}

void ErrorRelay::deliver_waiting() {
  waiting_.consume_all([this](const Entry& entry) {
    deliver_(std::string_view(entry.text.data(), entry.length), entry.device_lost);
  });
}

}  // namespace quorvelan::audio::error_relay
