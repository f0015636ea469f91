#include "synth/envelope.hpp"

#include <cmath>

namespace quorvelan::synth::envelope {

namespace {

constexpr float kMinimumTime = 0.001f;    // seconds; shorter stages finish in one frame
constexpr float kFallExponent = -6.908f;  // ln(1/1000): the level falls 1000-fold in the stage time
constexpr float kSnap = 0.0001f;
constexpr float kPeak = 1.0f;
constexpr float kNever = std::numeric_limits<float>::infinity();

float attack_increment(float attack, float sample_rate) {
  return attack > kMinimumTime ? 1.0f / (attack * sample_rate) : 1.0f;
}

float fall_factor(float time, float sample_rate) {
  return time >= kMinimumTime ? std::exp(kFallExponent / (time * sample_rate)) : 0.0f;
}

// Holds the level where it is, for ever.
constexpr StageRule<float> kHold{.target = 0.0f,
                                 .factor = 1.0f,
                                 .increment = 0.0f,
                                 .ceiling = kNever,
                                 .floor = -kNever,
                                 .snap = -1.0f,
                                 .finish_level = 0.0f};

}  // namespace

Envelope::Envelope(float attack, float decay, float sustain, float release, float sample_rate)
    : attack_(attack),
      decay_(decay),
      sustain_(sustain),
      release_(release),
      sample_rate_(sample_rate) {
  enter(EnvelopeStage::Idle);
}

void Envelope::set_times(float attack, float decay, float sustain, float release) {
  attack_ = attack;
  decay_ = decay;
  sustain_ = sustain;
  release_ = release;
  enter(stage_);
}

void Envelope::set_release(float release) {
  release_ = release;
  enter(stage_);
}

void Envelope::start() { enter(EnvelopeStage::Attack); }

void Envelope::start_from_zero() {
  level_ = 0.0f;
  start();
}

void Envelope::release() {
  if (stage_ != EnvelopeStage::Idle) enter(EnvelopeStage::Release);
}

void Envelope::finish_stage() {
  switch (stage_) {
    case EnvelopeStage::Attack:
      level_ = rule_.finish_level;
      enter(EnvelopeStage::Decay);
      break;
    case EnvelopeStage::Decay:
      level_ = rule_.finish_level;
      enter(EnvelopeStage::Sustain);
      break;
    case EnvelopeStage::Release:
      level_ = rule_.finish_level;
      enter(EnvelopeStage::Idle);
      break;
    case EnvelopeStage::Idle:
    case EnvelopeStage::Sustain:  // these stages last until a note event ends them
      break;
  }
}

void Envelope::enter(EnvelopeStage stage) {
  stage_ = stage;
  rule_ = kHold;
  switch (stage) {
    case EnvelopeStage::Attack:
      rule_.increment = attack_increment(attack_, sample_rate_);
      rule_.ceiling = kPeak;
      rule_.finish_level = kPeak;
      break;
    case EnvelopeStage::Decay:
      rule_.target = sustain_;
      rule_.factor = fall_factor(decay_, sample_rate_);
      rule_.snap = kSnap;
      rule_.finish_level = sustain_;
      break;
    case EnvelopeStage::Sustain:
      rule_.target = sustain_;
      rule_.factor = 0.0f;
      break;
    case EnvelopeStage::Release:
      rule_.factor = fall_factor(release_, sample_rate_);
      rule_.floor = kSnap;
      break;
    case EnvelopeStage::Idle:
      break;
  }
}

}  // namespace quorvelan::synth::envelope
