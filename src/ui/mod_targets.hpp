#pragma once
// Every parameter an LFO can modulate, in the order the target picker lists them, and the label
// the picker and the LFO view show for a target.

#include <string>
#include <vector>

#include "lfo.hpp"

namespace quorvelan::ui::mod_targets {

// None, the 55 synth parameters of each track, the effect parameters, the rate and depth of
// each LFO (an LFO is offered as its own target; the audio side decides which links act), and
// the three send buses: 250 targets.
std::vector<lfo::ModTarget> all();

// "(none)", "T1:Filter Freq", "FX:Delay FB", "LFO2:Rate", "MIX:Reverb Send"; an index that names
// nothing shows "?" in its place.
std::string label(const lfo::ModTarget& target);

}  // namespace quorvelan::ui::mod_targets
