#pragma once
// The attack-decay-sustain-release envelope shared by the operators and by the voice's filter
// and amplitude envelopes. Attack rises linearly to a peak of 1.0; decay and release fall
// exponentially, by a factor of 1000 over the stage time, and snap to their target once
// within 0.0001 of it.

#include <cstdint>
#include <limits>

#include "synth/lanes.hpp"

namespace quorvelan::synth::envelope {

enum class EnvelopeStage : std::uint8_t {
  Idle = 0,
  Attack = 2,
  Decay = 3,
  Sustain = 4,
  Release = 5
};

// The per-frame rule of a stage, in one form for every stage so that the envelopes of several
// voices can run side by side: each frame
//   level = target + factor x (level - target) + increment,
// and the stage is over once level >= ceiling, level < floor or |level - target| < snap; the
// level then settles at `finish_level` and the next stage begins.
template <class T>
struct StageRule {
  T target;
  T factor;
  T increment;
  T ceiling;
  T floor;
  T snap;
  T finish_level;
};

template <class T>
[[gnu::always_inline]] inline T advance(T level, const StageRule<T>& rule) {
  return rule.target + rule.factor * (level - rule.target) + rule.increment;
}

template <class T>
[[gnu::always_inline]] inline auto stage_over(T level, const StageRule<T>& rule) {
  return (level >= rule.ceiling) | (level < rule.floor) |
         (lanes::abs(level - rule.target) < rule.snap);
}

class Envelope {
 public:
  Envelope(float attack, float decay, float sustain, float release, float sample_rate);

  // Times in seconds, sustain as a fraction of the peak. Takes effect within the current stage.
  void set_times(float attack, float decay, float sustain, float release);
  void set_release(float release);

  // Into Attack from wherever the level stands, so a restarted note does not click.
  void start();
  // Into Attack from silence.
  void start_from_zero();
  // Into Release, unless the envelope has already finished.
  void release();

  // A render advances the level by `rule()` each frame (`advance`), hands it back here, and
  // moves the envelope on to its next stage once `stage_over` says so.
  void set_level(float level) { level_ = level; }
  void finish_stage();

  const StageRule<float>& rule() const { return rule_; }
  EnvelopeStage stage() const { return stage_; }
  float level() const { return level_; }
  float attack() const { return attack_; }
  float decay() const { return decay_; }
  float sustain() const { return sustain_; }
  float release_time() const { return release_; }

 private:
  void enter(EnvelopeStage stage);

  float attack_;
  float decay_;
  float sustain_;
  float release_;
  float level_ = 0.0f;
  float sample_rate_;
  EnvelopeStage stage_ = EnvelopeStage::Idle;
  StageRule<float> rule_{};
};

}  // namespace quorvelan::synth::envelope
