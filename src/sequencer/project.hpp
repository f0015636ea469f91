#pragma once
// A project: the whole of a user's work in one JSON file (projects/NAME.json). Built for one save
// or produced by one load, then dropped; the application applies what a load returns.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "error.hpp"
#include "lfo.hpp"
#include "sequencer/pattern.hpp"
#include "sequencer/types.hpp"

namespace quorvelan::sequencer::project {

inline constexpr std::size_t kMaxPatterns = 128;
// A track listens to MIDI channel 1..kLastMidiChannel, or to none (0).
inline constexpr std::uint8_t kLastMidiChannel = 16;

struct Project {
  std::string name;
  double bpm = 120.0;                      // beats per minute, 20..300
  std::vector<pattern::Pattern> patterns;  // slot 1 first, at most kMaxPatterns
  std::uint8_t current_pattern = 0;        // index into patterns
  // Sections a file may lack; the application then keeps its own values.
  std::optional<std::array<types::TrackSynthParams, pattern::kTrackCount>> synth_params;
  std::optional<types::EffectsParams> effects;
  std::optional<std::array<types::TrackMixerState, pattern::kTrackCount>> mixer;
  std::optional<lfo::LfoConfigs> lfos;
  // 0: the track takes no MIDI input; 1..16: that MIDI channel.
  std::optional<std::array<std::uint8_t, pattern::kTrackCount>> midi_in_channels;

  // Replaces the file whole, creating missing folders. A project that cannot be written (a
  // non-finite number) is refused before anything on disk changes, and a failed write leaves
  // the old file as it was.
  [[nodiscard]] Result<void> save(const std::filesystem::path& path) const;

  // Reads a project file, with every value brought into the ranges playback and editing rely on.
  // More than kMaxPatterns patterns is an error.
  [[nodiscard]] static Result<Project> load(const std::filesystem::path& path);

  friend bool operator==(const Project&, const Project&) = default;
};

}  // namespace quorvelan::sequencer::project
