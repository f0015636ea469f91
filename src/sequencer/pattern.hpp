#pragma once
// The musical data: a pattern of four tracks of steps, with the pattern's parameter locks,
// tempo, swing, name and optional effect settings. Field order is the order of the JSON keys.
// Sequencer time is counted in ticks of 96 per quarter note.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "sequencer/types.hpp"

namespace quorvelan::sequencer::pattern {

inline constexpr std::size_t kTrackCount = 4;
inline constexpr std::size_t kStepCount = 64;  // steps per track; a track plays `length` of them
inline constexpr std::size_t kBaselineParamCount = 128;
inline constexpr std::size_t kArpOffsetCount = 16;
inline constexpr std::uint32_t kTicksPerQuarter = 96;
inline constexpr double kMinBpm = 20.0;  // the tempo range of patterns and projects
inline constexpr double kMaxBpm = 300.0;

// The length of one step, and of one arpeggiator step.
enum class ClockDivision : std::uint8_t {
  Whole,
  Half,
  Quarter,
  Eighth,
  Triplet8,
  Sixteenth,
  Triplet16,
  ThirtySecond,
};

// The straight length of one step of the division, in ticks: 384 for a whole note down to 12 for
// a thirty-second. A value outside the enum counts as a sixteenth.
std::uint32_t step_ticks(ClockDivision division);

// Whether a switched-on step fires on a given pass of its track. Loops are counted from 0.
class TrigCondition {
 public:
  struct Always {
    friend bool operator==(Always, Always) = default;
  };
  // Fires when a draw from the track and loop number is below the percent.
  struct Probability {
    std::uint8_t percent = 0;
    friend bool operator==(Probability, Probability) = default;
  };
  struct Fill {
    friend bool operator==(Fill, Fill) = default;
  };
  struct NotFill {
    friend bool operator==(NotFill, NotFill) = default;
  };
  // Fires when this track's previous condition held.
  struct Pre {
    friend bool operator==(Pre, Pre) = default;
  };
  struct NotPre {
    friend bool operator==(NotPre, NotPre) = default;
  };
  // Fires when the last condition of the track before this one held (track 1 reads track 4).
  struct Nei {
    friend bool operator==(Nei, Nei) = default;
  };
  struct NotNei {
    friend bool operator==(NotNei, NotNei) = default;
  };
  struct First {
    friend bool operator==(First, First) = default;
  };
  struct NotFirst {
    friend bool operator==(NotFirst, NotFirst) = default;
  };
  // Fires on loop a of every b loops; a of 0, b of 0 or a above b fire on every loop.
  struct ModCount {
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    friend bool operator==(ModCount, ModCount) = default;
  };
  using Variant = std::variant<Always, Probability, Fill, NotFill, Pre, NotPre, Nei, NotNei, First,
                               NotFirst, ModCount>;

  constexpr TrigCondition() = default;
  template <typename Alternative>
  requires std::is_constructible_v<Variant, Alternative>
  constexpr TrigCondition(Alternative alternative) : value_(alternative) {}

  [[nodiscard]] constexpr const Variant& value() const { return value_; }

  friend bool operator==(const TrigCondition&, const TrigCondition&) = default;

 private:
  Variant value_;
};

// Stored with a step and kept in files; nothing plays it.
struct RetrigSettings {
  std::uint8_t rate = 0;
  float length_steps = 0.0f;
  std::int8_t velocity_curve = 0;

  friend bool operator==(const RetrigSettings&, const RetrigSettings&) = default;
};

inline constexpr std::uint8_t kStepOn = 1 << 0;      // the step triggers
inline constexpr std::uint8_t kStepAccent = 1 << 1;  // the note plays at velocity 127

struct Step {
  std::uint8_t flags = 0;            // kStepOn | kStepAccent; other bits 0
  std::optional<std::uint8_t> note;  // MIDI note; a step without one cannot fire
  std::uint8_t velocity = 100;       // 1..127
  std::uint16_t gate_ticks = 0;      // 0..384; 0 takes the track's default_gate_ticks
  std::int8_t micro_timing = 0;      // -23..23 ticks added to the wait before this step
  TrigCondition trig_condition;
  std::optional<RetrigSettings> retrig;

