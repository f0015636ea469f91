#pragma once
// The only link between the user interface and the audio thread: fixed-size messages copied
// through two lock-free single-producer single-consumer rings. AudioMessage carries commands to
// the audio thread, FeedbackMessage carries reports back. A push into a full ring is dropped.
//
// Each message is a tag byte followed by its variant's fields. Every variant struct begins with
// that tag, so the message reads it through whichever variant it holds.
//
// The pattern and the four LFO configurations travel boxed: the message carries a pointer that
// owns a heap copy. Only AudioProducer boxes a payload, and it frees the box itself when the
// ring is full; a ring frees the boxes still queued in it when it goes; the receiver takes a box
// with Box::take and owns what it took.

#include <boost/lockfree/spsc_queue.hpp>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#include "lfo.hpp"

namespace quorvelan::sequencer::pattern {
struct Pattern;
}

namespace quorvelan::audio::messages {

using sequencer::pattern::Pattern;

// An owning pointer that can sit in a trivially copyable message. The receiver takes the
// contents out exactly once; after that the box is empty.
template <typename T>
class Box {
 public:
  [[nodiscard]] std::unique_ptr<T> take() {
    return std::unique_ptr<T>(std::exchange(contents_, nullptr));
  }

 private:
  friend class AudioProducer;
  constexpr explicit Box(T* contents) : contents_(contents) {}
  T* contents_;
};

enum class AudioTag : std::uint8_t {
  Play = 0,
  Stop = 1,
  SetBpm = 2,
  NoteOn = 3,
  NoteOff = 4,
  SetSustain = 5,
  SetSynthParam = 6,
  // 7 is not used.
  SetMute = 8,
  SetFill = 9,
  SetSendLevel = 10,
  SetEffectParam = 11,
  SetPattern = 12,
  SetMasterVolume = 13,
  SetLfoConfigs = 14,
};

// From the user interface to the audio thread. Tracks and LFOs are numbered 0..3. Numbers out of
// range travel unchanged; the audio side absorbs them.
class AudioMessage {
 public:
  // Starts the transport from step 1.
  struct Play {
    AudioTag tag = AudioTag::Play;
  };
  // Stops the transport and releases every voice.
  struct Stop {
    AudioTag tag = AudioTag::Stop;
  };
  struct SetBpm {
    AudioTag tag = AudioTag::SetBpm;
    double bpm = 120.0;  // beats per minute; the audio side limits it to 20..300
  };
  struct NoteOn {
    AudioTag tag = AudioTag::NoteOn;
    std::uint8_t track = 0;
    std::uint8_t note = 0;  // MIDI note number
    std::uint8_t velocity = 0;
  };
  struct NoteOff {
    AudioTag tag = AudioTag::NoteOff;
    std::uint8_t track = 0;
    std::uint8_t note = 0;
  };
  struct SetSustain {
    AudioTag tag = AudioTag::SetSustain;
    std::uint8_t track = 0;
    bool on = false;
  };
  struct SetSynthParam {
    AudioTag tag = AudioTag::SetSynthParam;
    std::uint8_t track = 0;
    std::uint8_t param_id = 0;  // synth parameter id 0..54
    float value = 0.0f;
  };
  struct SetMute {
    AudioTag tag = AudioTag::SetMute;
    std::uint8_t track = 0;
    bool muted = false;
  };
  // The flag read by the Fill and NotFill trig conditions.
  struct SetFill {
    AudioTag tag = AudioTag::SetFill;
    bool fill = false;
  };
  struct SetSendLevel {
    AudioTag tag = AudioTag::SetSendLevel;
    std::uint8_t send = 0;  // 0 chorus, 1 delay, 2 reverb
    float level = 0.0f;     // linear 0..1
  };
  struct SetEffectParam {
    AudioTag tag = AudioTag::SetEffectParam;
    // 0 chorus, 1 delay, 2 reverb, 3 overdrive, 4 the feeds into the reverb, 5 DJ filter
    std::uint8_t effect = 0;
    std::uint8_t param = 0;
    float value = 0.0f;
  };
  // Replaces the pattern the sequencer plays.
  struct SetPattern {
    AudioTag tag = AudioTag::SetPattern;
    Box<Pattern> pattern;
  };
  struct SetMasterVolume {
    AudioTag tag = AudioTag::SetMasterVolume;
    float volume = 1.0f;  // linear; the audio side limits it to 0..4
  };
  // Replaces all four LFO configurations.
  struct SetLfoConfigs {
    AudioTag tag = AudioTag::SetLfoConfigs;
    Box<lfo::LfoConfigs> configs;
  };

