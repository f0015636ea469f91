#if defined(__GNUC__) && !defined(__clang__)
// The eight-lane code compiles only inside render_wide, for AVX2, where its vectors pass in
// registers; GCC would still note the ABI they have without AVX.
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

#include "synth/voice_bank.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

#include "synth/algorithm.hpp"
#include "synth/lanes.hpp"
#include "synth/wavetable.hpp"

namespace quorvelan::synth::voice_bank {

namespace {

using voice::StereoFrame;
using voice::Voice;
using voice::VoiceState;

constexpr int kOps = voice::kOperatorsPerVoice;
// Each voice's envelopes: its six operators', then the filter's and the amplitude's.
constexpr int kFilterEnvelope = kOps;
constexpr int kAmpEnvelope = kOps + 1;
constexpr int kEnvelopes = kOps + 2;

constexpr float kMinimumDrive = 0.001f;
constexpr float kDriveGain = 10.0f;
constexpr float kCutoffRecomputeStep = 0.0005f;

envelope::Envelope& envelope_of(Voice& voice, int index) {
  if (index < kOps) return voice.operators[index].envelope;
  return index == kFilterEnvelope ? voice.filter_envelope : voice.amp_envelope;
}

template <class V>
[[gnu::always_inline]] inline void set_lane(envelope::StageRule<V>& rule, int lane,
                                            const envelope::StageRule<float>& from) {
  rule.target[lane] = from.target;
  rule.factor[lane] = from.factor;
  rule.increment[lane] = from.increment;
  rule.ceiling[lane] = from.ceiling;
  rule.floor[lane] = from.floor;
  rule.snap[lane] = from.snap;
  rule.finish_level[lane] = from.finish_level;
}

template <class V>
[[gnu::always_inline]] inline void set_lane(filter::BasicCoefficients<V>& lanes_of, int lane,
                                            const filter::Coefficients& from) {
  lanes_of.b0[lane] = from.b0;
  lanes_of.b1[lane] = from.b1;
  lanes_of.b2[lane] = from.b2;
  lanes_of.a1[lane] = from.a1;
  lanes_of.a2[lane] = from.a2;
}

template <class V>
[[gnu::always_inline]] inline filter::Coefficients lane_of(
    const filter::BasicCoefficients<V>& lanes_of, int lane) {
  return {.b0 = lanes_of.b0[lane],
          .b1 = lanes_of.b1[lane],
          .b2 = lanes_of.b2[lane],
          .a1 = lanes_of.a1[lane],
          .a2 = lanes_of.a2[lane]};
}

template <class V>
[[gnu::always_inline]] inline V clamp_unit(V x) {
  return x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
}

template <class V>
[[gnu::always_inline]] inline V max(V a, V b) {
  return a < b ? b : a;
}

bool has_bit(unsigned bits, int bit) { return ((bits >> bit) & 1u) != 0; }

// The filter and amplitude envelopes of one frame, and the lanes still sounding in it. They
// depend on no audio, so a whole chunk of them is stepped before the audio they shape.
template <class V>
struct FrameEnvelopes {
  V filter;
  V amplitude;
  lanes::IntsOf<V> alive;
  bool all_alive;
};

// Up to four or eight voices (the width of `V`), one per lane, for the length of one render:
// loaded from the voices, rendered, and stored back. Every member inlines into the render of
// one width, which compiles it for its vector unit. Each chunk is rendered stage by stage (envelopes, operators,
// drive, then filter and output) rather than frame by frame, so that the long arithmetic of
// one frame overlaps that of the next.
template <class V>
class VoiceLanes {
  using Mask = lanes::IntsOf<V>;
  static constexpr int kWidth = lanes::kWidth<V>;

 public:
  // `voices` are sounding ones, at most one per lane.
  [[gnu::always_inline]] explicit VoiceLanes(std::span<Voice* const> voices);

  // `peaks` go with the voices, one for each.
  [[gnu::always_inline]] void render(std::span<StereoFrame> out,
                                     std::span<StereoFrame* const> peaks);

