#pragma once
// The machine's audio output through RtAudio. One back end serves both listing and streams:
// JACK when a JACK server runs, else PulseAudio when a server answers, else ALSA (CoreAudio on
// macOS). A stream keeps the back end it was built on. On JACK, RtAudio lists the devices and
// tries the formats, and the stream itself is a JACK client of our own (see jack_stream.hpp).

#include "audio/host.hpp"

namespace quorvelan::audio::rtaudio_host {

// The host, on the back end chosen when it was first used or last chosen again.
host::Host& system_host();

// The host after choosing its back end again: a sound server may have started or stopped since.
host::Host& rechosen_system_host();

}  // namespace quorvelan::audio::rtaudio_host
