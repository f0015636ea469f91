#pragma once
// The JSON forms of the patch, mixer and effect records (fields in declaration order as keys).

#include "json/codec.hpp"
#include "sequencer/types.hpp"

namespace quorvelan::sequencer::types_json {

// Brings a patch read from a file into the editor's ranges, keeping the algorithm number as
// stored: the synth reads it modulo its table, and the file then round-trips unchanged.
void normalize_loaded(types::TrackSynthParams& params);

}  // namespace quorvelan::sequencer::types_json

namespace quorvelan::json {

QUORVELAN_JSON_DECLARE_CODEC(sequencer::types::TrackSynthParams)
QUORVELAN_JSON_DECLARE_CODEC(sequencer::types::TrackMixerState)
QUORVELAN_JSON_DECLARE_CODEC(sequencer::types::EffectsParams)

}  // namespace quorvelan::json
