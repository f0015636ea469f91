#pragma once
// The audio engine: picks an output device, finds a rate and sample type it accepts, and runs
// an output stream whose callback renders the audio state into the device's buffers. Dropping
// the engine stops the stream (and drops the audio state with it).

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/device_signs.hpp"
#include "audio/host.hpp"
#include "audio/messages.hpp"
#include "error.hpp"

namespace quorvelan::audio::engine {

class AudioEngine {
 public:
  // Output device names in the host's order; "default" in front when the system has a default
  // output device and no device bears that name. With QUORVELAN_GAMEPAD set, the first
  // "sysdefault" device goes to the front. Never fails: lists what it could read.
  // Without a host, the system's back end is chosen again first, and engines created afterwards
  // open devices of this list.
  static std::vector<std::string> list_output_devices();
  static std::vector<std::string> list_output_devices(host::Host& host);

  // Opens `device_name` (the first listed device when absent; "default" for the system's
  // default). The ring ends move into the audio state; on failure they are dropped.
  static Result<AudioEngine> create(const std::optional<std::string>& device_name,
                                    messages::AudioConsumer commands,
                                    messages::FeedbackProducer feedback);
  static Result<AudioEngine> create(host::Host& host, const std::optional<std::string>& device_name,
                                    messages::AudioConsumer commands,
                                    messages::FeedbackProducer feedback);

  // The name that the chosen device reports.
  [[nodiscard]] const std::string& device_name() const { return device_name_; }
  // Why the device was lost, once the stream has reported it so: the engine plays no more.
  [[nodiscard]] std::optional<std::string> device_loss() const { return signs_->lost_reason(); }

 private:
  AudioEngine(std::unique_ptr<host::OutputStream> stream, std::string device_name,
              std::shared_ptr<const device_signs::DeviceSigns> signs);

  std::unique_ptr<host::OutputStream> stream_;
  std::string device_name_;
  std::shared_ptr<const device_signs::DeviceSigns> signs_;
};

}  // namespace quorvelan::audio::engine
