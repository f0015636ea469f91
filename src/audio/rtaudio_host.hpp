#pragma once
// The machine's audio output through RtAudio. The API is chosen once, when the host is first
// used, and serves both listing and streams: JACK when a JACK server runs, else PulseAudio when
// a server answers, else ALSA (CoreAudio on macOS).

#include "audio/host.hpp"

namespace quorvelan::audio::rtaudio_host {

host::Host& system_host();

}  // namespace quorvelan::audio::rtaudio_host
