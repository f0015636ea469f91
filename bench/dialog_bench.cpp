// What the player waits for in the file dialog: saving and loading a full project of 128 patterns
// by its keys (the App copied into a project, written through a temporary file and fsync; read,
// applied and sent on to the audio thread), and one 200 x 60 frame with the preset browser open.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "term/test_backend.hpp"
#include "ui/app.hpp"

namespace {

namespace fs = std::filesystem;
using namespace quorvelan;
using ui::app::App;
using ui::app::AppParts;

term::KeyEvent press(term::KeyCode code) { return term::KeyEvent{.code = code}; }
term::KeyEvent press(char32_t c) { return term::KeyEvent{.character = c}; }

fs::path fresh_home() {
  char folder[] = "/tmp/quorvelan-bench-XXXXXX";
  fs::path home = mkdtemp(folder);
  setenv("HOME", home.c_str(), 1);
  return home;
}

AppParts parts_with(audio::messages::AudioProducer audio_tx,
                    audio::messages::FeedbackConsumer feedback_rx) {
  return AppParts{.audio_tx = std::move(audio_tx), .feedback_rx = std::move(feedback_rx)};
}

// An App on a full project in a fresh HOME, with the far end of its ring kept to drain it.
struct FullProject {
  fs::path home = fresh_home();
  std::pair<audio::messages::AudioProducer, audio::messages::AudioConsumer> ring =
      audio::messages::make_audio_ring();
  audio::messages::AudioConsumer& sent = ring.second;
  App app{parts_with(std::move(ring.first), audio::messages::make_feedback_ring().second)};

  FullProject() {
    app.view = ui::app::View::Seq;
    app.patterns.clear();
    for (std::size_t i = 0; i < sequencer::project::kMaxPatterns; ++i) {
      app.patterns.push_back(std::make_shared<ui::app::Pattern>(ui::app::starter_pattern()));
    }
  }
  ~FullProject() { fs::remove_all(home); }

  void keys(std::initializer_list<term::KeyEvent> pressed) {
    for (const auto& key : pressed) app.handle_key(key);
  }
  void drain() {
    while (auto message = sent.pop()) audio::messages::free_box(*message);
  }
};

constexpr auto kDown = term::KeyCode::Down;
constexpr auto kEnter = term::KeyCode::Enter;

void SaveFullProjectFromTheDialog(benchmark::State& state) {
  FullProject full;
  for (auto _ : state) {
    full.keys({press('s'), press(kDown), press(kDown), press(kEnter), press('F'), press(kEnter)});
  }
  if (!full.app.status || full.app.status->text != "Saved: F") state.SkipWithError("not saved");
}
BENCHMARK(SaveFullProjectFromTheDialog)->Unit(benchmark::kMillisecond);

void LoadFullProjectFromTheDialog(benchmark::State& state) {
  FullProject full;
  full.keys({press('s'), press(kDown), press(kDown), press(kEnter), press('F'), press(kEnter)});
  for (auto _ : state) {
    full.keys({press('l'), press(kDown), press(kDown), press(kEnter), press(kEnter)});
    state.PauseTiming();
    full.drain();
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
  full.keys({press('l'), press(kDown), press(kEnter), press(kEnter)});
  for (auto _ : state) {
    term::TestBackend backend(200, 60);
    backend.draw([&](term::Buffer& buffer) { full.app.render_app(buffer); });
    benchmark::DoNotOptimize(backend.buffer());
  }
}
BENCHMARK(DrawFrameWithTheBrowserOpen)->Unit(benchmark::kMicrosecond);

}  // namespace
BENCHMARK_MAIN();
