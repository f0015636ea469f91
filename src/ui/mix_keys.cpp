// The MIX view's keys: each track's volume, pan and sends, and the master section in a fifth
// column. The engine keeps one level per send bus, so the send level edited last, from whichever
// track, is the one heard.

#include <algorithm>
#include <array>

#include "synth/params.hpp"
#include "ui/app.hpp"
#include "ui/edit_keys.hpp"
#include "ui/effect_fields.hpp"

namespace quorvelan::ui::app {
namespace {

namespace messages = audio::messages;
using edit_keys::StepRange;
using sequencer::types::TrackMixerState;
using term::KeyCode;

constexpr std::uint8_t kLastRow = 4;

// Track rows: volume, pan, then the chorus, delay and reverb sends (send bus = row - 2).
struct TrackRow {
  float TrackMixerState::*field;
  StepRange range;
};
constexpr std::array<TrackRow, 5> kTrackRows{{
    {&TrackMixerState::volume, {0.05f, 0.0f, 1.0f}},
    {&TrackMixerState::pan, {0.1f, -1.0f, 1.0f}},
    {&TrackMixerState::chorus_send, {0.05f, 0.0f, 1.0f}},
    {&TrackMixerState::delay_send, {0.05f, 0.0f, 1.0f}},
    {&TrackMixerState::reverb_send, {0.05f, 0.0f, 1.0f}},
}};
constexpr std::uint8_t kFirstSendRow = 2;

// Master rows after the volume: overdrive drive and tone, DJ filter cutoff and resonance, by
// their effect address.
struct MasterRow {
  std::uint8_t effect;
  std::uint8_t param;
};
constexpr std::array<MasterRow, 4> kMasterEffectRows{{{3, 0}, {3, 1}, {5, 0}, {5, 1}}};
constexpr StepRange kMasterVolumeRange{0.05f, 0.0f, kMaxMasterVolume};
constexpr StepRange kMasterEffectRange{0.02f, 0.0f, 1.0f};

}  // namespace

void App::handle_mix_key(const term::KeyEvent& key) {
  if (!editing) {
    switch (edit_keys::move_cursor(key, column, kMasterColumn, mixer_row, kLastRow)) {
      case edit_keys::Move::Column:
        // The master column keeps the last track selected.
        current_track = std::min<std::uint8_t>(column, kTrackCount - 1);
        break;
      case edit_keys::Move::Row: break;
      case edit_keys::Move::None: editing = key.code == KeyCode::Enter; break;
    }
    return;
  }
  if (edit_keys::ends_editing(key)) {
    editing = false;
    return;
  }
  const auto delta = edit_keys::delta(key);
  if (!delta) return;
  if (column >= kMasterColumn) {
    adjust_master_param(*delta);
  } else {
    adjust_mixer_param(current_track, *delta);
  }
}

void App::adjust_mixer_param(std::uint8_t track, float delta) {
  if (track >= kTrackCount || mixer_row > kLastRow) return;
  const auto& row = kTrackRows[mixer_row];
  float& value = mixer[track].*row.field;
  value = edit_keys::stepped(value, delta, row.range);
  if (mixer_row == 0) {
    audio_tx.push(messages::set_synth_param(track, synth::params::kVolume, value));
  } else if (mixer_row == 1) {
    audio_tx.push(messages::set_synth_param(track, synth::params::kPan, value));
  } else {
    audio_tx.push(messages::set_send_level(mixer_row - kFirstSendRow, value));
  }
}

void App::adjust_master_param(float delta) {
  if (mixer_row == 0) {
    master_volume = edit_keys::stepped(master_volume, delta, kMasterVolumeRange);
    audio_tx.push(messages::set_master_volume(master_volume));
    return;
  }
  if (mixer_row > kLastRow) return;
  const auto [effect, param] = kMasterEffectRows[mixer_row - 1];
  float* value = effect_fields::find(effects, effect, param);
  *value = edit_keys::stepped(*value, delta, kMasterEffectRange);
  audio_tx.push(messages::set_effect_param(effect, param, *value));
}

}  // namespace quorvelan::ui::app
