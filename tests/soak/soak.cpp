// A long session on a JACK server: the program plays a busy project for several minutes while
// keys arrive from every view, the output device is switched back and forth, the project
// autosaves and the terminal changes size. At the end it must still run, fall silent after Stop
// (no stuck note), and its resident memory must not have grown beyond a bound.
//
// Usage: quorvelan_soak [minutes]   (JACK_DEFAULT_SERVER names the server; scripts/soak runs it)

#include <fmt/format.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "e2e/keys.hpp"
#include "e2e/program_run.hpp"
#include "e2e/pty_screen.hpp"
#include "e2e/sound.hpp"
#include "sequencer/project.hpp"
#include "sequencer/types.hpp"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using e2e::PtySession;
using e2e::select_row;
using SteadyClock = std::chrono::steady_clock;

// Resident memory may grow this much from the sample after the first minute to the last one.
constexpr long kRssGrowthBoundKib = 8 * 1024;
constexpr double kSilence = 1e-4;  // RMS after the last release has died away

// Four full tracks at a fast tempo with LFOs on synth, effect and send targets and every send
// open: as busy as a project gets.
quorvelan::sequencer::project::Project busy_project() {
  namespace pattern = quorvelan::sequencer::pattern;
  namespace types = quorvelan::sequencer::types;
  namespace lfo = quorvelan::lfo;
  quorvelan::sequencer::project::Project project;
  project.name = "soak";
  project.bpm = 174.0;
  for (int slot = 0; slot < 4; ++slot) {
    auto pattern = pattern::Pattern::default_pattern();
    pattern.bpm = project.bpm;
    for (std::uint8_t track = 0; track < 4; ++track) {
      auto& steps = pattern.tracks[track];
      steps.length = pattern::kStepCount;
      for (std::size_t i = 0; i < steps.steps.size(); ++i) {
        auto& step = steps.steps[i];
        step.flags = pattern::kStepOn | (i % 4 == 0 ? pattern::kStepAccent : 0);
        step.note = static_cast<std::uint8_t>(36 + track * 12 + (i * 7 + slot) % 24);
        step.velocity = static_cast<std::uint8_t>(70 + (i * 13) % 57);
      }
    }
    project.patterns.push_back(pattern);
  }
  project.current_pattern = 0;
  project.synth_params.emplace();
  project.synth_params->fill(types::starting_synth_params());
  project.mixer.emplace();
  for (auto& strip : *project.mixer) {
    strip = types::starting_mixer_state();
    strip.chorus_send = 0.4f;
    strip.delay_send = 0.3f;
    strip.reverb_send = 0.5f;
  }
  project.effects = types::starting_effects_params();
  project.lfos.emplace();
  const std::array<lfo::ModTarget, lfo::kLfoCount> targets{
      lfo::ModTarget::SynthParam{0, 38}, lfo::ModTarget::EffectParam{2, 2},
      lfo::ModTarget::SendLevel{1}, lfo::ModTarget::SynthParam{2, 38}};
  for (std::size_t i = 0; i < lfo::kLfoCount; ++i) {
    auto& config = (*project.lfos)[i];
    config.enabled = true;
    config.rate = 0.5f + static_cast<float>(i);
    config.depth = 0.5f;
    config.target = targets[i];
  }
  return project;
}

long rss_kib(int pid) {
  std::ifstream status(fmt::format("/proc/{}/status", pid));
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
  }
  return -1;
}

// Keys a player presses, taken at random: view and page changes, cursor moves, edits, tempo,
// tracks, patterns, mutes, jumps, the help popup, and Esc. Never quit, save or load keys, and the
// master volume only up, so that the last check can hear the project.
const std::vector<std::string> kKeys{
    "q",        "w",         "e",        "r",        "t",         "y",      "\t",
    "\x1b[Z",   e2e::kUp,    e2e::kDown, e2e::kLeft, e2e::kRight, e2e::kUp, e2e::kDown,
    e2e::kLeft, e2e::kRight, "\r",       "\x1b",     "[",         "]",      "{",
    "}",        "1",         "2",        "3",        "4",         "d",      "f",
    "n",        "p",         "m",        "g",        "a",         "h",      "j",
    "k",        "z",         "x",        "c",        "+",         "=",      "T"};

struct Figures {
  int keys = 0;
  int switches = 0;
  int resizes = 0;
  std::vector<long> rss;
};

// To the SET view's audio column and Enter on the device, until the switch is reported; true
// at once when the device is already in use.
bool switch_device(PtySession& program, const std::string& device) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    e2e::escape(program);  // whatever overlay is open
    e2e::escape(program);
    program.send("y");
    program.pump(300ms);
    if (program.find("Output: " + device)) return true;
    e2e::send_times(program, e2e::kLeft, 2);
    program.send(e2e::kRight);
    program.pump(100ms);
    if (!select_row(program, device, e2e::kDown) && !select_row(program, device, e2e::kUp)) {
      continue;
    }
    program.send("\r");
    if (program.wait_for_text("[Audio: " + device + "]", 5s)) return true;
  }
  return false;
}

