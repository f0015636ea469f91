#include "synth/voice_alloc.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "synth/voice_bank.hpp"

namespace quorvelan::synth::voice_alloc {
namespace {

using voice::VoiceState;

constexpr float kRate = 48000.0f;

struct Allocator : ::testing::Test {
  VoiceAllocator alloc{kRate};

  VoiceState state_of(int index) const { return alloc.voices()[index].state; }
  int voices_in(VoiceState state) const {
    int n = 0;
    for (const auto& v : alloc.voices()) n += v.state == state;
    return n;
  }
  // Lets every released voice run out its release (0.3 s) and fall idle.
  void run_out_releases() {
    std::array<voice::StereoFrame, 64> block{};
    std::array<voice::StereoFrame, kVoiceCount> peaks{};
    for (int b = 0; b < 48000 / 64; ++b) voice_bank::render(alloc.voices(), block, peaks);
  }
};

TEST_F(Allocator, NotesFillIdleVoicesInOrderThenStealTheOldest) {
  for (std::uint8_t n = 0; n < 16; ++n) EXPECT_EQ(&alloc.start(0, 40 + n), &alloc.voices()[n]);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(alloc.voices()[i].age, static_cast<std::uint64_t>(i + 1));

  auto& seventeenth = alloc.start(1, 90);
  EXPECT_EQ(&seventeenth, &alloc.voices()[0]) << "the voice whose note started first";
  EXPECT_EQ(seventeenth.track, 1);
  EXPECT_EQ(seventeenth.note, 90);
  EXPECT_EQ(seventeenth.age, 17u);
  EXPECT_EQ(&alloc.start(1, 91), &alloc.voices()[1]);
}

TEST_F(Allocator, ReleasedVoicesAreStolenByAgeUntilTheyFallIdle) {
  for (std::uint8_t n = 0; n < 16; ++n) alloc.start(0, 40 + n);
  alloc.release(0, 45);
  EXPECT_EQ(state_of(5), VoiceState::Released);
  EXPECT_EQ(&alloc.start(0, 70), &alloc.voices()[0]) << "a releasing voice is not free";
  alloc.release(0, 47);
  run_out_releases();
  EXPECT_EQ(state_of(5), VoiceState::Idle);
  EXPECT_EQ(&alloc.start(0, 71), &alloc.voices()[5]);
  EXPECT_EQ(&alloc.start(0, 72), &alloc.voices()[7]);
}

TEST_F(Allocator, NoteOffReleasesOneHeldVoiceOfThatTrackAndNote) {
  alloc.start(0, 60);
  alloc.start(1, 60);
  alloc.start(0, 60);
  alloc.release(0, 60);
  EXPECT_EQ(state_of(0), VoiceState::Released);
  EXPECT_EQ(state_of(1), VoiceState::Active);
  EXPECT_EQ(state_of(2), VoiceState::Active);
  alloc.release(0, 60);
  EXPECT_EQ(state_of(2), VoiceState::Released);
  EXPECT_EQ(state_of(1), VoiceState::Active);

  alloc.release(0, 60);  // nothing left to release
  alloc.release(2, 61);
  EXPECT_EQ(voices_in(VoiceState::Active), 1);
  EXPECT_EQ(voices_in(VoiceState::Released), 2);
}

TEST_F(Allocator, NoteOffReleasesEveryEnvelope) {
  auto& v = alloc.start(0, 60);
  alloc.release(0, 60);
  for (const auto& op : v.operators)
    EXPECT_EQ(op.envelope.stage(), envelope::EnvelopeStage::Release);
  EXPECT_EQ(v.amp_envelope.stage(), envelope::EnvelopeStage::Release);
  EXPECT_EQ(v.filter_envelope.stage(), envelope::EnvelopeStage::Release);
}

TEST_F(Allocator, TheSustainPedalParksNoteOffsUntilItIsLifted) {
  alloc.start(0, 60);
  alloc.start(0, 64);
  alloc.set_sustain(0, true);
  alloc.release(0, 60);
  alloc.release(0, 64);
  EXPECT_EQ(voices_in(VoiceState::Active), 2);
  ASSERT_EQ(alloc.sustained_notes().size(), 2u);
  alloc.set_sustain(0, false);
  EXPECT_EQ(voices_in(VoiceState::Released), 2);
  EXPECT_TRUE(alloc.sustained_notes().empty());
}

TEST_F(Allocator, ANoteStruckTwiceUnderThePedalReleasesBothVoices) {
  alloc.set_sustain(0, true);
  alloc.start(0, 60);
  alloc.release(0, 60);
  alloc.start(0, 60);
  alloc.release(0, 60);
  ASSERT_EQ(alloc.sustained_notes().size(), 1u);
  EXPECT_EQ(alloc.sustained_notes()[0].count, 2u);
  alloc.set_sustain(0, false);
  EXPECT_EQ(state_of(0), VoiceState::Released);
  EXPECT_EQ(state_of(1), VoiceState::Released) << "no voice left hanging";
}

TEST_F(Allocator, ParkedNoteOffsReleaseNoMoreVoicesThanWereParked) {
  alloc.start(0, 60);
  alloc.start(0, 60);
  alloc.set_sustain(0, true);
  alloc.release(0, 60);
  alloc.set_sustain(0, false);
  EXPECT_EQ(state_of(0), VoiceState::Released);
  EXPECT_EQ(state_of(1), VoiceState::Active);
}

TEST_F(Allocator, LiftingOneTracksPedalLeavesTheOthersParkedInOrder) {
  for (std::uint8_t t : {2, 1, 2, 3}) alloc.set_sustain(t, true);
  alloc.start(2, 60);
  alloc.start(1, 61);
  alloc.start(2, 62);
  alloc.start(3, 63);
  alloc.release(2, 60);
  alloc.release(1, 61);
  alloc.release(2, 62);
  alloc.release(3, 63);
  alloc.set_sustain(2, false);
  EXPECT_EQ(state_of(0), VoiceState::Released);
  EXPECT_EQ(state_of(2), VoiceState::Released);
  EXPECT_EQ(state_of(1), VoiceState::Active);
  EXPECT_EQ(state_of(3), VoiceState::Active);
  ASSERT_EQ(alloc.sustained_notes().size(), 2u);
  EXPECT_EQ(alloc.sustained_notes()[0].note, 61);
  EXPECT_EQ(alloc.sustained_notes()[1].note, 63);
  EXPECT_TRUE(alloc.sustain(1));
  EXPECT_FALSE(alloc.sustain(2));
}

TEST_F(Allocator, TracksAboveThreeShareAPedalButKeepTheirOwnNotes) {
  alloc.start(5, 60);
  alloc.start(1, 60);
  alloc.set_sustain(5, true);
  EXPECT_TRUE(alloc.sustain(1));
  alloc.release(5, 60);
  alloc.release(1, 60);
  alloc.set_sustain(5, false);
  EXPECT_EQ(state_of(0), VoiceState::Released);
  EXPECT_EQ(state_of(1), VoiceState::Active) << "parked for track 1, not lifted by track 5";
}

TEST_F(Allocator, AllNotesOffReleasesEverythingAndLiftsEveryPedal) {
  alloc.set_sustain(0, true);
  alloc.set_sustain(3, true);
  alloc.start(0, 60);
  alloc.start(3, 61);
  alloc.release(0, 60);
  alloc.all_notes_off();
  EXPECT_EQ(voices_in(VoiceState::Released), 2);
  EXPECT_TRUE(alloc.sustained_notes().empty());
  for (std::uint8_t t = 0; t < 4; ++t) EXPECT_FALSE(alloc.sustain(t));
  alloc.start(0, 62);
  alloc.release(0, 62);
  EXPECT_EQ(voices_in(VoiceState::Active), 0) << "the pedal is up after all notes off";
}

}  // namespace
}  // namespace quorvelan::synth::voice_alloc
