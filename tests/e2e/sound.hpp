#pragma once
// Listening to the program from outside: a JACK client that records the program's two output
// ports on the test fixture's server, and the measurements end-to-end tests make of what it heard.

#include <chrono>
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

namespace test_support {
class JackRecorder;
}

namespace e2e {

// Two channels at the server's sample rate.
struct Recording {
  std::vector<float> left;
  std::vector<float> right;
  std::size_t sample_rate = 48000;

  [[nodiscard]] std::size_t frames() const { return left.size(); }
  // The frames from `from` seconds on, `length` seconds long (cut at the end of the recording).
  [[nodiscard]] std::span<const float> left_between(double from, double length) const;
  [[nodiscard]] std::span<const float> right_between(double from, double length) const;
  // (left + right) / 2 over the whole recording.
  [[nodiscard]] std::vector<float> mono() const;
};

// Records what the program plays. The program must already be running on the fixture's server
// (ProgramRun::options with sound on).
class Listener {
 public:
  explicit Listener(std::chrono::seconds longest = std::chrono::seconds(30));
  ~Listener();
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  // Connects to the program's output ports, waiting up to `timeout` for them to appear.
  bool connect(std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
  // Records for the given time and returns what arrived.
  Recording record(std::chrono::milliseconds duration);

 private:
  std::unique_ptr<test_support::JackRecorder> recorder_;
};

// Root mean square of the samples (0 for none).
double rms(std::span<const float> samples);

// Times in seconds where the sound starts anew: the 5 ms energy rises above `rise` times the
// average of the 20 ms before it and above `floor`; onsets closer than `min_gap` seconds merge.
std::vector<double> onsets(std::span<const float> samples, std::size_t sample_rate,
                           double rise = 4.0, double floor = 1e-3, double min_gap = 0.05);

// The frequency in Hz of the strongest component (Hann window, zero-padded FFT).
double peak_frequency(std::span<const float> samples, std::size_t sample_rate);

// The amplitude-weighted mean frequency in Hz: higher for a brighter sound.
double spectral_centroid(std::span<const float> samples, std::size_t sample_rate);

}  // namespace e2e
