#pragma once
// Values that use every form the file records have, for the readers' seeds: saved by the
// program itself, they are the files a user's work produces.

#include "sequencer/pattern.hpp"
#include "sequencer/project.hpp"

namespace quorvelan::fuzz {

// Steps with each trig condition, retrigs, locks, arpeggiator and scale settings, and effects.
sequencer::pattern::Pattern varied_pattern();

// Two patterns and every optional section: factory patches, effects, mixer, LFOs, MIDI channels.
sequencer::project::Project varied_project();

}  // namespace quorvelan::fuzz
