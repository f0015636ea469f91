#include <gtest/gtest.h>

#include <string>

#include "json/codec.hpp"
#include "json/reread.hpp"
#include "lfo_json.hpp"
#include "sequencer/pattern_json.hpp"
#include "sequencer/types_json.hpp"

namespace quorvelan::json {
namespace {

using namespace sequencer::pattern;
using lfo::LfoConfig;
using lfo::ModTarget;

const std::string kDefaultStep =
    "{\n  \"flags\": 0,\n  \"note\": null,\n  \"velocity\": 100,\n  \"gate_ticks\": 0,\n"
    "  \"micro_timing\": 0,\n  \"trig_condition\": \"Always\",\n  \"retrig\": null\n}";

// A track whose lists are empty, so its text stays short.
constexpr std::string_view kBareTrack =
    R"({"steps": [], "length": 16, "clock_division": "Sixteenth", "default_gate_ticks": 12,
        "default_velocity": 100, "baseline_params": [],
        "arp": {"mode": "Off", "division": "Sixteenth", "gate_percent": 50, "octave_range": 1,
                "length": 16, "offsets": [0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0], "latch": false})";

std::string bare_track(std::string_view extra) {
  return std::string(kBareTrack) + std::string(extra) + "}";
}

TEST(PatternJson, DefaultPatternWritesEveryKeyInOrderAndReadsBack) {
  auto text = to_text(Pattern::default_pattern());
  ASSERT_TRUE(text);
  EXPECT_EQ(text->front(), '{');
  EXPECT_EQ(text->back(), '}');
  EXPECT_EQ(text->substr(0, 28), "{\n  \"tracks\": [\n    {\n      ");
  EXPECT_TRUE(text->ends_with(
      "  \"plocks\": [],\n  \"bpm\": 120.0,\n  \"swing_percent\": 50.0,\n  \"name\": \"Init\",\n"
      "  \"effects\": null\n}"));
  // Every step of every track writes its absent note and retrig settings as null.
  std::size_t steps = 0;
  for (auto at = text->find("\"note\": null"); at != std::string::npos;
       at = text->find("\"note\": null", at + 1)) {
    ++steps;
  }
  EXPECT_EQ(steps, 4 * kStepCount);
  EXPECT_EQ(from_text<Pattern>(*text), Pattern::default_pattern());
  EXPECT_EQ(to_text(Step{}), kDefaultStep);
}

TEST(PatternJson, StepsReadEveryFormOfTheirFields) {
  struct Case {
    std::string input;
    std::string expected;
  };
  const Case cases[] = {
      {R"({"flags":1,"note":60,"velocity":90,"gate_ticks":24,"micro_timing":-3,
          "trig_condition":{"Probability":75},"retrig":{"rate":2,"length_steps":0.5,"velocity_curve":-1}})",
       "{\n  \"flags\": 1,\n  \"note\": 60,\n  \"velocity\": 90,\n  \"gate_ticks\": 24,\n  "
       "\"micro_timing\": -3,\n"
       "  \"trig_condition\": {\n    \"Probability\": 75\n  },\n  \"retrig\": {\n    \"rate\": 2,\n"
       "    \"length_steps\": 0.5,\n    \"velocity_curve\": -1\n  }\n}"},
      // absent or null optional values are none
      {R"({"flags":0,"velocity":100,"gate_ticks":0,"micro_timing":0,"trig_condition":"Always"})",
       kDefaultStep},
      {R"({"flags":0,"note":null,"velocity":100,"gate_ticks":0,"micro_timing":0,"trig_condition":{"Always":null},"retrig":null})",
       kDefaultStep},
      // the array form must hold the optional values too
      {R"([0, null, 100, 0, 0, "Always", null])", kDefaultStep},
      {R"([0, null, 100, 0, 0, "Always"])",
       "invalid length 6, expected struct Step with 7 elements at line 1 column 30"},
      {R"({"flags":0,"velocity":100,"gate_ticks":0,"micro_timing":0,"trig_condition":{"ModCount":{"a":1,"b":4}}})",
       "{\n  \"flags\": 0,\n  \"note\": null,\n  \"velocity\": 100,\n  \"gate_ticks\": 0,\n  "
       "\"micro_timing\": 0,\n"
       "  \"trig_condition\": {\n    \"ModCount\": {\n      \"a\": 1,\n      \"b\": 4\n    }\n  "
       "},\n  \"retrig\": null\n}"},
      {R"({"flags":0,"velocity":100,"gate_ticks":0,"micro_timing":0,"trig_condition":{"ModCount":[1]}})",
       "invalid length 1, expected struct variant TrigCondition::ModCount with 2 elements at line "
       "1 column 90"},
      {R"({"flags":0,"velocity":100,"gate_ticks":0,"micro_timing":0,"trig_condition":"always"})",
       "unknown variant `always`, expected one of `Always`, `Probability`, `Fill`, `NotFill`, "
       "`Pre`, `NotPre`, "
       "`Nei`, `NotNei`, `First`, `NotFirst`, `ModCount` at line 1 column 83"},
      {R"({"flags":0,"velocity":300})",
       "invalid value: integer `300`, expected u8 at line 1 column 25"},
      {R"({"flags":0,"velocity":100.0})",
       "invalid type: floating point `100.0`, expected u8 at line 1 column 27"},
      {R"({"velocity":1,"gate_ticks":0,"trig_condition":"Fill","micro_timing":0,"flags":2})",
       "{\n  \"flags\": 2,\n  \"note\": null,\n  \"velocity\": 1,\n  \"gate_ticks\": 0,\n"
       "  \"micro_timing\": 0,\n  \"trig_condition\": \"Fill\",\n  \"retrig\": null\n}"},
  };
  for (const Case& c : cases) EXPECT_EQ(reread<Step>(c.input), c.expected) << c.input;
}

