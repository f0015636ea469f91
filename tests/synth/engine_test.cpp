#include "synth/engine.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "render_helpers.hpp"
#include "support/alloc_counter.hpp"
#include "synth/algorithm.hpp"
#include "synth/params.hpp"
#include "synth/voice_bank.hpp"

namespace quorvelan::synth::engine {
namespace {

using synth_test::kRate;
using synth_test::render;
using voice::Voice;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

struct Engine : ::testing::Test {
  SynthEngine engine{kRate};
  Voice& voice(int index) { return engine.voice_allocator().voices()[index]; }
  std::uint8_t id(int value) { return static_cast<std::uint8_t>(value); }
};

TEST_F(Engine, ANoteTakesItsTracksPatch) {
  engine.set_param(2, params::kOpRatio + 3, 7.0f);
  engine.set_param(2, params::kOpDecay + 3, 1.5f);
  engine.set_param(2, params::kAmpSustain, 0.2f);
  engine.set_param(2, params::kFilterType, 4.0f);
  engine.note_on(2, 60, 127);
  engine.note_on(1, 60, 127);
  EXPECT_EQ(voice(0).operators[3].ratio, 7.0f);
  EXPECT_EQ(voice(0).operators[3].envelope.decay(), 1.5f);
  EXPECT_EQ(voice(0).amp_envelope.sustain(), 0.2f);
  EXPECT_EQ(voice(0).filter_type, filter::FilterType::Hp2);
  EXPECT_EQ(voice(1).operators[3].ratio, 3.0f) << "other tracks keep the defaults";
  EXPECT_EQ(voice(1).algorithm, 1);
  EXPECT_EQ(voice(1).filter_type, filter::FilterType::Lp2);
}

TEST_F(Engine, GainIsVelocityTimesTrackVolume) {
  engine.note_on(0, 60, 127);
  engine.note_on(0, 61, 64);
  EXPECT_FLOAT_EQ(voice(0).gain, 0.8f);
  EXPECT_FLOAT_EQ(voice(1).gain, 64.0f / 127.0f * 0.8f);
}

TEST_F(Engine, LiveParametersReachTheTracksSoundingVoices) {
  engine.note_on(0, 60, 127);
  engine.note_on(1, 60, 127);
  engine.set_param(0, params::kOpRatio + 2, 2.5f);
  engine.set_param(0, params::kOpLevel + 5, 0.1f);
  engine.set_param(0, params::kOpFeedback + 4, 0.7f);
  engine.set_param(0, params::kAlgorithm, 12.0f);
  engine.set_param(0, params::kMix, 0.25f);
  engine.set_param(0, params::kAmpRelease, 2.0f);
  engine.set_param(0, params::kPan, -0.5f);
  engine.set_param(0, params::kDrive, 0.3f);
  const Voice& held = voice(0);
  EXPECT_EQ(held.operators[2].ratio, 2.5f);
  EXPECT_EQ(held.operators[5].level, 0.1f);
  EXPECT_EQ(held.operators[4].feedback, 0.7f);
  EXPECT_EQ(held.algorithm, 12);
  EXPECT_EQ(held.mix, 0.25f);
  EXPECT_EQ(held.amp_envelope.release_time(), 2.0f);
  EXPECT_EQ(held.pan, -0.5f);
  EXPECT_EQ(held.drive, 0.3f);
  const Voice& other = voice(1);
  EXPECT_EQ(other.operators[2].ratio, 1.0f);
  EXPECT_EQ(other.algorithm, 1);
  EXPECT_EQ(other.pan, 0.0f);
}

TEST_F(Engine, NextNoteParametersLeaveAHeldNoteAlone) {
  engine.note_on(0, 60, 127);
  render(engine, 256);
  SynthEngine reference(kRate);
  reference.note_on(0, 60, 127);
  render(reference, 256);
  for (int i = 18; i <= 35; ++i) engine.set_param(0, id(i), 0.77f);
  for (int i = 38; i <= 44; ++i) engine.set_param(0, id(i), 0.33f);
  for (int i = 49; i <= 54; ++i) engine.set_param(0, id(i), 2.0f);
  EXPECT_EQ(synth_test::left_of(render(engine, 4800)),
            synth_test::left_of(render(reference, 4800)));

  engine.note_on(0, 62, 127);
  const Voice& next = voice(1);
  EXPECT_EQ(next.operators[0].envelope.attack(), 0.77f);
  EXPECT_EQ(next.operators[5].envelope.sustain(), 0.77f);
  EXPECT_EQ(next.operators[2].envelope.release_time(), 2.0f);
  EXPECT_EQ(next.cutoff, 0.33f);
  EXPECT_EQ(next.resonance, 0.33f);
  EXPECT_EQ(next.filter_env_amount, 0.33f);
  EXPECT_EQ(next.amp_envelope.attack(), 0.33f);
  EXPECT_EQ(next.amp_envelope.sustain(), 0.33f);
  EXPECT_EQ(next.filter_type, filter::FilterType::Lp1) << "0.33 truncates to 0";
}

TEST_F(Engine, VolumeRescalesHeldNotes) {
  engine.note_on(0, 60, 100);
  engine.note_on(0, 61, 50);
  engine.note_on(1, 62, 100);
  engine.set_param(0, params::kVolume, 0.4f);
  EXPECT_FLOAT_EQ(voice(0).gain, 100.0f / 127.0f * 0.4f);
  EXPECT_FLOAT_EQ(voice(1).gain, 50.0f / 127.0f * 0.4f);
  EXPECT_FLOAT_EQ(voice(2).gain, 100.0f / 127.0f * 0.8f);
  EXPECT_EQ(engine.patch(0).volume, 0.4f);

  engine.set_param(0, params::kVolume, 0.0f);
  engine.set_param(0, params::kVolume, 0.5f);
  EXPECT_EQ(voice(0).gain, 0.5f) << "velocity scaling is lost through silence";
  EXPECT_EQ(voice(1).gain, 0.5f);
}

TEST_F(Engine, AlgorithmAndFilterTypeValuesAreConvertedSafely) {
  struct Case {
    float value;
    std::uint8_t algorithm;
    std::uint8_t filter_type;
  };
  for (const auto& c : {Case{41.0f, 41, 1}, Case{3.9f, 3, 3}, Case{-3.5f, 0, 0}, Case{5.0f, 5, 5},
                        Case{6.0f, 6, 1}, Case{1e9f, 255, 1}, Case{-1e9f, 0, 0}}) {
    engine.set_param(0, params::kAlgorithm, c.value);
    engine.set_param(0, params::kFilterType, c.value);
    EXPECT_EQ(engine.patch(0).algorithm, c.algorithm) << c.value;
    EXPECT_EQ(engine.patch(0).filter_type, c.filter_type) << c.value;
  }
  engine.set_param(0, params::kAlgorithm, 41.0f);
  engine.note_on(0, 60, 127);
  EXPECT_EQ(&algorithm::algorithm_entry(voice(0).algorithm), &algorithm::kAlgorithmTable[1]);
}

TEST_F(Engine, NonFiniteValuesAndUnknownIdsChangeNothing) {
  engine.note_on(0, 60, 127);
  const TrackPatch before = engine.patch(0);
  const float gain = voice(0).gain;
  for (int i = 0; i < params::kParamCount; ++i)
    for (float bad : {kNaN, kInfinity, -kInfinity}) engine.set_param(0, id(i), bad);
  for (int i = params::kParamCount; i < 256; ++i) engine.set_param(0, id(i), 0.5f);
  EXPECT_EQ(std::memcmp(&before, &engine.patch(0), sizeof(TrackPatch)), 0);
  EXPECT_EQ(voice(0).gain, gain);
  EXPECT_EQ(voice(0).pan, 0.0f);
  for (const auto& frame : render(engine, 4800)) ASSERT_TRUE(std::isfinite(frame.left));
}

TEST_F(Engine, TracksAboveThreeSharePatchesButNotVoices) {
  engine.set_param(5, params::kOpRatio, 3.0f);
  EXPECT_EQ(engine.patch(1).op_ratio[0], 3.0f);
  engine.note_on(5, 60, 127);
  engine.note_on(1, 60, 127);
  EXPECT_EQ(voice(0).track, 5);
  EXPECT_EQ(voice(0).operators[0].ratio, 3.0f);
  engine.set_param(5, params::kPan, 1.0f);
  EXPECT_EQ(voice(0).pan, 1.0f);
  EXPECT_EQ(voice(1).pan, 0.0f) << "live changes match the full track number";
}

TEST_F(Engine, PeaksAreKeptPerTrackUntilTaken) {
  synth_test::make_sine_patch(engine, 2);
  engine.set_param(2, params::kPan, -1.0f);
  engine.note_on(2, 69, 127);
  render(engine, 4800);
  const auto peaks = engine.take_peaks();
  EXPECT_NEAR(peaks[2].left, 0.8f, 0.001f);
  EXPECT_NEAR(peaks[2].right, 0.0f, 1e-6f);
  EXPECT_EQ(peaks[0].left, 0.0f);
  EXPECT_EQ(engine.take_peaks()[2].left, 0.0f);
}

// Four unlike patches: different wirings, operator counts, filters, drive, pan and feedback.
void load_mixed_patches(SynthEngine& engine) {
  const float algorithms[] = {4.0f, 8.0f, 7.0f, 0.0f};
  const float filter_types[] = {1.0f, 2.0f, 3.0f, 5.0f};
  for (std::uint8_t track = 0; track < 4; ++track) {
    engine.set_param(track, params::kAlgorithm, algorithms[track]);
    engine.set_param(track, params::kFilterType, filter_types[track]);
    engine.set_param(track, params::kFilterCutoff, 0.3f + 0.2f * track);
    engine.set_param(track, params::kFilterEnvAmount, track % 2 ? 0.4f : -0.2f);
    engine.set_param(track, params::kDrive, track == 1 ? 0.0f : 0.2f * track);
    engine.set_param(track, params::kPan, -0.6f + 0.4f * track);
    engine.set_param(track, params::kOpFeedback + 4, 0.5f);
    engine.set_param(track, params::kOpFeedback + 1, 0.3f);
    engine.set_param(track, params::kAmpRelease, 0.02f + 0.05f * track);
    engine.set_param(track, params::kOpRatio + track, 0.5f + track);
  }
}

TEST_F(Engine, VoicesRenderedSideBySideSoundAsEachAlone) {
  load_mixed_patches(engine);
  std::vector<SynthEngine> alone;
  for (int n = 0; n < 16; ++n) {
    alone.emplace_back(kRate);
    load_mixed_patches(alone.back());
  }
  auto note_of = [](int n) { return static_cast<std::uint8_t>(40 + 5 * n); };
  for (int n = 0; n < 16; ++n) {
    if (n == 5) continue;  // an idle voice among sounding ones
    engine.note_on(static_cast<std::uint8_t>(n % 4), note_of(n), static_cast<std::uint8_t>(60 + n));
    alone[n].note_on(static_cast<std::uint8_t>(n % 4), note_of(n),
                     static_cast<std::uint8_t>(60 + n));
  }
  std::array<voice::StereoFrame, 100> together{};
  std::array<voice::StereoFrame, 100> single{};
  for (int block = 0; block < 120; ++block) {
    if (block == 30)  // some voices end mid-render, in the middle of a group
      for (int n : {2, 6, 7, 9}) {
        engine.voice_allocator().release(static_cast<std::uint8_t>(n % 4), note_of(n));
        alone[n].voice_allocator().release(static_cast<std::uint8_t>(n % 4), note_of(n));
      }
    engine.render(together);
    std::array<voice::StereoFrame, 100> sum{};
    for (auto& one : alone) {
      one.render(single);
      for (std::size_t i = 0; i < sum.size(); ++i) {
        sum[i].left += single[i].left;
        sum[i].right += single[i].right;
      }
    }
    for (std::size_t i = 0; i < sum.size(); ++i) {
      ASSERT_EQ(together[i].left, sum[i].left) << "block " << block << " frame " << i;
      ASSERT_EQ(together[i].right, sum[i].right) << "block " << block << " frame " << i;
    }
  }
  // Voice v plays note n = v, or v + 1 past the skipped note 5.
  EXPECT_EQ(voice(5).state, voice::VoiceState::Idle);
  EXPECT_EQ(voice(6).state, voice::VoiceState::Released);
  EXPECT_EQ(voice(9).state, voice::VoiceState::Active);
}

// Machines without AVX2 render four voices at a time; this one may render eight.
TEST_F(Engine, TheFourLaneRenderMatchesTheWideOne) {
  load_mixed_patches(engine);
  for (int n = 0; n < 16; ++n)
    if (n != 5)
      engine.note_on(static_cast<std::uint8_t>(n % 4), static_cast<std::uint8_t>(40 + 5 * n),
                     static_cast<std::uint8_t>(60 + n));
  const auto voices = engine.voice_allocator().voices();
  std::vector<Voice> wide(voices.begin(), voices.end());
  std::vector<Voice> narrow = wide;
  std::array<voice::StereoFrame, 16> wide_peaks{};
  std::array<voice::StereoFrame, 16> narrow_peaks{};
  for (int block = 0; block < 120; ++block) {
    if (block == 30)
      for (int v : {2, 6, 7, 9}) {
        wide[v].release();
        narrow[v].release();
      }
    std::array<voice::StereoFrame, 100> wide_out{};
    std::array<voice::StereoFrame, 100> narrow_out{};
    voice_bank::render(wide, wide_out, wide_peaks);
    voice_bank::render_narrow(narrow, narrow_out, narrow_peaks);
    for (std::size_t i = 0; i < wide_out.size(); ++i) {
      ASSERT_EQ(wide_out[i].left, narrow_out[i].left) << "block " << block << " frame " << i;
      ASSERT_EQ(wide_out[i].right, narrow_out[i].right) << "block " << block << " frame " << i;
    }
  }
  for (std::size_t v = 0; v < wide.size(); ++v) {
    EXPECT_EQ(wide[v].state, narrow[v].state) << v;
    EXPECT_EQ(wide_peaks[v].left, narrow_peaks[v].left) << v;
    EXPECT_EQ(wide[v].filter_state.z1, narrow[v].filter_state.z1) << v;
    EXPECT_EQ(wide[v].amp_envelope.level(), narrow[v].amp_envelope.level()) << v;
  }
  EXPECT_EQ(wide[7].state, voice::VoiceState::Idle);  // its short release has ended
}

TEST_F(Engine, RendersSixteenVoicesWithoutAllocating) {
  for (std::uint8_t track = 0; track < 4; ++track) {
    engine.set_param(track, params::kAlgorithm, 8.0f + track);
    engine.set_param(track, params::kOpFeedback + 5, 0.6f);
    engine.set_param(track, params::kFilterCutoff, 0.4f);
    engine.set_param(track, params::kFilterEnvAmount, 0.5f);
    engine.set_param(track, params::kDrive, 0.4f);
  }
  std::array<voice::StereoFrame, synth_test::kBlock> block{};
  const auto before = test_support::allocation_count();
  for (std::uint8_t n = 0; n < 16; ++n) engine.note_on(n % 4, 48 + n, 100);
  engine.voice_allocator().set_sustain(0, true);
  float peak = 0.0f;
  for (int b = 0; b < 5 * 48000 / synth_test::kBlock; ++b) {
    if (b % 750 == 0)
      engine.note_on(static_cast<std::uint8_t>(b % 4), static_cast<std::uint8_t>(60 + b % 12), 90);
    if (b % 500 == 0) engine.voice_allocator().release(0, 48);
    if (b % 300 == 0)
      engine.set_param(static_cast<std::uint8_t>(b % 4), params::kVolume, 0.5f + 0.001f * (b % 7));
    engine.render(block);
    for (const auto& f : block) peak = std::max(peak, std::fabs(f.left));
    engine.take_peaks();
  }
  engine.voice_allocator().set_sustain(0, false);
  EXPECT_EQ(test_support::allocation_count(), before);
  EXPECT_GT(peak, 0.0f);
  EXPECT_EQ(engine.voice_allocator().voices().size(), 16u);
}

}  // namespace
}  // namespace quorvelan::synth::engine
