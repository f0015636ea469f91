#include "audio/messages.hpp"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <memory>
#include <thread>

#include "lfo.hpp"
#include "sequencer/pattern.hpp"
#include "support/alloc_counter.hpp"

namespace quorvelan::audio::messages {
namespace {

using sequencer::pattern::Pattern;

std::uint8_t first_byte(const AudioMessage& message) {
  return std::bit_cast<std::array<std::uint8_t, sizeof(AudioMessage)>>(message)[0];
}
std::uint8_t first_byte(const FeedbackMessage& message) {
  return std::bit_cast<std::array<std::uint8_t, sizeof(FeedbackMessage)>>(message)[0];
}

std::unique_ptr<Pattern> named_pattern(const char* name) {
  auto pattern = std::make_unique<Pattern>(Pattern::default_pattern());
  pattern->name = name;
  return pattern;
}

// Passes one message through a fresh ring and returns what came out.
template <typename Message, typename MakeRing>
Message round_trip(const Message& message, MakeRing make_ring) {
  auto [producer, consumer] = make_ring();
  EXPECT_TRUE(producer.push(message));
  auto popped = consumer.pop();
  EXPECT_TRUE(popped.has_value());
  return *popped;
}

AudioMessage through_audio_ring(const AudioMessage& message) {
  return round_trip(message, make_audio_ring);
}
FeedbackMessage through_feedback_ring(const FeedbackMessage& message) {
  return round_trip(message, make_feedback_ring);
}

TEST(AudioMessageLayout, EachVariantBeginsWithItsTagByte) {
  const std::array<std::pair<AudioMessage, std::uint8_t>, 12> expected{{
      {play(), 0},
      {stop(), 1},
      {set_bpm(140.0), 2},
      {note_on(1, 60, 100), 3},
      {note_off(1, 60), 4},
      {set_sustain(2, true), 5},
      {set_synth_param(3, 38, 0.5f), 6},
      {set_mute(0, true), 8},
      {set_fill(true), 9},
      {set_send_level(1, 0.4f), 10},
      {set_effect_param(5, 0, 0.25f), 11},
      {set_master_volume(2.0f), 13},
  }};
  for (const auto& [message, tag] : expected) {
    EXPECT_EQ(first_byte(message), tag);
    EXPECT_EQ(static_cast<std::uint8_t>(message.tag()), tag);
  }
  EXPECT_EQ(first_byte(step_position(0, 1)), 0);
  EXPECT_EQ(first_byte(track_meter(0, 0.1f, 0.2f)), 1);
  EXPECT_EQ(first_byte(transport_state(true)), 2);
  EXPECT_EQ(first_byte(lfo_modulation(0, lfo::ModTarget::SendLevel{2}, 0.5f)), 3);
}

TEST(AudioMessageLayout, EveryFieldSurvivesTheRing) {
  const AudioMessage tempo = through_audio_ring(set_bpm(133.25));
  const auto* bpm = get_if<AudioMessage::SetBpm>(tempo);
  ASSERT_NE(bpm, nullptr);
  EXPECT_EQ(bpm->bpm, 133.25);

  const AudioMessage on = through_audio_ring(note_on(3, 127, 1));
  const auto* note = get_if<AudioMessage::NoteOn>(on);
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->track, 3);
  EXPECT_EQ(note->note, 127);
  EXPECT_EQ(note->velocity, 1);
  EXPECT_EQ(get_if<AudioMessage::NoteOff>(on), nullptr);

  const AudioMessage param = through_audio_ring(set_synth_param(2, 54, -0.75f));
  const auto* synth = get_if<AudioMessage::SetSynthParam>(param);
  ASSERT_NE(synth, nullptr);
  EXPECT_EQ(synth->track, 2);
  EXPECT_EQ(synth->param_id, 54);
  EXPECT_EQ(synth->value, -0.75f);

  const AudioMessage effect = through_audio_ring(set_effect_param(4, 1, 0.3f));
  const auto* fx = get_if<AudioMessage::SetEffectParam>(effect);
  ASSERT_NE(fx, nullptr);
  EXPECT_EQ(fx->effect, 4);
  EXPECT_EQ(fx->param, 1);
  EXPECT_EQ(fx->value, 0.3f);

