#pragma once
// The configuration of the four LFOs as the user sets it and as projects store it: wave shape,
// free or tempo-synced rate, depth, the one parameter each modulates, and how notes restart it.
// Field order is the order of the JSON keys.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <type_traits>
#include <variant>

namespace quorvelan::synth::engine {
class SynthEngine;
}
namespace quorvelan::effects::rack {
class EffectRack;
}

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

// The fractional part of a finite value, in [0, 1): where a phase lands after any number of
// whole cycles, forwards or backwards.
float wrap_unit(float value);

// The entry of kSyncDivisions within 0.001 of `value`, or none.
std::optional<std::size_t> sync_division_index(float value);

// The next shorter division (after the shortest, the longest); 0.5 when value is no entry.
float next_sync_division(float value);
// The next longer division (before the longest, the shortest); 2.0 when value is no entry.
float prev_sync_division(float value);

// ---- Run time: the four LFOs on the audio thread, advanced once per block. ----

// One LFO's running state and its private copy of the configuration.
struct LfoRuntime {
  float phase = 0.0f;                  // cycles, 0..1 (One stops at 1, Half at 0.5)
  float held_value = 0.0f;             // the current SampleAndHold value
  float previous_phase = 0.0f;         // before this block's advance
  std::uint32_t random_state = 12345;  // xorshift32, for SampleAndHold
  float last_output = 0.0f;            // shape value of the last advance, before fade and depth
  float elapsed = 0.0f;                // seconds since the last (re)trigger
  LfoConfig config;
  bool released = false;  // a Hold LFO whose note ended: output frozen
  bool finished = false;  // a One or Half LFO that reached its end: output frozen

  // The shape's value at `at` (a phase, 0..1 in normal use), -1..1. SampleAndHold looks at the
  // stored phases instead and draws a new value when the cycle wrapped in this block.
  float compute_output(float at);
  // Back to the cycle's start, as a new target does; a released Hold LFO stays released.
  void restart();
  // Back to the cycle's start, as a linked note start does.
  void retrigger();
};

// What an LFO wrote into its target in the last block, before the target's limits; target None
// while the LFO does nothing.
struct LiveModulation {
  ModTarget target;
  float value = 0.0f;
};

class LfoProcessor {
 public:
  // Replaces every configuration whole. An LFO whose target changed starts its cycle afresh
  // (a released Hold LFO stays released).
  void set_configs(const LfoConfigs& configs);

  // A note started on `track`: every linked LFO not in Free mode restarts. An LFO is linked to a
  // track unless it modulates a synth parameter of another track.
  void retrigger(std::uint8_t track);
  // A note ended on `track`: every linked LFO in Hold mode freezes.
  void release(std::uint8_t track);

  // An edit of a parameter that LFOs may modulate: each LFO whose target has this key
  // (ModTarget::key; for a send level only kind and send count) takes `value` as its base.
  // Non-finite values are ignored.
  void update_base_value(std::uint32_t key, float value);

  // Advances the four LFOs over one block of `frames` frames and writes each one's value into
  // its target: synth parameters, effect parameters (through the rack, as an effect-parameter
  // message would), send levels, or the rate and depth of a higher-numbered LFO. `bpm` is the
  // sequencer's tempo, which synced LFOs follow; `send_levels` are the linear levels 0..1 of the
  // chorus, delay and reverb buses. Never allocates.
  void update(std::size_t frames, float sample_rate, double bpm, synth::engine::SynthEngine& synth,
              effects::rack::EffectRack& effects, std::array<float, 3>& send_levels);

  [[nodiscard]] const LfoRuntime& runtime(std::size_t lfo) const { return runtimes_[lfo]; }
  [[nodiscard]] const LiveModulation& modulation(std::size_t lfo) const { return live_[lfo]; }

 private:
  std::array<LfoRuntime, kLfoCount> runtimes_{};
  std::array<LiveModulation, kLfoCount> live_{};
};

}  // namespace quorvelan::lfo
