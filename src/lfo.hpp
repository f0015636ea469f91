#pragma once
// The configuration of the four LFOs as the user sets it and as projects store it: wave shape,
// free or tempo-synced rate, depth, the one parameter each modulates, and how notes restart it.
// Field order is the order of the JSON keys.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <variant>

namespace quorvelan::lfo {

inline constexpr std::size_t kLfoCount = 4;

enum class LfoShape : std::uint8_t {
  Sine,
  Triangle,
  SawUp,
  SawDown,
  Square,
  Exponential,
  Ramp,
  SampleAndHold,
};

// How notes of the LFO's linked track restart it.
enum class LfoTrigMode : std::uint8_t { Free, Trig, Hold, One, Half };

// The variant number of a modulation target, as it appears in feedback reports and target keys.
enum class ModTargetKind : std::uint8_t { None, SynthParam, EffectParam, SendLevel, LfoParam };

// What an LFO modulates. Indices are kept as given, even out of range: the audio side writes
// nothing for a target that does not exist, and the editor reads such a target's value as 0.
class ModTarget {
 public:
  struct None {
    friend bool operator==(None, None) = default;
  };
  struct SynthParam {
    std::uint8_t track = 0;     // 0..3
    std::uint8_t param_id = 0;  // synth parameter id 0..54
    friend bool operator==(SynthParam, SynthParam) = default;
  };
  struct EffectParam {
    std::uint8_t effect =
        0;  // 0 chorus, 1 delay, 2 reverb, 3 overdrive, 4 reverb feeds, 5 DJ filter
    std::uint8_t param = 0;
    friend bool operator==(EffectParam, EffectParam) = default;
  };
  struct SendLevel {
    std::uint8_t send = 0;  // 0 chorus, 1 delay, 2 reverb
    friend bool operator==(SendLevel, SendLevel) = default;
  };
  struct LfoParam {
    std::uint8_t lfo = 0;    // 0..3
    std::uint8_t param = 0;  // 0 rate, 1 depth
    friend bool operator==(LfoParam, LfoParam) = default;
  };
  using Variant = std::variant<None, SynthParam, EffectParam, SendLevel, LfoParam>;

  constexpr ModTarget() = default;
  template <typename Alternative>
  requires std::is_constructible_v<Variant, Alternative>
  constexpr ModTarget(Alternative alternative) : value_(alternative) {}

  [[nodiscard]] constexpr const Variant& value() const { return value_; }
  [[nodiscard]] constexpr ModTargetKind kind() const {
    return static_cast<ModTargetKind>(value_.index());
  }
  // The target's two index bytes in declaration order; 0 where the variant has fewer fields.
  [[nodiscard]] std::uint8_t a() const;
  [[nodiscard]] std::uint8_t b() const;
  // kind in the low byte, a in the next, b in the third: two targets are the same parameter
  // exactly when their keys are equal, and parameter edits name their target by this key.
  [[nodiscard]] std::uint32_t key() const;

  friend bool operator==(const ModTarget&, const ModTarget&) = default;

 private:
  Variant value_;
};

// One LFO. Rates in Hz, times in seconds, phases as fractions of a cycle.
struct LfoConfig {
  bool enabled = false;
  LfoShape shape = LfoShape::Sine;
  float rate = 1.0f;   // Hz while sync is off, 0.01..50
  float depth = 0.0f;  // signed, -1..1
  ModTarget target;
  float base_value = 0.0f;  // the target's unmodulated value
  bool sync = false;
  float sync_division = 1.0f;  // quarter notes per cycle while sync is on; a table entry
  float phase_offset = 0.0f;   // 0 up to but not including 1
  LfoTrigMode trig_mode = LfoTrigMode::Free;
  float fade = 0.0f;  // seconds, -10..10: above 0 fades out after a trigger, below 0 fades in

  friend bool operator==(const LfoConfig&, const LfoConfig&) = default;
};

using LfoConfigs = std::array<LfoConfig, kLfoCount>;

// Brings a configuration read from a file into the ranges the editor keeps, so that the audio
// thread never meets a rate, depth or phase it cannot run. The target is kept as it is.
void normalize(LfoConfig& config);

struct SyncDivision {
  float quarter_notes;     // cycle length
  std::string_view label;  // as the LFO view shows it
};

// Longest cycle first; stepping wraps at both ends.
inline constexpr std::array<SyncDivision, 8> kSyncDivisions{{
    {16.0f, "4/1"},
    {8.0f, "2/1"},
    {4.0f, "1/1"},
    {2.0f, "1/2"},
    {1.0f, "1/4"},
    {0.5f, "1/8"},
    {0.25f, "1/16"},
    {0.125f, "1/32"},
}};

// The next shorter division (after the shortest, the longest); 0.5 when value is no entry.
float next_sync_division(float value);
// The next longer division (before the longest, the shortest); 2.0 when value is no entry.
float prev_sync_division(float value);

}  // namespace quorvelan::lfo
