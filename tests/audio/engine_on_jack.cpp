// The engine on a running JACK server (the test fixture's dummy driver): a real device with
// real-time callbacks and ports that another client can listen to.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <span>
#include <thread>
#include <vector>

#include "audio/engine.hpp"
#include "audio/engine_jack_recorder.hpp"
#include "audio/messages.hpp"
#include "audio/state.hpp"

namespace {

using namespace std::chrono_literals;
using quorvelan::audio::engine::AudioEngine;
using quorvelan::audio::state::AudioState;
namespace messages = quorvelan::audio::messages;

struct Running {
  messages::AudioProducer commands;
  messages::FeedbackConsumer feedback;
  AudioEngine engine;
};

Running start_engine(const std::optional<std::string>& device) {
  auto [commands, command_end] = messages::make_audio_ring();
  auto [feedback_end, feedback] = messages::make_feedback_ring();
  auto engine = AudioEngine::create(device, std::move(command_end), std::move(feedback_end));
  if (!engine) throw std::runtime_error(engine.error().message());
  return {std::move(commands), std::move(feedback), std::move(*engine)};
}

TEST(AudioEngineOnJack, ListsTheSystemDeviceAndOpensItByDefaultAndByName) {
  const auto names = AudioEngine::list_output_devices();
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.front(), "default");
  EXPECT_NE(std::ranges::find(names, "system"), names.end());

  for (const auto& asked : {std::optional<std::string>{}, std::optional<std::string>{"system"}}) {
    const auto running = start_engine(asked);
    EXPECT_EQ(running.engine.device_name(), "system");
    test_support::JackRecorder recorder(1);
    ASSERT_TRUE(recorder.ok());
    EXPECT_EQ(recorder.connections_from("Quorvelan"),
              (std::vector<std::vector<std::string>>{{"system:playback_1"}, {"system:playback_2"}}))
        << "left and right go to the device's first and second inputs";
    EXPECT_TRUE(recorder.connect_from("Quorvelan")) << "the engine's output ports are missing";
  }
}

TEST(AudioEngineOnJack, FeedbackArrivesWithin100Milliseconds) {
  auto running = start_engine(std::nullopt);
  const auto started = std::chrono::steady_clock::now();
  while (!running.feedback.pop()) {
    ASSERT_LT(std::chrono::steady_clock::now() - started, 100ms) << "no feedback in 100 ms";
    std::this_thread::sleep_for(1ms);
  }
}

// Analysis of a mono signal at 48 kHz.
std::size_t onset(std::span<const float> signal) {
  const auto found = std::ranges::find_if(signal, [](float x) { return std::fabs(x) > 1e-4f; });
  return static_cast<std::size_t>(found - signal.begin());
}

float rms(std::span<const float> window) {
  double sum = 0;
  for (const float x : window) sum += double{x} * x;
  return static_cast<float>(std::sqrt(sum / static_cast<double>(window.size())));
}

// The period in samples: the shortest lag whose autocorrelation comes near the best one.
std::size_t period(std::span<const float> window) {
  std::vector<double> correlation(1000, 0.0);
  for (std::size_t lag = 24; lag < correlation.size(); ++lag) {
    for (std::size_t i = 0; i + lag < window.size(); ++i) {
      correlation[lag] += double{window[i]} * window[i + lag];
    }
  }
  const double best = *std::ranges::max_element(correlation);
  return static_cast<std::size_t>(
      std::ranges::find_if(correlation, [&](double c) { return c > 0.95 * best; }) -
      correlation.begin());
}

// The last sample above -60 dB.
std::size_t last_audible(std::span<const float> signal) {
  const auto found = std::ranges::find_if(signal.rbegin(), signal.rend(),
                                          [](float x) { return std::fabs(x) > 1e-3f; });
  return static_cast<std::size_t>(signal.rend() - found);
}

