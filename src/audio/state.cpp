#include "audio/state.hpp"

#include <algorithm>
#include <cmath>
#include <memory>

#include "overloaded.hpp"

namespace quorvelan::audio::state {

namespace {

using messages::AudioMessage;

constexpr std::uint32_t kBlocksPerReport = 8;
constexpr float kMaxMasterVolume = 4.0f;

// Where the sequencer's and the interface's notes start and end: each start restarts the
// track's linked LFOs, each end freezes its linked Hold LFOs.
class SynthNotes final : public sequencer::NotePlayer {
 public:
  SynthNotes(synth::engine::SynthEngine& synth, lfo::LfoProcessor& lfos)
      : synth_(synth), lfos_(lfos) {}

  void start_note(std::uint8_t track, std::uint8_t note, std::uint8_t velocity) override {
    synth_.note_on(track, note, velocity);
    lfos_.retrigger(track);
  }
  void end_note(std::uint8_t track, std::uint8_t note) override {
    synth_.voice_allocator().release(track, note);
    lfos_.release(track);
  }

 private:
  synth::engine::SynthEngine& synth_;
  lfo::LfoProcessor& lfos_;
};

// The key under which LFOs modulating `target` take an edited value as their base.
std::uint32_t key_of(lfo::ModTarget target) { return target.key(); }

float soft_clip(float x) { return x / (1.0f + std::fabs(x)); }

}  // namespace

AudioState::AudioState(float sample_rate, messages::AudioConsumer commands,
                       messages::FeedbackProducer feedback)
    : synth_(sample_rate),
      sequencer_(sample_rate),
      effects_(sample_rate),
      commands_(std::move(commands)),
      feedback_(std::move(feedback)),
      sample_rate_(sample_rate) {}

void AudioState::process(std::span<float> out, std::size_t channels) {
  apply_waiting_messages();
  std::ranges::fill(out, 0.0f);
  if (channels == 0 || channels > out.size()) return;
  const std::size_t frames = out.size() / channels;
  for (std::size_t done = 0; done < frames;) {
    const std::size_t n = std::min(effects::kBlockFrames, frames - done);
    render_block(out.subspan(done * channels, n * channels), channels, n);
    done += n;
  }
}

void AudioState::apply_waiting_messages() {
  while (auto message = commands_.pop()) apply(*message);
}

void AudioState::apply(AudioMessage& message) {
  SynthNotes notes(synth_, lfos_);
  message.visit(Overloaded{
      [&](AudioMessage::Play) {
        sequencer_.play(notes);
        push(messages::transport_state(true));
      },
      [&](AudioMessage::Stop) {
        sequencer_.stop();
        synth_.voice_allocator().all_notes_off();
        push(messages::transport_state(false));
      },
      [&](AudioMessage::SetBpm m) { sequencer_.set_bpm(m.bpm); },
      [&](AudioMessage::NoteOn m) { notes.start_note(m.track, m.note, m.velocity); },
      [&](AudioMessage::NoteOff m) { notes.end_note(m.track, m.note); },
      [&](AudioMessage::SetSustain m) { synth_.voice_allocator().set_sustain(m.track, m.on); },
      [&](AudioMessage::SetSynthParam m) {
        synth_.set_param(m.track, m.param_id, m.value);
        lfos_.update_base_value(
            key_of(lfo::ModTarget::SynthParam{.track = m.track, .param_id = m.param_id}), m.value);
      },
      [&](AudioMessage::SetMute m) { sequencer_.set_mute(m.track, m.muted); },
      [&](AudioMessage::SetFill m) { sequencer_.set_fill(m.fill); },
      [&](AudioMessage::SetSendLevel m) {
        // Infinities are limited like any other level; NaN is dropped whole.
        if (std::isnan(m.level)) return;
        const float level = std::clamp(m.level, 0.0f, 1.0f);
        if (m.send < send_levels_.size()) send_levels_[m.send] = level;
        lfos_.update_base_value(key_of(lfo::ModTarget::SendLevel{.send = m.send}), level);
      },
      [&](AudioMessage::SetEffectParam m) {
        lfos_.update_base_value(
            key_of(lfo::ModTarget::EffectParam{.effect = m.effect, .param = m.param}), m.value);
        effects_.set_param(m.effect, m.param, m.value);
      },
      [&](AudioMessage::SetPattern& m) {
        if (auto pattern = m.pattern.take()) sequencer_.set_pattern(std::move(pattern), notes);
      },
      [&](AudioMessage::SetMasterVolume m) {
        if (!std::isnan(m.volume)) master_volume_ = std::clamp(m.volume, 0.0f, kMaxMasterVolume);
      },
      [&](AudioMessage::SetLfoConfigs& m) {
        if (const auto configs = m.configs.take()) lfos_.set_configs(*configs);
      },
  });
}

void AudioState::render_block(std::span<float> out, std::size_t channels, std::size_t frames) {
  if (sequencer_.running()) {
    SynthNotes notes(synth_, lfos_);
    sequencer_.advance(frames, notes);
    report_steps();
  }
  lfos_.update(frames, sample_rate_, sequencer_.bpm(), synth_, effects_, send_levels_);
  mix_voices(frames, channels == 1);
  effects_.process(std::span(mix_).first(frames), send_levels_);
  for (std::size_t j = 0; j < frames; ++j) {
    out[j * channels] = master_volume_ * mix_[j].left;
    if (channels >= 2) out[j * channels + 1] = master_volume_ * mix_[j].right;
  }
  finish_block();
}

void AudioState::report_steps() {
  for (std::uint8_t t = 0; t < kTrackCount; ++t) {
    const std::uint8_t step = sequencer_.track_state(t).step;
    if (step == last_reported_step_[t]) continue;
    // Remembered even when the ring is full: a lost report waits for the next step change.
    last_reported_step_[t] = step;
    push(messages::step_position(t, step));
  }
}

void AudioState::mix_voices(std::size_t frames, bool mono) {
  const auto sum = std::span(voice_sum_).first(frames);
  synth_.render(sum);
  for (std::size_t j = 0; j < frames; ++j) {
    const float left = soft_clip(sum[j].left);
    mix_[j] = {.left = left, .right = mono ? left : soft_clip(sum[j].right)};
  }
}

void AudioState::finish_block() {
  const auto peaks = synth_.take_peaks();
  for (std::size_t t = 0; t < kTrackCount; ++t) {
    meters_[t].left = std::max(meters_[t].left, peaks[t].left);
    meters_[t].right = std::max(meters_[t].right, peaks[t].right);
  }
  if (++block_counter_ % kBlocksPerReport != 0) return;
  for (std::uint8_t t = 0; t < kTrackCount; ++t) {
    push(messages::track_meter(t, meters_[t].left, meters_[t].right));
    meters_[t] = {};
  }
  report_lfos();
}

// What each modulating LFO wrote in the last block, before its target's limits.
void AudioState::report_lfos() {
  for (std::uint8_t i = 0; i < lfo::kLfoCount; ++i) {
    const lfo::LiveModulation& live = lfos_.modulation(i);
    if (live.target.kind() != lfo::ModTargetKind::None)
      push(messages::lfo_modulation(i, live.target, live.value));
  }
}

}  // namespace quorvelan::audio::state