int fail(const std::string& why, const PtySession& program) {
  std::fprintf(stderr, "soak: FAILED: %s\n%s\n", why.c_str(), program.screen_text().c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const double minutes = argc > 1 ? std::stod(argv[1]) : 5.0;
  char pattern[] = "/tmp/quorvelan-soak-XXXXXX";
  const fs::path root = mkdtemp(pattern);
  const fs::path home = root / "home";
  fs::create_directories(home / ".quorvelan" / "projects");
  // The second copy is loaded at the end, whatever the keys have done to the first.
  for (const char* name : {"soak.json", "soak-final.json"}) {
    if (!busy_project().save(home / ".quorvelan" / "projects" / name)) {
      std::fprintf(stderr, "soak: cannot write the project\n");
      return 1;
    }
  }
  const char* server = std::getenv("JACK_DEFAULT_SERVER");
  PtySession program(
      e2e::program_options(home, root, server != nullptr ? server : "default", 30, 100));
  if (!program.wait_for_text("soak", 10s)) return fail("no project list", program);
  e2e::Listener listener(std::chrono::seconds(60));
  if (!listener.connect()) return fail("the program's ports did not appear", program);
  program.send(e2e::kDown);
  program.send("\r");
  if (!program.wait_for_text("[Loaded: soak]", 5s))
    return fail("the project did not load", program);
  program.send(" ");

  Figures figures;
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::size_t> pick(0, kKeys.size() - 1);
  const std::array<std::pair<int, int>, 4> sizes{{{30, 100}, {24, 80}, {60, 200}, {12, 40}}};
  const auto start = SteadyClock::now();
  const auto end = start + std::chrono::duration_cast<SteadyClock::duration>(
                               std::chrono::duration<double>(minutes * 60.0));
  auto next_switch = start + 45s;
  auto next_resize = start + 20s;
  auto next_sample = start;
  while (SteadyClock::now() < end) {
    const auto now = SteadyClock::now();
    if (now >= next_sample) {
      figures.rss.push_back(rss_kib(program.pid()));
      next_sample += 5s;
    }
    if (now >= next_resize) {
      const auto [rows, cols] = sizes[static_cast<std::size_t>(figures.resizes) % sizes.size()];
      program.resize(rows, cols);
      ++figures.resizes;
      next_resize += 20s;
    }
    if (now >= next_switch) {
      program.resize(30, 100);  // room for the device list
      // Keys may have switched the device meanwhile: go to the other one.
      e2e::escape(program);
      e2e::escape(program);
      program.send("y");
      program.pump(300ms);
      const std::string device =
          program.find("Output: quorvelan-recorder") ? "system" : "quorvelan-recorder";
      if (!switch_device(program, device)) return fail("no switch to " + device, program);
      ++figures.switches;
      program.send(" ");  // the new engine starts stopped
      next_switch += 45s;
    }
    const auto& key = kKeys[pick(random)];
    program.send(key);
    if (key == "\x1b") program.pump(150ms);
    ++figures.keys;
    program.pump(std::chrono::milliseconds(40 + static_cast<int>(pick(random)) * 4));
    if (!program.running()) return fail("the program ended", program);
  }

  // Play the busy project afresh on the recorder itself, so that nothing stands between the
  // program and the ear, then stop and listen for anything still sounding.
  program.resize(30, 100);
  if (!switch_device(program, "quorvelan-recorder")) return fail("no final switch", program);
  e2e::send_times(program, e2e::kLeft, 2);
  program.send(e2e::kDown);
  program.send("\r");  // Load Project
  if (!select_row(program, "soak-final", e2e::kDown)) return fail("no project to load", program);
  program.send("\r");
  if (!program.wait_for_text("[Loaded: soak-final]", 5s)) return fail("no final load", program);
  if (!program.find("[>]")) program.send(" ");
  if (!program.wait_for_text("[>]", 5s)) return fail("the transport did not play", program);
  program.pump(3s);
  const double playing = e2e::rms(listener.record(1000ms).mono());
  program.send(" ");
  if (!program.wait_for_text("[ ]", 5s)) return fail("the transport did not stop", program);
  program.pump(6s);  // the longest release and the reverb tail
  const double rest = e2e::rms(listener.record(2000ms).mono());
  figures.rss.push_back(rss_kib(program.pid()));

  program.send("\x11");
  const auto status = program.wait_exit(10s);
  const auto log = e2e::read_file(root / "quorvelan.log");
  int autosaves = 0;
  for (std::size_t at = 0; (at = log.find("Auto-saved project: soak", at)) != std::string::npos;
       ++at) {
    ++autosaves;
  }
  fs::remove_all(root);

  const auto [low, high] = std::ranges::minmax(figures.rss);
  const std::size_t after_warm_up = std::min<std::size_t>(12, figures.rss.size() - 1);  // 1 min
  const long growth = figures.rss.back() - figures.rss[after_warm_up];
  std::printf(
      "soak: %.1f min, %d keys, %d device switches, %d resizes, %d autosaves\n"
      "soak: RSS KiB first %ld, after 1 min %ld, min %ld, max %ld, last %ld; growth after "
      "1 min %ld (bound %ld)\n"
      "soak: RMS playing %.2e, 6 s after stop %.2e (bound %.0e); exit status %d\n",
      minutes, figures.keys, figures.switches, figures.resizes, autosaves, figures.rss.front(),
      figures.rss[after_warm_up], low, high, figures.rss.back(), growth, kRssGrowthBoundKib,
      playing, rest, kSilence, status.value_or(-1));
  const bool ok = status == 0 && playing > 100 * kSilence && rest < kSilence &&
                  growth <= kRssGrowthBoundKib &&
                  (minutes < 1.0 || autosaves >= static_cast<int>(minutes * 2) - 1);
  std::printf("soak: %s\n", ok ? "PASSED" : "FAILED");
  return ok ? 0 : 1;
}