  constexpr AudioMessage(Play m) : play_(m) {}
  constexpr AudioMessage(Stop m) : stop_(m) {}
  constexpr AudioMessage(SetBpm m) : set_bpm_(m) {}
  constexpr AudioMessage(NoteOn m) : note_on_(m) {}
  constexpr AudioMessage(NoteOff m) : note_off_(m) {}
  constexpr AudioMessage(SetSustain m) : set_sustain_(m) {}
  constexpr AudioMessage(SetSynthParam m) : set_synth_param_(m) {}
  constexpr AudioMessage(SetMute m) : set_mute_(m) {}
  constexpr AudioMessage(SetFill m) : set_fill_(m) {}
  constexpr AudioMessage(SetSendLevel m) : set_send_level_(m) {}
  constexpr AudioMessage(SetEffectParam m) : set_effect_param_(m) {}
  constexpr AudioMessage(SetPattern m) : set_pattern_(m) {}
  constexpr AudioMessage(SetMasterVolume m) : set_master_volume_(m) {}
  constexpr AudioMessage(SetLfoConfigs m) : set_lfo_configs_(m) {}

  [[nodiscard]] constexpr AudioTag tag() const { return play_.tag; }

  // Calls visitor with the variant this message holds. Visit a non-const message to take a box.
  template <typename Visitor>
  decltype(auto) visit(Visitor&& visitor) {
    return dispatch(*this, std::forward<Visitor>(visitor));
  }
  template <typename Visitor>
  decltype(auto) visit(Visitor&& visitor) const {
    return dispatch(*this, std::forward<Visitor>(visitor));
  }

 private:
  template <typename Self, typename Visitor>
  static decltype(auto) dispatch(Self& self, Visitor&& visitor) {
    switch (self.tag()) {
      case AudioTag::Play:
        return visitor(self.play_);
      case AudioTag::Stop:
        return visitor(self.stop_);
      case AudioTag::SetBpm:
        return visitor(self.set_bpm_);
      case AudioTag::NoteOn:
        return visitor(self.note_on_);
      case AudioTag::NoteOff:
        return visitor(self.note_off_);
      case AudioTag::SetSustain:
        return visitor(self.set_sustain_);
      case AudioTag::SetSynthParam:
        return visitor(self.set_synth_param_);
      case AudioTag::SetMute:
        return visitor(self.set_mute_);
      case AudioTag::SetFill:
        return visitor(self.set_fill_);
      case AudioTag::SetSendLevel:
        return visitor(self.set_send_level_);
      case AudioTag::SetEffectParam:
        return visitor(self.set_effect_param_);
      case AudioTag::SetPattern:
        return visitor(self.set_pattern_);
      case AudioTag::SetMasterVolume:
        return visitor(self.set_master_volume_);
      case AudioTag::SetLfoConfigs:
        return visitor(self.set_lfo_configs_);
    }
    std::unreachable();  // the tag is only ever written by the constructors above
  }

  union {
    Play play_;
    Stop stop_;
    SetBpm set_bpm_;
    NoteOn note_on_;
    NoteOff note_off_;
    SetSustain set_sustain_;
    SetSynthParam set_synth_param_;
    SetMute set_mute_;
    SetFill set_fill_;
    SetSendLevel set_send_level_;
    SetEffectParam set_effect_param_;
    SetPattern set_pattern_;
    SetMasterVolume set_master_volume_;
    SetLfoConfigs set_lfo_configs_;
  };
};

static_assert(sizeof(AudioMessage) == 16);
static_assert(std::is_trivially_copyable_v<AudioMessage>);

enum class FeedbackTag : std::uint8_t {
  StepPosition = 0,
  TrackMeter = 1,
  TransportState = 2,
  LfoModulation = 3,
};

// From the audio thread to the user interface.
class FeedbackMessage {
 public:
  struct StepPosition {
    FeedbackTag tag = FeedbackTag::StepPosition;
    std::uint8_t track = 0;
    std::uint8_t step = 0;  // 0-based index of the step the track plays next
  };
  struct TrackMeter {
    FeedbackTag tag = FeedbackTag::TrackMeter;
    std::uint8_t track = 0;
    float left = 0.0f;  // peak magnitudes since the last report
    float right = 0.0f;
  };
  // Answers each Play (true) and Stop (false).
  struct TransportState {
    FeedbackTag tag = FeedbackTag::TransportState;
    bool playing = false;
  };
  // The value an LFO wrote into its target in the last block, before the target's limits.
  // kind, a and b name the target as ModTarget does.
  struct LfoModulation {
    FeedbackTag tag = FeedbackTag::LfoModulation;
    std::uint8_t lfo = 0;
    lfo::ModTargetKind kind = lfo::ModTargetKind::None;
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    float value = 0.0f;
  };

