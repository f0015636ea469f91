#include "audio/jack_stream.hpp"

#include <fmt/format.h>
#include <jack/jack.h>

#include <algorithm>
#include <array>
#include <vector>

#include "jack/client.hpp"

namespace quorvelan::audio::jack_stream {
namespace {

constexpr const char* kClientName = "Quorvelan";
constexpr std::size_t kMaxChannels = 2;
// Frames rendered at a time: a longer server period is rendered in pieces, so that the process
// callback never allocates. JACK's own longest period.
constexpr std::size_t kChunkFrames = 8192;

// The audio input ports of the client `device`, in the server's order.
std::vector<std::string> device_inputs(const jack::Client& client, const std::string& device) {
  auto names = client.port_names(JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput);
  const std::string prefix = device + ":";
  std::erase_if(names, [&prefix](const std::string& name) { return !name.starts_with(prefix); });
  return names;
}

class JackStream final : public host::OutputStream {
 public:
  JackStream(std::size_t channels, std::unique_ptr<host::StreamClient> client)
      : client_(std::move(client)), channels_(channels), interleaved_(kChunkFrames * channels) {}

  Result<void> open(const std::string& device, std::uint32_t sample_rate) {
    jack_ = jack::Client::open(kClientName, [this](const std::string& reason) {
      client_->error("JACK server shut down: " + reason, true);
    });
    if (!jack_) return fail("the JACK server does not answer");
    jack_client_t* client = jack_->handle();
    if (const auto rate = jack_get_sample_rate(client); rate != sample_rate) {
      return fail(fmt::format("the JACK server runs at {} Hz, not {} Hz", rate, sample_rate));
    }
    destinations_ = device_inputs(*jack_, device);
    if (destinations_.empty()) return fail(fmt::format("Audio device '{}' is gone", device));
    for (std::size_t channel = 0; channel < channels_; ++channel) {
      ports_[channel] = jack_port_register(client, fmt::format("outport {}", channel).c_str(),
                                           JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
      if (ports_[channel] == nullptr) return fail("the JACK server refused an output port");
    }
    if (jack_set_process_callback(client, &JackStream::process, this) != 0) {
      return fail("the JACK server refused the stream's callback");
    }
    return {};
  }

  Result<void> play() override {
    if (!jack_->activate()) return fail("the JACK server refused to start the stream");
    jack_client_t* client = jack_->handle();
    for (std::size_t channel = 0; channel < channels_ && channel < destinations_.size();
         ++channel) {
      jack_connect(client, jack_port_name(ports_[channel]), destinations_[channel].c_str());
    }
    return {};
  }

 private:
  // Runs on the server's real-time thread: renders interleaved, then deals the samples out to
  // the ports.
  static int process(jack_nframes_t frames, void* self) {
    auto& stream = *static_cast<JackStream*>(self);
    std::array<float*, kMaxChannels> outputs{};
    for (std::size_t channel = 0; channel < stream.channels_; ++channel) {
      outputs[channel] = static_cast<float*>(jack_port_get_buffer(stream.ports_[channel], frames));
    }
    for (std::size_t done = 0; done < frames;) {
      const std::size_t count = std::min<std::size_t>(frames - done, kChunkFrames);
      float* samples = stream.interleaved_.data();
      if (stream.device_lost_) {
        std::fill_n(samples, count * stream.channels_, 0.0f);
      } else {
        stream.device_lost_ = !stream.client_->render(samples, count * stream.channels_);
      }
      for (std::size_t frame = 0; frame < count; ++frame) {
        for (std::size_t channel = 0; channel < stream.channels_; ++channel) {
          outputs[channel][done + frame] = samples[frame * stream.channels_ + channel];
        }
      }
      done += count;
    }
    return 0;
  }

  std::unique_ptr<host::StreamClient> client_;
  std::size_t channels_;
  std::vector<float> interleaved_;  // kChunkFrames frames
  std::array<jack_port_t*, kMaxChannels> ports_{};
  std::vector<std::string> destinations_;
  bool device_lost_ = false;  // only the process callback touches it
  // Last, so that it goes first: closing the client stops the callback before what it uses goes.
  std::unique_ptr<jack::Client> jack_;
};

}  // namespace

Result<std::unique_ptr<host::OutputStream>> build(const std::string& device,
                                                  const host::StreamConfig& config,
                                                  std::unique_ptr<host::StreamClient> client) {
  if (config.format != host::SampleFormat::F32) {
    return fail("JACK streams carry 32-bit float samples only");
  }
  if (config.channels == 0 || config.channels > kMaxChannels) {
    return fail(fmt::format("JACK streams have one or two channels, not {}", config.channels));
  }
  auto stream = std::make_unique<JackStream>(config.channels, std::move(client));
  if (auto opened = stream->open(device, config.sample_rate); !opened) {
    return std::unexpected(opened.error());
  }
  return stream;
}

}  // namespace quorvelan::audio::jack_stream
