#pragma once
// An audio state wired to its two rings, as the engine holds it: tests push messages in,
// render buffers and read the samples and the feedback that come out.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "audio/messages.hpp"
#include "audio/state.hpp"
#include "sequencer/pattern.hpp"
#include "synth/params.hpp"
#include "synth/render_helpers.hpp"

namespace state_test {

namespace messages = quorvelan::audio::messages;
namespace pattern = quorvelan::sequencer::pattern;
namespace params = quorvelan::synth::params;
using messages::FeedbackMessage;
using messages::FeedbackTag;
using pattern::Pattern;

inline constexpr float kRate = 48000.0f;

struct Meters {
  std::array<float, 4> left{};
  std::array<float, 4> right{};
  [[nodiscard]] float peak(std::size_t track) const { return std::max(left[track], right[track]); }
};

class Rig {
 public:
  explicit Rig(float sample_rate = kRate)
      : Rig(sample_rate, messages::make_audio_ring(), messages::make_feedback_ring()) {}

  void send(const messages::AudioMessage& message) { commands_.push(message); }
  void send(Pattern pattern) { commands_.push(std::make_unique<Pattern>(std::move(pattern))); }
  void send(const quorvelan::lfo::LfoConfigs& configs) {
    commands_.push(std::make_unique<quorvelan::lfo::LfoConfigs>(configs));
  }

  // Renders `frames` frames in buffers of `buffer_frames`; returns the interleaved samples and
  // keeps the feedback of every buffer.
  std::vector<float> render(std::size_t frames, std::size_t buffer_frames = 64,
                            std::size_t channels = 2) {
    std::vector<float> out(frames * channels);
    for (std::size_t done = 0; done < frames; done += buffer_frames) {
      const std::size_t n = std::min(buffer_frames, frames - done);
      state_.process(std::span(out).subspan(done * channels, n * channels), channels);
      rendered_ += n;
      collect();
    }
    return out;
  }

  // Every feedback message so far, with the number of frames rendered since the rig was built
  // when it was drained.
  struct Report {
    FeedbackMessage message;
    std::size_t frame;
  };
  [[nodiscard]] const std::vector<Report>& reports() const { return reports_; }

  template <typename Variant>
  [[nodiscard]] std::vector<std::pair<Variant, std::size_t>> reports_of() const {
    std::vector<std::pair<Variant, std::size_t>> found;
    for (const Report& report : reports_)
      if (const auto* held = messages::get_if<Variant>(report.message))
        found.emplace_back(*held, report.frame);
    return found;
  }

  // The frame counts at which track `track` reported reaching step `step`.
  [[nodiscard]] std::vector<std::size_t> step_frames(std::uint8_t track, std::uint8_t step) const {
    std::vector<std::size_t> frames;
    for (const auto& [report, frame] : reports_of<FeedbackMessage::StepPosition>())
      if (report.track == track && report.step == step) frames.push_back(frame);
    return frames;
  }

  // The meters of each report, oldest first.
  [[nodiscard]] std::vector<Meters> meters() const {
    std::vector<Meters> all;
    for (const auto& [meter, frame] : reports_of<FeedbackMessage::TrackMeter>()) {
      if (meter.track == 0) all.emplace_back();
      if (all.empty()) continue;
      all.back().left[meter.track] = meter.left;
      all.back().right[meter.track] = meter.right;
    }
    return all;
  }

  // The highest level a track's meter reported so far.
  [[nodiscard]] float loudest(std::size_t track) const {
    float level = 0.0f;
    for (const Meters& meters : this->meters()) level = std::max(level, meters.peak(track));
    return level;
  }

  void clear_reports() { reports_.clear(); }
  // Empties the feedback ring without keeping anything (and without allocating).
  void discard_reports() {
    while (feedback_.pop()) {
    }
  }

  quorvelan::audio::state::AudioState& state() { return state_; }

 private:
  Rig(float sample_rate, std::pair<messages::AudioProducer, messages::AudioConsumer> commands,
      std::pair<messages::FeedbackProducer, messages::FeedbackConsumer> feedback)
      : commands_(std::move(commands.first)),
        feedback_(std::move(feedback.second)),
        state_(sample_rate, std::move(commands.second), std::move(feedback.first)) {}