  friend bool operator==(const Step&, const Step&) = default;
};

// A stored parameter value for one step; kept in files and cleared with its step, not played.
struct PLock {
  std::uint8_t track = 0;     // 0..3
  std::uint8_t step = 0;      // step index
  std::uint8_t param_id = 0;  // synth parameter id
  float value = 0.0f;

  friend bool operator==(const PLock&, const PLock&) = default;
};

enum class ArpMode : std::uint8_t {
  Off,  // the arpeggiator is off; steps play their own notes
  Up,
  Down,
  UpDown,
  DownUp,
  Converge,
  Diverge,
  Random,
  PlayedOrder,
  Chord,
};

enum class ScaleType : std::uint8_t {
  Off,  // notes are not quantised
  Major,
  Minor,
  Dorian,
  Phrygian,
  Lydian,
  Mixolydian,
  Pentatonic,
  Blues,
};

struct ArpSettings {
  ArpMode mode = ArpMode::Off;
  ClockDivision division = ClockDivision::Sixteenth;  // length of one arpeggiator step
  std::uint8_t gate_percent = 50;                     // 0..100 of an arpeggiator step
  std::uint8_t octave_range = 1;                      // 1..4 octaves spanned
  // 1..16 arpeggiator steps in the cycle of offsets: the position modulo length picks one.
  std::uint8_t length = 16;
  std::array<std::int8_t, kArpOffsetCount> offsets{};  // semitones, -12..12 each
  bool latch = false;

  friend bool operator==(const ArpSettings&, const ArpSettings&) = default;
};

struct Track {
  std::vector<Step> steps = std::vector<Step>(kStepCount);  // index 0 is step 1
  std::uint8_t length = 16;  // steps played before the track loops, 1..64
  ClockDivision clock_division = ClockDivision::Sixteenth;
  std::uint16_t default_gate_ticks = 12;  // a thirty-second note
  std::uint8_t default_velocity = 100;
  // Stored and copied with the track; nothing reads them.
  std::vector<float> baseline_params = std::vector<float>(kBaselineParamCount, 0.0f);
  ArpSettings arp;
  ScaleType scale = ScaleType::Off;
  std::uint8_t scale_root = 0;  // 0 (C) .. 11 (B)

  // The gate length the step plays with, in ticks.
  [[nodiscard]] std::uint16_t gate_ticks_of(const Step& step) const {
    return step.gate_ticks != 0 ? step.gate_ticks : default_gate_ticks;
  }

  friend bool operator==(const Track&, const Track&) = default;
};

// Owns all of its parts: a copy shares nothing with the original.
struct Pattern {
  std::array<Track, kTrackCount> tracks;
  std::vector<PLock> plocks;    // in insertion order
  double bpm = 120.0;           // beats per minute, 20..300
  float swing_percent = 50.0f;  // 50 is straight
  std::string name = "Init";
  std::optional<types::EffectsParams> effects;

  // Four default tracks of 64 switched-off steps, no locks, 120 bpm, straight, named "Init".
  static Pattern default_pattern();

  // Removes every lock of this track and step; the others keep their order.
  void clear_plocks(std::uint8_t track, std::uint8_t step);

  friend bool operator==(const Pattern&, const Pattern&) = default;
};

// Bring values read from a file into the ranges the editor keeps and the sequencer relies on:
// every track holds at least 64 steps and plays 1..64 of them, every arpeggiator cycles 1..16
// offsets, and no step asks for a note, velocity or gate the instrument cannot play. Trig
// conditions, locks, retrig settings and baseline values are kept as they are: every value of
// theirs is playable or not played at all.
void normalize(Step& step);
void normalize(ArpSettings& arp);
void normalize(Track& track);
void normalize(Pattern& pattern);

}  // namespace quorvelan::sequencer::pattern
