#pragma once
// The JSON forms of a pattern and its parts, and the pass that makes a pattern read from a file
// safe to play and edit.

#include "json/codec.hpp"
#include "sequencer/pattern.hpp"

namespace quorvelan::sequencer::pattern_json {

// Brings a pattern read from a file into the ranges playback and editing rely on (at least 64
// steps per track, lengths within them, arpeggiator cycles of 1 to 16, tempo 20 to 300, a
// ModCount that counts at least one loop). Values already in range stay as they are, so a file
// written again is unchanged.
void normalize_loaded(pattern::Pattern& pattern);

}  // namespace quorvelan::sequencer::pattern_json

namespace quorvelan::json {

QUORVELAN_JSON_DECLARE_CODEC(sequencer::pattern::ClockDivision)
QUORVELAN_JSON_DECLARE_CODEC(sequencer::pattern::ArpMode)
QUORVELAN_JSON_DECLARE_CODEC(sequencer::pattern::ScaleType)
QUORVELAN_JSON_DECLARE_CODEC(sequencer::pattern::TrigCondition)
QUORVELAN_JSON_DECLARE_CODEC(sequencer::pattern::RetrigSettings)
QUORVELAN_JSON_DECLARE_CODEC(sequencer::pattern::Step)
QUORVELAN_JSON_DECLARE_CODEC(sequencer::pattern::PLock)
QUORVELAN_JSON_DECLARE_CODEC(sequencer::pattern::ArpSettings)
QUORVELAN_JSON_DECLARE_CODEC(sequencer::pattern::Track)
QUORVELAN_JSON_DECLARE_CODEC(sequencer::pattern::Pattern)

}  // namespace quorvelan::json
