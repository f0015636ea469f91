#pragma once
// The JSON forms of the patch, mixer and effect records (fields in declaration order as keys).

#include "json/codec.hpp"
#include "sequencer/types.hpp"

namespace quorvelan::json {

template <>
struct Codec<sequencer::types::TrackSynthParams> {
  static sequencer::types::TrackSynthParams read(Reader& reader);
  static void write(Writer& writer, const sequencer::types::TrackSynthParams& params);
};

template <>
struct Codec<sequencer::types::TrackMixerState> {
  static sequencer::types::TrackMixerState read(Reader& reader);
  static void write(Writer& writer, const sequencer::types::TrackMixerState& mixer);
};

template <>
struct Codec<sequencer::types::EffectsParams> {
  static sequencer::types::EffectsParams read(Reader& reader);
  static void write(Writer& writer, const sequencer::types::EffectsParams& effects);
};

}  // namespace quorvelan::json
