#include "audio/rtaudio_host.hpp"

#include <fmt/format.h>
#include <rtaudio/RtAudio.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <utility>

#include "audio/error_relay.hpp"
#include "audio/jack_watch.hpp"
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

// Opens an output stream the way every stream of ours is opened, test streams included.
void open_output(RtAudio& audio, unsigned int device, const StreamConfig& config,
                 RtAudioCallback callback, void* user_data,
                 RtAudioErrorCallback error_callback = nullptr) {
  RtAudio::StreamParameters output{device, config.channels, 0};
  RtAudio::StreamOptions options;
  options.streamName = stream_name;
  unsigned int frames = buffer_frames;
  audio.openStream(&output, nullptr, rtaudio_format(config.format), config.sample_rate, &frames,
                   callback, user_data, &options, error_callback);
}

RtAudio::Api choose_api() {
#if defined(__APPLE__)
  return RtAudio::MACOSX_CORE;
#else
  // RtAudio counts JACK clients and PulseAudio sinks only when a server answers.
  for (const auto api : {RtAudio::UNIX_JACK, RtAudio::LINUX_PULSE}) {
    try {
      RtAudio probe(api);
      if (probe.getCurrentApi() == api && probe.getDeviceCount() > 0) return api;
    } catch (const RtAudioError&) {
    }
  }
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
            [this](std::string_view text, bool device_lost) { client_->error(text, device_lost); })),
        samples_per_frame_(config.channels) {
    open_output(*audio_, device, config, &RtAudioStream::render_callback, this,
                &RtAudioStream::error_callback);
    if (audio_->getCurrentApi() == RtAudio::UNIX_JACK) {
      jack_ = jack_watch::JackWatch::start([this](const std::string& reason) {
        client_->error("JACK server shut down: " + reason, true);
      });
    }
  }

  ~RtAudioStream() override {
    if (jack_ && jack_->server_gone()) wait_for_jack_close();
    const ScopedSlot route(current_stream, this);
    try {
      if (audio_->isStreamRunning()) audio_->stopStream();
      if (audio_->isStreamOpen()) audio_->closeStream();
    } catch (const RtAudioError&) {
    }
    audio_.reset();  // no callback runs past here
    relay_.reset();
    jack_.reset();
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
    if (audio_->isStreamRunning()) {
      // A warning that did not stop the start is still a stream error.
      if (!failure.empty()) client_->error(failure, false);
      return {};
    }
    return fail(failure.empty() ? "the audio stream did not start" : failure);
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

  // RtAudio closes a JACK stream whose server left on a thread of its own; closing it again or
  // destroying it meanwhile would race with that thread.
  void wait_for_jack_close() {
    using namespace std::chrono_literals;
    for (int tries = 0; tries < 200 && audio_->isStreamOpen(); ++tries) {
      std::this_thread::sleep_for(10ms);
    }
  }

  std::unique_ptr<RtAudio> audio_;
  std::unique_ptr<host::StreamClient> client_;
  std::unique_ptr<error_relay::ErrorRelay> relay_;
  std::unique_ptr<jack_watch::JackWatch> jack_;
  std::size_t samples_per_frame_;
  bool lost_on_render_thread_ = false;  // only the render thread touches it
};

// RtAudio numbers devices by their place in a fresh enumeration, which shifts whenever a JACK
// client comes or goes; so a device is handed out as a handle to its name and found again by
// that name each time it is used.
class RtAudioHost final : public host::Host {
 public:
  RtAudioHost() : api_(choose_api()), lister_(api_) {}

  Result<std::vector<DeviceId>> output_devices() override {
    try {
      std::vector<DeviceId> devices;
      const auto count = lister_.getDeviceCount();
      for (unsigned int index = 0; index < count; ++index) {
        const auto info = lister_.getDeviceInfo(index);
        if (is_readable_output(info)) devices.push_back(handle(info.name));
      }
      return devices;
    } catch (const RtAudioError& error) {
      return std::unexpected(library_error(error));
    }
  }

  Result<std::string> device_name(DeviceId device) override { return names_.at(device); }

  std::optional<DeviceId> default_output_device() override {
    try {
      if (lister_.getDeviceCount() == 0) return std::nullopt;
      const auto info = lister_.getDeviceInfo(lister_.getDefaultOutputDevice());
      if (!is_readable_output(info)) return std::nullopt;
      return handle(info.name);
    } catch (const RtAudioError&) {
      return std::nullopt;
    }
  }

  Result<StreamConfig> default_output_config(DeviceId device) override {
    try {
      const auto index = find(lister_, device);
      if (!index) return std::unexpected(index.error());
      const auto info = lister_.getDeviceInfo(*index);
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
    try {
      RtAudio test(api_);
      const auto index = find(test, device);
      if (!index) return false;
      open_output(test, *index, config, &discard_callback, nullptr);
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
    if (config.format == SampleFormat::U16) return fail("RtAudio has no unsigned 16-bit samples");
    try {
      auto audio = std::make_unique<RtAudio>(api_);
      const auto index = find(*audio, device);
      if (!index) return std::unexpected(index.error());
      return std::make_unique<RtAudioStream>(std::move(audio), *index, config, std::move(client));
    } catch (const RtAudioError& error) {
      return std::unexpected(library_error(error));
    }
  }

 private:
  static bool is_readable_output(const RtAudio::DeviceInfo& info) {
    return info.probed && !info.name.empty() && info.outputChannels > 0;
  }

  DeviceId handle(const std::string& name) {
    const auto found = std::ranges::find(names_, name);
    if (found != names_.end()) return static_cast<DeviceId>(found - names_.begin());
    names_.push_back(name);
    return static_cast<DeviceId>(names_.size() - 1);
  }

  // The device's number in `audio`'s enumeration now.
  Result<unsigned int> find(RtAudio& audio, DeviceId device) {
    const auto& name = names_.at(device);
    const auto count = audio.getDeviceCount();
    for (unsigned int index = 0; index < count; ++index) {
      const auto info = audio.getDeviceInfo(index);
      if (is_readable_output(info) && info.name == name) return index;
    }
    return fail(fmt::format("Audio device '{}' is gone", name));
  }

  RtAudio::Api api_;
  RtAudio lister_;
  std::vector<std::string> names_;  // indexed by DeviceId
};

}  // namespace

host::Host& system_host() {
  static RtAudioHost host;
  return host;
}

}  // namespace quorvelan::audio::rtaudio_host
