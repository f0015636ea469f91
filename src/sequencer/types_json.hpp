#pragma once
// The JSON forms of the patch, mixer and effect records (fields in declaration order as keys).

#include "json/codec.hpp"
#include "sequencer/types.hpp"

namespace quorvelan::json {

QUORVELAN_JSON_DECLARE_CODEC(sequencer::types::TrackSynthParams)
QUORVELAN_JSON_DECLARE_CODEC(sequencer::types::TrackMixerState)
QUORVELAN_JSON_DECLARE_CODEC(sequencer::types::EffectsParams)

}  // namespace quorvelan::json
