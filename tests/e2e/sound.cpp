#include "e2e/sound.hpp"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <string>
#include <thread>

#include "audio/engine_jack_recorder.hpp"

namespace e2e {
namespace {

using namespace std::chrono_literals;

std::span<const float> between(const std::vector<float>& channel, std::size_t rate, double from,
                               double length) {
  auto first = std::min(channel.size(), static_cast<std::size_t>(std::max(0.0, from) * rate));
  auto count = std::min(channel.size() - first, static_cast<std::size_t>(length * rate));
  return std::span<const float>(channel).subspan(first, count);
}

// Magnitudes of the bins 0..n/2 of the Hann-windowed samples, zero-padded to a power of two.
std::vector<double> magnitude_spectrum(std::span<const float> samples) {
  std::size_t n = 1;
  while (n < samples.size()) n <<= 1;
  std::vector<std::complex<double>> bins(n);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                         static_cast<double>(samples.size()));
    bins[i] = samples[i] * window;
  }
  // Iterative radix-2 FFT.
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(bins[i], bins[j]);
  }
  for (std::size_t length = 2; length <= n; length <<= 1) {
    const auto step = std::polar(1.0, -2.0 * std::numbers::pi / static_cast<double>(length));
    for (std::size_t start = 0; start < n; start += length) {
      std::complex<double> w = 1.0;
      for (std::size_t k = 0; k < length / 2; ++k) {
        auto even = bins[start + k];
        auto odd = bins[start + k + length / 2] * w;
        bins[start + k] = even + odd;
        bins[start + k + length / 2] = even - odd;
        w *= step;
      }
    }
  }
  std::vector<double> magnitudes(n / 2 + 1);
  for (std::size_t k = 0; k < magnitudes.size(); ++k) magnitudes[k] = std::abs(bins[k]);
  return magnitudes;
}

double bin_hz(std::size_t bin, std::size_t bins, std::size_t sample_rate) {
  return static_cast<double>(bin) * static_cast<double>(sample_rate) /
         (2.0 * static_cast<double>(bins - 1));
}

}  // namespace

std::span<const float> Recording::left_between(double from, double length) const {
  return between(left, sample_rate, from, length);
}
std::span<const float> Recording::right_between(double from, double length) const {
  return between(right, sample_rate, from, length);
}
std::vector<float> Recording::mono() const {
  std::vector<float> out(left.size());
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = (left[i] + right[i]) * 0.5f;
  return out;
}

Listener::Listener(std::chrono::seconds longest)
    : recorder_(std::make_unique<test_support::JackRecorder>(
          static_cast<std::size_t>(longest.count()) * 192000)) {}

Listener::~Listener() = default;

bool Listener::connect(std::chrono::milliseconds timeout) {
  if (!recorder_->ok()) return false;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!recorder_->connect_from("Quorvelan")) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

Recording Listener::record(std::chrono::milliseconds duration) {
  const auto rate = recorder_->sample_rate();
  const auto wanted = static_cast<std::size_t>(duration.count()) * rate / 1000;
  const auto first = recorder_->frames();
  recorder_->start();
  const auto deadline = std::chrono::steady_clock::now() + duration + 5s;
  while (recorder_->frames() < first + wanted && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(10ms);
  }
  recorder_->stop();
  const auto last = std::min(recorder_->frames(), first + wanted);
  Recording recording;
  recording.sample_rate = rate;
  for (auto* channel : {&recording.left, &recording.right}) {
    const auto& source = recorder_->channel(channel == &recording.left ? 0 : 1);
    channel->assign(source.begin() + static_cast<std::ptrdiff_t>(first),
                    source.begin() + static_cast<std::ptrdiff_t>(last));
  }
  return recording;
}

double rms(std::span<const float> samples) {
  if (samples.empty()) return 0.0;
  double sum = 0.0;
  for (float x : samples) sum += double{x} * x;
  return std::sqrt(sum / static_cast<double>(samples.size()));
}

std::vector<double> onsets(std::span<const float> samples, std::size_t sample_rate, double rise,
                           double floor, double min_gap) {
  const std::size_t frame = sample_rate / 200;  // 5 ms
  std::vector<double> energy;
  for (std::size_t at = 0; at + frame <= samples.size(); at += frame) {
    energy.push_back(rms(samples.subspan(at, frame)));
  }
  constexpr std::size_t kHistory = 4;  // 20 ms
  std::vector<double> found;
  for (std::size_t i = 0; i < energy.size(); ++i) {
    double before = 0.0;
    for (std::size_t k = 1; k <= kHistory; ++k) before += i >= k ? energy[i - k] : 0.0;
    before /= kHistory;
    if (energy[i] < floor || energy[i] < before * rise) continue;
    const double time = static_cast<double>(i * frame) / static_cast<double>(sample_rate);
    if (found.empty() || time - found.back() >= min_gap) found.push_back(time);
  }
  return found;
}

double peak_frequency(std::span<const float> samples, std::size_t sample_rate) {
  const auto spectrum = magnitude_spectrum(samples);
  const auto peak = std::ranges::max_element(spectrum.begin() + 1, spectrum.end());
  return bin_hz(static_cast<std::size_t>(peak - spectrum.begin()), spectrum.size(), sample_rate);
}

double spectral_centroid(std::span<const float> samples, std::size_t sample_rate) {
  const auto spectrum = magnitude_spectrum(samples);
  double weighted = 0.0;
  double total = 0.0;
  for (std::size_t k = 1; k < spectrum.size(); ++k) {
    weighted += spectrum[k] * bin_hz(k, spectrum.size(), sample_rate);
    total += spectrum[k];
  }
  return total > 0.0 ? weighted / total : 0.0;
}

}  // namespace e2e