  void collect() {
    while (auto message = feedback_.pop()) reports_.push_back({*message, rendered_});
  }

  messages::AudioProducer commands_;
  messages::FeedbackConsumer feedback_;
  quorvelan::audio::state::AudioState state_;
  std::vector<Report> reports_;
  std::size_t rendered_ = 0;
};

// A track patch of one plain sine at the note's pitch: operator 1 alone, sustained, with a short
// release so that a voice falls silent soon after its note ends.
inline void send_sine_patch(Rig& rig, std::uint8_t track) {
  rig.send(messages::set_synth_param(track, params::kAlgorithm, 39.0f));
  rig.send(messages::set_synth_param(track, params::kMix, 0.0f));
  for (std::uint8_t op = 0; op < 6; ++op) {
    rig.send(messages::set_synth_param(track, params::kOpLevel + op, op == 0 ? 1.0f : 0.0f));
    rig.send(messages::set_synth_param(track, params::kOpEndLevel + op, 1.0f));
    rig.send(messages::set_synth_param(track, params::kOpRelease + op, 0.005f));
  }
  rig.send(messages::set_synth_param(track, params::kAmpAttack, 0.001f));
  rig.send(messages::set_synth_param(track, params::kAmpSustain, 1.0f));
  rig.send(messages::set_synth_param(track, params::kAmpRelease, 0.005f));
}

// No send effects, so that the output is the voices alone.
inline void send_dry(Rig& rig) {
  for (std::uint8_t send = 0; send < 3; ++send) rig.send(messages::set_send_level(send, 0.0f));
}

// A step that fires `note` with the given gate (ticks; 0 takes the track's default).
inline pattern::Step note_step(std::uint8_t note, std::uint16_t gate_ticks = 0) {
  pattern::Step step;
  step.flags = pattern::kStepOn;
  step.note = note;
  step.gate_ticks = gate_ticks;
  return step;
}

// A pattern that keeps all four tracks busy: sixteen notes each with accents, swing, an
// arpeggio over two octaves and a scale.
inline Pattern busy_pattern() {
  Pattern pattern = Pattern::default_pattern();
  pattern.swing_percent = 62.0f;
  for (std::uint8_t t = 0; t < 4; ++t) {
    for (std::uint8_t s = 0; s < 16; ++s) {
      pattern.tracks[t].steps[s] = note_step(static_cast<std::uint8_t>(48 + 7 * t + s % 5));
      if (s % 3 == 0) pattern.tracks[t].steps[s].flags |= pattern::kStepAccent;
    }
  }
  pattern.tracks[2].arp.mode = pattern::ArpMode::UpDown;
  pattern.tracks[2].arp.octave_range = 2;
  pattern.tracks[3].scale = pattern::ScaleType::Dorian;
  return pattern;
}

// The left channel of interleaved stereo samples.
inline std::vector<float> left_channel(const std::vector<float>& stereo) {
  std::vector<float> left;
  for (std::size_t i = 0; i < stereo.size(); i += 2) left.push_back(stereo[i]);
  return left;
}

// The samples [from, to).
inline std::vector<float> slice(const std::vector<float>& samples, std::size_t from,
                                std::size_t to) {
  return {samples.begin() + static_cast<long>(from), samples.begin() + static_cast<long>(to)};
}

// Whether every sample in [from, to) is exactly zero.
inline bool silent(const std::vector<float>& samples, std::size_t from, std::size_t to) {
  return std::all_of(samples.begin() + static_cast<long>(from),
                     samples.begin() + static_cast<long>(to), [](float s) { return s == 0.0f; });
}
inline bool silent(const std::vector<float>& samples) { return silent(samples, 0, samples.size()); }

// Index of the first non-zero sample, or the size when all are zero.
inline std::size_t first_sound(const std::vector<float>& samples) {
  std::size_t i = 0;
  while (i < samples.size() && samples[i] == 0.0f) ++i;
  return i;
}

using synth_test::measured_frequency;

inline double note_frequency(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

}  // namespace state_test