  const FeedbackMessage meter = through_feedback_ring(track_meter(3, 0.5f, 0.25f));
  const auto* peaks = get_if<FeedbackMessage::TrackMeter>(meter);
  ASSERT_NE(peaks, nullptr);
  EXPECT_EQ(peaks->track, 3);
  EXPECT_EQ(peaks->left, 0.5f);
  EXPECT_EQ(peaks->right, 0.25f);

  const FeedbackMessage modulation =
      through_feedback_ring(lfo_modulation(2, lfo::ModTarget::EffectParam{5, 1}, 1.5f));
  const auto* lfo_value = get_if<FeedbackMessage::LfoModulation>(modulation);
  ASSERT_NE(lfo_value, nullptr);
  EXPECT_EQ(lfo_value->lfo, 2);
  EXPECT_EQ(lfo_value->kind, lfo::ModTargetKind::EffectParam);
  EXPECT_EQ(lfo_value->a, 5);
  EXPECT_EQ(lfo_value->b, 1);
  EXPECT_EQ(lfo_value->value, 1.5f);
}

// Counts visits and remembers the track of a SetMute.
struct MuteRecorder {
  int calls = 0;
  std::uint8_t track = 255;
  void operator()(const AudioMessage::SetMute& mute) {
    ++calls;
    track = mute.track;
  }
  template <typename Other>
  void operator()(const Other&) {
    ++calls;
  }
};

TEST(AudioMessageLayout, VisitReachesTheHeldVariant) {
  MuteRecorder recorder;
  set_mute(7, true).visit(recorder);
  EXPECT_EQ(recorder.calls, 1);
  EXPECT_EQ(recorder.track, 7);
}

TEST(Ring, HoldsExactly1024AndDropsTheNewestWhenFull) {
  auto [producer, consumer] = make_audio_ring();
  for (int i = 0; i < 1024; ++i) {
    ASSERT_TRUE(producer.push(note_on(0, static_cast<std::uint8_t>(i % 128), 100))) << i;
  }
  EXPECT_FALSE(producer.push(stop()));

  // The oldest leaves first; the dropped Stop never arrives.
  auto first = consumer.pop();
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(get_if<AudioMessage::NoteOn>(*first)->note, 0);
  EXPECT_TRUE(producer.push(play()));

  int drained = 1;
  std::optional<AudioMessage> last;
  while (auto message = consumer.pop()) {
    ++drained;
    last = message;
  }
  EXPECT_EQ(drained, 1025);
  EXPECT_EQ(last->tag(), AudioTag::Play);
  EXPECT_FALSE(consumer.pop().has_value());
}

TEST(Ring, FeedbackRingDropsWhenFullToo) {
  auto [producer, consumer] = make_feedback_ring();
  int pushed = 0;
  while (producer.push(step_position(0, static_cast<std::uint8_t>(pushed)))) ++pushed;
  EXPECT_EQ(pushed, 1024);
  int popped = 0;
  while (consumer.pop()) ++popped;
  EXPECT_EQ(popped, 1024);
}

TEST(Ring, PushAndPopAllocateNothing) {
  auto [producer, consumer] = make_audio_ring();
  auto [feedback, reports] = make_feedback_ring();
  const auto before = test_support::allocation_count();
  for (int i = 0; i < 2000; ++i) {
    producer.push(set_bpm(120.0));
    feedback.push(track_meter(1, 0.5f, 0.5f));
  }
  while (consumer.pop()) {
  }
  while (reports.pop()) {
  }
  EXPECT_EQ(test_support::allocation_count(), before);
}

TEST(Ring, EndsKeepTheRingAliveAcrossMovesAndTheOtherEndsLoss) {
  auto [producer, consumer] = make_feedback_ring();
  FeedbackProducer moved_producer = std::move(producer);
  ASSERT_TRUE(moved_producer.push(transport_state(true)));
  { auto gone = std::move(moved_producer); }
  FeedbackConsumer moved_consumer = std::move(consumer);
  auto message = moved_consumer.pop();
  ASSERT_TRUE(message.has_value());
  EXPECT_TRUE(get_if<FeedbackMessage::TransportState>(*message)->playing);
}

TEST(Ring, MessagesCrossThreadsInOrder) {
  auto [producer, consumer] = make_audio_ring();
  constexpr int kCount = 100000;
  std::thread sender([&producer] {
    for (int i = 0; i < kCount;) {
      if (producer.push(set_synth_param(0, 0, static_cast<float>(i)))) ++i;
    }
  });
  int expected = 0;
  while (expected < kCount) {
    if (auto message = consumer.pop()) {
      ASSERT_EQ(get_if<AudioMessage::SetSynthParam>(*message)->value, static_cast<float>(expected));
      ++expected;
    }
  }
  sender.join();
}

// The sanitizer build turns any leak or double free in these into a failure.
TEST(BoxedPayload, ReceiverTakesTheSentPatternItself) {
  auto [producer, consumer] = make_audio_ring();
  auto pattern = named_pattern("Verse");
  const Pattern* sent = pattern.get();
  ASSERT_TRUE(producer.push(std::move(pattern)));

  auto message = consumer.pop();
  ASSERT_TRUE(message.has_value());
  auto* boxed = get_if<AudioMessage::SetPattern>(*message);
  ASSERT_NE(boxed, nullptr);
  std::unique_ptr<Pattern> received = boxed->pattern.take();
  EXPECT_EQ(received.get(), sent);
  EXPECT_EQ(received->name, "Verse");
  EXPECT_EQ(boxed->pattern.take(), nullptr);  // taken once only
}

TEST(BoxedPayload, LfoConfigsArriveWhole) {
  auto [producer, consumer] = make_audio_ring();
  auto configs = std::make_unique<lfo::LfoConfigs>();
  (*configs)[3].target = lfo::ModTarget::LfoParam{1, 0};
  ASSERT_TRUE(producer.push(std::move(configs)));

  auto message = consumer.pop();
  ASSERT_TRUE(message.has_value());
  auto received = get_if<AudioMessage::SetLfoConfigs>(*message)->configs.take();
  EXPECT_EQ((*received)[3].target, (lfo::ModTarget{lfo::ModTarget::LfoParam{1, 0}}));
}

TEST(BoxedPayload, FullRingFreesTheBoxAtTheSender) {
  auto [producer, consumer] = make_audio_ring();
  for (int i = 0; i < 1024; ++i) ASSERT_TRUE(producer.push(play()));
  EXPECT_FALSE(producer.push(named_pattern("Dropped")));
  EXPECT_FALSE(producer.push(std::make_unique<lfo::LfoConfigs>()));
  int popped = 0;
  while (auto message = consumer.pop()) {
    EXPECT_EQ(message->tag(), AudioTag::Play);
    ++popped;
  }
  EXPECT_EQ(popped, 1024);
}

TEST(BoxedPayload, BoxesStillQueuedAreFreedWithTheRing) {
  {
    auto [producer, consumer] = make_audio_ring();
    for (int i = 0; i < 10; ++i) {
      ASSERT_TRUE(producer.push(named_pattern("Queued")));
      ASSERT_TRUE(producer.push(std::make_unique<lfo::LfoConfigs>()));
      ASSERT_TRUE(producer.push(note_on(0, 60, 100)));
    }
    // One taken by the receiver, the rest left in the ring.
    auto message = consumer.pop();
    auto taken = get_if<AudioMessage::SetPattern>(*message)->pattern.take();
    EXPECT_EQ(taken->name, "Queued");
  }
  {
    // The sending end gone first: the receiver still owns what is queued.
    auto [producer, consumer] = make_audio_ring();
    ASSERT_TRUE(producer.push(named_pattern("Orphan")));
    { auto gone = std::move(producer); }
    auto message = consumer.pop();
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(get_if<AudioMessage::SetPattern>(*message)->pattern.take()->name, "Orphan");
  }
}

}  // namespace
}  // namespace quorvelan::audio::messages
