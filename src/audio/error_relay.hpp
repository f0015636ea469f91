#pragma once
// Carries stream errors raised on the real-time render thread to a thread of its own, which
// hands them on. RtAudio reports some errors (ALSA underruns and failed writes among them) from
// inside the render callback, where nothing may lock, log or allocate.

#include <array>
#include <boost/lockfree/spsc_queue.hpp>
#include <cstddef>
#include <functional>
#include <string_view>
#include <thread>

namespace quorvelan::audio::error_relay {

class ErrorRelay {
 public:
  using Deliver = std::function<void(std::string_view text, bool device_lost)>;

  static constexpr std::size_t max_text_bytes = 255;
  static constexpr std::size_t capacity = 64;

  // `deliver` runs on the relay's thread, in the order the errors were posted.
  explicit ErrorRelay(Deliver deliver);
  // Delivers what is still waiting, then stops the thread.
  ~ErrorRelay();
  ErrorRelay(const ErrorRelay&) = delete;
  ErrorRelay& operator=(const ErrorRelay&) = delete;

  // From one thread only; never locks or allocates. Longer texts are cut to max_text_bytes.
  // Errors beyond the room left are dropped: they come in floods, and a lost device repeats its
  // error on every buffer.
  void post(std::string_view text, bool device_lost) noexcept;

 private:
  struct Entry {
    std::array<char, max_text_bytes> text{};
    std::size_t length = 0;
    bool device_lost = false;
  };

  void deliver_waiting();

  Deliver deliver_;
  boost::lockfree::spsc_queue<Entry, boost::lockfree::capacity<capacity>> waiting_;
  std::jthread thread_;  // last: stops before the queue and the callback go
};

}  // namespace quorvelan::audio::error_relay
