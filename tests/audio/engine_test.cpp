// Device listing, device choice and format probing of the audio engine, against a scripted host.

#include "audio/engine.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "audio/engine_fake_host.hpp"
#include "support/log_capture.hpp"
#include "audio/messages.hpp"
#include "audio/probe.hpp"

namespace {

using quorvelan::audio::engine::AudioEngine;
using quorvelan::audio::host::SampleFormat;
using quorvelan::audio::host::StreamConfig;
using test_support::FakeHost;
namespace messages = quorvelan::audio::messages;
namespace probe = quorvelan::audio::probe;

constexpr auto F32 = SampleFormat::F32;
constexpr auto I16 = SampleFormat::I16;
constexpr auto I32 = SampleFormat::I32;
constexpr auto U16 = SampleFormat::U16;

// Sets QUORVELAN_GAMEPAD for one test.
class GamepadMode {
 public:
  GamepadMode() { setenv("QUORVELAN_GAMEPAD", "1", 1); }
  ~GamepadMode() { unsetenv("QUORVELAN_GAMEPAD"); }
};

quorvelan::Result<AudioEngine> open(FakeHost& host, std::optional<std::string> name) {
  auto [command_producer, commands] = messages::make_audio_ring();
  auto [feedback, feedback_consumer] = messages::make_feedback_ring();
  return AudioEngine::create(host, name, std::move(commands), std::move(feedback));
}

using Names = std::vector<std::string>;

TEST(AudioEngineListing, PutsDefaultInFrontOnlyWhenTheSystemHasOneAndNoDeviceIsCalledSo) {
  FakeHost host;
  host.with("hw:0").with("pulse");
  EXPECT_EQ(AudioEngine::list_output_devices(host), (Names{"hw:0", "pulse"}));

  host.default_device = 1;
  EXPECT_EQ(AudioEngine::list_output_devices(host), (Names{"default", "hw:0", "pulse"}));

  host.with("default");
  EXPECT_EQ(AudioEngine::list_output_devices(host), (Names{"hw:0", "pulse", "default"}));
}

TEST(AudioEngineListing, SkipsUnreadableNamesAndSurvivesAFailedEnumeration) {
  FakeHost host;
  host.with("hw:0");
  host.devices.push_back({std::nullopt, {}});
  host.with("hw:2");
  EXPECT_EQ(AudioEngine::list_output_devices(host), (Names{"hw:0", "hw:2"}));

  host.enumeration_fails = true;
  EXPECT_TRUE(AudioEngine::list_output_devices(host).empty());
  host.default_device = 0;
  EXPECT_EQ(AudioEngine::list_output_devices(host), (Names{"default"}));
}

TEST(AudioEngineListing, GamepadModeMovesTheFirstSysdefaultDeviceToTheFront) {
  FakeHost host;
  host.with("default").with("hw:0").with("sysdefault:CARD=0").with("sysdefault:CARD=1");
  EXPECT_EQ(AudioEngine::list_output_devices(host),
            (Names{"default", "hw:0", "sysdefault:CARD=0", "sysdefault:CARD=1"}));

  const GamepadMode gamepad;
  EXPECT_EQ(AudioEngine::list_output_devices(host),
            (Names{"sysdefault:CARD=0", "default", "hw:0", "sysdefault:CARD=1"}));

  FakeHost already_first;
  already_first.with("sysdefault:CARD=0").with("hw:0");
  EXPECT_EQ(AudioEngine::list_output_devices(already_first), (Names{"sysdefault:CARD=0", "hw:0"}));
}

TEST(AudioEngineListing, GamepadModeIgnoresAValueThatIsNotText) {
  setenv("QUORVELAN_GAMEPAD", "\xff\xfe", 1);
  FakeHost host;
  host.with("hw:0").with("sysdefault:CARD=0");
  EXPECT_EQ(AudioEngine::list_output_devices(host), (Names{"hw:0", "sysdefault:CARD=0"}));
  unsetenv("QUORVELAN_GAMEPAD");
}

TEST(AudioEngineDeviceChoice, WithoutANameOpensTheFirstListedDevice) {
  FakeHost host;
  host.with("hw:0").with("hw:1");
  host.default_device = 1;  // listed first as "default"
  ASSERT_TRUE(open(host, std::nullopt));
  EXPECT_EQ(host.opened_device, 1u);

  FakeHost no_default;
  no_default.with("hw:0").with("hw:1");
  auto engine = open(no_default, std::nullopt);
  ASSERT_TRUE(engine);
  EXPECT_EQ(no_default.opened_device, 0u);
  EXPECT_EQ(engine->device_name(), "hw:0");
}

TEST(AudioEngineDeviceChoice, AnEmptyListOpensTheSystemDefault) {
  FakeHost host;
  host.with("speakers");
  host.enumeration_fails = true;
  host.default_device = 0;
  auto engine = open(host, std::nullopt);
  ASSERT_TRUE(engine) << engine.error().message();
  EXPECT_EQ(host.opened_device, 0u);
  EXPECT_EQ(engine->device_name(), "speakers");
}

TEST(AudioEngineDeviceChoice, NamesMatchExactlyAndAMissingOneFallsBackToTheDefault) {
  FakeHost host;
  host.with("hw:0").with("hw:0,1").with("speakers");
  host.default_device = 2;
  ASSERT_TRUE(open(host, "hw:0,1"));
  EXPECT_EQ(host.opened_device, 1u);

  ASSERT_TRUE(open(host, "hw:0,"));
  EXPECT_EQ(host.opened_device, 2u);

  host.default_device.reset();
  const auto missing = open(host, "usb headset");
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().message(), "Audio device 'usb headset' not found");
}

