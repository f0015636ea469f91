#include "effects/rack.hpp"

#include <algorithm>

#include "effects/chorus.hpp"
#include "effects/delay.hpp"
#include "effects/reverb.hpp"

namespace quorvelan::effects::rack {

EffectRack::EffectRack(float sample_rate) : dj_filter_(sample_rate) {
  buses_[kChorus].effect = std::make_unique<chorus::Chorus>(sample_rate);
  buses_[kDelay].effect = std::make_unique<delay::StereoDelay>(sample_rate);
  buses_[kReverb].effect = std::make_unique<reverb::PlateReverb>(sample_rate);
}

void EffectRack::set_param(std::uint8_t effect, std::uint8_t param, float value) {
  if (!std::isfinite(value)) return;
  switch (effect) {
    case kChorus:
    case kDelay:
    case kReverb:
      buses_[effect].effect->set_param(param, value);
      break;
    case kOverdrive:
      overdrive_.set_param(param, value);
      break;
    case kReverbFeeds:
      if (param == kChorusToReverb) chorus_to_reverb_ = value;
      if (param == kDelayToReverb) delay_to_reverb_ = value;
      break;
    case kDjFilter:
      dj_filter_.set_param(param, value);
      break;
    default:
      break;
  }
}

void EffectRack::feed_sends(std::span<const Frame> mix, const SendLevels& send_levels) {
  for (std::size_t bus = 0; bus < kSendBusCount; ++bus) {
    const float level = send_levels[bus];
    auto& buffer = buses_[bus].buffer;
    for (std::size_t j = 0; j < mix.size(); ++j) {
      buffer[j].left += level * mix[j].left;
      buffer[j].right += level * mix[j].right;
    }
  }
}

// The chorus and delay buses hold their effects' outputs by now.
void EffectRack::feed_reverb(std::size_t frames) {
  const auto& chorus_out = buses_[kChorus].buffer;
  const auto& delay_out = buses_[kDelay].buffer;
  auto& reverb_in = buses_[kReverb].buffer;
  for (std::size_t j = 0; j < frames; ++j) {
    reverb_in[j].left +=
        chorus_out[j].left * chorus_to_reverb_ + delay_out[j].left * delay_to_reverb_;
    reverb_in[j].right +=
        chorus_out[j].right * chorus_to_reverb_ + delay_out[j].right * delay_to_reverb_;
  }
}

Frame EffectRack::master(Frame dry, std::size_t index) {
  Frame x = dry;
  for (const SendBus& bus : buses_) {
    x.left += bus.buffer[index].left * bus.return_level;
    x.right += bus.buffer[index].right * bus.return_level;
  }
  x = dj_filter_.process(overdrive_.process(x));
  // Whatever went wrong upstream, no NaN or infinity goes on to the device.
  if (!std::isfinite(x.left) || !std::isfinite(x.right)) return Frame{};
  return x;
}

void EffectRack::process(std::span<Frame> mix, const SendLevels& send_levels) {
  const auto block = mix.first(std::min(mix.size(), kBlockFrames));
  const std::size_t n = block.size();

  feed_sends(block, send_levels);
  buses_[kChorus].effect->process(std::span(buses_[kChorus].buffer).first(n));
  buses_[kDelay].effect->process(std::span(buses_[kDelay].buffer).first(n));
  feed_reverb(n);
  buses_[kReverb].effect->process(std::span(buses_[kReverb].buffer).first(n));

  for (std::size_t j = 0; j < n; ++j) block[j] = master(block[j], j);
  for (SendBus& bus : buses_) silence(bus.buffer);
}

}  // namespace quorvelan::effects::rack
