// A small coverage-guided fuzzer. The code under test is built with -fsanitize-coverage=trace-pc,
// which calls __sanitizer_cov_trace_pc at every basic block; this file (built without it) counts
// the edges between blocks, keeps every mutated input that reaches a new edge or a new hit-count
// class, and mutates from those. AddressSanitizer and UndefinedBehaviorSanitizer stop the program
// at the first fault; the input that caused it, a failed property, a crash or a hang is saved as
// ARTIFACTS/crash-TARGET-HASH first.
//
//   fuzz_TARGET [--seconds=N] [--corpus=DIR] [--artifacts=DIR] [--seed=N]   fuzz for N seconds
//   fuzz_TARGET FILE...                                                     run saved inputs once
//
// --corpus loads the inputs kept by earlier runs and keeps new ones there.

#include <fcntl.h>
#include <sanitizer/common_interface_defs.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "target.hpp"

#define NOT_INSTRUMENTED __attribute__((no_sanitize("address", "undefined")))

namespace {

constexpr std::size_t kMapSize = std::size_t{1} << 16;
constexpr unsigned kHangSeconds = 10;

std::array<std::uint8_t, kMapSize> edge_hits;
std::uintptr_t previous_block = 0;

}  // namespace

// UBSan would leave with _exit; aborting instead lets the signal handler save the input.
extern "C" const char* __ubsan_default_options() { return "abort_on_error=1:print_stacktrace=1"; }

extern "C" NOT_INSTRUMENTED void __sanitizer_cov_trace_pc() {
  const auto pc = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
  const std::uintptr_t block = (pc ^ (pc >> 13) ^ (pc >> 27)) & (kMapSize - 1);
  ++edge_hits[block ^ previous_block];
  previous_block = block >> 1;
}

namespace quorvelan::fuzz {
namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// ---- the input under test, saved when the program dies ----

const std::uint8_t* current_data = nullptr;
std::size_t current_size = 0;
char artifact_prefix[4096] = "./crash-";

std::uint64_t fnv1a(const std::uint8_t* data, std::size_t size) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 0x100000001b3u;
  return hash;
}

