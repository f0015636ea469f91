#include "audio/engine.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "audio/probe.hpp"
#include "audio/rtaudio_host.hpp"
#include "audio/sound_cards.hpp"
#include "audio/stream_renderer.hpp"
#include "log.hpp"
#include "utf8.hpp"

namespace quorvelan::audio::engine {
namespace {

constexpr std::string_view default_device_name = "default";

std::shared_ptr<spdlog::logger> logger() { return log::target("quorvelan::audio::engine"); }

bool gamepad_mode() {
  const char* value = std::getenv("QUORVELAN_GAMEPAD");
  return value != nullptr && utf8::is_valid(value);
}

// A gamepad set-up starts on the card's own "sysdefault" device rather than a sound server.
void move_sysdefault_to_front(std::vector<std::string>& names) {
  const auto found = std::ranges::find_if(
      names, [](const std::string& name) { return name.starts_with("sysdefault"); });
  if (found == names.end() || found == names.begin()) return;
  std::rotate(names.begin(), found, found + 1);
}

struct ChosenDevice {
  host::DeviceId id;
  std::string label;  // the name asked for, used in error texts
};

Result<ChosenDevice> choose_device(host::Host& host, const std::optional<std::string>& asked) {
  std::string label;
  if (asked) {
    label = *asked;
  } else {
    const auto names = AudioEngine::list_output_devices(host);
    label =
        names.empty() || names.front().empty() ? std::string(default_device_name) : names.front();
  }
  if (label == default_device_name) {
    const auto device = host.default_output_device();
    if (!device) return fail("No default audio device available");
    return ChosenDevice{*device, label};
  }
  auto devices = host.output_devices();
  if (!devices) return std::unexpected(devices.error());
  for (const auto device : *devices) {
    const auto name = host.device_name(device);
    if (name && *name == label) return ChosenDevice{device, label};
  }
  // A device remembered from an earlier run may be gone; the default serves instead.
  const auto device = host.default_output_device();
  if (!device) return fail(fmt::format("Audio device '{}' not found", label));
  return ChosenDevice{*device, label};
}

}  // namespace

AudioEngine::AudioEngine(std::unique_ptr<host::OutputStream> stream, std::string device_name,
                         std::shared_ptr<const device_signs::DeviceSigns> signs)
    : stream_(std::move(stream)), device_name_(std::move(device_name)), signs_(std::move(signs)) {}

std::vector<std::string> AudioEngine::list_output_devices() {
  return list_output_devices(rtaudio_host::rechosen_system_host());
}

std::vector<std::string> AudioEngine::list_output_devices(host::Host& host) {
  std::vector<std::string> names;
  if (auto devices = host.output_devices()) {
    for (const auto device : *devices) {
      if (auto name = host.device_name(device)) names.push_back(std::move(*name));
    }
  }
  sound_cards::log_sound_cards("/proc/asound/cards");
  if (std::ranges::find(names, default_device_name) == names.end() &&
      host.default_output_device()) {
    names.insert(names.begin(), std::string(default_device_name));
  }
  if (gamepad_mode()) move_sysdefault_to_front(names);
  return names;
}

Result<AudioEngine> AudioEngine::create(const std::optional<std::string>& device_name,
                                        messages::AudioConsumer commands,
                                        messages::FeedbackProducer feedback) {
  return create(rtaudio_host::system_host(), device_name, std::move(commands), std::move(feedback));
}

Result<AudioEngine> AudioEngine::create(host::Host& host,
                                        const std::optional<std::string>& device_name,
                                        messages::AudioConsumer commands,
                                        messages::FeedbackProducer feedback) {
  const auto chosen = choose_device(host, device_name);
  if (!chosen) return std::unexpected(chosen.error());
  const auto defaults = host.default_output_config(chosen->id);
  if (!defaults) return std::unexpected(defaults.error());
  auto name = host.device_name(chosen->id);
  if (!name) return std::unexpected(name.error());
  logger()->info("Audio device: {}, sample rate: {}, channels: {}, format: {}", *name,
                 defaults->sample_rate, defaults->channels, host::format_name(defaults->format));

  const auto config = probe::find_working_config(host, chosen->id, *defaults);
  if (!config) {
    return fail(fmt::format("No working audio configuration found for '{}'", chosen->label));
  }
  logger()->info("Using format: {}, sample rate: {}", host::format_name(config->format),
                 config->sample_rate);

  auto signs = std::make_shared<device_signs::DeviceSigns>();
  auto renderer = std::make_unique<stream_renderer::StreamRenderer>(*config, std::move(commands),
                                                                    std::move(feedback), signs);
  auto stream = host.build_output_stream(chosen->id, *config, std::move(renderer));
  if (!stream) return std::unexpected(stream.error());
  if (auto played = (*stream)->play(); !played) return std::unexpected(played.error());
  if (!host::device_asks_for_sound(signs->asked_for_sound())) {
    return fail("the audio device never asked for sound");
  }
  return AudioEngine(std::move(*stream), std::move(*name), std::move(signs));
}

}  // namespace quorvelan::audio::engine
