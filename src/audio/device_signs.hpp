#pragma once
// What an output stream's device has shown so far, told by the threads that see it: that it asks
// for sound (the render thread, on every buffer). The engine reads it on its own thread.

#include <atomic>

namespace quorvelan::audio::device_signs {

class DeviceSigns {
 public:
  // From the render thread, on every buffer.
  void ask_for_sound() noexcept { asked_for_sound_.store(true, std::memory_order_release); }
  // Set once the device has asked for sound (see host::device_asks_for_sound).
  [[nodiscard]] const std::atomic<bool>& asked_for_sound() const { return asked_for_sound_; }

 private:
  std::atomic<bool> asked_for_sound_{false};
};

}  // namespace quorvelan::audio::device_signs