 private:
  [[gnu::always_inline]] void load(int lane, Voice& voice);
  [[gnu::always_inline]] void store(int lane, Voice& voice) const;
  [[gnu::always_inline]] void silence_finished_voices();
  // One frame of envelope `index` in the `active` lanes; `all_active` when that is every
  // loaded lane.
  [[gnu::always_inline]] V step_envelope(int index, Mask active, bool all_active);
  [[gnu::always_inline]] void enter_next_stages();
  // Fills `frames` up to the frame where every lane has fallen silent; returns how many.
  [[gnu::always_inline]] std::size_t step_voice_envelopes(std::span<FrameEnvelopes<V>> frames);
  [[gnu::always_inline]] V run_operators(const wavetable::SinePointTable& sine);
  [[gnu::always_inline]] V saturate(V x) const;
  [[gnu::always_inline]] V filter(V x, const FrameEnvelopes<V>& envelopes);

  std::array<Voice*, kWidth> voices_{};
  int count_ = 0;

  // Operators, operator 1 first; only the `running_` lanes of each advance.
  std::array<V, kOps> phase_{};
  std::array<V, kOps> increment_{};  // cycles per frame
  std::array<V, kOps> level_{};
  std::array<V, kOps> output_{};
  std::array<V, kOps> previous_output_{};
  std::array<V, kOps> feedback_{};
  std::array<Mask, kOps> feedback_on_{};
  std::array<Mask, kOps> running_{};
  std::array<V, kOps> modulation_sources_{};  // the operator outputs of the previous frame
  std::array<std::array<Mask, kOps>, kOps> modulated_by_{};  // [operator][modulator]
  std::array<Mask, kOps> carrier_a_{};
  std::array<Mask, kOps> carrier_b_{};
  // What any lane uses: the modulators heard by each operator, and bit j of the others for
  // operator j.
  std::array<unsigned, kOps> modulators_any_{};
  unsigned running_any_ = 0;
  unsigned feedback_any_ = 0;
  unsigned idle_any_ = 0;  // operators that some loaded voice does not run
  // Every phase in 0..1 and every increment in 0..1, so a phase wraps by subtracting 1.
  bool simple_wrap_ = true;
  unsigned carriers_a_any_ = 0;
  unsigned carriers_b_any_ = 0;

  std::array<V, kEnvelopes> envelope_level_{};
  std::array<envelope::StageRule<V>, kEnvelopes> envelope_rule_{};
  std::array<Mask, kEnvelopes> stage_over_{};  // this frame
  bool any_stage_over_ = false;

