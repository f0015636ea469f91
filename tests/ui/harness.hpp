#pragma once
// An App without terminal or devices, with the far ends of both rings kept for the test: what the
// interface sends to the audio thread is read back, and reports can be fed in.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audio/engine_fake_host.hpp"
#include "audio/messages.hpp"
#include "term/keys.hpp"
#include "term/test_backend.hpp"
#include "ui/app.hpp"

namespace quorvelan::ui::app {

struct Harness {
  audio::messages::AudioConsumer sent;
  audio::messages::FeedbackProducer reports;
  App app;

  // Started as the program starts it, with an engine when one is given.
  static Harness make(std::vector<std::string> projects = {},
                      std::optional<audio::engine::AudioEngine> engine = {}) {
    auto [audio_tx, audio_rx] = audio::messages::make_audio_ring();
    auto [feedback_tx, feedback_rx] = audio::messages::make_feedback_ring();
    AppParts parts{.audio_tx = std::move(audio_tx),
                   .feedback_rx = std::move(feedback_rx),
                   .audio_engine = std::move(engine)};
    parts.project_list = std::move(projects);
    parts.read_output_devices = [] { return std::vector<std::string>{"default", "system"}; };
    parts.read_midi_ports = [] { return std::vector<std::string>{}; };
    return Harness{std::move(audio_rx), std::move(feedback_tx), App(std::move(parts))};
  }

  // Everything sent to the audio thread so far, boxes freed.
  std::vector<audio::messages::AudioMessage> drain_sent() {
    std::vector<audio::messages::AudioMessage> out;
    while (auto message = sent.pop()) {
      out.push_back(*message);
      audio::messages::free_box(*message);
    }
    return out;
  }

  // Presses the keys one after the other, as the main loop hands them over.
  void press(std::initializer_list<term::KeyEvent> keys) {
    for (const auto& key : keys) app.handle_key(key);
  }

  // One frame of the given size, drawn as the main loop draws it.
  term::TestBackend draw(std::uint16_t width, std::uint16_t height) const {
    term::TestBackend backend(width, height);
    backend.draw([this](term::Buffer& buffer) { app.render_app(buffer); });
    return backend;
  }
};

// An engine on a scripted host, with its own rings whose far ends the test does not need.
inline audio::engine::AudioEngine engine_on(test_support::FakeHost& host) {
  auto [tx, rx] = audio::messages::make_audio_ring();
  auto [feedback_tx, feedback_rx] = audio::messages::make_feedback_ring();
  auto engine =
      audio::engine::AudioEngine::create(host, std::nullopt, std::move(rx), std::move(feedback_tx));
  EXPECT_TRUE(engine.has_value());
  return std::move(*engine);
}

inline term::KeyEvent key(term::KeyCode code, term::KeyModifier modifiers = term::KeyModifier::None) {
  return term::KeyEvent{.code = code, .modifiers = modifiers};
}
inline term::KeyEvent ch(char32_t c, term::KeyModifier modifiers = term::KeyModifier::None) {
  return term::KeyEvent{.code = term::KeyCode::Char, .character = c, .modifiers = modifiers};
}
inline term::KeyEvent ctrl(char32_t c) { return ch(c, term::KeyModifier::Ctrl); }
inline term::KeyEvent function_key(std::uint8_t number) {
  return term::KeyEvent{.code = term::KeyCode::F, .function = number};
}

}  // namespace quorvelan::ui::app