// Only async-signal-safe calls: this runs from signal handlers and the sanitizers' death hook.
void save_current_input() {
  if (current_data == nullptr) return;
  char path[sizeof artifact_prefix + 17];
  std::size_t length = std::strlen(artifact_prefix);
  std::memcpy(path, artifact_prefix, length);
  std::uint64_t hash = fnv1a(current_data, current_size);
  for (int shift = 60; shift >= 0; shift -= 4)
    path[length++] = "0123456789abcdef"[(hash >> shift) & 15];
  path[length] = '\0';
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return;
  for (std::size_t done = 0; done < current_size;) {
    const auto n = ::write(fd, current_data + done, current_size - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  const char note[] = "\nfuzz: input saved as ";
  [[maybe_unused]] auto n = ::write(2, note, sizeof note - 1);
  n = ::write(2, path, length);
  n = ::write(2, "\n", 1);
  current_data = nullptr;
}

void on_fatal_signal(int signal) {
  if (signal == SIGALRM) {
    const char note[] = "\nfuzz: the input ran longer than the hang limit\n";
    [[maybe_unused]] auto n = ::write(2, note, sizeof note - 1);
  }
  save_current_input();
  std::signal(signal == SIGALRM ? SIGABRT : signal, SIG_DFL);
  std::raise(signal == SIGALRM ? SIGABRT : signal);
}

void install_handlers() {
  __sanitizer_set_death_callback(save_current_input);
  // AddressSanitizer reports a segmentation fault itself, then calls the death callback.
  std::signal(SIGABRT, on_fatal_signal);
  std::signal(SIGALRM, on_fatal_signal);
}

// ---- coverage ----

// Hit counts in classes, as one bit each: 1, 2, 3, 4-7, 8-15, 16-31, 32-127, 128 and more.
std::uint8_t hit_class(std::uint8_t hits) {
  if (hits <= 3) return static_cast<std::uint8_t>(hits == 3 ? 4 : hits);
  if (hits < 8) return 8;
  if (hits < 16) return 16;
  if (hits < 32) return 32;
  if (hits < 128) return 64;
  return 128;
}

class Coverage {
 public:
  // Takes the counts of the last run; true when they reached an edge or a class not seen before.
  bool merge_last_run() {
    bool grew = false;
    for (std::size_t i = 0; i < kMapSize; i += 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, &edge_hits[i], 8);
      if (word == 0) continue;
      for (std::size_t j = i; j < i + 8; ++j) {
        if (edge_hits[j] == 0) continue;
        const std::uint8_t classes = seen_[j] | hit_class(edge_hits[j]);
        if (classes != seen_[j]) {
          edges_ += seen_[j] == 0;
          seen_[j] = classes;
          grew = true;
        }
        edge_hits[j] = 0;
      }
    }
    return grew;
  }
  [[nodiscard]] std::size_t edges() const { return edges_; }

 private:
  std::array<std::uint8_t, kMapSize> seen_{};
  std::size_t edges_ = 0;
};

void run_one(const std::string& input) {
  current_data = reinterpret_cast<const std::uint8_t*>(input.data());
  current_size = input.size();
  previous_block = 0;
  ::alarm(kHangSeconds);
  target.run({current_data, current_size});
  ::alarm(0);
  current_data = nullptr;
}

// ---- mutation ----

// Quoted strings and words of letters in the seeds: the names a reader looks for.
std::vector<std::string> words_in(const std::vector<std::string>& seeds) {
  std::vector<std::string> words;
  for (const std::string& seed : seeds) {
    for (std::size_t i = 0; i < seed.size();) {
      std::size_t end = i;
      if (seed[i] == '"') {
        end = seed.find('"', i + 1);
        end = end == std::string::npos ? seed.size() : end + 1;
      } else {
        while (end < seed.size() && std::isalpha(static_cast<unsigned char>(seed[end]))) ++end;
        if (end == i) ++end;
      }
      if (end - i >= 2 && end - i <= 40) words.push_back(seed.substr(i, end - i));
      i = end;
    }
  }
  std::ranges::sort(words);
  words.erase(std::unique(words.begin(), words.end()), words.end());
  return words;
}

constexpr std::array<std::uint8_t, 22> kInterestingBytes{
    0x00, 0x01, 0x07, 0x1B, 0x20, 0x22, 0x2C, 0x2D, 0x2E, 0x30, 0x39,
    0x3A, 0x3B, 0x5B, 0x5D, 0x7B, 0x7D, 0x7E, 0x7F, 0x80, 0xC3, 0xFF};

constexpr std::array<std::string_view, 22> kInterestingNumbers{
    "0",          "-0",   "1",     "-1",      "7",     "99",    "100", "127",
    "128",        "255",  "256",   "-128",    "65535", "65536", "0.5", "-0.5",
    "4294967296", "1e38", "1e-45", "1.8e308", "1e400", "1e-400"};

class Mutator {
 public:
  Mutator(std::uint64_t seed, std::vector<std::string> words, std::size_t max_length)
      : random_(seed), words_(std::move(words)), max_length_(max_length) {}

  std::string mutate(const std::string& base, const std::vector<std::string>& corpus) {
    std::string input = base;
    const int rounds = 1 << below(5);
    for (int round = 0; round < rounds; ++round) mutate_once(input, corpus);
    if (input.size() > max_length_) input.resize(max_length_);
    return input;
  }

  std::size_t below(std::size_t n) { return n == 0 ? 0 : random_() % n; }

 private:
  void mutate_once(std::string& input, const std::vector<std::string>& corpus) {
    const std::size_t size = input.size();
    switch (below(11)) {
      case 0:
        if (size > 0) input[below(size)] ^= static_cast<char>(1 << below(8));
        break;
      case 1:
        if (size > 0) input[below(size)] = static_cast<char>(below(256));
        break;
      case 2:
        if (size > 0)
          input[below(size)] =
              static_cast<char>(kInterestingBytes[below(kInterestingBytes.size())]);
        break;
      case 3:
        if (size > 0) {
          const std::size_t at = below(size);
          input.erase(at, 1 + below(std::min<std::size_t>(size - at, 32)));
        }
        break;
      case 4: {
        std::string bytes(1 + below(8), '\0');
        for (char& c : bytes) c = static_cast<char>(below(256));
        input.insert(below(size + 1), bytes);
        break;
      }
      case 5:
        if (size > 0) {
          const std::size_t at = below(size);
          input.insert(below(size + 1),
                       input.substr(at, 1 + below(std::min<std::size_t>(size - at, 64))));
        }
        break;
      case 6: {
        const std::string& other = corpus[below(corpus.size())];
        if (other.empty()) break;
        const std::size_t at = below(other.size());
        const std::string piece =
            other.substr(at, 1 + below(std::min<std::size_t>(other.size() - at, 256)));
        put(input, piece);
        break;
      }
      case 7:
        if (!words_.empty()) put(input, words_[below(words_.size())]);
        break;
      case 8:
        replace_number(input);
        break;
      case 9:  // a long run of one byte: deep nesting, long numbers, long names
        if (size > 0) input.insert(below(size + 1), 1 + below(512), input[below(size)]);
        break;
      default:
        if (size > 0) input[below(size)] += static_cast<char>(below(2) == 0 ? 1 : -1);
        break;
    }
  }

  // Writes `piece` over the input at a random place, or inserts it there.
  void put(std::string& input, std::string_view piece) {
    if (below(2) == 0 && !input.empty()) {
      const std::size_t to = below(input.size());
      input.replace(to, std::min(piece.size(), input.size() - to), piece);
    } else {
      input.insert(below(input.size() + 1), piece);
    }
  }

  // Puts an edge-case number in place of the run of digits at or after a random position.
  void replace_number(std::string& input) {
    const std::string_view number = kInterestingNumbers[below(kInterestingNumbers.size())];
    if (input.empty()) {
      input = number;
      return;
    }
    const std::size_t start = input.find_first_of("-0123456789", below(input.size()));
    if (start == std::string::npos) return;
    const std::size_t end = input.find_first_not_of("-+.eE0123456789", start);
    input.replace(start, (end == std::string::npos ? input.size() : end) - start, number);
  }

  std::mt19937_64 random_;
  std::vector<std::string> words_;
  std::size_t max_length_;
};

// ---- the command line ----

std::string read_file(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

struct Options {
  double seconds = 60;
  std::string corpus;
  std::string artifacts = ".";
  std::uint64_t seed = static_cast<std::uint64_t>(Clock::now().time_since_epoch().count());
  std::vector<std::string> replay;
};

Options parse_options(int argc, char** argv) {
  Options options;
  if (const char* seconds = std::getenv("FUZZ_SECONDS")) options.seconds = std::atof(seconds);
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&](std::string_view name) -> const char* {
      return arg.starts_with(name) ? argv[i] + name.size() : nullptr;
    };
    if (const char* v = value("--seconds=")) {
      options.seconds = std::atof(v);
    } else if (const char* v = value("--corpus=")) {
      options.corpus = v;
    } else if (const char* v = value("--artifacts=")) {
      options.artifacts = v;
    } else if (const char* v = value("--seed=")) {
      options.seed = std::strtoull(v, nullptr, 10);
    } else if (arg.starts_with("--")) {
      std::fprintf(stderr, "fuzz: unknown option %s\n", argv[i]);
      std::exit(2);
    } else {
      options.replay.emplace_back(arg);
    }
  }
  return options;
}