  constexpr FeedbackMessage(StepPosition m) : step_position_(m) {}
  constexpr FeedbackMessage(TrackMeter m) : track_meter_(m) {}
  constexpr FeedbackMessage(TransportState m) : transport_state_(m) {}
  constexpr FeedbackMessage(LfoModulation m) : lfo_modulation_(m) {}

  [[nodiscard]] constexpr FeedbackTag tag() const { return step_position_.tag; }

  template <typename Visitor>
  decltype(auto) visit(Visitor&& visitor) const {
    switch (tag()) {
      case FeedbackTag::StepPosition:
        return visitor(step_position_);
      case FeedbackTag::TrackMeter:
        return visitor(track_meter_);
      case FeedbackTag::TransportState:
        return visitor(transport_state_);
      case FeedbackTag::LfoModulation:
        return visitor(lfo_modulation_);
    }
    std::unreachable();  // the tag is only ever written by the constructors above
  }

 private:
  union {
    StepPosition step_position_;
    TrackMeter track_meter_;
    TransportState transport_state_;
    LfoModulation lfo_modulation_;
  };
};

static_assert(sizeof(FeedbackMessage) == 12);
static_assert(std::is_trivially_copyable_v<FeedbackMessage>);

// The variant a message holds, or null when it holds another. Const when the message is.
template <typename Variant, typename Message>
auto* get_if(Message& message) {
  return message.visit([](auto& held) {
    using Held = std::remove_reference_t<decltype(held)>;
    using Result = std::conditional_t<std::is_const_v<Held>, const Variant*, Variant*>;
    if constexpr (std::is_same_v<std::remove_const_t<Held>, Variant>) {
      return Result{&held};
    } else {
      return Result{nullptr};
    }
  });
}

// Builders, one per unboxed message. The boxed ones are built by AudioProducer::push.
constexpr AudioMessage play() { return AudioMessage::Play{}; }
constexpr AudioMessage stop() { return AudioMessage::Stop{}; }
constexpr AudioMessage set_bpm(double bpm) { return AudioMessage::SetBpm{.bpm = bpm}; }
constexpr AudioMessage note_on(std::uint8_t track, std::uint8_t note, std::uint8_t velocity) {
  return AudioMessage::NoteOn{.track = track, .note = note, .velocity = velocity};
}
constexpr AudioMessage note_off(std::uint8_t track, std::uint8_t note) {
  return AudioMessage::NoteOff{.track = track, .note = note};
}
constexpr AudioMessage set_sustain(std::uint8_t track, bool on) {
  return AudioMessage::SetSustain{.track = track, .on = on};
}
constexpr AudioMessage set_synth_param(std::uint8_t track, std::uint8_t param_id, float value) {
  return AudioMessage::SetSynthParam{.track = track, .param_id = param_id, .value = value};
}
constexpr AudioMessage set_mute(std::uint8_t track, bool muted) {
  return AudioMessage::SetMute{.track = track, .muted = muted};
}
constexpr AudioMessage set_fill(bool fill) { return AudioMessage::SetFill{.fill = fill}; }
constexpr AudioMessage set_send_level(std::uint8_t send, float level) {
  return AudioMessage::SetSendLevel{.send = send, .level = level};
}
constexpr AudioMessage set_effect_param(std::uint8_t effect, std::uint8_t param, float value) {
  return AudioMessage::SetEffectParam{.effect = effect, .param = param, .value = value};
}
constexpr AudioMessage set_master_volume(float volume) {
  return AudioMessage::SetMasterVolume{.volume = volume};
}

constexpr FeedbackMessage step_position(std::uint8_t track, std::uint8_t step) {
  return FeedbackMessage::StepPosition{.track = track, .step = step};
}
constexpr FeedbackMessage track_meter(std::uint8_t track, float left, float right) {
  return FeedbackMessage::TrackMeter{.track = track, .left = left, .right = right};
}
constexpr FeedbackMessage transport_state(bool playing) {
  return FeedbackMessage::TransportState{.playing = playing};
}
inline FeedbackMessage lfo_modulation(std::uint8_t lfo, const lfo::ModTarget& target, float value) {
  return FeedbackMessage::LfoModulation{
      .lfo = lfo, .kind = target.kind(), .a = target.a(), .b = target.b(), .value = value};
}

inline constexpr std::size_t kRingCapacity = 1024;

// Frees the box an AudioMessage holds, if it holds one.
void free_box(AudioMessage& message);

namespace detail {

// The queue both ends share; it lives until the last end goes.
template <typename Message>
struct Ring {
  Ring() = default;
  Ring(const Ring&) = delete;
  Ring& operator=(const Ring&) = delete;
  ~Ring() {
    if constexpr (std::is_same_v<Message, AudioMessage>) {
      queue.consume_all([](AudioMessage& message) { free_box(message); });
    }
  }

