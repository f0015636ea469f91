#pragma once
// Everything after the voices: the three send buses (chorus, delay, reverb) with the feeds from
// the chorus and the delay into the reverb, and the master chain (overdrive, then DJ filter).
// The audio state owns one rack; messages and LFOs set its parameters by effect and parameter
// index, and the render passes each block's voice mix through it.

#include <array>

#include "effects/dj_filter.hpp"
#include "effects/mod.hpp"
#include "effects/overdrive.hpp"

namespace quorvelan::effects::rack {

// Effect indexes of effect-parameter messages and LFO targets.
inline constexpr std::uint8_t kChorus = 0;
inline constexpr std::uint8_t kDelay = 1;
inline constexpr std::uint8_t kReverb = 2;
inline constexpr std::uint8_t kOverdrive = 3;
inline constexpr std::uint8_t kReverbFeeds = 4;
inline constexpr std::uint8_t kDjFilter = 5;

// Parameter indexes of the reverb feeds.
inline constexpr std::uint8_t kChorusToReverb = 0;
inline constexpr std::uint8_t kDelayToReverb = 1;

inline constexpr std::size_t kSendBusCount = 3;
// Linear send levels 0..1 of the whole voice mix into the chorus, delay and reverb buses.
using SendLevels = std::array<float, kSendBusCount>;

class EffectRack {
 public:
  // Allocates every buffer for the rate (Hz): build it off the audio thread.
  explicit EffectRack(float sample_rate);

  // One effect parameter, as an effect-parameter message gives it: values go to the effects as
  // they are (each limits what it must where it uses it), the DJ filter's limited to 0..1.
  // Non-finite values and unknown indexes change nothing.
  void set_param(std::uint8_t effect, std::uint8_t param, float value);

  // Feeds the block's voice mix (at most kBlockFrames frames) into the buses at the send
  // levels, runs the chorus, the delay, the feeds into the reverb and the reverb, adds the three
  // returns to the mix and passes it through the master chain, in place.
  void process(std::span<Frame> mix, const SendLevels& send_levels);

 private:
  void feed_sends(std::span<const Frame> mix, const SendLevels& send_levels);
  void feed_reverb(std::size_t frames);
  [[nodiscard]] Frame master(Frame dry, std::size_t index);

  std::array<SendBus, kSendBusCount> buses_;
  dj_filter::DjFilter dj_filter_;
  overdrive::Overdrive overdrive_;
  float chorus_to_reverb_ = 0.0f;
  float delay_to_reverb_ = 0.0f;
};

}  // namespace quorvelan::effects::rack
