// The FX view's keys: moving between the effects' rows and stepping each setting within its limits.

#include <gtest/gtest.h>

#include <functional>

#include "ui/harness.hpp"
#include "ui/sent_messages.hpp"
#include "ui/view_keys.hpp"

namespace quorvelan::ui::app {
namespace {

using Effects = sequencer::types::EffectsParams;

struct FxCase {
  const char* what;
  float Effects::*field;
  float start;
  std::vector<term::KeyEvent> keys;
  float expected;
  std::vector<std::string> sent;
};

TEST(FxKeys, EachSettingStepsByItsAmountAndStopsAtItsLimits) {
  const std::vector<FxCase> cases{
      {"delay feedback stops short of 1", &Effects::delay_feedback, 0.9f,
       {kRight, kDown, kDown, kEnter, kUp}, 0.95f, {"fx 1 2 0.950"}},
      {"pre-delay stops at 0.1", &Effects::reverb_predelay, 0.09f,
       {kRight, kRight, kDown, kDown, kDown, kEnter, ch('}')}, 0.1f, {"fx 2 3 0.100"}},
      {"chorus rate stops at 0.1", &Effects::chorus_rate, 0.3f, {kEnter, kDown}, 0.1f,
       {"fx 0 0 0.100"}},
      {"chorus rate stops at 5", &Effects::chorus_rate, 4.8f, {kEnter, ch('}')}, 5.0f,
       {"fx 0 0 5.000"}},
      {"delay time stops at 0.01", &Effects::delay_time_l, 0.05f, {kRight, kEnter, kDown}, 0.01f,
       {"fx 1 0 0.010"}},
      {"delay time stops at 1", &Effects::delay_time_r, 0.98f, {kRight, kDown, kEnter, kUp, kUp},
       1.0f, {"fx 1 1 1.000", "fx 1 1 1.000"}},
      {"[ is a quarter step", &Effects::chorus_depth, 0.5f, {kDown, kEnter, ch('[')}, 0.495f,
       {"fx 0 1 0.495"}},
      {"down stops at the chorus's last row", &Effects::chorus_mix, 0.5f,
       {kDown, kDown, kDown, kDown, kEnter, kRight}, 0.52f, {"fx 0 2 0.520"}},
      {"down stops at the delay's last row", &Effects::delay_mix, 0.5f,
       {kRight, kDown, kDown, kDown, kDown, kDown, kEnter, kLeft}, 0.48f, {"fx 1 3 0.480"}},
      {"a column change goes back to the first row", &Effects::reverb_decay, 0.5f,
       {kDown, kDown, kRight, kRight, kEnter, ch(']')}, 0.505f, {"fx 2 0 0.505"}},
      {"Esc ends editing and the arrows move again", &Effects::chorus_rate, 1.0f,
       {kRight, kEnter, kEsc, kLeft, kEnter, kRight, kEnter, kRight}, 1.1f, {"fx 0 0 1.100"}},
      {"other keys change nothing", &Effects::chorus_rate, 1.0f, {kEnter, ch('x'), ch('z')}, 1.0f,
       {}},
      {"coming back selects the chorus again", &Effects::chorus_rate, 1.0f,
       {kRight, ch('q'), ch('e'), kEnter, kRight}, 1.1f, {"fx 0 0 1.100"}},
      {"coming back from the delay's last row lands on the chorus's", &Effects::chorus_mix, 0.5f,
       {kRight, kDown, kDown, kDown, ch('q'), ch('e'), kEnter, kRight}, 0.52f, {"fx 0 2 0.520"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto h = in_view('e');
    h.app.effects.*c.field = c.start;
    for (const auto& k : c.keys) h.app.handle_key(k);
    EXPECT_NEAR(h.app.effects.*c.field, c.expected, 1e-5f);
    EXPECT_EQ(take_sent(h).lines, c.sent);
  }
}

}  // namespace
}  // namespace quorvelan::ui::app
