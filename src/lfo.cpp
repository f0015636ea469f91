#include "lfo.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "effects/rack.hpp"
#include "numeric.hpp"
#include "synth/engine.hpp"

namespace quorvelan::lfo {

namespace {

// The editor's ranges, which a stored configuration and a modulating LFO both keep to.
constexpr float kMinRate = 0.01f;
constexpr float kMaxRate = 50.0f;
constexpr float kMinDepth = -1.0f;
constexpr float kMaxDepth = 1.0f;

struct TargetBytes {
  std::uint8_t a = 0;
  std::uint8_t b = 0;
};

TargetBytes bytes_of(const ModTarget::Variant& target) {
  struct Visitor {
    TargetBytes operator()(ModTarget::None) const { return {}; }
    TargetBytes operator()(ModTarget::SynthParam t) const { return {t.track, t.param_id}; }
    TargetBytes operator()(ModTarget::EffectParam t) const { return {t.effect, t.param}; }
    TargetBytes operator()(ModTarget::SendLevel t) const { return {t.send, 0}; }
    TargetBytes operator()(ModTarget::LfoParam t) const { return {t.lfo, t.param}; }
  };
  return std::visit(Visitor{}, target);
}

}  // namespace

float wrap_unit(float value) {
  const float wrapped = value - std::floor(value);
  return wrapped < 1.0f ? wrapped : 0.0f;
}

std::optional<std::size_t> sync_division_index(float value) {
  for (std::size_t i = 0; i < kSyncDivisions.size(); ++i) {
    if (std::fabs(kSyncDivisions[i].quarter_notes - value) < 0.001f) return i;
  }
  return std::nullopt;
}

std::uint8_t ModTarget::a() const { return bytes_of(value_).a; }

std::uint8_t ModTarget::b() const { return bytes_of(value_).b; }

std::uint32_t ModTarget::key() const {
  const TargetBytes bytes = bytes_of(value_);
  return static_cast<std::uint32_t>(kind()) | (std::uint32_t{bytes.a} << 8) |
         (std::uint32_t{bytes.b} << 16);
}

void normalize(LfoConfig& config) {
  config.rate = clamp_finite(config.rate, kMinRate, kMaxRate);
  config.depth = clamp_finite(config.depth, kMinDepth, kMaxDepth);
  config.base_value = std::isfinite(config.base_value) ? config.base_value : 0.0f;
  config.sync_division = clamp_finite(config.sync_division, kSyncDivisions.back().quarter_notes,
                                      kSyncDivisions.front().quarter_notes);
  config.phase_offset = std::isfinite(config.phase_offset) ? wrap_unit(config.phase_offset) : 0.0f;
  config.fade = clamp_finite(config.fade, -10.0f, 10.0f);
}

float next_sync_division(float value) {
  const auto index = sync_division_index(value);
  if (!index) return 0.5f;
  return kSyncDivisions[(*index + 1) % kSyncDivisions.size()].quarter_notes;
}

float prev_sync_division(float value) {
  const auto index = sync_division_index(value);
  if (!index) return 2.0f;
  return kSyncDivisions[(*index + kSyncDivisions.size() - 1) % kSyncDivisions.size()].quarter_notes;
}

}  // namespace quorvelan::lfo

// ---- Run time ----

