// The MIX view's keys: per-track volume, pan and sends, the master section, mute, and the
// whole-mixer send after a load.

#include <gtest/gtest.h>

#include <functional>

#include "ui/harness.hpp"
#include "ui/sent_messages.hpp"
#include "ui/view_keys.hpp"

namespace quorvelan::ui::app {
namespace {

struct MixCase {
  const char* what;
  std::function<void(App&)> setup;
  std::vector<term::KeyEvent> keys;
  std::function<float(const App&)> value;
  float expected;
  std::vector<std::string> sent;
};

TEST(MixKeys, EachRowStepsItsValueAndSendsItsMessage) {
  const std::vector<MixCase> cases{
      {"master volume: 0.05 a step, 0.25 up, stopping at 4",
       [](App& a) { a.master_volume = 3.9f; },
       {kRight, kRight, kRight, kRight, kEnter, kRight, kUp, kUp},
       [](const App& a) { return a.master_volume; }, 4.0f,
       {"master 3.950", "master 4.000", "master 4.000"}},
      {"pan: 0.1 a step, 0.5 down, stopping at -1", [](App&) {},
       {kDown, kEnter, kLeft, kDown, kDown, kDown},
       [](const App& a) { return a.mixer[0].pan; }, -1.0f,
       {"synth 0 46 -0.100", "synth 0 46 -0.600", "synth 0 46 -1.000", "synth 0 46 -1.000"}},
      {"volume stops at 1", [](App& a) { a.mixer[0].volume = 0.98f; }, {kEnter, kUp},
       [](const App& a) { return a.mixer[0].volume; }, 1.0f, {"synth 0 47 1.000"}},
      {"the engine hears the send level edited last, the strips keep their own",
       [](App& a) {
         a.mixer[0].chorus_send = 0.45f;
         a.mixer[1].chorus_send = 0.25f;
       },
       {kDown, kDown, kEnter, kRight, kEsc, kRight, kDown, kDown, kEnter, kLeft},
       [](const App& a) { return a.mixer[0].chorus_send; }, 0.5f,
       {"send 0 0.500", "send 0 0.200"}},
      {"delay and reverb sends go to their buses", [](App&) {},
       {kDown, kDown, kDown, kEnter, kRight, kEsc, kDown, kDown, kEnter, ch(']')},
       [](const App& a) { return a.mixer[0].reverb_send; }, 0.0125f,
       {"send 1 0.050", "send 2 0.013"}},
      {"master drive, tone, DJ cutoff and resonance",
       [](App& a) {
         a.effects.overdrive_drive = 0.0f;
         a.effects.overdrive_tone = 0.0f;
         a.effects.dj_filter_cutoff = 0.5f;
         a.effects.dj_filter_resonance = 0.0f;
       },
       {kRight, kRight, kRight, kRight, kDown, kEnter, kRight, kEsc, kDown, kEnter, kRight, kEsc,
        kDown, kEnter, kLeft, kEsc, kDown, kDown, kEnter, kUp},
       [](const App& a) { return a.effects.dj_filter_cutoff; }, 0.48f,
       {"fx 3 0 0.020", "fx 3 1 0.020", "fx 5 0 0.480", "fx 5 1 0.100"}},
      {"a track key moves the column to its strip", [](App& a) { a.mixer[2].volume = 0.5f; },
       {ch('3'), kEnter, kRight}, [](const App& a) { return a.mixer[2].volume; }, 0.55f,
       {"synth 2 47 0.550"}},
      {"MIX opens on the selected track's strip and edits that track",
       [](App& a) { a.mixer[2].volume = 0.5f; }, {ch('q'), ch('3'), ch('t'), kEnter, kLeft},
       [](const App& a) { return a.column; }, 2.0f, {"synth 2 47 0.450"}},
      {"F4 on the last track still moves the column from the master to its strip",
       [](App& a) { a.mixer[3].volume = 0.5f; },
       {ch('4'), kRight, function_key(4), kEnter, kRight},
       [](const App& a) { return a.column; }, 3.0f, {"synth 3 47 0.550"}},
      {"m mutes and unmutes the current track", [](App&) {}, {ch('2'), ch('m'), ch('m'), ch('m')},
       [](const App& a) { return a.mixer[1].muted ? 1.0f : 0.0f; }, 1.0f,
       {"mute 1 1", "mute 1 0", "mute 1 1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto h = in_view('t');
    c.setup(h.app);
    for (const auto& k : c.keys) h.app.handle_key(k);
    EXPECT_NEAR(c.value(h.app), c.expected, 1e-5f);
    EXPECT_EQ(take_sent(h).lines, c.sent);
  }
}

TEST(MixKeys, TheMasterColumnKeepsTheLastTrackAndRowsStopAtTheirEnds) {
  auto h = in_view('t');
  h.press({kRight, kRight, kRight, kRight, kRight, kRight});
  EXPECT_EQ(h.app.column, 4);
  EXPECT_EQ(h.app.current_track, 3);
  h.press({kDown, kDown, kDown, kDown, kDown, kDown});
  EXPECT_EQ(h.app.mixer_row, 4);
  h.press({kLeft});
  EXPECT_EQ(h.app.column, 3);
  EXPECT_EQ(h.app.current_track, 3);
  EXPECT_EQ(h.app.mixer_row, 0);
  h.press({kUp, kLeft, kLeft, kLeft, kLeft});
  EXPECT_EQ(h.app.column, 0);
  EXPECT_EQ(h.app.current_track, 0);
  EXPECT_TRUE(h.drain_sent().empty());
}

TEST(MixKeys, TheWholeMixerGoesOutTrackByTrackWithEachMuteAsStored) {
  auto h = Harness::make();
  std::array<sequencer::types::TrackMixerState, kTrackCount> mixer{};
  for (std::uint8_t t = 0; t < kTrackCount; ++t) {
    mixer[t] = {.volume = 0.5f + 0.1f * t, .pan = -0.5f, .chorus_send = 0.1f * t,
                .delay_send = 0.2f, .reverb_send = 0.3f};
  }
  mixer[2].muted = true;
  h.app.meters[1] = {0.7f, 0.6f};
  h.app.apply_mixer_state(mixer);
  EXPECT_EQ(h.app.mixer, mixer);
  EXPECT_EQ(h.app.meters[1].left, 0.7f);  // meters are the audio thread's, not the file's
  std::vector<std::string> expected;
  for (int t = 0; t < 4; ++t) {
    expected.push_back(fmt::format("synth {} 47 {:.3f}", t, 0.5f + 0.1f * t));
    expected.push_back(fmt::format("synth {} 46 -0.500", t));
    expected.push_back(fmt::format("mute {} {}", t, t == 2 ? 1 : 0));
    expected.push_back(fmt::format("send 0 {:.3f}", 0.1f * t));
    expected.push_back("send 1 0.200");
    expected.push_back("send 2 0.300");
  }
  EXPECT_EQ(take_sent(h).lines, expected);
}

}  // namespace
}  // namespace quorvelan::ui::app