// The same note rendered by an audio state of our own, in 256-frame buffers.
std::array<std::vector<float>, 2> reference_render(std::size_t note_frames, std::size_t total) {
  auto [commands, command_end] = messages::make_audio_ring();
  auto [feedback_end, feedback] = messages::make_feedback_ring();
  AudioState state(48000.0f, std::move(command_end), std::move(feedback_end));
  for (std::uint8_t send = 0; send < 3; ++send) commands.push(messages::set_send_level(send, 0.0f));
  commands.push(messages::note_on(0, 69, 100));
  std::array<std::vector<float>, 2> out{std::vector<float>(total), std::vector<float>(total)};
  std::vector<float> buffer(512);
  for (std::size_t frame = 0; frame + 256 <= total; frame += 256) {
    if (frame == note_frames) commands.push(messages::note_off(0, 69));
    state.process(buffer, 2);
    for (std::size_t i = 0; i < 256; ++i) {
      out[0][frame + i] = buffer[2 * i];
      out[1][frame + i] = buffer[2 * i + 1];
    }
  }
  return out;
}

TEST(AudioEngineOnJack, ANoteFromTheRingSoundsAtItsPitchAndLevelAndFallsSilentAfterRelease) {
  constexpr std::size_t rate = 48000;
  auto running = start_engine("system");
  test_support::JackRecorder recorder(4 * rate);
  ASSERT_TRUE(recorder.ok());
  ASSERT_EQ(recorder.sample_rate(), rate);
  ASSERT_TRUE(recorder.connect_from("Quorvelan"));

  // Without the send effects the note's end is the voice's own release.
  for (std::uint8_t send = 0; send < 3; ++send) {
    running.commands.push(messages::set_send_level(send, 0.0f));
  }
  recorder.start();
  std::this_thread::sleep_for(50ms);
  running.commands.push(messages::note_on(0, 69, 100));
  std::this_thread::sleep_for(500ms);
  const auto release_frame = recorder.frames();
  running.commands.push(messages::note_off(0, 69));
  std::this_thread::sleep_for(2500ms);
  recorder.stop();
  const auto recorded = recorder.frames();
  ASSERT_GT(recorded, release_frame + 2 * rate);

  const std::span<const float> left(recorder.channel(0).data(), recorded);
  const std::span<const float> right(recorder.channel(1).data(), recorded);
  const auto start = onset(left);
  ASSERT_LT(start, release_frame) << "the note never sounded";
  const auto held = (release_frame - start) / 256 * 256;
  const auto reference = reference_render(held, 3 * rate);

  // 50 ms to 150 ms into the note: the attack is over, the release not begun.
  const auto window = [&](std::span<const float> signal, std::size_t from) {
    return signal.subspan(from + rate / 20, rate / 10);
  };
  const auto expected_period = period(window(reference[0], onset(reference[0])));
  EXPECT_NEAR(static_cast<double>(expected_period), rate / 440.0, rate / 440.0 * 0.03);
  EXPECT_NEAR(static_cast<double>(period(window(left, start))), expected_period, 1.0);
  for (std::size_t channel = 0; channel < 2; ++channel) {
    const auto& signal = channel == 0 ? left : right;
    const float expected = rms(window(reference[channel], onset(reference[channel])));
    ASSERT_GT(expected, 0.001f);
    EXPECT_NEAR(rms(window(signal, start)), expected, expected * 0.05f) << "channel " << channel;
  }

  const auto tail = last_audible(reference[0]) - onset(reference[0]) - held;
  ASSERT_LT(tail, rate) << "the reference note rings too long for this recording";
  const auto quiet_from = release_frame + tail + rate / 10;
  ASSERT_LT(quiet_from + rate / 2, recorded);
  EXPECT_EQ(last_audible(left.subspan(quiet_from)), 0u) << "sound after the release";
  EXPECT_EQ(last_audible(right.subspan(quiet_from)), 0u) << "sound after the release";
}

}  // namespace
