// Cost of one drawn frame on a large terminal (200 x 60): every row filled with styled spans in
// bordered blocks, then diffed against the previous frame, once with every cell changed (the
// first frame after a resize) and once with one row changed (a playing transport's typical frame);
// then the application's own SEQ frame while it plays.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "term/block.hpp"
#include "term/diff.hpp"
#include "term/layout.hpp"
#include "term/paragraph.hpp"
#include "ui/app.hpp"

namespace {

using namespace quorvelan::term;

const Rect screen{0, 0, 200, 60};

void draw_frame(Buffer& frame) {
  const std::vector<Constraint> columns(5, Constraint::ratio(1, 5));
  const Style dim = Style{}.fg(Color::hex(0x6C7086));
  const Style fg = Style{}.fg(Color::hex(0xCDD6F4)).bold();
  Block().style(Style{}.bg(Color::hex(0x181825))).render(frame.area(), frame);
  for (const Rect& column : split_horizontal(frame.area(), columns)) {
    const Block block = Block().borders(Borders::All).border_style(dim).title(" > Track 1 ");
    block.render(column, frame);
    std::vector<Line> lines;
    for (int row = 0; row < 58; ++row) {
      lines.push_back(Line({Span("> Vol:", dim), Span(std::to_string(row) + "% ▁▂▃", fg)}));
    }
    Paragraph(std::move(lines)).render(block.inner(column), frame);
  }
}

void BM_DrawAndDiffEveryCellChanged(benchmark::State& state) {
  const Buffer blank(screen);
  for (auto _ : state) {
    Buffer frame(screen);
    draw_frame(frame);
    benchmark::DoNotOptimize(diff(blank, frame));
  }
}
BENCHMARK(BM_DrawAndDiffEveryCellChanged)->Unit(benchmark::kMicrosecond);

void BM_DrawAndDiffFewCellsChanged(benchmark::State& state) {
  Buffer previous(screen);
  draw_frame(previous);
  for (auto _ : state) {
    Buffer frame(screen);
    draw_frame(frame);
    frame.set_string(10, 10, "changed", 7, Style{}.fg(Color::hex(0xA6E3A1)));
    benchmark::DoNotOptimize(diff(previous, frame));
  }
}
BENCHMARK(BM_DrawAndDiffFewCellsChanged)->Unit(benchmark::kMicrosecond);

// The SEQ view of a 64-step track with every step on, playing: the play positions move and the
// meters are lit, as when the main loop draws while the transport runs.
void BM_SeqFramePlaying(benchmark::State& state) {
  namespace app = quorvelan::ui::app;
  namespace pattern = quorvelan::sequencer::pattern;
  namespace messages = quorvelan::audio::messages;
  auto [audio_tx, audio_rx] = messages::make_audio_ring();
  auto [feedback_tx, feedback_rx] = messages::make_feedback_ring();
  app::App seq(
      app::AppParts{.audio_tx = std::move(audio_tx), .feedback_rx = std::move(feedback_rx)});
  seq.view = app::View::Seq;
  seq.playing = true;
  auto& track = seq.mutable_current_pattern().tracks[0];
  track.length = pattern::kStepCount;
  for (std::size_t i = 0; i < track.steps.size(); ++i) {
    track.steps[i].flags = pattern::kStepOn | (i % 3 == 0 ? pattern::kStepAccent : 0);
    track.steps[i].note = static_cast<std::uint8_t>(36 + i);
  }
  seq.current_step = 17;
  for (auto& meter : seq.meters) meter = {0.6f, 0.4f};

  Buffer previous(screen);
  seq.render_app(previous);
  std::uint8_t position = 0;
  for (auto _ : state) {
    position = static_cast<std::uint8_t>((position + 1) % pattern::kStepCount);
    seq.play_steps.fill(position);
    Buffer frame(screen);
    seq.render_app(frame);
    benchmark::DoNotOptimize(diff(previous, frame));
    previous = std::move(frame);
  }
}
BENCHMARK(BM_SeqFramePlaying)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