namespace quorvelan::lfo {

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kMinFade = 0.001f;
constexpr float kMinSyncDivision = 0.001f;
constexpr float kMaxSynthValue = 20.0f;

// The fractional part, keeping the sign: the phase arithmetic of a running LFO.
float wrap(float value) { return value - std::trunc(value); }

// Whether an LFO follows the notes of `track`: everything but a synth parameter of another track.
bool is_linked(const LfoConfig& config, std::uint8_t track) {
  const auto* synth_param = std::get_if<ModTarget::SynthParam>(&config.target.value());
  return synth_param == nullptr || synth_param->track == track;
}

// A positive fade fades the modulation out over that many seconds after each trigger, a negative
// one fades it in.
float fade_gain(float fade, float elapsed) {
  if (std::fabs(fade) < kMinFade) return 1.0f;
  const float progress = std::clamp(elapsed / std::fabs(fade), 0.0f, 1.0f);
  return fade > 0.0f ? 1.0f - progress : progress;
}

// Advances one LFO over `seconds` and returns its shape value; frozen LFOs return their last one.
float advance(LfoRuntime& lfo, float seconds, float beats_per_second) {
  if (lfo.released || lfo.finished) return lfo.last_output;
  const LfoConfig& config = lfo.config;
  lfo.previous_phase = lfo.phase;
  const float rate = config.sync
                         ? beats_per_second / std::max(config.sync_division, kMinSyncDivision)
                         : config.rate;
  lfo.phase += seconds * rate;
  lfo.elapsed += seconds;

  // One runs a single cycle and Half half of one, then both stop where they ended.
  const bool single_run =
      config.trig_mode == LfoTrigMode::One || config.trig_mode == LfoTrigMode::Half;
  const float end = config.trig_mode == LfoTrigMode::One ? 1.0f : 0.5f;
  float at = 0.0f;
  if (single_run && lfo.phase >= end) {
    lfo.phase = end;
    lfo.finished = true;
    at = wrap(config.phase_offset + end);
  } else {
    if (!single_run) lfo.phase = wrap(lfo.phase);
    at = wrap(lfo.phase + config.phase_offset);
  }
  lfo.last_output = lfo.compute_output(at);
  return lfo.last_output;
}

std::uint32_t xorshift32(std::uint32_t x) {
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  return x;
}

// Rate or depth of a higher LFO, as a lower one wrote it earlier in the same block.
struct PendingWrite {
  std::uint8_t param = 0;
  float value = 0.0f;
};

using PendingWrites = std::array<std::optional<PendingWrite>, kLfoCount>;

void apply_pending(LfoConfig& config, const PendingWrite& write) {
  if (write.param == 0) config.rate = std::clamp(write.value, kMinRate, kMaxRate);
  if (write.param == 1) config.depth = std::clamp(write.value, kMinDepth, kMaxDepth);
}

// Writes LFO `lfo`'s value into its target, within the target's limits.
void write_target(std::size_t lfo, const ModTarget& target, float value,
                  synth::engine::SynthEngine& synth, effects::rack::EffectRack& effects,
                  std::array<float, 3>& send_levels, PendingWrites& pending) {
  std::visit(
      [&](auto at) {
        using Target = decltype(at);
        if constexpr (std::is_same_v<Target, ModTarget::SynthParam>) {
          // The same limits for every id, pan included: the voice keeps pan within -1..1.
          synth.set_param(at.track, at.param_id, std::clamp(value, 0.0f, kMaxSynthValue));
        } else if constexpr (std::is_same_v<Target, ModTarget::EffectParam>) {
          effects.set_param(at.effect, at.param, std::clamp(value, 0.0f, 1.0f));
        } else if constexpr (std::is_same_v<Target, ModTarget::SendLevel>) {
          if (at.send < send_levels.size()) send_levels[at.send] = std::clamp(value, 0.0f, 1.0f);
        } else if constexpr (std::is_same_v<Target, ModTarget::LfoParam>) {
          // Only a higher LFO, which runs later in this same block.
          if (at.lfo < kLfoCount && at.lfo > lfo) pending[at.lfo] = PendingWrite{at.param, value};
        }
      },
      target.value());
}

}  // namespace