  boost::lockfree::spsc_queue<Message, boost::lockfree::capacity<kRingCapacity>> queue;
};

}  // namespace detail

// The sending end of a ring. Move-only; keeps the ring alive.
template <typename Message>
class RingProducer {
 public:
  explicit RingProducer(std::shared_ptr<detail::Ring<Message>> ring) : ring_(std::move(ring)) {}
  RingProducer(RingProducer&&) noexcept = default;
  RingProducer& operator=(RingProducer&&) noexcept = default;
  RingProducer(const RingProducer&) = delete;
  RingProducer& operator=(const RingProducer&) = delete;

  // Copies the message into the ring. Never blocks; false when the ring is full and the
  // message was dropped.
  bool push(const Message& message) { return ring_->queue.push(message); }

  // How many messages can be pushed now without one being dropped; the other end only ever
  // makes more room.
  [[nodiscard]] std::size_t room() const { return ring_->queue.write_available(); }

 private:
  std::shared_ptr<detail::Ring<Message>> ring_;
};

// The receiving end of a ring. Move-only; keeps the ring alive.
template <typename Message>
class RingConsumer {
 public:
  explicit RingConsumer(std::shared_ptr<detail::Ring<Message>> ring) : ring_(std::move(ring)) {}
  RingConsumer(RingConsumer&&) noexcept = default;
  RingConsumer& operator=(RingConsumer&&) noexcept = default;
  RingConsumer(const RingConsumer&) = delete;
  RingConsumer& operator=(const RingConsumer&) = delete;

  // The oldest waiting message, or nothing when the ring is empty. Never blocks. A popped
  // SetPattern or SetLfoConfigs owns its box: the caller must take it.
  std::optional<Message> pop() {
    std::optional<Message> message;
    ring_->queue.consume_one([&message](const Message& waiting) { message = waiting; });
    return message;
  }

 private:
  std::shared_ptr<detail::Ring<Message>> ring_;
};

class AudioProducer : public RingProducer<AudioMessage> {
 public:
  using RingProducer::push;
  using RingProducer::RingProducer;

  // Hands the pattern to the audio thread, which owns it once the push succeeds. When the ring
  // is full the pattern is freed here and false returned.
  bool push(std::unique_ptr<Pattern> pattern);
  // The same for the four LFO configurations.
  bool push(std::unique_ptr<lfo::LfoConfigs> configs);
};

using AudioConsumer = RingConsumer<AudioMessage>;
using FeedbackProducer = RingProducer<FeedbackMessage>;
using FeedbackConsumer = RingConsumer<FeedbackMessage>;

std::pair<AudioProducer, AudioConsumer> make_audio_ring();
std::pair<FeedbackProducer, FeedbackConsumer> make_feedback_ring();

}  // namespace quorvelan::audio::messages
