// MIDI input on a real bus: a private JACK server's, where this program sends from a JACK MIDI
// output port of its own; and on a machine with no MIDI system at all.

#include <RtMidi.h>
#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "midi/event_printer.hpp"
#include "midi/native.hpp"
#include "support/log_capture.hpp"

namespace quorvelan::midi::native {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;
using Bytes = std::vector<unsigned char>;

constexpr const char* kLogTarget = "quorvelan::midi::native";

// With an ALSA sequencer present, ports are listed from it rather than from JACK.
bool alsa_sequencer_present() { return std::filesystem::exists("/dev/snd/seq"); }

using SteadyClock = std::chrono::steady_clock;

std::optional<MidiEvent> receive_before(MidiInput& input, SteadyClock::time_point deadline) {
  do {
    if (auto event = input.try_receive()) return event;
    std::this_thread::sleep_for(1ms);
  } while (SteadyClock::now() < deadline);
  return std::nullopt;
}

std::optional<MidiEvent> receive_within(MidiInput& input, std::chrono::milliseconds timeout) {
  return receive_before(input, SteadyClock::now() + timeout);
}

// Marks the messages that prove the connection carries data; the tests send nothing like it.
const MidiEvent kHandshake = MidiEvent::ControlChange{15, 127, 127};

// A JACK MIDI output port of this program, the sending end of the bus.
class Sender {
 public:
  explicit Sender(const std::string& client = "quorvelan-test-sender")
      : out_(RtMidi::UNIX_JACK, client), port_name_(client + ":out") {
    out_.openVirtualPort("out");
  }

  static constexpr const char* kPortName = "quorvelan-test-sender:out";
  const std::string& port_name() const { return port_name_; }

  void send(Bytes message) { out_.sendMessage(&message); }

  // Sends handshakes until one arrives, dropping whatever comes before it: from then on every
  // message gets through.
  bool wait_for_connection(MidiInput& input) {
    for (int attempt = 0; attempt < 50; ++attempt) {
      send({0xBF, 127, 127});
      const auto deadline = SteadyClock::now() + 100ms;
      while (const auto event = receive_before(input, deadline)) {
        if (*event == kHandshake) return true;
      }
    }
    return false;
  }

  // The names of the JACK MIDI input ports other clients have registered.
  std::vector<std::string> input_ports() {
    std::vector<std::string> names;
    for (unsigned i = 0; i < out_.getPortCount(); ++i) names.push_back(out_.getPortName(i));
    return names;
  }

 private:
  RtMidiOut out_;
  std::string port_name_;
};

// Takes events until `count` have arrived that are not handshakes, or two seconds pass.
std::vector<MidiEvent> receive_events(MidiInput& input, std::size_t count) {
  std::vector<MidiEvent> events;
  while (events.size() < count) {
    auto event = receive_within(input, 2s);
    if (!event) break;
    if (*event != kHandshake) events.push_back(*event);
  }
  return events;
}

std::size_t position_of(const std::vector<std::string>& ports, const std::string& name) {
  return static_cast<std::size_t>(std::ranges::find(ports, name) - ports.begin());
}

class JackMidiBus : public ::testing::Test {
 protected:
  void SetUp() override {
    if (alsa_sequencer_present()) GTEST_SKIP() << "ports come from the ALSA sequencer here";
  }

  // Lists the ports, opens the sender's, and waits until messages get through.
  std::optional<MidiInput> connect_to_sender() {
    const auto position = position_of(list_midi_ports(), Sender::kPortName);
    auto input = MidiInput::new_with_port(position);
    if (input && !sender.wait_for_connection(*input)) return std::nullopt;
    return input;
  }