TEST(PatternJson, TracksDefaultTheirScaleAndDemandTheirArpeggiator) {
  auto track = from_text<Track>(bare_track(""));
  ASSERT_TRUE(track) << track.error().message();
  EXPECT_EQ(track->scale, ScaleType::Off);
  EXPECT_EQ(track->scale_root, 0);

  auto scaled = from_text<Track>(bare_track(R"(, "scale": "Blues", "scale_root": 11)"));
  ASSERT_TRUE(scaled);
  EXPECT_EQ(scaled->scale, ScaleType::Blues);
  EXPECT_EQ(scaled->scale_root, 11);

  std::string without_arp(kBareTrack.substr(0, kBareTrack.find(",\n        \"arp\"")));
  EXPECT_EQ(from_text<Track>(without_arp + "}").error().message(),
            "missing field `arp` at line 2 column 55");
  EXPECT_EQ(from_text<Track>(bare_track(R"(, "clock_division": "Eighth")")).error().message(),
            "duplicate field `clock_division` at line 4 column 109");
}

TEST(PatternJson, PatternsCheckTheirFourTracksAndTakeOptionalEffects) {
  std::string track = bare_track("");
  auto with_tracks = [&](int count, std::string_view rest) {
    std::string text = "{\"tracks\": [";
    for (int i = 0; i < count; ++i) text += (i ? "," : "") + track;
    return text + "]" + std::string(rest) + "}";
  };
  std::string rest =
      R"(, "plocks": [{"track": 1, "step": 2, "param_id": 38, "value": 0.25}], "bpm": 120,
                         "swing_percent": 55, "name": "Verse", "unknown": {"deep": [1, 2]})";
  auto pattern = from_text<Pattern>(with_tracks(4, rest));
  ASSERT_TRUE(pattern) << pattern.error().message();
  EXPECT_EQ(pattern->bpm, 120.0);
  EXPECT_EQ(pattern->plocks, (std::vector<PLock>{{1, 2, 38, 0.25f}}));
  EXPECT_EQ(pattern->name, "Verse");
  EXPECT_FALSE(pattern->effects);

  EXPECT_TRUE(from_text<Pattern>(with_tracks(3, rest))
                  .error()
                  .message()
                  .starts_with("invalid length 3, expected an array of length 4 at line"));
  EXPECT_TRUE(from_text<Pattern>(with_tracks(5, rest))
                  .error()
                  .message()
                  .starts_with("trailing characters at line"));
  EXPECT_TRUE(from_text<Pattern>(with_tracks(4, rest + R"(, "bpm": 90)"))
                  .error()
                  .message()
                  .starts_with("duplicate field `bpm` at line"));

  // The array form may leave off the effects.
  auto as_array = from_text<Pattern>("[[" + track + "," + track + "," + track + "," + track +
                                     R"(], [], 99.5, 50, "A"])");
  ASSERT_TRUE(as_array) << as_array.error().message();
  EXPECT_EQ(as_array->bpm, 99.5);
  EXPECT_FALSE(as_array->effects);

  Pattern effected = Pattern::default_pattern();
  effected.effects = sequencer::types::starting_effects_params();
  EXPECT_EQ(from_text<Pattern>(to_text(effected).value()), effected);
}

