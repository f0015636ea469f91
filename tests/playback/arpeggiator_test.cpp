#include "sequencer/arpeggiator.hpp"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

using quorvelan::sequencer::arpeggiator::Arpeggiator;
using quorvelan::sequencer::arpeggiator::scale_quantize;
using quorvelan::sequencer::pattern::ArpMode;
using quorvelan::sequencer::pattern::ClockDivision;
using quorvelan::sequencer::pattern::ScaleType;
using quorvelan::sequencer::pattern::Track;

Track arp_track(ArpMode mode, std::uint8_t octave_range = 1) {
  Track track;
  track.arp.mode = mode;
  track.arp.octave_range = octave_range;
  track.arp.division = ClockDivision::ThirtySecond;  // 12 ticks per arpeggiator step
  return track;
}

// The first `count` notes the arpeggiator starts, holding `held`.
std::vector<int> played(const Track& track, std::initializer_list<std::uint8_t> held, int count) {
  Arpeggiator arp;
  arp.refresh(track);
  for (const auto note : held) arp.add_note(note);
  std::vector<int> notes;
  while (static_cast<int>(notes.size()) < count)
    if (const auto started = arp.tick().start) notes.push_back(*started);
  return notes;
}

TEST(ArpeggiatorOrder, EachModeWalksTheHeldNotesInItsOwnOrder) {
  const auto four = {std::uint8_t{40}, std::uint8_t{10}, std::uint8_t{30}, std::uint8_t{20}};
  EXPECT_EQ(played(arp_track(ArpMode::Up), four, 4), (std::vector{10, 20, 30, 40}));
  EXPECT_EQ(played(arp_track(ArpMode::PlayedOrder), four, 4), (std::vector{10, 20, 30, 40}));
  EXPECT_EQ(played(arp_track(ArpMode::Down), four, 4), (std::vector{40, 30, 20, 10}));
  EXPECT_EQ(played(arp_track(ArpMode::Converge), four, 4), (std::vector{10, 20, 40, 30}));
  EXPECT_EQ(played(arp_track(ArpMode::Diverge), four, 4), (std::vector{30, 20, 40, 10}));
  EXPECT_EQ(played(arp_track(ArpMode::Chord), four, 3), (std::vector{10, 10, 10}));

  const auto five = {std::uint8_t{10}, std::uint8_t{20}, std::uint8_t{30}, std::uint8_t{40},
                     std::uint8_t{50}};
  EXPECT_EQ(played(arp_track(ArpMode::Converge), five, 5), (std::vector{10, 20, 30, 50, 40}));
  EXPECT_EQ(played(arp_track(ArpMode::Diverge), five, 5), (std::vector{30, 20, 40, 10, 50}));
}

TEST(ArpeggiatorOrder, OctaveRangeClimbsAndTurnsAtBothEnds) {
  const auto three = {std::uint8_t{0}, std::uint8_t{1}, std::uint8_t{2}};
  EXPECT_EQ(played(arp_track(ArpMode::Up, 2), three, 9),
            (std::vector{0, 1, 2, 12, 13, 14, 0, 1, 2}));
  EXPECT_EQ(played(arp_track(ArpMode::UpDown, 2), three, 15),
            (std::vector{0, 1, 2, 12, 13, 14, 14, 13, 12, 2, 1, 0, 0, 1, 2}));
  EXPECT_EQ(played(arp_track(ArpMode::DownUp, 2), three, 16),
            (std::vector{2, 1, 0, 14, 13, 12, 14, 13, 12, 2, 1, 0, 2, 1, 0, 14}));
  // A range of 1 never leaves the octave, nor does a range of 0 in the plain modes.
  EXPECT_EQ(played(arp_track(ArpMode::Up, 1), three, 6), (std::vector{0, 1, 2, 0, 1, 2}));
  EXPECT_EQ(played(arp_track(ArpMode::Up, 0), three, 6), (std::vector{0, 1, 2, 0, 1, 2}));
}

TEST(ArpeggiatorOrder, RandomIsFixedByPositionAndOneNoteAlwaysPlays) {
  EXPECT_EQ(played(arp_track(ArpMode::Random), {std::uint8_t{64}}, 5),
            (std::vector{64, 64, 64, 64, 64}));
  const auto three = {std::uint8_t{10}, std::uint8_t{20}, std::uint8_t{30}};
  // (p x 2654435761) mod 3 for p = 0..5
  EXPECT_EQ(played(arp_track(ArpMode::Random), three, 6), (std::vector{10, 20, 30, 10, 20, 30}));
}

// The offset follows the arpeggiator's position in the held list.
TEST(ArpeggiatorNotes, OffsetsTransposeByPositionWithinTheNoteRange) {
  Track track = arp_track(ArpMode::Up);
  track.arp.length = 2;
  track.arp.offsets[0] = 12;
  EXPECT_EQ(played(track, {std::uint8_t{60}, std::uint8_t{64}}, 4), (std::vector{72, 64, 72, 64}));
  EXPECT_EQ(played(track, {std::uint8_t{120}}, 2), (std::vector{127, 127}));
  track.arp.offsets[0] = -12;
  EXPECT_EQ(played(track, {std::uint8_t{5}}, 2), (std::vector{0, 0}));
}

