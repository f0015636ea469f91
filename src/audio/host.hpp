#pragma once
// The thin seam between the audio engine and an audio output library: device enumeration,
// default configurations and output streams. The engine holds the policy (which device, which
// rate and format); a host only answers and builds. Tests script a fake host behind it.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "error.hpp"

namespace quorvelan::audio::host {

// Sample types a device may report; streams are only built in I16, I32, U16 and F32.
enum class SampleFormat : std::uint8_t { I8, I16, I24, I32, U16, F32, F64 };

// The short debug form used in log lines, e.g. "F32".
std::string_view format_name(SampleFormat format);

struct StreamConfig {
  std::uint32_t sample_rate = 0;  // Hz
  std::uint16_t channels = 0;
  SampleFormat format = SampleFormat::F32;

  friend bool operator==(const StreamConfig&, const StreamConfig&) = default;
};

// A host's own handle for one output device, valid until the next enumeration.
using DeviceId = std::uint32_t;

// What a running stream calls into. `render` runs on the host's real-time thread; `error` on
// whichever thread the host reports errors from, possibly alongside `render` or itself.
class StreamClient {
 public:
  virtual ~StreamClient() = default;
  // Fills one interleaved buffer of `samples` values (frames x channels) of the stream's format.
  // False once the device is gone: the buffer is silent and the host may stop the stream.
  virtual bool render(void* buffer, std::size_t samples) noexcept = 0;
  // A stream error in the host's words; `device_lost` when the stream will play no more.
  virtual void error(std::string_view text, bool device_lost) noexcept = 0;
};

// A built output stream. Dropping it stops the device callback and then drops the client.
class OutputStream {
 public:
  virtual ~OutputStream() = default;
  // Starts the device callback; whether the device then asks for sound is the caller's to see.
  virtual Result<void> play() = 0;
};

// A started stream plays once its device asks for sound: a JACK client that the server never
// schedules counts as started all the same, and stays silent. Waits up to 2 s for `rendered`,
// which the stream's client sets when it first renders.
bool device_asks_for_sound(const std::atomic<bool>& rendered);

class Host {
 public:
  virtual ~Host() = default;
  // Output devices in the host's order.
  virtual Result<std::vector<DeviceId>> output_devices() = 0;
  virtual Result<std::string> device_name(DeviceId device) = 0;
  virtual std::optional<DeviceId> default_output_device() = 0;
  virtual Result<StreamConfig> default_output_config(DeviceId device) = 0;
  // Builds a test stream for the configuration and drops it at once, never started, so that no
  // callback runs. True when the build succeeded.
  virtual bool try_output_config(DeviceId device, const StreamConfig& config) = 0;
  // Builds a stream that is not yet playing; the client moves into it.
  virtual Result<std::unique_ptr<OutputStream>> build_output_stream(
      DeviceId device, const StreamConfig& config, std::unique_ptr<StreamClient> client) = 0;
};

}  // namespace quorvelan::audio::host
