#pragma once
// Output streams on a JACK server through a client of our own rather than RtAudio's. When the
// server goes away, RtAudio closes its JACK client on a thread of its own while the JACK library's
// threads still run on it: now and then that deadlocks inside the library, and the process can
// then open no JACK client at all. This client is only let go once its server has gone.
// Samples are 32-bit floats at the server's rate.

#include <memory>
#include <string>

#include "audio/host.hpp"
#include "error.hpp"

namespace quorvelan::audio::jack_stream {

// A stream whose channels (one or two) play into the input ports of the JACK client `device`
// ("system", say), in the server's order; not yet playing. The client moves into it.
Result<std::unique_ptr<host::OutputStream>> build(const std::string& device,
                                                  const host::StreamConfig& config,
                                                  std::unique_ptr<host::StreamClient> client);

}  // namespace quorvelan::audio::jack_stream