TEST(PatternJson, NonFiniteValuesAreRefusedNotWrittenAsNull) {
  Pattern pattern = Pattern::default_pattern();
  pattern.tracks[2].baseline_params[5] = -std::numeric_limits<float>::infinity();
  EXPECT_EQ(to_text(pattern).error().message(),
            "cannot store the non-finite number -inf in `tracks[2].baseline_params[5]`");
  // A null where a number belongs does not read.
  EXPECT_EQ(from_text<PLock>(R"({"track":0,"step":0,"param_id":0,"value":null})").error().message(),
            "invalid type: null, expected f32 at line 1 column 45");
}

TEST(PatternJson, LoadedPatternsAreBroughtIntoPlayableRanges) {
  Pattern pattern = Pattern::default_pattern();
  pattern.tracks[0].steps.resize(10);
  pattern.tracks[0].length = 0;
  pattern.tracks[1].length = 200;
  pattern.tracks[2].arp.length = 0;
  pattern.tracks[3].arp.length = 17;
  pattern.tracks[3].steps[5].trig_condition = TrigCondition::ModCount{3, 0};
  pattern.tracks[3].steps[6].trig_condition = TrigCondition::ModCount{3, 4};
  pattern.bpm = 5.0;

  sequencer::pattern_json::normalize_loaded(pattern);
  EXPECT_EQ(pattern.tracks[0].steps.size(), kStepCount);
  EXPECT_EQ(pattern.tracks[0].steps[63], Step{});
  EXPECT_EQ(pattern.tracks[0].length, 1);
  EXPECT_EQ(pattern.tracks[1].length, 64);
  EXPECT_EQ(pattern.tracks[2].arp.length, 1);
  EXPECT_EQ(pattern.tracks[3].arp.length, 16);
  EXPECT_EQ(pattern.tracks[3].steps[5].trig_condition,
            TrigCondition(TrigCondition::ModCount{3, 1}));
  EXPECT_EQ(pattern.tracks[3].steps[6].trig_condition,
            TrigCondition(TrigCondition::ModCount{3, 4}));
  EXPECT_EQ(pattern.bpm, 20.0);
  pattern.bpm = 1000.0;
  sequencer::pattern_json::normalize_loaded(pattern);
  EXPECT_EQ(pattern.bpm, 300.0);
}

