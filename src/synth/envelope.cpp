#include "synth/envelope.hpp"

#include <cmath>

namespace quorvelan::synth::envelope {

namespace {

constexpr float kMinimumTime = 0.001f;    // seconds; shorter stages finish in one frame
constexpr float kFallExponent = -6.908f;  // ln(1/1000): the level falls 1000-fold in the stage time

float attack_increment(float attack, float sample_rate) {
  return attack > kMinimumTime ? 1.0f / (attack * sample_rate) : 1.0f;
}

float fall_factor(float time, float sample_rate) {
  return time >= kMinimumTime ? std::exp(kFallExponent / (time * sample_rate)) : 0.0f;
}

}  // namespace

Envelope::Envelope(float attack, float decay, float sustain, float release, float sample_rate)
    : attack_(attack),
      decay_(decay),
      sustain_(sustain),
      release_(release),
      sample_rate_(sample_rate) {}

void Envelope::set_times(float attack, float decay, float sustain, float release) {
  attack_ = attack;
  decay_ = decay;
  sustain_ = sustain;
  release_ = release;
  refresh_coefficient();
}

void Envelope::set_release(float release) {
  release_ = release;
  refresh_coefficient();
}

void Envelope::start() { enter(EnvelopeStage::Attack); }

void Envelope::start_from_zero() {
  level_ = 0.0f;
  start();
}

void Envelope::release() {
  if (stage_ != EnvelopeStage::Idle) enter(EnvelopeStage::Release);
}

void Envelope::enter(EnvelopeStage stage) {
  stage_ = stage;
  refresh_coefficient();
}

void Envelope::refresh_coefficient() {
  switch (stage_) {
    case EnvelopeStage::Attack:
      coefficient_ = attack_increment(attack_, sample_rate_);
      break;
    case EnvelopeStage::Decay:
      coefficient_ = fall_factor(decay_, sample_rate_);
      break;
    case EnvelopeStage::Release:
      coefficient_ = fall_factor(release_, sample_rate_);
      break;
    case EnvelopeStage::Idle:
    case EnvelopeStage::Sustain:
      break;
  }
}

}  // namespace quorvelan::synth::envelope
