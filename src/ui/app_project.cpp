// Whole projects between the App, the project files and the audio thread, and the senders that
// give the audio thread everything it keeps after a load.

#include "log.hpp"
#include "preset.hpp"
#include "synth/params.hpp"
#include "ui/app.hpp"
#include "ui/effect_fields.hpp"

namespace quorvelan::ui::app {
namespace {

namespace messages = audio::messages;
namespace ids = synth::params;

using effect_fields::kEffectFields;

constexpr std::uint8_t kDelayPingPong = 4;  // a switch of the delay, sent as 0 or 1

}  // namespace

sequencer::project::Project App::build_project() const {
  sequencer::project::Project project;
  project.name = project_name.value_or("Untitled");
  project.bpm = bpm;
  for (const auto& pattern : patterns) project.patterns.push_back(*pattern);
  project.current_pattern = current_pattern;
  project.synth_params = synth_params;
  project.effects = effects;
  project.mixer = mixer;
  project.lfos = lfo_configs;
  project.midi_in_channels = midi_channels;
  return project;
}

Result<void> App::save_project_as(std::string_view name) const {
  auto path = preset::item_path(preset::projects_dir(), name);
  if (!path) return std::unexpected(path.error());
  return build_project().save(*path);
}

void App::load_project_by_name(const std::string& name) {
  auto path = preset::item_path(preset::projects_dir(), name);
  auto loaded = path ? sequencer::project::Project::load(*path)
                     : Result<sequencer::project::Project>(std::unexpected(path.error()));
  if (!loaded) {
    set_status("Load error: " + loaded.error().message());
    log::target(kLogTarget)->error("Project load error: {}", loaded.error().message());
    return;
  }
  auto& project = *loaded;

  patterns.clear();
  for (auto& pattern : project.patterns) patterns.push_back(std::make_shared<Pattern>(std::move(pattern)));
  if (patterns.empty()) patterns.push_back(std::make_shared<Pattern>(Pattern::default_pattern()));
  current_pattern = project.current_pattern;
  ensure_pattern_slot(current_pattern);

  bpm = project.bpm;
  // A file without a section keeps what is shown, and the engine must play that too.
  if (project.synth_params) synth_params = *project.synth_params;
  if (project.effects) effects = *project.effects;
  if (project.mixer) mixer = *project.mixer;
  if (project.lfos) lfo_configs = *project.lfos;
  if (project.midi_in_channels) midi_channels = *project.midi_in_channels;
  send_sound_state();

  clamp_step_cursor();
  project_name = name;
  last_autosave = Clock::now();
  view = View::Seq;
  set_status("Loaded: " + name);
}

void App::ensure_pattern_slot(std::uint8_t index) {
  while (patterns.size() <= index) {
    patterns.push_back(std::make_shared<Pattern>(Pattern::default_pattern()));
  }
}

void App::next_pattern() {
  if (current_pattern >= sequencer::project::kMaxPatterns - 1) return;
  change_pattern(current_pattern + 1);
}

void App::previous_pattern() {
  if (current_pattern == 0) return;
  change_pattern(current_pattern - 1);
}

void App::change_pattern(std::uint8_t slot) {
  const bool existed = slot < patterns.size();
  current_pattern = slot;
  ensure_pattern_slot(slot);
  current_step = 0;
  if (existed) {
    bpm = current_pattern_ref().bpm;
    audio_tx.push(messages::set_bpm(bpm));
  } else {
    // A new slot carries on at the tempo that is playing.
    mutable_current_pattern().bpm = bpm;
  }
  dirty = true;
}

void App::apply_synth_params_for_track(std::uint8_t track) {
  for (const auto& [id, value] : ids::patch_parameters(synth_params[track])) {
    audio_tx.push(messages::set_synth_param(track, id, value));
  }
}

void App::apply_synth_params_for_all_tracks() {
  for (std::uint8_t track = 0; track < kTrackCount; ++track) apply_synth_params_for_track(track);
}

void App::apply_effects_params() {
  for (const auto& entry : kEffectFields) {
    // The ping-pong switch has no float field; it goes between the overdrive and the feeds.
    if (entry.effect == 4 && entry.param == 0) {
      audio_tx.push(
          messages::set_effect_param(1, kDelayPingPong, effects.delay_ping_pong ? 1.0f : 0.0f));
    }
    audio_tx.push(messages::set_effect_param(entry.effect, entry.param, effects.*entry.field));
  }
}

void App::apply_mixer_state(
    const std::array<sequencer::types::TrackMixerState, kTrackCount>& new_mixer) {
  for (std::uint8_t track = 0; track < kTrackCount; ++track) {
    const auto& strip = mixer[track] = new_mixer[track];
    audio_tx.push(messages::set_synth_param(track, ids::kVolume, strip.volume));
    audio_tx.push(messages::set_synth_param(track, ids::kPan, strip.pan));
    audio_tx.push(messages::set_mute(track, strip.muted));
    audio_tx.push(messages::set_send_level(0, strip.chorus_send));
    audio_tx.push(messages::set_send_level(1, strip.delay_send));
    audio_tx.push(messages::set_send_level(2, strip.reverb_send));
  }
}

void App::send_sound_state() {
  audio_tx.push(messages::set_bpm(bpm));
  dirty = true;
  apply_synth_params_for_all_tracks();
  apply_effects_params();
  apply_mixer_state(mixer);
  send_lfo_update();
  audio_tx.push(messages::set_master_volume(master_volume));
}

void App::send_lfo_update() {
  auto configs = std::make_unique<lfo::LfoConfigs>(lfo_configs);
  for (auto& config : *configs) config.base_value = get_param_value(config.target);
  audio_tx.push(std::move(configs));
}

float App::get_param_value(const lfo::ModTarget& target) const {
  return std::visit(
      [this](const auto& t) -> float {
        using Target = std::decay_t<decltype(t)>;
        if constexpr (std::is_same_v<Target, lfo::ModTarget::SynthParam>) {
          if (t.track >= kTrackCount) return 0.0f;
          // Pan and volume belong to the mixer strip; every other id names a patch field.
          if (t.param_id == ids::kPan) return mixer[t.track].pan;
          if (t.param_id == ids::kVolume) return mixer[t.track].volume;
          for (const auto& [id, value] : ids::patch_parameters(synth_params[t.track])) {
            if (id == t.param_id) return value;
          }
          return 0.0f;
        } else if constexpr (std::is_same_v<Target, lfo::ModTarget::EffectParam>) {
          const float* field = effect_fields::find(effects, t.effect, t.param);
          return field ? *field : 0.0f;
        } else if constexpr (std::is_same_v<Target, lfo::ModTarget::SendLevel>) {
          const auto& strip = mixer[current_track % kTrackCount];
          switch (t.send) {
            case 0: return strip.chorus_send;
            case 1: return strip.delay_send;
            case 2: return strip.reverb_send;
            default: return 0.0f;
          }
        } else if constexpr (std::is_same_v<Target, lfo::ModTarget::LfoParam>) {
          if (t.lfo >= lfo::kLfoCount) return 0.0f;
          if (t.param == 0) return lfo_configs[t.lfo].rate;
          if (t.param == 1) return lfo_configs[t.lfo].depth;
          return 0.0f;
        } else {
          return 0.0f;
        }
      },
      target.value());
}

}  // namespace quorvelan::ui::app