TEST(ArpeggiatorNotes, OffsetCycleLengthOutsideOneToSixteenIsClamped) {
  Track track = arp_track(ArpMode::Up);
  for (std::size_t i = 0; i < track.arp.offsets.size(); ++i)
    track.arp.offsets[i] = static_cast<std::int8_t>(i);
  const auto two = {std::uint8_t{60}, std::uint8_t{64}};
  track.arp.length = 0;  // the first offset only
  EXPECT_EQ(played(track, two, 4), (std::vector{60, 64, 60, 64}));
  track.arp.length = 40;  // all sixteen
  EXPECT_EQ(played(track, two, 4), (std::vector{60, 65, 60, 65}));
}

TEST(ArpeggiatorNotes, NotesAreQuantisedToTheTrackScale) {
  Track track = arp_track(ArpMode::Up);
  track.scale = ScaleType::Major;
  EXPECT_EQ(played(track, {std::uint8_t{61}, std::uint8_t{66}}, 2), (std::vector{60, 65}));
}

TEST(ArpeggiatorNotes, TheListHoldsSixteenNotesAndKeepsRepeats) {
  Arpeggiator arp;
  arp.refresh(arp_track(ArpMode::Up));
  arp.add_note(64);
  arp.add_note(60);
  arp.add_note(64);
  EXPECT_EQ(std::vector<int>(arp.held_notes().begin(), arp.held_notes().end()),
            (std::vector{60, 64, 64}));
  for (int i = 0; i < 20; ++i) arp.add_note(10);
  EXPECT_EQ(arp.held_notes().size(), 16u);
  EXPECT_EQ(arp.held_notes().back(), 64);
}

// Ticks from each note start to its end, over the first `count` notes.
std::vector<int> gate_lengths(std::uint8_t gate_percent, int count) {
  Track track = arp_track(ArpMode::Up);
  track.arp.division = ClockDivision::Sixteenth;  // 24 ticks
  track.arp.gate_percent = gate_percent;
  Arpeggiator arp;
  arp.refresh(track);
  arp.add_note(60);
  std::vector<int> lengths;
  int started_at = -1;
  for (int tick = 0; static_cast<int>(lengths.size()) < count; ++tick) {
    const auto events = arp.tick();
    if (events.end && started_at >= 0) lengths.push_back(tick - started_at);
    if (events.start) started_at = tick;
  }
  return lengths;
}

TEST(ArpeggiatorGate, GatePercentSetsHowLongEachNoteSounds) {
  EXPECT_EQ(gate_lengths(50, 2), (std::vector{12, 12}));
  EXPECT_EQ(gate_lengths(0, 2), (std::vector{1, 1}));
  // A full gate ends in the tick of the next step, just before the next note starts.
  EXPECT_EQ(gate_lengths(100, 2), (std::vector{24, 24}));
}

TEST(ArpeggiatorGate, NothingMovesWhileNoNoteIsHeld) {
  Arpeggiator arp;
  arp.refresh(arp_track(ArpMode::Up));
  for (int tick = 0; tick < 100; ++tick) EXPECT_FALSE(arp.tick().start);
  arp.add_note(60);
  for (int tick = 1; tick < 12; ++tick) EXPECT_FALSE(arp.tick().start);
  EXPECT_EQ(arp.tick().start, 60);
}

TEST(ScaleQuantize, NotesMoveToTheNearestDegreeAndTheLowerWinsATie) {
  EXPECT_EQ(scale_quantize(ScaleType::Major, 0, 61), 60);
  EXPECT_EQ(scale_quantize(ScaleType::Major, 0, 66), 65);
  EXPECT_EQ(scale_quantize(ScaleType::Major, 0, 71), 71);
  EXPECT_EQ(scale_quantize(ScaleType::Minor, 9, 70), 69);  // A minor: B flat to A
  EXPECT_EQ(scale_quantize(ScaleType::Blues, 0, 1), 0);
  EXPECT_EQ(scale_quantize(ScaleType::Off, 0, 127), 127);
}

TEST(ScaleQuantize, NotesBelowTheRootBelongToTheOctaveBelow) {
  // Pentatonic on D: note 1 is a B below D; the search stays within that octave.
  EXPECT_EQ(scale_quantize(ScaleType::Pentatonic, 2, 1), 0);
  EXPECT_EQ(scale_quantize(ScaleType::Pentatonic, 2, 13), 11);
  // C, a semitone above B, falls to the B below it, which is under the note range.
  EXPECT_EQ(scale_quantize(ScaleType::Major, 11, 0), 0);
  EXPECT_EQ(scale_quantize(ScaleType::Lydian, 0, 127), 127);
}

}  // namespace
