// Cost of one drawn frame on a large terminal (200 x 60): every row filled with styled spans in
// bordered blocks, then diffed against the previous frame, once with every cell changed (the
// first frame after a resize) and once with one row changed (a playing transport's typical frame);
// then the application's own SEQ, SYNTH, MIX, LFO and SET frames and its overlays while it plays.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "term/block.hpp"
#include "term/diff.hpp"
#include "term/layout.hpp"
#include "term/paragraph.hpp"
#include "ui/harness.hpp"

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

namespace app = quorvelan::ui::app;

// An App without devices, in `view`, with the transport running.
app::App playing_app(app::View view) {
  app::App ui = std::move(app::Harness::make().app);
  ui.view = view;
  ui.playing = true;
  return ui;
}

// Frames as the main loop makes them while playing: `advance` moves the state on, then the state
// is drawn and its difference from the frame before written out.
template <class Advance>
void draw_frames(benchmark::State& state, app::App& ui, Advance advance) {
  Buffer previous(screen);
  ui.render_app(previous);
  for (auto _ : state) {
    advance();
    Buffer frame(screen);
    ui.render_app(frame);
    benchmark::DoNotOptimize(diff(previous, frame));
    previous = std::move(frame);
  }
}

// The SEQ view of a 64-step track with every step on, playing: the play positions move and the
// meters are lit, as when the main loop draws while the transport runs.
void BM_SeqFramePlaying(benchmark::State& state) {
  namespace pattern = quorvelan::sequencer::pattern;
  app::App seq = playing_app(app::View::Seq);
  auto& track = seq.mutable_current_pattern().tracks[0];
  track.length = pattern::kStepCount;
  for (std::size_t i = 0; i < track.steps.size(); ++i) {
    track.steps[i].flags = pattern::kStepOn | (i % 3 == 0 ? pattern::kStepAccent : 0);
    track.steps[i].note = static_cast<std::uint8_t>(36 + i);
  }
  seq.current_step = 17;
  for (auto& meter : seq.meters) meter = {0.6f, 0.4f};

  std::uint8_t position = 0;
  draw_frames(state, seq, [&] {
    position = static_cast<std::uint8_t>((position + 1) % pattern::kStepCount);
    seq.play_steps.fill(position);
  });
}
BENCHMARK(BM_SeqFramePlaying)->Unit(benchmark::kMicrosecond);

// The SYNTH view, each page: the pulse and the levels move from frame to frame as they do while
// playing, so each frame differs from the one before in the header meters, the knob and the
// modulation mark of the cutoff that an LFO sweeps.
void BM_SynthViewFramePlaying(benchmark::State& state) {
  app::App ui = playing_app(app::View::Synth);
  ui.synth_page = static_cast<app::SynthPage>(state.range(0));
  ui.column = 1;
  ui.row_nav = true;
  ui.play_steps = {3, 7, 11, 15};
  ui.lfo_modulation[0] = {quorvelan::lfo::ModTargetKind::SynthParam, 0, 38, 0.5f};
  std::uint32_t frame_number = 0;
  draw_frames(state, ui, [&] {
    ++frame_number;
    const float phase = static_cast<float>(frame_number % 60) / 60.0f;
    ui.pulse = phase;
    ui.lfo_modulation[0].value = phase;
    for (auto& meter : ui.meters) meter = {phase, 1.0f - phase};
  });
}
BENCHMARK(BM_SynthViewFramePlaying)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// Meters falling and LFOs running on parameters of every kind, reporting their values, with the
// view's first column focused.
app::App with_lfos_running(app::View view) {
  namespace lfo = quorvelan::lfo;
  app::App ui = playing_app(view);
  ui.row_nav = true;
  ui.play_steps = {5, 6, 7, 8};
  ui.meters = {{{0.9f, 0.8f}, {0.6f, 0.5f}, {0.4f, 0.3f}, {0.2f, 0.1f}}};
  const std::array<lfo::ModTarget, lfo::kLfoCount> targets{
      lfo::ModTarget::SynthParam{1, 38}, lfo::ModTarget::EffectParam{2, 2},
      lfo::ModTarget::SendLevel{0}, lfo::ModTarget::LfoParam{3, 0}};
  for (std::size_t i = 0; i < lfo::kLfoCount; ++i) {
    auto& config = ui.lfo_configs[i];
    config.enabled = true;
    config.shape = static_cast<lfo::LfoShape>(i * 2);
    config.depth = 0.6f;
    config.target = targets[i];
    ui.lfo_modulation[i] = {targets[i].kind(), targets[i].a(), targets[i].b(), 0.4f};
  }
  return ui;
}

// Frames with the animation advanced and the meters falling.
void draw_moving_frames(benchmark::State& state, app::App& ui) {
  draw_frames(state, ui, [&] {
    ui.advance_frame();
    for (auto& meter : ui.meters) meter.left = meter.left > 0.05f ? meter.left - 0.05f : 0.9f;
  });
}

void BM_MixFramePlaying(benchmark::State& state) {
  app::App ui = with_lfos_running(app::View::Mix);
  draw_moving_frames(state, ui);
}
BENCHMARK(BM_MixFramePlaying)->Unit(benchmark::kMicrosecond);

void BM_LfoFramePlaying(benchmark::State& state) {
  app::App ui = with_lfos_running(app::View::Lfo);
  draw_moving_frames(state, ui);
}
BENCHMARK(BM_LfoFramePlaying)->Unit(benchmark::kMicrosecond);

// The SET view with long device and port lists, the MIX view under its 25 jump labels, and the
// keyboard help popup over the SEQ view, each while playing.
void BM_SettingsAndOverlayFramesPlaying(benchmark::State& state) {
  const auto shown = state.range(0);
  app::App ui = with_lfos_running(shown == 0   ? app::View::Set
                                  : shown == 1 ? app::View::Mix
                                               : app::View::Seq);
  for (int i = 0; i < 12; ++i) {
    ui.output_devices.push_back("hw:CARD=Device" + std::to_string(i));
    ui.midi_ports.push_back("Controller " + std::to_string(i) + ":out");
  }
  ui.current_device = ui.output_devices[3];
  ui.column = 2;
  ui.settings_row = 9;
  if (shown == 1) {
    ui.jump_targets = ui.build_easymotion_targets();
    ui.jump_active = true;
  }
  ui.help_visible = shown == 2;
  ui.help_scroll = 12;
  draw_moving_frames(state, ui);
}
BENCHMARK(BM_SettingsAndOverlayFramesPlaying)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
