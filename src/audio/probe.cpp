#include "audio/probe.hpp"

#include <algorithm>

namespace quorvelan::audio::probe {

using host::SampleFormat;

namespace {

template <class T>
void append_unless_present(std::vector<T>& list, T value) {
  if (std::ranges::find(list, value) == list.end()) list.push_back(value);
}

}  // namespace

std::vector<std::uint32_t> rate_candidates(std::uint32_t default_rate) {
  std::vector<std::uint32_t> rates;
  for (const auto rate : {default_rate, 48000u, 44100u, 22050u}) {
    if (rate > 0) append_unless_present(rates, rate);
  }
  return rates;
}

std::vector<SampleFormat> format_candidates(SampleFormat default_format) {
  const bool carried = default_format == SampleFormat::I16 || default_format == SampleFormat::I32 ||
                       default_format == SampleFormat::U16;
  std::vector<SampleFormat> formats{carried ? default_format : SampleFormat::F32};
  for (const auto format :
       {SampleFormat::I16, SampleFormat::I32, SampleFormat::U16, SampleFormat::F32}) {
    append_unless_present(formats, format);
  }
  return formats;
}

std::optional<host::StreamConfig> find_working_config(host::Host& host, host::DeviceId device,
                                                      const host::StreamConfig& default_config) {
  for (const auto rate : rate_candidates(default_config.sample_rate)) {
    for (const auto format : format_candidates(default_config.format)) {
      const host::StreamConfig config{rate, default_config.channels, format};
      if (host.try_output_config(device, config)) return config;
    }
  }
  return std::nullopt;
}

}  // namespace quorvelan::audio::probe