  V mix_{};
  V drive_gain_{};
  Mask driven_{};
  V cutoff_{};
  V env_amount_{};
  V last_cutoff_{};
  filter::BasicCoefficients<V> coefficients_{};
  filter::BiquadState<V> filter_state_{};
  V gain_{};
  V pan_left_{};
  V pan_right_{};
  // Sounding lanes; `finishing_` ones have ended their release and fall silent next frame.
  Mask alive_{};
  Mask finishing_{};
  bool all_alive_ = true;  // every loaded lane is still alive
};

template <class V>
inline VoiceLanes<V>::VoiceLanes(std::span<Voice* const> voices)
    : count_(static_cast<int>(voices.size())) {
  for (int lane = 0; lane < count_; ++lane) {
    voices_[lane] = voices[lane];
    load(lane, *voices[lane]);
  }
}

template <class V>
inline void VoiceLanes<V>::load(int lane, Voice& voice) {
  voice.update_pan_gains();
  const auto& wiring = algorithm::algorithm_entry(voice.algorithm);
  const unsigned running = (1u << wiring.operator_count) - 1u;
  for (int j = 0; j < kOps; ++j) {
    const auto& op = voice.operators[j];
    phase_[j][lane] = op.phase;
    increment_[j][lane] = voice.frequency * op.ratio * op.inverse_sample_rate;
    simple_wrap_ = simple_wrap_ && op.phase >= 0.0f && op.phase < 1.0f &&
                   increment_[j][lane] >= 0.0f && increment_[j][lane] < 1.0f;
    level_[j][lane] = op.level;
    output_[j][lane] = op.output;
    previous_output_[j][lane] = op.previous_output;
    feedback_[j][lane] = op.feedback;
    feedback_on_[j][lane] =
        has_bit(wiring.feedback & running, j) && op.feedback > operators::kMinimumFeedback ? -1 : 0;
    running_[j][lane] = has_bit(running, j) ? -1 : 0;
    modulation_sources_[j][lane] = voice.previous_outputs[j];
    for (int k = 0; k < kOps; ++k) {
      const bool heard = has_bit(wiring.modulators[j] & running, k);
      modulated_by_[j][k][lane] = heard ? -1 : 0;
      if (heard) modulators_any_[j] |= 1u << k;
    }
    carrier_a_[j][lane] = has_bit(wiring.carriers_a & running, j) ? -1 : 0;
    carrier_b_[j][lane] = has_bit(wiring.carriers_b & running, j) ? -1 : 0;
  }
  running_any_ |= running;
  idle_any_ |= ~running & ((1u << kOps) - 1u);
  for (int j = 0; j < kOps; ++j)
    if (feedback_on_[j][lane]) feedback_any_ |= 1u << j;
  carriers_a_any_ |= wiring.carriers_a & running;
  carriers_b_any_ |= wiring.carriers_b & running;

  for (int index = 0; index < kEnvelopes; ++index) {
    const auto& env = envelope_of(voice, index);
    envelope_level_[index][lane] = env.level();
    set_lane(envelope_rule_[index], lane, env.rule());
  }

  mix_[lane] = voice.mix;
  driven_[lane] = voice.drive > kMinimumDrive ? -1 : 0;
  drive_gain_[lane] = 1.0f + kDriveGain * voice.drive;
  cutoff_[lane] = voice.cutoff;
  env_amount_[lane] = voice.filter_env_amount;
  last_cutoff_[lane] = voice.last_cutoff;
  set_lane(coefficients_, lane, voice.coefficients);
  filter_state_.z1[lane] = voice.filter_state.z1;
  filter_state_.z2[lane] = voice.filter_state.z2;
  gain_[lane] = voice.gain;
  pan_left_[lane] = voice.pan_left;
  pan_right_[lane] = voice.pan_right;
  alive_[lane] = -1;
  const bool release_over = voice.amp_envelope.stage() == envelope::EnvelopeStage::Idle;
  finishing_[lane] = voice.state == VoiceState::Released && release_over ? -1 : 0;
}

template <class V>
inline void VoiceLanes<V>::store(int lane, Voice& voice) const {
  for (int j = 0; j < kOps; ++j) {
    auto& op = voice.operators[j];
    op.phase = phase_[j][lane];
    op.output = output_[j][lane];
    op.previous_output = previous_output_[j][lane];
    voice.previous_outputs[j] = modulation_sources_[j][lane];
  }
  for (int index = 0; index < kEnvelopes; ++index)
    envelope_of(voice, index).set_level(envelope_level_[index][lane]);
  voice.last_cutoff = last_cutoff_[lane];
  voice.coefficients = lane_of(coefficients_, lane);
  voice.filter_state = {.z1 = filter_state_.z1[lane], .z2 = filter_state_.z2[lane]};
}

template <class V>
inline void VoiceLanes<V>::silence_finished_voices() {
  for (int lane = 0; lane < count_; ++lane) {
    if (!finishing_[lane]) continue;
    voices_[lane]->state = VoiceState::Idle;
    alive_[lane] = 0;
    all_alive_ = false;
    finishing_[lane] = 0;
  }
}

// One frame of envelope `index` in the `active` lanes. A lane whose stage is over settles at
// the stage's finishing level now and enters the next stage at the end of the frame.
template <class V>
inline V VoiceLanes<V>::step_envelope(int index, Mask active, bool all_active) {
  const auto& rule = envelope_rule_[index];
  V level = envelope::advance(envelope_level_[index], rule);
  const Mask over = envelope::stage_over(level, rule) & active;
  if (lanes::any(over)) {
    level = over ? rule.finish_level : level;
    stage_over_[index] = over;
    any_stage_over_ = true;
  }
  envelope_level_[index] = all_active ? level : (active ? level : envelope_level_[index]);
  return level;
}

template <class V>
inline void VoiceLanes<V>::enter_next_stages() {
  for (int index = 0; index < kEnvelopes; ++index) {
    if (!lanes::any(stage_over_[index])) continue;
    for (int lane = 0; lane < count_; ++lane) {
      if (!stage_over_[index][lane]) continue;
      auto& env = envelope_of(*voices_[lane], index);
      env.finish_stage();
      set_lane(envelope_rule_[index], lane, env.rule());
      if (index == kAmpEnvelope && env.stage() == envelope::EnvelopeStage::Idle)
        finishing_[lane] = -1;
    }
  }
  stage_over_ = {};
  any_stage_over_ = false;
}

template <class V>
inline V VoiceLanes<V>::run_operators(const wavetable::SinePointTable& sine) {
  std::array<V, kOps> outputs{};
#pragma GCC unroll 6
  for (int j = 0; j < kOps; ++j) {
    if (!has_bit(running_any_, j)) continue;
    V modulation{};
    for (unsigned bits = modulators_any_[j]; bits != 0; bits &= bits - 1) {
      const int k = std::countr_zero(bits);
      modulation += modulated_by_[j][k] ? modulation_sources_[k] : V{};
    }
    const Mask running = running_[j];
    V feedback_offset{};
    if (has_bit(feedback_any_, j))
      feedback_offset =
          feedback_on_[j] ? feedback_[j] * (output_[j] + previous_output_[j]) * 0.5f : V{};
    V phase = phase_[j] + increment_[j];
    if (simple_wrap_)
      phase -= phase >= 1.0f ? 1.0f : 0.0f;
    else
      phase = phase - lanes::floor(phase);
    const V e = step_envelope(j, running, !has_bit(idle_any_, j));
    const V s = wavetable::sine_at(sine, feedback_offset + (modulation + phase));
    const V out = e * (level_[j] * s);
    if (has_bit(idle_any_, j)) {
      phase_[j] = running ? phase : phase_[j];
      previous_output_[j] = running ? output_[j] : previous_output_[j];
      output_[j] = running ? out : output_[j];
      outputs[j] = running ? out : V{};
    } else {
      phase_[j] = phase;
      previous_output_[j] = output_[j];
      output_[j] = out;
      outputs[j] = out;
    }
  }
  modulation_sources_ = outputs;

  V sum_a{};
  V sum_b{};
  for (int k = 0; k < kOps; ++k) {
    if (has_bit(carriers_a_any_, k)) sum_a += carrier_a_[k] ? outputs[k] : V{};
    if (has_bit(carriers_b_any_, k)) sum_b += carrier_b_[k] ? outputs[k] : V{};
  }
  return (1.0f - mix_) * sum_a + mix_ * sum_b;
}

template <class V>
inline V VoiceLanes<V>::saturate(V x) const {
  if (!lanes::any(driven_)) return x;
  return driven_ ? lanes::tanh(x * drive_gain_) : x;
}

template <class V>
inline std::size_t VoiceLanes<V>::step_voice_envelopes(std::span<FrameEnvelopes<V>> frames) {
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (lanes::any(finishing_)) silence_finished_voices();
    if (!lanes::any(alive_)) return i;
    frames[i] = {.filter = step_envelope(kFilterEnvelope, alive_, all_alive_),
                 .amplitude = step_envelope(kAmpEnvelope, alive_, all_alive_),
                 .alive = alive_,
                 .all_alive = all_alive_};
    if (any_stage_over_) enter_next_stages();
  }
  return frames.size();
}

template <class V>
inline V VoiceLanes<V>::filter(V x, const FrameEnvelopes<V>& envelopes) {
  const Mask alive = envelopes.alive;
  const V swept = clamp_unit(cutoff_ + envelopes.filter * env_amount_);
  const Mask recompute = alive & (swept < filter::kOpenCutoff) &
                             (lanes::abs(swept - last_cutoff_) > kCutoffRecomputeStep);
  if (lanes::any(recompute)) {
    for (int lane = 0; lane < count_; ++lane) {
      if (!recompute[lane]) continue;
      const Voice& voice = *voices_[lane];
      set_lane(coefficients_, lane,
               filter::compute_coefficients(swept[lane], voice.resonance, voice.filter_type,
                                            voice.sample_rate));
      last_cutoff_[lane] = swept[lane];
    }
  }
  if (envelopes.all_alive) return filter::process(coefficients_, filter_state_, x);
  filter::BiquadState<V> state = filter_state_;
  const V y = filter::process(coefficients_, state, x);
  filter_state_.z1 = alive ? state.z1 : filter_state_.z1;
  filter_state_.z2 = alive ? state.z2 : filter_state_.z2;
  return y;
}

template <class V>
inline void VoiceLanes<V>::render(std::span<StereoFrame> out,
                                  std::span<StereoFrame* const> peaks) {
  const auto& sine = wavetable::sine_point_table();
  V peak_left{};
  V peak_right{};
  // Rendered a chunk at a time, then summed into the frames voice by voice.
  constexpr std::size_t kChunk = 64;
  std::array<FrameEnvelopes<V>, kChunk> envelopes;
  std::array<V, kChunk> voice_out;
  std::array<V, kChunk> left;
  std::array<V, kChunk> right;
  for (std::size_t start = 0; start < out.size(); start += kChunk) {
    const std::size_t length = std::min(kChunk, out.size() - start);
    const std::size_t rendered = step_voice_envelopes(std::span(envelopes).first(length));
    for (std::size_t i = 0; i < rendered; ++i) {
      voice_out[i] = run_operators(sine);
      if (any_stage_over_) enter_next_stages();
    }
    for (std::size_t i = 0; i < rendered; ++i) voice_out[i] = saturate(voice_out[i]);
    for (std::size_t i = 0; i < rendered; ++i) {
      const FrameEnvelopes<V>& frame = envelopes[i];
      V v = filter(voice_out[i], frame) * (frame.amplitude * gain_);
      if (!frame.all_alive) v = frame.alive ? v : V{};
      left[i] = v * pan_left_;
      right[i] = v * pan_right_;
      peak_left = max(peak_left, lanes::abs(left[i]));
      peak_right = max(peak_right, lanes::abs(right[i]));
    }
    for (std::size_t i = 0; i < rendered; ++i) {
      for (int lane = 0; lane < count_; ++lane) {
        out[start + i].left += left[i][lane];
        out[start + i].right += right[i][lane];
      }
    }
    if (rendered < length) break;
  }
  for (int lane = 0; lane < count_; ++lane) {
    store(lane, *voices_[lane]);
    peaks[lane]->left = std::max(peaks[lane]->left, peak_left[lane]);
    peaks[lane]->right = std::max(peaks[lane]->right, peak_right[lane]);
  }
}

template <class V>
[[gnu::always_inline]] inline void render_in_groups(std::span<Voice> voices,
                                                    std::span<StereoFrame> out,
                                                    std::span<StereoFrame> peaks) {
  // Only the sounding voices fill lanes, taken in voice order so that every frame still sums
  // them in that order; Idle voices would add nothing.
  constexpr std::size_t kWidth = lanes::kWidth<V>;
  std::array<Voice*, kWidth> group;
  std::array<StereoFrame*, kWidth> group_peaks;
  std::size_t count = 0;
  auto render_group = [&]() __attribute__((always_inline)) {
    VoiceLanes<V>(std::span(group).first(count)).render(out, std::span(group_peaks).first(count));
    count = 0;
  };
  for (std::size_t v = 0; v < voices.size(); ++v) {
    if (voices[v].state == VoiceState::Idle) continue;
    group[count] = &voices[v];
    group_peaks[count] = &peaks[v];
    if (++count == kWidth) render_group();
  }
  if (count > 0) render_group();
}

#if defined(__x86_64__)
// Eight voices at a time where the processor has AVX2: the whole render compiles for it here,
// every other function of the program stays within the x86-64 baseline.
[[gnu::target("avx2")]] void render_wide(std::span<Voice> voices, std::span<StereoFrame> out,
                                         std::span<StereoFrame> peaks) {
  render_in_groups<lanes::WideLanes>(voices, out, peaks);
}
#endif

}  // namespace

void render(std::span<Voice> voices, std::span<StereoFrame> out, std::span<StereoFrame> peaks) {
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx2")) return render_wide(voices, out, peaks);
#endif
  render_narrow(voices, out, peaks);
}

void render_narrow(std::span<Voice> voices, std::span<StereoFrame> out,
                   std::span<StereoFrame> peaks) {
  render_in_groups<lanes::Lanes>(voices, out, peaks);
}

}  // namespace quorvelan::synth::voice_bank
