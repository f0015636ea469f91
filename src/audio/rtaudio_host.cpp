#include "audio/rtaudio_host.hpp"

#include <fmt/format.h>
#include <rtaudio/RtAudio.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "audio/error_relay.hpp"
#include "audio/jack_stream.hpp"
#include "jack/client.hpp"
#include "log.hpp"

namespace quorvelan::audio::rtaudio_host {
namespace {

using host::DeviceId;
using host::SampleFormat;
using host::StreamConfig;

// Asked of every stream: 5.3 ms at 48 kHz, so that notes played by hand sound at once.
constexpr unsigned int buffer_frames = 256;
constexpr const char* stream_name = "Quorvelan";

RtAudioFormat rtaudio_format(SampleFormat format) {
  switch (format) {
    case SampleFormat::I8:
      return RTAUDIO_SINT8;
    case SampleFormat::I16:
      return RTAUDIO_SINT16;
    case SampleFormat::I24:
      return RTAUDIO_SINT24;
    case SampleFormat::I32:
      return RTAUDIO_SINT32;
    case SampleFormat::F64:
      return RTAUDIO_FLOAT64;
    case SampleFormat::U16:  // RtAudio has no unsigned type; never asked for
    case SampleFormat::F32:
      break;
  }
  return RTAUDIO_FLOAT32;
}

// The device's preferred type: f32 when it takes it, as that is what we render.
SampleFormat preferred_format(RtAudioFormat native) {
  for (const auto format : {SampleFormat::F32, SampleFormat::I16, SampleFormat::I32,
                            SampleFormat::I24, SampleFormat::I8, SampleFormat::F64}) {
    if ((native & rtaudio_format(format)) != 0) return format;
  }
  return SampleFormat::F32;
}

Error library_error(const std::exception& error) { return Error(error.what()); }

int discard_callback(void*, void*, unsigned int, double, RtAudioStreamStatus, void*) {
  return 2;  // test streams are never started; should one run, abort it
}

// RtAudio opens a JACK client for every count, every device it describes and every stream: with
// JACK, a step the server refused is taken again (see jack::patiently).
template <class Step>
std::invoke_result_t<Step&> patiently(RtAudio::Api api, Step step) {
  return api == RtAudio::UNIX_JACK ? jack::patiently(step) : step();
}

// Opens an output stream the way every stream of ours is opened, test streams included.
void open_output(RtAudio& audio, unsigned int device, const StreamConfig& config,
                 RtAudioCallback callback, void* user_data,
                 RtAudioErrorCallback error_callback = nullptr) {
  RtAudio::StreamParameters output{device, config.channels, 0};
  RtAudio::StreamOptions options;
  options.streamName = stream_name;
  std::optional<RtAudioError> refused;
  const bool opened = patiently(audio.getCurrentApi(), [&] {
    try {
      unsigned int frames = buffer_frames;
      audio.openStream(&output, nullptr, rtaudio_format(config.format), config.sample_rate, &frames,
                       callback, user_data, &options, error_callback);
      return true;
    } catch (const RtAudioError& error) {
      // RtAudio's only word for a client the JACK server refused.
      if (std::string_view(error.what()).find("connection error") == std::string_view::npos) throw;
      refused = error;
      return false;
    }
  });
  if (!opened) throw *refused;
}

bool is_readable_output(const RtAudio::DeviceInfo& info) {
  return info.probed && !info.name.empty() && info.outputChannels > 0;
}

struct Output {
  unsigned int index;  // the device's number in the enumeration it came from
  RtAudio::DeviceInfo info;
};

// The readable output devices of one enumeration; incomplete when RtAudio found no device at all
// or left one undescribed, which with JACK means the server refused a client RtAudio opened.
struct Enumeration {
  std::vector<Output> outputs;
  bool complete = true;
  explicit operator bool() const { return complete; }
};

Enumeration enumerate(RtAudio& audio) {
  Enumeration enumeration;
  const auto count = audio.getDeviceCount();
  enumeration.complete = count > 0;
  for (unsigned int index = 0; index < count; ++index) {
    auto info = audio.getDeviceInfo(index);
    if (!info.probed) enumeration.complete = false;
    if (is_readable_output(info)) enumeration.outputs.push_back({index, std::move(info)});
  }
  return enumeration;
}

// The readable output devices of `audio`, in its order.
std::vector<Output> outputs(RtAudio& audio) {
  return patiently(audio.getCurrentApi(), [&audio] { return enumerate(audio); }).outputs;
}

// RtAudio counts JACK clients and PulseAudio sinks only when a server answers.
bool serves_devices(RtAudio::Api api) {
  try {
    RtAudio probe(api);
    return probe.getCurrentApi() == api && probe.getDeviceCount() > 0;
  } catch (const RtAudioError&) {
    return false;
  }
}

RtAudio::Api best_api() {
#if defined(__APPLE__)
  return RtAudio::MACOSX_CORE;
#else
  if (patiently(RtAudio::UNIX_JACK, [] { return serves_devices(RtAudio::UNIX_JACK); })) {
    return RtAudio::UNIX_JACK;
  }
  if (serves_devices(RtAudio::LINUX_PULSE)) return RtAudio::LINUX_PULSE;
  return RtAudio::LINUX_ALSA;
#endif
}

// RtAudio aborts a stream itself on anything worse than a warning. ALSA reports an unplugged
// device only as a warning on every write, which fail at once: left running, the stream would
// spin and fill the log.
bool reports_lost_device(RtAudioError::Type type, std::string_view text) {
  return type != RtAudioError::WARNING || text.find("No such device") != std::string_view::npos;
}

class RtAudioStream;

// Errors raised on a thread inside a stream's callback or one of its calls go to that stream;
// RtAudio's error callback carries no pointer of ours.
thread_local RtAudioStream* current_stream = nullptr;
// True on a stream's render thread, whose errors must not be logged there.
thread_local bool on_render_thread = false;
// Set on the thread that starts a stream: its errors there are why the start failed. The render
// thread may already run by then, and its errors still go to the stream.
thread_local std::string* start_failure = nullptr;

// Points a thread-local slot at `value` for one scope.
template <class T>
class ScopedSlot {
 public:
  ScopedSlot(T*& slot, T* value) : slot_(slot), previous_(std::exchange(slot, value)) {}
  ~ScopedSlot() { slot_ = previous_; }
  ScopedSlot(const ScopedSlot&) = delete;
  ScopedSlot& operator=(const ScopedSlot&) = delete;

