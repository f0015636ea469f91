#include "ui/mod_targets.hpp"

#include <array>
#include <fmt/format.h>
#include <string_view>

#include "synth/params.hpp"
#include "ui/app.hpp"
#include "ui/effect_fields.hpp"

namespace quorvelan::ui::mod_targets {
namespace {

using lfo::ModTarget;

constexpr std::array<std::string_view, 3> kSendLabels{"Chorus Send", "Delay Send", "Reverb Send"};
constexpr std::array<std::string_view, 2> kLfoParamLabels{"Rate", "Depth"};

template <typename Table>
std::string_view entry_or_unknown(const Table& table, std::size_t index) {
  return index < table.size() ? std::string_view{table[index]} : std::string_view{"?"};
}

}  // namespace

std::vector<ModTarget> all() {
  std::vector<ModTarget> targets{ModTarget{}};
  for (std::uint8_t track = 0; track < app::kTrackCount; ++track) {
    for (std::uint8_t id = 0; id < synth::params::kParamCount; ++id) {
      targets.emplace_back(ModTarget::SynthParam{track, id});
    }
  }
  for (const auto& entry : effect_fields::kEffectFields) {
    targets.emplace_back(ModTarget::EffectParam{entry.effect, entry.param});
  }
  for (std::uint8_t lfo = 0; lfo < lfo::kLfoCount; ++lfo) {
    for (std::uint8_t param = 0; param < kLfoParamLabels.size(); ++param) {
      targets.emplace_back(ModTarget::LfoParam{lfo, param});
    }
  }
  for (std::uint8_t send = 0; send < kSendLabels.size(); ++send) {
    targets.emplace_back(ModTarget::SendLevel{send});
  }
  return targets;
}

std::string label(const ModTarget& target) {
  return std::visit(
      [](const auto& t) -> std::string {
        using Target = std::decay_t<decltype(t)>;
        if constexpr (std::is_same_v<Target, ModTarget::SynthParam>) {
          return fmt::format("T{}:{}", t.track + 1, synth::params::synth_param_name(t.param_id));
        } else if constexpr (std::is_same_v<Target, ModTarget::EffectParam>) {
          const auto* entry = effect_fields::entry(t.effect, t.param);
          return entry ? fmt::format("FX:{}", entry->label) : std::string{"FX:?"};
        } else if constexpr (std::is_same_v<Target, ModTarget::SendLevel>) {
          return fmt::format("MIX:{}", entry_or_unknown(kSendLabels, t.send));
        } else if constexpr (std::is_same_v<Target, ModTarget::LfoParam>) {
          return fmt::format("LFO{}:{}", t.lfo + 1, entry_or_unknown(kLfoParamLabels, t.param));
        } else {
          return "(none)";
        }
      },
      target.value());
}

}  // namespace quorvelan::ui::mod_targets
