// What the player waits for in the file dialog: saving and loading a full project of 128 patterns
// by its keys (the App copied into a project, written through a temporary file and fsync; read,
// applied and sent on to the audio thread), and one 200 x 60 frame with the preset browser open.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "ui/harness.hpp"

namespace {

namespace fs = std::filesystem;
using namespace quorvelan;
using ui::app::ch;
using ui::app::key;

fs::path fresh_home() {
  char folder[] = "/tmp/quorvelan-bench-XXXXXX";
  fs::path home = mkdtemp(folder);
  setenv("HOME", home.c_str(), 1);
  return home;
}

// An App on a full project in a fresh HOME.
struct FullProject {
  fs::path home = fresh_home();
  ui::app::Harness harness = ui::app::Harness::make();
  ui::app::App& app = harness.app;

  FullProject() {
    app.view = ui::app::View::Seq;
    app.patterns.clear();
    for (std::size_t i = 0; i < sequencer::project::kMaxPatterns; ++i) {
      app.patterns.push_back(std::make_shared<ui::app::Pattern>(ui::app::starter_pattern()));
    }
  }
  ~FullProject() { fs::remove_all(home); }
};

constexpr auto kDown = term::KeyCode::Down;
constexpr auto kEnter = term::KeyCode::Enter;

void SaveFullProjectFromTheDialog(benchmark::State& state) {
  FullProject full;
  for (auto _ : state) {
    full.harness.press({ch('s'), key(kDown), key(kDown), key(kEnter), ch('F'), key(kEnter)});
  }
  if (!full.app.status || full.app.status->text != "Saved: F") state.SkipWithError("not saved");
}
BENCHMARK(SaveFullProjectFromTheDialog)->Unit(benchmark::kMillisecond);

void LoadFullProjectFromTheDialog(benchmark::State& state) {
  FullProject full;
  full.harness.press({ch('s'), key(kDown), key(kDown), key(kEnter), ch('F'), key(kEnter)});
  for (auto _ : state) {
    full.harness.press({ch('l'), key(kDown), key(kDown), key(kEnter), key(kEnter)});
    state.PauseTiming();
    full.harness.drain_sent();
    state.ResumeTiming();
  }
  if (!full.app.status || full.app.status->text != "Loaded: F") state.SkipWithError("not loaded");
}
BENCHMARK(LoadFullProjectFromTheDialog)->Unit(benchmark::kMillisecond);

void DrawFrameWithTheBrowserOpen(benchmark::State& state) {
  FullProject full;
  full.app.playing = true;
  full.app.play_steps = {5, 6, 7, 8};
  full.app.meters = {{{0.7f, 0.6f}, {0.5f, 0.4f}, {0.3f, 0.2f}, {0.1f, 0.1f}}};
  full.harness.press({ch('l'), key(kDown), key(kEnter), key(kEnter)});
  for (auto _ : state) benchmark::DoNotOptimize(full.harness.draw(200, 60).buffer());
}
BENCHMARK(DrawFrameWithTheBrowserOpen)->Unit(benchmark::kMicrosecond);

}  // namespace
BENCHMARK_MAIN();
