#pragma once
// Finding a sample rate and sample type that a device accepts, by building test streams: the
// device's own default first, then the common alternatives.

#include <cstdint>
#include <optional>
#include <vector>

#include "audio/host.hpp"

namespace quorvelan::audio::probe {

// The default rate, then 48000, 44100 and 22050 without repeats; a rate of 0 is never tried.
std::vector<std::uint32_t> rate_candidates(std::uint32_t default_rate);

// The default format, then I16, I32, U16 and F32 without repeats. A default that the stream
// cannot carry (I8, I24, F64) is tried as F32.
std::vector<host::SampleFormat> format_candidates(host::SampleFormat default_format);

// The first configuration, rates outermost, whose test stream builds; keeps the default channel
// count.
std::optional<host::StreamConfig> find_working_config(host::Host& host, host::DeviceId device,
                                                      const host::StreamConfig& default_config);

}  // namespace quorvelan::audio::probe
