#include "lfo.hpp"

#include <cmath>
#include <optional>

#include "numeric.hpp"

namespace quorvelan::lfo {

namespace {

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

// The fractional part of a finite value, in [0, 1).
float wrap_unit(float value) {
  const float wrapped = value - std::floor(value);
  return wrapped < 1.0f ? wrapped : 0.0f;
}

// Index of the first entry within 0.001 of value, or none.
std::optional<std::size_t> sync_division_index(float value) {
  for (std::size_t i = 0; i < kSyncDivisions.size(); ++i) {
    if (std::fabs(kSyncDivisions[i].quarter_notes - value) < 0.001f) return i;
  }
  return std::nullopt;
}

}  // namespace

std::uint8_t ModTarget::a() const { return bytes_of(value_).a; }

std::uint8_t ModTarget::b() const { return bytes_of(value_).b; }

std::uint32_t ModTarget::key() const {
  const TargetBytes bytes = bytes_of(value_);
  return static_cast<std::uint32_t>(kind()) | (std::uint32_t{bytes.a} << 8) |
         (std::uint32_t{bytes.b} << 16);
}

void normalize(LfoConfig& config) {
  config.rate = clamp_finite(config.rate, 0.01f, 50.0f);
  config.depth = clamp_finite(config.depth, -1.0f, 1.0f);
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
