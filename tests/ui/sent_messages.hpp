#pragma once
// What the interface sent to the audio thread, written out as short text so that tests compare
// whole sequences of messages at once: "fx 1 2 0.950", "synth 0 46 -0.100", "send 0 0.500",
// "master 4.000", "mute 1 1", "lfos", "on 0 72 100" (track, note, velocity), "off 0 72",
// "sustain 0 1", "bpm 119.000", "pattern". LFO boxes are taken, not just freed, so a test can
// read them.

#include <fmt/format.h>

#include <memory>
#include <string>
#include <vector>

#include "audio/messages.hpp"
#include "ui/harness.hpp"

namespace quorvelan::ui::app {

struct SentMessages {
  std::vector<std::string> lines;
  std::vector<lfo::LfoConfigs> lfo_boxes;  // the configurations of each "lfos", in order
};

inline SentMessages take_sent(Harness& h) {
  namespace m = audio::messages;
  SentMessages out;
  while (auto message = h.sent.pop()) {
    out.lines.push_back(message->visit([&](auto& held) -> std::string {
      using Held = std::decay_t<decltype(held)>;
      if constexpr (std::is_same_v<Held, m::AudioMessage::SetEffectParam>) {
        return fmt::format("fx {} {} {:.3f}", held.effect, held.param, held.value);
      } else if constexpr (std::is_same_v<Held, m::AudioMessage::SetSynthParam>) {
        return fmt::format("synth {} {} {:.3f}", held.track, held.param_id, held.value);
      } else if constexpr (std::is_same_v<Held, m::AudioMessage::SetSendLevel>) {
        return fmt::format("send {} {:.3f}", held.send, held.level);
      } else if constexpr (std::is_same_v<Held, m::AudioMessage::SetMasterVolume>) {
        return fmt::format("master {:.3f}", held.volume);
      } else if constexpr (std::is_same_v<Held, m::AudioMessage::SetMute>) {
        return fmt::format("mute {} {}", held.track, held.muted ? 1 : 0);
      } else if constexpr (std::is_same_v<Held, m::AudioMessage::NoteOn>) {
        return fmt::format("on {} {} {}", held.track, held.note, held.velocity);
      } else if constexpr (std::is_same_v<Held, m::AudioMessage::NoteOff>) {
        return fmt::format("off {} {}", held.track, held.note);
      } else if constexpr (std::is_same_v<Held, m::AudioMessage::SetSustain>) {
        return fmt::format("sustain {} {}", held.track, held.on ? 1 : 0);
      } else if constexpr (std::is_same_v<Held, m::AudioMessage::SetBpm>) {
        return fmt::format("bpm {:.3f}", held.bpm);
      } else if constexpr (std::is_same_v<Held, m::AudioMessage::SetPattern>) {
        m::free_box(*message);
        return "pattern";
      } else if constexpr (std::is_same_v<Held, m::AudioMessage::SetLfoConfigs>) {
        out.lfo_boxes.push_back(*held.configs.take());
        return "lfos";
      } else {
        m::free_box(*message);
        return "other";
      }
    }));
  }
  return out;
}

}  // namespace quorvelan::ui::app