  Sender sender;
};

TEST_F(JackMidiBus, TheSendersPortIsListedAndOpensUnderItsName) {
  test_support::LogCapture log(kLogTarget);
  const auto ports = list_midi_ports();
  const auto position = position_of(ports, Sender::kPortName);
  ASSERT_LT(position, ports.size()) << "not listed";
  EXPECT_THAT(log.text(), HasSubstr(fmt::format("info MIDI ports found: {} [", ports.size())));
  EXPECT_THAT(log.text(), HasSubstr(std::string("\"") + Sender::kPortName + "\""));

  const auto input = MidiInput::new_with_port(position);
  ASSERT_TRUE(input.has_value());
  EXPECT_EQ(input->port_name(), Sender::kPortName);
  EXPECT_THAT(log.text(), HasSubstr(fmt::format("info Connecting to MIDI port {}: {}\n", position,
                                                Sender::kPortName)));

  // The program shows up on the bus as the client "Quorvelan" with its port "quorvelan-input".
  const auto inputs = sender.input_ports();
  EXPECT_NE(std::ranges::find(inputs, "Quorvelan:quorvelan-input"), inputs.end());
}

TEST_F(JackMidiBus, APortsPositionInTheListIsThePortThatOpens) {
  Sender other("quorvelan-test-other");
  const auto ports = list_midi_ports();
  const auto position = position_of(ports, other.port_name());
  ASSERT_LT(position, ports.size()) << "not listed";
  auto input = MidiInput::new_with_port(position);
  ASSERT_TRUE(input.has_value());
  EXPECT_EQ(input->port_name(), other.port_name());
  ASSERT_TRUE(other.wait_for_connection(*input));

  sender.send({0x90, 1, 1});
  other.send({0x90, 2, 2});
  EXPECT_EQ(receive_events(*input, 1), (std::vector<MidiEvent>{MidiEvent::NoteOn{0, 2, 2}}));
  EXPECT_EQ(receive_within(*input, 100ms), std::nullopt);
}

TEST_F(JackMidiBus, MessagesArriveAsEventsInOrder) {
  auto input = connect_to_sender();
  ASSERT_TRUE(input.has_value());

  // The ones the program has no use for (program change, active sensing, system exclusive) are
  // sent among the others and must leave no trace.
  for (const Bytes& message : std::vector<Bytes>{{0x90, 60, 100},
                                                 {0xC1, 5},
                                                 {0x93, 60, 0},
                                                 {0x85, 60, 64},
                                                 {0xB0, 64, 127},
                                                 {0xFE},
                                                 {0xE0, 0, 0},
                                                 {0xE3, 127, 127},
                                                 {0xF8},
                                                 {0xFA},
                                                 {0xF0, 0x7D, 0x01, 0xF7},
                                                 {0xF8},
                                                 {0xFC}}) {
    sender.send(message);
  }

  const std::vector<MidiEvent> expected{
      MidiEvent::NoteOn{0, 60, 100},
      MidiEvent::NoteOff{3, 60},
      MidiEvent::NoteOff{5, 60},
      MidiEvent::ControlChange{0, 64, 127},
      MidiEvent::PitchBend{0, -8192},
      MidiEvent::PitchBend{3, 8191},
      MidiEvent::Clock{},
      MidiEvent::Start{},
      MidiEvent::Clock{},
      MidiEvent::Stop{},
  };
  EXPECT_EQ(receive_events(*input, expected.size()), expected);
  EXPECT_EQ(receive_within(*input, 100ms), std::nullopt);
}

TEST_F(JackMidiBus, APositionPastTheLastPortOpensNothing) {
  test_support::LogCapture log(kLogTarget);
  const auto count = list_midi_ports().size();
  ASSERT_GE(count, 1u);
  EXPECT_FALSE(MidiInput::new_with_port(count).has_value());
  EXPECT_NE(
      log.text().find(fmt::format("info MIDI port index {} out of range ({})\n", count, count)),
      std::string::npos)
      << log.text();
}

TEST_F(JackMidiBus, AMovedConnectionKeepsDelivering) {
  auto first = connect_to_sender();
  ASSERT_TRUE(first.has_value());
  std::optional<MidiInput> moved = std::move(first);
  first.reset();
  sender.send({0x92, 48, 90});
  EXPECT_EQ(receive_within(*moved, 2s), MidiEvent(MidiEvent::NoteOn{2, 48, 90}));
}

TEST_F(JackMidiBus, ConnectionsCloseSafelyWhileMessagesFlow) {
  // A connection dropped while its callback is busy must not leave it writing into freed memory;
  // the sanitizer build turns that into a failure. The moment is a race: enough rounds that a
  // fault striking one close in fifty shows with 99 % certainty.
  constexpr int kRounds = 250;
  const auto position = position_of(list_midi_ports(), Sender::kPortName);
  {
    const std::jthread clocks([this](std::stop_token stop) {
      while (!stop.stop_requested()) {
        sender.send({0xF8});
        std::this_thread::sleep_for(20us);
      }
    });
    for (int round = 0; round < kRounds; ++round) {
      auto input = MidiInput::new_with_port(position);
      ASSERT_TRUE(input.has_value());
      EXPECT_EQ(receive_within(*input, 2s), MidiEvent(MidiEvent::Clock{}));
    }
  }
  // Nothing of the closed connections is left on the bus.
  const auto inputs = sender.input_ports();
  EXPECT_EQ(std::ranges::find(inputs, "Quorvelan:quorvelan-input"), inputs.end());
}

class WithoutMidiSystem : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef __APPLE__
    GTEST_SKIP() << "CoreMIDI is always present";
#endif
    if (alsa_sequencer_present()) GTEST_SKIP() << "an ALSA sequencer is present";
  }
};

TEST_F(WithoutMidiSystem, NothingIsListedAndNothingOpens) {
  test_support::LogCapture log(kLogTarget);
  EXPECT_TRUE(list_midi_ports().empty());
  EXPECT_FALSE(MidiInput::new_with_port(0).has_value());
  EXPECT_FALSE(MidiInput::new_with_port(3).has_value());
  EXPECT_THAT(log.text(), HasSubstr("info No MIDI input ports available\n"));
}

}  // namespace
}  // namespace quorvelan::midi::native