 private:
  T*& slot_;
  T* previous_;
};

class RtAudioStream final : public host::OutputStream {
 public:
  // `audio` is a fresh RtAudio without a stream, `device` its number for the device.
  RtAudioStream(std::unique_ptr<RtAudio> audio, unsigned int device, const StreamConfig& config,
                std::unique_ptr<host::StreamClient> client)
      : audio_(std::move(audio)),
        client_(std::move(client)),
        relay_(std::make_unique<error_relay::ErrorRelay>(
            [this](std::string_view text, bool device_lost) {
              client_->error(text, device_lost);
            })),
        samples_per_frame_(config.channels) {
    open_output(*audio_, device, config, &RtAudioStream::render_callback, this,
                &RtAudioStream::error_callback);
  }

  ~RtAudioStream() override {
    const ScopedSlot route(current_stream, this);
    try {
      // Aborted, not stopped: stopping waits for the callback to play out the last buffers,
      // and a stream whose callback no longer runs would wait forever.
      if (audio_->isStreamRunning()) audio_->abortStream();
      if (audio_->isStreamOpen()) audio_->closeStream();
    } catch (const RtAudioError&) {
    }
    audio_.reset();  // no callback runs past here
    relay_.reset();
  }

  Result<void> play() override {
    const ScopedSlot route(current_stream, this);
    std::string failure;
    {
      const ScopedSlot sink(start_failure, &failure);
      try {
        audio_->startStream();
      } catch (const RtAudioError& error) {
        failure = error.what();
      }
    }
    if (!audio_->isStreamRunning()) {
      return fail(failure.empty() ? "the audio stream did not start" : failure);
    }
    // A warning that did not stop the start is still a stream error.
    if (!failure.empty()) client_->error(failure, false);
    return {};
  }

 private:
  static int render_callback(void* output, void*, unsigned int frames, double, RtAudioStreamStatus,
                             void* self) {
    auto& stream = *static_cast<RtAudioStream*>(self);
    current_stream = &stream;
    on_render_thread = true;
    const bool playing =
        stream.client_->render(output, std::size_t{frames} * stream.samples_per_frame_) &&
        !stream.lost_on_render_thread_;
    return playing ? 0 : 2;  // 2: RtAudio aborts the stream
  }

  static void error_callback(RtAudioError::Type type, const std::string& text) {
    if (start_failure != nullptr) {
      *start_failure = text;
    } else if (current_stream == nullptr) {
      log::target("quorvelan::audio::engine")->error("Audio stream error: {}", text);
    } else if (on_render_thread) {
      // The client hears of it a moment later; the stream stops at once all the same.
      const bool lost = reports_lost_device(type, text);
      if (lost) current_stream->lost_on_render_thread_ = true;
      current_stream->relay_->post(text, lost);
    } else {
      current_stream->client_->error(text, reports_lost_device(type, text));
    }
  }

