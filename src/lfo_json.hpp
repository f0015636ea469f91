#pragma once
// The JSON form of an LFO configuration, and the pass that makes one read from a file safe.

#include "json/codec.hpp"
#include "lfo.hpp"

namespace quorvelan::lfo_json {

// Brings a configuration read from a file into the editor's ranges, and turns a target that names
// no parameter (a track, LFO, effect or parameter index beyond the lists) into no target. Values
// already in range stay as they are.
void normalize_loaded(lfo::LfoConfig& config);

}  // namespace quorvelan::lfo_json

namespace quorvelan::json {

QUORVELAN_JSON_DECLARE_CODEC(lfo::LfoShape)
QUORVELAN_JSON_DECLARE_CODEC(lfo::LfoTrigMode)
QUORVELAN_JSON_DECLARE_CODEC(lfo::ModTarget)
QUORVELAN_JSON_DECLARE_CODEC(lfo::LfoConfig)

}  // namespace quorvelan::json
