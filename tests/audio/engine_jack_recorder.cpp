#include "audio/engine_jack_recorder.hpp"

#include <algorithm>

namespace test_support {
namespace {

// The names of a list of ports that JACK handed out, which is freed here.
std::vector<std::string> names(const char** ports) {
  std::vector<std::string> out;
  for (std::size_t i = 0; ports != nullptr && ports[i] != nullptr; ++i) out.emplace_back(ports[i]);
  jack_free(ports);
  return out;
}

}  // namespace

JackRecorder::JackRecorder(std::size_t max_frames) {
  for (auto& channel : channels_) channel.assign(max_frames, 0.0f);
  client_ = jack_client_open("quorvelan-recorder", JackNoStartServer, nullptr);
  if (client_ == nullptr) return;
  ports_[0] = jack_port_register(client_, "in_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  ports_[1] = jack_port_register(client_, "in_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  if (ports_[0] == nullptr || ports_[1] == nullptr ||
      jack_set_process_callback(client_, &JackRecorder::process, this) != 0 ||
      jack_activate(client_) != 0) {
    jack_client_close(client_);
    client_ = nullptr;
  }
}

JackRecorder::~JackRecorder() {
  if (client_ != nullptr) jack_client_close(client_);
}

std::vector<std::string> JackRecorder::outputs_of(const std::string& client) const {
  const std::string pattern = "^" + client + "[^:]*:";
  return names(jack_get_ports(client_, pattern.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput));
}

bool JackRecorder::connect_from(const std::string& client) {
  const auto sources = outputs_of(client);
  bool connected = sources.size() >= 2;
  for (std::size_t i = 0; connected && i < 2; ++i) {
    connected = jack_connect(client_, sources[i].c_str(), jack_port_name(ports_[i])) == 0;
  }
  return connected;
}

std::vector<std::vector<std::string>> JackRecorder::connections_from(
    const std::string& client) const {
  std::vector<std::vector<std::string>> connections;
  for (const auto& source : outputs_of(client)) {
    connections.push_back(
        names(jack_port_get_all_connections(client_, jack_port_by_name(client_, source.c_str()))));
  }
  return connections;
}

std::size_t JackRecorder::sample_rate() const { return jack_get_sample_rate(client_); }

int JackRecorder::process(jack_nframes_t frames, void* self) {
  auto& recorder = *static_cast<JackRecorder*>(self);
  if (!recorder.recording_.load(std::memory_order_acquire)) return 0;
  const auto done = recorder.frames_.load(std::memory_order_relaxed);
  const auto count = std::min<std::size_t>(frames, recorder.channels_[0].size() - done);
  for (std::size_t i = 0; i < 2; ++i) {
    const auto* in = static_cast<const float*>(jack_port_get_buffer(recorder.ports_[i], frames));
    std::copy_n(in, count, recorder.channels_[i].begin() + static_cast<std::ptrdiff_t>(done));
  }
  recorder.frames_.store(done + count, std::memory_order_release);
  return 0;
}

}  // namespace test_support