TEST(PatternJson, InRangeFilesSurviveReadingAndNormalisingByteForByte) {
  Pattern pattern = Pattern::default_pattern();
  pattern.name = "Groove \"B\"";
  pattern.bpm = 133.3;
  pattern.swing_percent = 0.3f;
  pattern.plocks = {{0, 3, 38, 0.1f}};
  Track& track = pattern.tracks[1];
  track.length = 64;
  track.steps[0] = {kStepOn | kStepAccent,      61, 127, 384, -23, TrigCondition::ModCount{1, 4},
                    RetrigSettings{3, 1.5f, -2}};
  track.arp = {ArpMode::Chord, ClockDivision::Triplet16, 100, 4, 1, {}, true};
  track.arp.offsets[15] = -12;
  track.scale = ScaleType::Dorian;
  track.scale_root = 11;
  track.baseline_params[127] = 0.7f;
  pattern.effects = sequencer::types::starting_effects_params();

  std::string text = to_text(pattern).value();
  auto read = from_text<Pattern>(text);
  ASSERT_TRUE(read);
  sequencer::pattern_json::normalize_loaded(*read);
  EXPECT_EQ(to_text(*read).value(), text);
}

TEST(LfoJson, ConfigsDefaultTheirTrigModeAndFadeAndWriteTargetsByName) {
  auto config = from_text<LfoConfig>(
      R"({"enabled": true, "shape": "SawUp", "rate": 2, "depth": -0.5, "target": {"SynthParam": {"track": 1, "param_id": 38}},
          "base_value": 0.25, "sync": true, "sync_division": 0.25, "phase_offset": 0.5})");
  ASSERT_TRUE(config) << config.error().message();
  EXPECT_EQ(config->trig_mode, lfo::LfoTrigMode::Free);
  EXPECT_EQ(config->fade, 0.0f);
  EXPECT_EQ(config->target, ModTarget(ModTarget::SynthParam{1, 38}));

  struct Case {
    std::string input;
    std::string expected;
  };
  const Case targets[] = {
      {R"("None")", R"("None")"},
      {R"({"EffectParam": [1, 3]})",
       "{\n  \"EffectParam\": {\n    \"effect\": 1,\n    \"param\": 3\n  }\n}"},
      {R"({"SendLevel": {"send": 2}})", "{\n  \"SendLevel\": {\n    \"send\": 2\n  }\n}"},
      {R"({"SendLevel": []})",
       "invalid length 0, expected struct variant ModTarget::SendLevel with 1 element at line 1 "
       "column 16"},
      {R"({"LfoParam": {"lfo": 3}})", "missing field `param` at line 1 column 23"},
      {R"({"LfoParam": {"lfo": 3, "param": 1}})",
       "{\n  \"LfoParam\": {\n    \"lfo\": 3,\n    \"param\": 1\n  }\n}"},
      {R"("SynthParam")",
       "invalid type: unit variant, expected struct variant at line 1 column 12"},
  };
  for (const Case& c : targets) EXPECT_EQ(reread<ModTarget>(c.input), c.expected) << c.input;
}

TEST(LfoJson, LoadedTargetsThatNameNoParameterBecomeNone) {
  const ModTarget kept[] = {ModTarget::None{},
                            ModTarget::SynthParam{3, 54},
                            ModTarget::EffectParam{1, 3},
                            ModTarget::EffectParam{5, 1},
                            ModTarget::SendLevel{2},
                            ModTarget::LfoParam{3, 1}};
  for (const ModTarget& target : kept) {
    LfoConfig config;
    config.target = target;
    lfo_json::normalize_loaded(config);
    EXPECT_EQ(config.target, target);
  }
  const ModTarget dropped[] = {ModTarget::SynthParam{4, 0},  ModTarget::SynthParam{0, 55},
                               ModTarget::EffectParam{0, 3}, ModTarget::EffectParam{6, 0},
                               ModTarget::SendLevel{3},      ModTarget::LfoParam{4, 0},
                               ModTarget::LfoParam{0, 2}};
  for (const ModTarget& target : dropped) {
    LfoConfig config;
    config.target = target;
    lfo_json::normalize_loaded(config);
    EXPECT_EQ(config.target, ModTarget(ModTarget::None{}));
  }
  LfoConfig stopped;
  stopped.sync_division = 0.0f;
  lfo_json::normalize_loaded(stopped);
  EXPECT_GT(stopped.sync_division, 0.0f);
}

}  // namespace
}  // namespace quorvelan::json
