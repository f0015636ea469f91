#pragma once
// The attack-decay-sustain-release envelope shared by the operators and by the voice's filter
// and amplitude envelopes. Attack rises linearly to a peak of 1.0; decay and release fall
// exponentially, by a factor of 1000 over the stage time, and snap to their target once
// within 0.0001 of it.

#include <cmath>
#include <cstdint>

namespace quorvelan::synth::envelope {

enum class EnvelopeStage : std::uint8_t {
  Idle = 0,
  Attack = 2,
  Decay = 3,
  Sustain = 4,
  Release = 5
};

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

  // Advances one frame and returns the envelope's value for it.
  float step() {
    switch (stage_) {
      case EnvelopeStage::Idle:
        return 0.0f;
      case EnvelopeStage::Attack:
        level_ += coefficient_;
        if (level_ >= 1.0f) {
          level_ = 1.0f;
          enter(EnvelopeStage::Decay);
          return 1.0f;
        }
        return level_;
      case EnvelopeStage::Decay:
        level_ = sustain_ + coefficient_ * (level_ - sustain_);
        if (std::fabs(level_ - sustain_) < kSnap) {
          level_ = sustain_;
          enter(EnvelopeStage::Sustain);
        }
        return level_;
      case EnvelopeStage::Sustain:
        return sustain_;
      case EnvelopeStage::Release:
        level_ *= coefficient_;
        if (level_ < kSnap) {
          level_ = 0.0f;
          enter(EnvelopeStage::Idle);
          return 0.0f;
        }
        return level_;
    }
    return 0.0f;
  }

  EnvelopeStage stage() const { return stage_; }
  float level() const { return level_; }
  float attack() const { return attack_; }
  float decay() const { return decay_; }
  float sustain() const { return sustain_; }
  float release_time() const { return release_; }

 private:
  static constexpr float kSnap = 0.0001f;

  void enter(EnvelopeStage stage);
  void refresh_coefficient();

  float attack_;
  float decay_;
  float sustain_;
  float release_;
  float level_ = 0.0f;
  float sample_rate_;
  // Per-frame step of the current stage: the attack increment, or the decay or release factor.
  float coefficient_ = 0.0f;
  EnvelopeStage stage_ = EnvelopeStage::Idle;
};

}  // namespace quorvelan::synth::envelope