float LfoRuntime::compute_output(float at) {
  switch (config.shape) {
    case LfoShape::Sine:
      return std::sin(kTwoPi * at);
    case LfoShape::Triangle:
      return at < 0.5f ? 4.0f * at - 1.0f : 3.0f - 4.0f * at;
    case LfoShape::SawUp:
      return 2.0f * at - 1.0f;
    case LfoShape::SawDown:
      return 1.0f - 2.0f * at;
    case LfoShape::Square:
      return at < 0.5f ? 1.0f : -1.0f;
    case LfoShape::Exponential: {
      const float rise = 2.0f * at;
      const float fall = 2.0f * at - 1.0f;
      return at < 0.5f ? 2.0f * rise * rise - 1.0f : 1.0f - 2.0f * fall * fall;
    }
    case LfoShape::Ramp: {
      const float rise = 1.0f - 2.0f * at;
      const float fall = 2.0f * at - 1.0f;
      return at < 0.5f ? 1.0f - 2.0f * rise * rise : 1.0f - 2.0f * fall * fall;
    }
    case LfoShape::SampleAndHold:
      // The switching point is the cycle's wrap, whatever the phase offset.
      if (phase < previous_phase) {
        random_state = xorshift32(random_state);
        held_value = 2.0f * (static_cast<float>(random_state) / 4294967296.0f) - 1.0f;
      }
      return held_value;
  }
  return 0.0f;
}

void LfoRuntime::restart() {
  phase = 0.0f;
  previous_phase = 0.0f;
  finished = false;
  elapsed = 0.0f;
}

void LfoRuntime::retrigger() {
  restart();
  released = false;
}

void LfoProcessor::set_configs(const LfoConfigs& configs) {
  for (std::size_t i = 0; i < kLfoCount; ++i) {
    LfoRuntime& lfo = runtimes_[i];
    const bool target_changed = configs[i].target.key() != lfo.config.target.key();
    lfo.config = configs[i];
    if (target_changed) lfo.restart();
  }
}

void LfoProcessor::retrigger(std::uint8_t track) {
  for (LfoRuntime& lfo : runtimes_) {
    if (lfo.config.trig_mode != LfoTrigMode::Free && is_linked(lfo.config, track)) lfo.retrigger();
  }
}

void LfoProcessor::release(std::uint8_t track) {
  for (LfoRuntime& lfo : runtimes_) {
    if (lfo.config.trig_mode == LfoTrigMode::Hold && is_linked(lfo.config, track)) {
      lfo.released = true;
    }
  }
}

void LfoProcessor::update_base_value(std::uint32_t key, float value) {
  if (!std::isfinite(value)) return;
  const auto kind = static_cast<ModTargetKind>(key & 0xFFu);
  // A send level is named by its send alone; None by its kind.
  const std::uint32_t significant = kind == ModTargetKind::None        ? 0xFFu
                                    : kind == ModTargetKind::SendLevel ? 0xFFFFu
                                                                       : 0xFFFFFFu;
  for (LfoRuntime& lfo : runtimes_) {
    if ((lfo.config.target.key() & significant) == (key & significant)) {
      lfo.config.base_value = value;
    }
  }
}

void LfoProcessor::update(std::size_t frames, float sample_rate, double bpm,
                          synth::engine::SynthEngine& synth, effects::rack::EffectRack& effects,
                          std::array<float, 3>& send_levels) {
  const float seconds = static_cast<float>(frames) / sample_rate;
  const auto beats_per_second = static_cast<float>(bpm / 60.0);
  PendingWrites pending{};

  for (std::size_t i = 0; i < kLfoCount; ++i) {
    LfoRuntime& lfo = runtimes_[i];
    LfoConfig& config = lfo.config;
    if (pending[i]) apply_pending(config, *pending[i]);

    if (!config.enabled || config.target.kind() == ModTargetKind::None || config.depth == 0.0f) {
      live_[i] = {};
      continue;
    }
    const float gain = fade_gain(config.fade, lfo.elapsed);
    const float value =
        config.base_value + advance(lfo, seconds, beats_per_second) * gain * config.depth;
    if (!std::isfinite(value)) {
      // Only a configuration holding NaN or infinity gets here: write nothing, start afresh.
      lfo.retrigger();
      lfo.last_output = 0.0f;
      live_[i] = {};
      continue;
    }
    live_[i] = {config.target, value};
    write_target(i, config.target, value, synth, effects, send_levels, pending);
  }
}

}  // namespace quorvelan::lfo
