#pragma once
// A scripted audio host: devices with names and default configurations, a default device, and
// a rule for which configurations build. It records every test stream in order and keeps the
// client of the last real stream so tests can drive the callback by hand. A started stream
// renders one buffer at once, as a device asks for sound, unless the device is mute.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audio/host.hpp"

namespace test_support {

namespace host = quorvelan::audio::host;

class FakeHost final : public host::Host {
 public:
  struct Device {
    std::optional<std::string> name;  // nothing: the name cannot be read
    host::StreamConfig defaults{48000, 2, host::SampleFormat::F32};
  };

  std::vector<Device> devices;
  std::optional<host::DeviceId> default_device;
  bool enumeration_fails = false;
  std::optional<std::string> default_config_error;
  std::function<bool(const host::StreamConfig&)> builds = [](const host::StreamConfig&) {
    return true;
  };
  std::optional<std::string> play_error;
  bool mute = false;  // the device never asks a started stream for sound

  std::vector<host::StreamConfig> tried;  // every test stream, in order
  std::optional<host::DeviceId> opened_device;
  std::optional<host::StreamConfig> opened_config;
  host::StreamClient* client = nullptr;  // the running stream's, until it is dropped
  bool playing = false;
  bool stream_dropped = false;

  FakeHost& with(std::string name,
                 host::StreamConfig defaults = {48000, 2, host::SampleFormat::F32}) {
    devices.push_back({std::move(name), defaults});
    return *this;
  }

  quorvelan::Result<std::vector<host::DeviceId>> output_devices() override {
    if (enumeration_fails) return quorvelan::fail("device enumeration failed");
    std::vector<host::DeviceId> ids;
    for (host::DeviceId id = 0; id < devices.size(); ++id) ids.push_back(id);
    return ids;
  }

  quorvelan::Result<std::string> device_name(host::DeviceId device) override {
    if (device >= devices.size() || !devices[device].name) return quorvelan::fail("no name");
    return *devices[device].name;
  }

  std::optional<host::DeviceId> default_output_device() override { return default_device; }

  quorvelan::Result<host::StreamConfig> default_output_config(host::DeviceId device) override {
    if (default_config_error) return quorvelan::fail(*default_config_error);
    return devices.at(device).defaults;
  }

  bool try_output_config(host::DeviceId, const host::StreamConfig& config) override {
    tried.push_back(config);
    return builds(config);
  }

  quorvelan::Result<std::unique_ptr<host::OutputStream>> build_output_stream(
      host::DeviceId device, const host::StreamConfig& config,
      std::unique_ptr<host::StreamClient> stream_client) override {
    if (!builds(config)) return quorvelan::fail("stream build failed");
    opened_device = device;
    opened_config = config;
    client = stream_client.get();
    return std::make_unique<Stream>(*this, std::move(stream_client));
  }

 private:
  class Stream final : public host::OutputStream {
   public:
    Stream(FakeHost& host, std::unique_ptr<host::StreamClient> client)
        : host_(host), client_(std::move(client)) {}
    ~Stream() override {
      host_.client = nullptr;
      host_.playing = false;
      host_.stream_dropped = true;
    }
    quorvelan::Result<void> play() override {
      if (host_.play_error) return quorvelan::fail(*host_.play_error);
      host_.playing = true;
      std::array<std::int32_t, 64> buffer{};  // room for samples of any format
      if (!host_.mute) client_->render(buffer.data(), buffer.size());
      return {};
    }

   private:
    FakeHost& host_;
    std::unique_ptr<host::StreamClient> client_;
  };
};

}  // namespace test_support
