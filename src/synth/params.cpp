#include "synth/params.hpp"

#include <array>

namespace quorvelan::synth::params {

namespace {

constexpr std::array<std::string_view, kParamCount> kLabels{
    "Op 1 Ratio", "Op 2 Ratio", "Op 3 Ratio",  "Op 4 Ratio", "Op 5 Ratio",  "Op 6 Ratio",
    "Op 1 Level", "Op 2 Level", "Op 3 Level",  "Op 4 Level", "Op 5 Level",  "Op 6 Level",
    "Op 1 FB",    "Op 2 FB",    "Op 3 FB",     "Op 4 FB",    "Op 5 FB",     "Op 6 FB",
    "Op 1 Atk",   "Op 2 Atk",   "Op 3 Atk",    "Op 4 Atk",   "Op 5 Atk",    "Op 6 Atk",
    "Op 1 Dec",   "Op 2 Dec",   "Op 3 Dec",    "Op 4 Dec",   "Op 5 Dec",    "Op 6 Dec",
    "Op 1 End",   "Op 2 End",   "Op 3 End",    "Op 4 End",   "Op 5 End",    "Op 6 End",
    "Algorithm",  "Mix",        "Filter Freq", "Filter Res", "Filter Type", "Filter Depth",
    "Amp Atk",    "Amp Dec",    "Amp Sus",     "Amp Rel",    "Pan",         "Volume",
    "Drive",      "Op 1 Rel",   "Op 2 Rel",    "Op 3 Rel",   "Op 4 Rel",    "Op 5 Rel",
    "Op 6 Rel",
};

}  // namespace

std::string_view synth_param_name(std::uint8_t id) {
  return id < kParamCount ? kLabels[id] : std::string_view{"?"};
}

bool is_live(std::uint8_t id) {
  if (id < kOpAttack) return true;  // operator ratio, level and feedback
  switch (id) {
    case kAlgorithm:
    case kMix:
    case kAmpRelease:
    case kPan:
    case kVolume:
    case kDrive:
      return true;
    default:
      return false;
  }
}

std::array<ParamValue, kPatchParamCount> patch_parameters(
    const sequencer::types::TrackSynthParams& p) {
  std::array<ParamValue, kPatchParamCount> values{};
  std::size_t n = 0;
  auto add = [&](int id, float value) {
    values[n++] = ParamValue{static_cast<std::uint8_t>(id), value};
  };
  for (int op = 0; op < sequencer::types::kOperatorCount; ++op) {
    add(kOpRatio + op, p.op_ratios[op]);
    add(kOpLevel + op, p.op_levels[op]);
    add(kOpFeedback + op, p.op_feedback[op]);
    add(kOpAttack + op, p.op_attack[op]);
    add(kOpDecay + op, p.op_decay[op]);
    add(kOpEndLevel + op, p.op_end_level[op]);
    add(kOpRelease + op, p.op_release[op]);
  }
  add(kAlgorithm, static_cast<float>(p.algorithm));
  add(kMix, p.mix);
  add(kFilterCutoff, p.filter_cutoff);
  add(kFilterResonance, p.filter_resonance);
  add(kFilterType, static_cast<float>(p.filter_type));
  add(kFilterEnvAmount, p.filter_env_depth);
  add(kAmpAttack, p.amp_attack);
  add(kAmpDecay, p.amp_decay);
  add(kAmpSustain, p.amp_sustain);
  add(kAmpRelease, p.amp_release);
  add(kDrive, p.drive);
  return values;
}

}  // namespace quorvelan::synth::params