  std::unique_ptr<RtAudio> audio_;
  std::unique_ptr<host::StreamClient> client_;
  std::unique_ptr<error_relay::ErrorRelay> relay_;
  std::size_t samples_per_frame_;
  bool lost_on_render_thread_ = false;  // only the render thread touches it
};

// RtAudio numbers devices by their place in a fresh enumeration, which shifts whenever a JACK
// client comes or goes; so a device is handed out as a handle to its name and found again by
// that name each time it is used.
class RtAudioHost final : public host::Host {
 public:
  // Takes the back end that serves now: a sound server may have started or stopped since.
  void choose_api() {
    api_ = best_api();
    lister_ = std::make_unique<RtAudio>(api_);
  }
  [[nodiscard]] bool api_chosen() const { return lister_ != nullptr; }

  Result<std::vector<DeviceId>> output_devices() override {
    try {
      std::vector<DeviceId> devices;
      for (const auto& output : outputs(*lister_)) devices.push_back(handle(output.info.name));
      return devices;
    } catch (const RtAudioError& error) {
      return std::unexpected(library_error(error));
    }
  }

  Result<std::string> device_name(DeviceId device) override { return names_.at(device); }

  std::optional<DeviceId> default_output_device() override {
    try {
      const auto found = outputs(*lister_);
      const auto index = lister_->getDefaultOutputDevice();
      const auto output = std::ranges::find(found, index, &Output::index);
      if (output == found.end()) return std::nullopt;
      return handle(output->info.name);
    } catch (const RtAudioError&) {
      return std::nullopt;
    }
  }

  Result<StreamConfig> default_output_config(DeviceId device) override {
    try {
      const auto output = find(*lister_, device);
      if (!output) return std::unexpected(output.error());
      const auto& info = output->info;
      // Stereo where the device offers it: a sound server's "default" reports its channel
      // limit (often thousands), not a layout.
      const auto channels = static_cast<std::uint16_t>(std::min(info.outputChannels, 2u));
      return StreamConfig{info.preferredSampleRate, channels, preferred_format(info.nativeFormats)};
    } catch (const RtAudioError& error) {
      return std::unexpected(library_error(error));
    }
  }

  bool try_output_config(DeviceId device, const StreamConfig& config) override {
    if (config.format == SampleFormat::U16) return false;
    // Our own JACK streams carry floats only; RtAudio's would have converted.
    if (api_ == RtAudio::UNIX_JACK && config.format != SampleFormat::F32) return false;
    try {
      RtAudio test(api_);
      const auto output = find(test, device);
      if (!output) return false;
      open_output(test, output->index, config, &discard_callback, nullptr);
      // RtAudio's ALSA back end settles for the nearest rate the card offers; a stream at
      // another rate than the one rendered for would play out of tune.
      const bool exact_rate = test.getStreamSampleRate() == config.sample_rate;
      test.closeStream();
      return exact_rate;
    } catch (const RtAudioError&) {
      return false;
    }
  }

  Result<std::unique_ptr<host::OutputStream>> build_output_stream(
      DeviceId device, const StreamConfig& config,
      std::unique_ptr<host::StreamClient> client) override {
    if (api_ == RtAudio::UNIX_JACK)
      return jack_stream::build(names_.at(device), config, std::move(client));
    if (config.format == SampleFormat::U16) return fail("RtAudio has no unsigned 16-bit samples");
    try {
      auto audio = std::make_unique<RtAudio>(api_);
      const auto output = find(*audio, device);
      if (!output) return std::unexpected(output.error());
      return std::make_unique<RtAudioStream>(std::move(audio), output->index, config,
                                             std::move(client));
    } catch (const RtAudioError& error) {
      return std::unexpected(library_error(error));
    }
  }

 private:
  DeviceId handle(const std::string& name) {
    const auto found = std::ranges::find(names_, name);
    if (found != names_.end()) return static_cast<DeviceId>(found - names_.begin());
    names_.push_back(name);
    return static_cast<DeviceId>(names_.size() - 1);
  }

  // The device as `audio` enumerates it now.
  Result<Output> find(RtAudio& audio, DeviceId device) {
    const auto& name = names_.at(device);
    const auto found = outputs(audio);
    const auto output = std::ranges::find(found, name, [](const Output& o) { return o.info.name; });
    if (output == found.end()) return fail(fmt::format("Audio device '{}' is gone", name));
    return *output;
  }

  RtAudio::Api api_ = RtAudio::UNSPECIFIED;
  std::unique_ptr<RtAudio> lister_;
  std::vector<std::string> names_;  // indexed by DeviceId
};

RtAudioHost& the_host() {
  static RtAudioHost host;
  return host;
}

}  // namespace

host::Host& system_host() {
  auto& host = the_host();
  if (!host.api_chosen()) host.choose_api();
  return host;
}

host::Host& rechosen_system_host() {
  auto& host = the_host();
  host.choose_api();
  return host;
}

}  // namespace quorvelan::audio::rtaudio_host
