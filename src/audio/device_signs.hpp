#pragma once
// What an output stream's device has shown so far, told by the threads that see it: that it asks
// for sound (the render thread, on every buffer) and that it is gone, and why (a JACK
// notification thread, RtAudio's error relay). The engine and the interface read it on theirs.
// Never locks or allocates: the first loss reported writes its reason once and then publishes
// it; later ones are dropped, as a lost device repeats itself.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvelan::audio::device_signs {

class DeviceSigns {
 public:
  static constexpr std::size_t max_reason_bytes = 255;

  // From the render thread, on every buffer.
  void ask_for_sound() noexcept { asked_for_sound_.store(true, std::memory_order_release); }
  // Set once the device has asked for sound (see host::device_asks_for_sound).
  [[nodiscard]] const std::atomic<bool>& asked_for_sound() const { return asked_for_sound_; }

  // From any thread, alongside itself too. Longer reasons are cut to max_reason_bytes.
  void report_lost(std::string_view reason) noexcept;
  // True from the first report on; for the render thread.
  [[nodiscard]] bool lost() const noexcept;
  // The first report's reason, once it is written.
  [[nodiscard]] std::optional<std::string> lost_reason() const;

 private:
  enum class Loss : std::uint8_t { None, Writing, Written };

  std::atomic<bool> asked_for_sound_{false};
  std::atomic<Loss> loss_{Loss::None};
  std::array<char, max_reason_bytes> reason_{};
  std::size_t reason_length_ = 0;
};

}  // namespace quorvelan::audio::device_signs