std::string hex_name(const std::string& input) {
  char name[17];
  std::snprintf(name, sizeof name, "%016llx",
                static_cast<unsigned long long>(
                    fnv1a(reinterpret_cast<const std::uint8_t*>(input.data()), input.size())));
  return name;
}

int fuzz(const Options& options) {
  std::vector<std::string> corpus = target.seeds();
  std::vector<std::string> words = words_in(corpus);
  words.insert(words.end(), target.words.begin(), target.words.end());
  if (!options.corpus.empty()) {
    fs::create_directories(options.corpus);
    for (const auto& entry : fs::directory_iterator(options.corpus)) {
      if (entry.is_regular_file()) corpus.push_back(read_file(entry.path()));
    }
  }
  Coverage coverage;
  for (const std::string& input : corpus) {
    run_one(input);
    coverage.merge_last_run();
  }
  const std::size_t start_size = corpus.size();

  Mutator mutator(options.seed, std::move(words), target.max_length);
  const auto start = Clock::now();
  const auto deadline = start + std::chrono::duration<double>(options.seconds);
  auto next_report = start + std::chrono::seconds(30);
  std::uint64_t executions = 0;
  for (auto now = start; now < deadline; now = Clock::now()) {
    const std::string input = mutator.mutate(corpus[mutator.below(corpus.size())], corpus);
    run_one(input);
    ++executions;
    if (coverage.merge_last_run()) {
      corpus.push_back(input);
      if (!options.corpus.empty()) {
        std::ofstream(fs::path(options.corpus) / hex_name(input), std::ios::binary) << input;
      }
    }
    if (now >= next_report) {
      std::fprintf(stderr, "fuzz_%s: %llu executions, %zu edges, corpus %zu\n", target.name,
                   static_cast<unsigned long long>(executions), coverage.edges(), corpus.size());
      next_report += std::chrono::seconds(30);
    }
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf(
      "fuzz_%s: %llu executions in %.0f s (%.0f/s), %zu edges, corpus %zu inputs (%zu new), seed "
      "%llu, no failure\n",
      target.name, static_cast<unsigned long long>(executions), seconds, executions / seconds,
      coverage.edges(), corpus.size(), corpus.size() - start_size,
      static_cast<unsigned long long>(options.seed));
  return 0;
}

}  // namespace

[[noreturn]] void fail(std::string_view what) {
  std::fprintf(stderr, "fuzz_%s: %.*s\n", target.name, static_cast<int>(what.size()), what.data());
  std::abort();
}

}  // namespace quorvelan::fuzz

int main(int argc, char** argv) {
  using namespace quorvelan::fuzz;
  const Options options = parse_options(argc, argv);
  const std::string prefix = options.artifacts + "/crash-" + target.name + "-";
  if (prefix.size() >= sizeof artifact_prefix) return 2;
  std::memcpy(artifact_prefix, prefix.c_str(), prefix.size() + 1);
  std::filesystem::create_directories(options.artifacts);
  install_handlers();
  if (options.replay.empty()) return fuzz(options);
  for (const std::string& path : options.replay) {
    run_one(read_file(path));
    std::printf("fuzz_%s: %s passes\n", target.name, path.c_str());
  }
  return 0;
}
