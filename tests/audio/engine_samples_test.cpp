// Sample conversion and the stream's data callback: what reaches the device buffer.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "support/log_capture.hpp"
#include "audio/messages.hpp"
#include "audio/samples.hpp"
#include "audio/stream_renderer.hpp"
#include "support/alloc_counter.hpp"

namespace {

namespace samples = quorvelan::audio::samples;
namespace messages = quorvelan::audio::messages;
using quorvelan::audio::host::SampleFormat;
using quorvelan::audio::host::StreamConfig;
using quorvelan::audio::stream_renderer::StreamRenderer;

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();

TEST(SampleConversion, SixteenBitTruncatesTowardZeroAndSaturates) {
  EXPECT_EQ(samples::to_i16(1.0f), 32767);
  EXPECT_EQ(samples::to_i16(-1.0f), -32768);
  EXPECT_EQ(samples::to_i16(0.5f), 16384);
  EXPECT_EQ(samples::to_i16(0.0f), 0);
  EXPECT_EQ(samples::to_i16(0.99999f), 32767);  // 32767.67 truncated
  EXPECT_EQ(samples::to_i16(-0.00002f), 0);     // -0.66 truncates toward zero, not down
  EXPECT_EQ(samples::to_i16(1.0f / 32768.0f * 2.9f), 2);
  EXPECT_EQ(samples::to_i16(-1.0f / 32768.0f * 2.9f), -2);
  EXPECT_EQ(samples::to_i16(7.0f), 32767);
  EXPECT_EQ(samples::to_i16(-7.0f), -32768);
  EXPECT_EQ(samples::to_i16(inf), 32767);
  EXPECT_EQ(samples::to_i16(-inf), -32768);
  EXPECT_EQ(samples::to_i16(nan), 0);
}

TEST(SampleConversion, ThirtyTwoBitSaturatesAtTheSignedRange) {
  constexpr auto max = std::numeric_limits<std::int32_t>::max();
  constexpr auto min = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(samples::to_i32(1.0f), max);
  EXPECT_EQ(samples::to_i32(-1.0f), min);
  EXPECT_EQ(samples::to_i32(0.5f), 1073741824);
  EXPECT_EQ(samples::to_i32(-0.25f), -536870912);
  EXPECT_EQ(samples::to_i32(3.0f), max);
  EXPECT_EQ(samples::to_i32(-inf), min);
  EXPECT_EQ(samples::to_i32(nan), 0);
}

TEST(SampleConversion, UnsignedSixteenBitCentresSilenceAt32768) {
  EXPECT_EQ(samples::to_u16(0.0f), 32768);
  EXPECT_EQ(samples::to_u16(1.0f), 65535);
  EXPECT_EQ(samples::to_u16(-1.0f), 0);
  EXPECT_EQ(samples::to_u16(0.5f), 49152);
  EXPECT_EQ(samples::to_u16(-0.5f), 16384);
  EXPECT_EQ(samples::to_u16(9.0f), 65535);
  EXPECT_EQ(samples::to_u16(nan), 32768);
}

TEST(SampleConversion, FloatIsClampedAndNanBecomesSilence) {
  std::vector<float> buffer{0.25f, 1.5f, -3.0f, nan, inf, -inf, -1.0f};
  samples::clamp_in_place(buffer);
  EXPECT_EQ(buffer, (std::vector<float>{0.25f, 1.0f, -1.0f, 0.0f, 1.0f, -1.0f, -1.0f}));
}

TEST(SampleConversion, BuffersConvertSampleBySample) {
  const std::vector<float> in{0.5f, -1.0f, nan, 2.0f};
  std::vector<std::int16_t> i16(4);
  std::vector<std::int32_t> i32(4);
  std::vector<std::uint16_t> u16(4);
  samples::convert(in, i16.data());
  samples::convert(in, i32.data());
  samples::convert(in, u16.data());
  EXPECT_EQ(i16, (std::vector<std::int16_t>{16384, -32768, 0, 32767}));
  EXPECT_EQ(i32, (std::vector<std::int32_t>{1073741824, std::numeric_limits<std::int32_t>::min(), 0,
                                            std::numeric_limits<std::int32_t>::max()}));
  EXPECT_EQ(u16, (std::vector<std::uint16_t>{49152, 0, 32768, 65535}));
}

struct StreamUnderTest {
  messages::AudioProducer commands;
  messages::FeedbackConsumer feedback;
  std::unique_ptr<StreamRenderer> renderer;
};

StreamUnderTest make_stream(SampleFormat format, std::uint16_t channels) {
  auto [commands, command_end] = messages::make_audio_ring();
  auto [feedback_end, feedback] = messages::make_feedback_ring();
  auto renderer = std::make_unique<StreamRenderer>(
      StreamConfig{48000, channels, format}, std::move(command_end), std::move(feedback_end),
      std::make_shared<quorvelan::audio::device_signs::DeviceSigns>());
  return {std::move(commands), std::move(feedback), std::move(renderer)};
}

// Fills the command ring; the state empties it when it renders a buffer.
void fill_command_ring(messages::AudioProducer& commands) {
  while (commands.push(messages::note_off(0, 60))) {
  }
}

TEST(StreamRenderer, EveryFormatStartsFromSilence) {
  std::vector<float> f32(512, 0.7f);
  make_stream(SampleFormat::F32, 2).renderer->render(f32.data(), f32.size());
  EXPECT_EQ(f32, std::vector<float>(512, 0.0f));

  std::vector<std::int16_t> i16(512, 123);
  make_stream(SampleFormat::I16, 2).renderer->render(i16.data(), i16.size());
  EXPECT_EQ(i16, std::vector<std::int16_t>(512, 0));

  std::vector<std::int32_t> i32(512, 123);
  make_stream(SampleFormat::I32, 2).renderer->render(i32.data(), i32.size());
  EXPECT_EQ(i32, std::vector<std::int32_t>(512, 0));

  std::vector<std::uint16_t> u16(512, 123);
  make_stream(SampleFormat::U16, 2).renderer->render(u16.data(), u16.size());
  EXPECT_EQ(u16, std::vector<std::uint16_t>(512, 32768));
}

TEST(StreamRenderer, RendersWithoutAllocatingUntilTheHostAsksForMoreThanEver) {
  auto integer_stream = make_stream(SampleFormat::I16, 2);
  auto floating_stream = make_stream(SampleFormat::F32, 2);
  auto& integer = integer_stream.renderer;
  auto& floating = floating_stream.renderer;
  EXPECT_EQ(integer->scratch_capacity(), StreamRenderer::initial_scratch_samples);
  std::vector<std::int16_t> i16(10000);
  std::vector<float> f32(10000);

  const auto before = test_support::allocation_count();
  integer->render(i16.data(), StreamRenderer::initial_scratch_samples);
  floating->render(f32.data(), f32.size());
  EXPECT_EQ(test_support::allocation_count(), before);

  integer->render(i16.data(), i16.size());
  EXPECT_EQ(integer->scratch_capacity(), 10000u);
  const auto grown = test_support::allocation_count();
  integer->render(i16.data(), 6000);
  integer->render(i16.data(), 10000);
  EXPECT_EQ(test_support::allocation_count(), grown);
  EXPECT_EQ(integer->scratch_capacity(), 10000u);
}

TEST(StreamRenderer, AStreamWithoutChannelsRendersNothing) {
  auto stream = make_stream(SampleFormat::F32, 0);
  fill_command_ring(stream.commands);
  std::vector<float> out(256, 0.3f);
  stream.renderer->render(out.data(), out.size());
  EXPECT_EQ(out, std::vector<float>(256, 0.0f));
  EXPECT_FALSE(stream.commands.push(messages::note_off(0, 60)))
      << "the state ran and drained its messages";
}

TEST(StreamRenderer, StreamErrorsAreLoggedAndALostDeviceSilencesTheStream) {
  const test_support::LogCapture log("quorvelan::audio::engine");
  auto stream = make_stream(SampleFormat::I32, 2);
  stream.renderer->error("underrun", false);
  EXPECT_TRUE(log.contains("error Audio stream error: underrun"));

  std::vector<std::int32_t> out(256, 5);
  EXPECT_TRUE(stream.renderer->render(out.data(), out.size()));
  stream.renderer->error("device unplugged", true);
  EXPECT_TRUE(log.contains("error Audio stream error: device unplugged"));
  fill_command_ring(stream.commands);
  std::ranges::fill(out, 5);
  EXPECT_FALSE(stream.renderer->render(out.data(), out.size())) << "the host was not told to stop";
  EXPECT_EQ(out, std::vector<std::int32_t>(256, 0));
  EXPECT_FALSE(stream.commands.push(messages::note_off(0, 60)))
      << "the state went on rendering after the device was lost";
}

}  // namespace