TEST(AudioEngineDeviceChoice, FailsWithoutADefaultOrWhenTheEnumerationFails) {
  FakeHost host;
  host.with("hw:0");
  const auto no_default = open(host, "default");
  ASSERT_FALSE(no_default);
  EXPECT_EQ(no_default.error().message(), "No default audio device available");

  FakeHost empty;
  const auto nothing = open(empty, std::nullopt);
  ASSERT_FALSE(nothing);
  EXPECT_EQ(nothing.error().message(), "No default audio device available");

  host.enumeration_fails = true;
  host.default_device = 0;
  const auto enumeration = open(host, "hw:0");
  ASSERT_FALSE(enumeration);
  EXPECT_EQ(enumeration.error().message(), "device enumeration failed");
  EXPECT_FALSE(host.opened_device);
}

TEST(AudioEngineProbing, RatesStartAtTheDefaultAndNeverTryZero) {
  using Rates = std::vector<std::uint32_t>;
  EXPECT_EQ(probe::rate_candidates(44100), (Rates{44100, 48000, 22050}));
  EXPECT_EQ(probe::rate_candidates(48000), (Rates{48000, 44100, 22050}));
  EXPECT_EQ(probe::rate_candidates(96000), (Rates{96000, 48000, 44100, 22050}));
  EXPECT_EQ(probe::rate_candidates(0), (Rates{48000, 44100, 22050}));
}

TEST(AudioEngineProbing, FormatsStartAtTheDefaultAndOtherTypesAreTriedAsF32) {
  using Formats = std::vector<SampleFormat>;
  EXPECT_EQ(probe::format_candidates(F32), (Formats{F32, I16, I32, U16}));
  EXPECT_EQ(probe::format_candidates(I32), (Formats{I32, I16, U16, F32}));
  EXPECT_EQ(probe::format_candidates(U16), (Formats{U16, I16, I32, F32}));
  EXPECT_EQ(probe::format_candidates(SampleFormat::F64), (Formats{F32, I16, I32, U16}));
  EXPECT_EQ(probe::format_candidates(SampleFormat::I24), (Formats{F32, I16, I32, U16}));
}

TEST(AudioEngineProbing, TriesEveryRateAndFormatInOrderThenFailsWithTheAskedName) {
  FakeHost host;
  host.with("hw:0", {44100, 2, F32});
  host.default_device = 0;
  host.builds = [](const StreamConfig&) { return false; };
  const auto engine = open(host, std::nullopt);
  ASSERT_FALSE(engine);
  EXPECT_EQ(engine.error().message(), "No working audio configuration found for 'default'");
  const std::vector<StreamConfig> expected{{44100, 2, F32}, {44100, 2, I16}, {44100, 2, I32},
                                           {44100, 2, U16}, {48000, 2, F32}, {48000, 2, I16},
                                           {48000, 2, I32}, {48000, 2, U16}, {22050, 2, F32},
                                           {22050, 2, I16}, {22050, 2, I32}, {22050, 2, U16}};
  EXPECT_EQ(host.tried, expected);
  EXPECT_FALSE(host.opened_config);
}

TEST(AudioEngineProbing, TheFirstConfigurationThatBuildsRunsAndIsLogged) {
  const test_support::LogCapture log("quorvelan::audio::engine");
  FakeHost host;
  host.with("Speakers", {0, 6, SampleFormat::F64});
  host.builds = [](const StreamConfig& config) {
    return config.sample_rate == 44100 && config.format != F32;
  };
  const auto engine = open(host, "Speakers");
  ASSERT_TRUE(engine) << engine.error().message();
  EXPECT_EQ(host.opened_config, (StreamConfig{44100, 6, I16}));
  EXPECT_EQ(host.tried.size(), 6u);  // four at 48000, then F32 and I16 at 44100
  EXPECT_TRUE(host.playing);
  EXPECT_TRUE(
      log.contains("info Audio device: Speakers, sample rate: 0, channels: 6, format: F64"));
  EXPECT_TRUE(log.contains("info Using format: I16, sample rate: 44100"));
}

TEST(AudioEngineLifecycle, LibraryErrorsOnTheWayAreReturnedAndLeaveNoStream) {
  FakeHost host;
  host.with("hw:0");
  host.default_config_error = "configuration unreadable";
  const auto config = open(host, "hw:0");
  ASSERT_FALSE(config);
  EXPECT_EQ(config.error().message(), "configuration unreadable");
  EXPECT_TRUE(host.tried.empty());

  host.default_config_error.reset();
  host.play_error = "device busy";
  const auto play = open(host, "hw:0");
  ASSERT_FALSE(play);
  EXPECT_EQ(play.error().message(), "device busy");
  EXPECT_TRUE(host.stream_dropped);
  EXPECT_EQ(host.client, nullptr);

  host.play_error.reset();
  host.stream_dropped = false;
  host.mute = true;
  const auto mute = open(host, "hw:0");
  ASSERT_FALSE(mute) << "a started stream whose device never asks for sound plays nothing";
  EXPECT_EQ(mute.error().message(), "the audio device never asked for sound");
  EXPECT_TRUE(host.stream_dropped);
}

TEST(AudioEngineLifecycle, DroppingTheEngineStopsTheStream) {
  FakeHost host;
  host.with("hw:0");
  {
    auto engine = open(host, "hw:0");
    ASSERT_TRUE(engine);
    ASSERT_NE(host.client, nullptr);
    EXPECT_FALSE(host.stream_dropped);
    const AudioEngine moved = std::move(*engine);
    EXPECT_FALSE(host.stream_dropped);
  }
  EXPECT_TRUE(host.stream_dropped);
}

}  // namespace
