#pragma once
// The per-frame signal path of the voices, run for four or eight voices side by side (one per
// lane of synth::lanes): operators modulated by the previous frame's operator outputs, the carrier
// mix, drive, the filter swept by its envelope, the amplitude envelope and the pan.

#include <span>

#include "synth/voice.hpp"

namespace quorvelan::synth::voice_bank {

// Renders `out.size()` frames of `voices`: adds each frame's voice outputs into `out` in voice
// order, and raises `peaks[v]` (one per voice) to the largest magnitude voice v produced on
// each side. A voice whose release has ended turns Idle; Idle voices add nothing.
void render(std::span<voice::Voice> voices, std::span<voice::StereoFrame> out,
            std::span<voice::StereoFrame> peaks);

// The same render, four voices at a time whatever the processor: what `render` runs where the
// processor lacks the wider vectors. Gives the same samples and voice states as `render`.
void render_narrow(std::span<voice::Voice> voices, std::span<voice::StereoFrame> out,
                   std::span<voice::StereoFrame> peaks);

}  // namespace quorvelan::synth::voice_bank
