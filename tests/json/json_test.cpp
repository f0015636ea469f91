#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "json/codec.hpp"
#include "json/number.hpp"
#include "json/record.hpp"
#include "json/reread.hpp"
#include "json/variant.hpp"
#include "sequencer/types_json.hpp"

namespace quorvelan::json {
namespace {

// An enum with every shape of variant, so the enum forms are tested apart from any record.
struct Sample {
  enum class Tag { Plain, Amount, Pair } tag = Tag::Plain;
  std::uint8_t amount = 0;
  struct PairFields {
    std::uint8_t a = 0;
    std::uint8_t b = 0;
  } pair;
};

constexpr auto kPairForm = record_form<Sample::PairFields>("struct variant Sample::Pair",
                                                           required<&Sample::PairFields::a>("a"),
                                                           required<&Sample::PairFields::b>("b"));

constexpr VariantForm<Sample, 3> kSampleForm{
    {Variant<Sample>{"Plain", Shape::Unit, +[](Reader&) { return Sample{}; }, nullptr},
     Variant<Sample>{"Amount", Shape::Value,
                     +[](Reader& r) {
                       return Sample{Sample::Tag::Amount, Codec<std::uint8_t>::read(r), {}};
                     },
                     +[](Writer& w, const Sample& s) { Codec<std::uint8_t>::write(w, s.amount); }},
     Variant<Sample>{"Pair", Shape::Fields,
                     +[](Reader& r) {
                       return Sample{Sample::Tag::Pair, 0, read_form(r, kPairForm)};
                     },
                     +[](Writer& w, const Sample& s) { write_form(w, kPairForm, s.pair); }}},
    +[](const Sample& s) { return static_cast<std::size_t>(s.tag); }};

enum class Colour : std::uint8_t { Red, Green, Blue };
constexpr auto kColourForm = unit_enum_form<Colour, 3>({"Red", "Green", "Blue"});
}  // namespace

QUORVELAN_JSON_DECLARE_CODEC(Sample)
QUORVELAN_JSON_DECLARE_CODEC(Colour)
QUORVELAN_JSON_DEFINE_CODEC(Sample, kSampleForm)
QUORVELAN_JSON_DEFINE_CODEC(Colour, kColourForm)

namespace {

using sequencer::types::TrackMixerState;
using sequencer::types::TrackSynthParams;

struct Case {
  std::string what;
  std::string (*reread)(std::string_view);
  std::string input;
  std::string expected;  // the text written back, or the error text
};

std::string nested_arrays(int depth) {
  return "{\"extra\": " + std::string(depth, '[') + std::string(depth, ']') +
         R"(, "volume": 1, "pan": 0, "muted": false, "chorus_send": 0, "delay_send": 0, "reverb_send": 0})";
}

const std::string kMixerText =
    "{\n  \"volume\": 0.8,\n  \"pan\": -0.25,\n  \"muted\": true,\n  \"chorus_send\": 0.0,\n"
    "  \"delay_send\": 0.1,\n  \"reverb_send\": 1.0\n}";

const std::vector<Case> kCases = {
    // floats: shortest digits, ".0" on integral values, exponents at the extremes
    {"f32 shortest", reread<float>, "0.3", "0.3"},
    {"f32 long digits", reread<float>, "0.30000001192092896", "0.3"},
    {"f32 from integer", reread<float>, "120", "120.0"},
    {"f32 small", reread<float>, "0.000001", "0.000001"},
    {"f32 smaller", reread<float>, "1e-7", "1e-7"},
    {"f32 large", reread<float>, "1000000000000", "1000000000000.0"},
    {"f32 larger", reread<float>, "1.5e13", "1.5e13"},
    {"f32 max", reread<float>, "3.4028235e38", "3.4028235e38"},
    {"f32 rounds to even", reread<float>, "16777217", "16777216.0"},
    {"f32 beyond range", reread<float>, "1e39",
     "invalid value: floating point `1e39`, expected f32 at line 1 column 4"},
    {"f32 underflow", reread<float>, "1e-50", "0.0"},
    {"f32 beyond f64 range, spelt with a negative exponent", reread<float>,
     "1" + std::string(400, '0') + "e-1", "number out of range at line 1 column 404"},
    {"f32 underflow spelt without an exponent", reread<float>, "0." + std::string(400, '0') + "1",
     "0.0"},
    {"f64 sum", reread<double>, "0.30000000000000004", "0.30000000000000004"},
    {"f64 negative zero", reread<double>, "-0", "-0.0"},
    {"f64 small", reread<double>, "0.0001", "0.0001"},
    {"f64 smaller", reread<double>, "0.00001", "0.00001"},
    {"f64 smallest plain", reread<double>, "0.000001", "1e-6"},
    {"f64 large", reread<double>, "1E15", "1000000000000000.0"},
    {"f64 larger", reread<double>, "12345e13", "1.2345e17"},
    {"f64 denormal", reread<double>, "5e-324", "5e-324"},
    {"f64 overflow", reread<double>, "1e400", "number out of range at line 1 column 5"},
    {"f64 overflow spelt with a negative exponent", reread<double>,
     "1" + std::string(400, '0') + "e-1", "number out of range at line 1 column 404"},
    {"f64 underflow", reread<double>, "-1e-400", "-0.0"},
    {"f64 underflow spelt without an exponent", reread<double>, "0." + std::string(400, '0') + "1",
     "0.0"},
    {"f64 underflow with a large positive exponent", reread<double>,
     "0." + std::string(500, '0') + "1e100", "0.0"},
    {"f64 from string", reread<double>, "\"1\"",
     "invalid type: string \"1\", expected f64 at line 1 column 3"},
    // integers: the type's range, no fraction, no exponent
    {"u8 top", reread<std::uint8_t>, "255", "255"},
    {"u8 above", reread<std::uint8_t>, "256",
     "invalid value: integer `256`, expected u8 at line 1 column 3"},
    {"u8 negative", reread<std::uint8_t>, "-1",
     "invalid value: integer `-1`, expected u8 at line 1 column 2"},
    {"u8 fraction", reread<std::uint8_t>, "100.0",
     "invalid type: floating point `100.0`, expected u8 at line 1 column 5"},
    {"u8 exponent", reread<std::uint8_t>, "1e2",
     "invalid type: floating point `100.0`, expected u8 at line 1 column 3"},
    {"u8 null", reread<std::uint8_t>, "null", "invalid type: null, expected u8 at line 1 column 4"},
    {"u8 huge", reread<std::uint8_t>, "99999999999999999999",
     "invalid value: integer `99999999999999999999`, expected u8 at line 1 column 20"},
    {"i8 bottom", reread<std::int8_t>, "-128", "-128"},
    {"i8 above", reread<std::int8_t>, "128",
     "invalid value: integer `128`, expected i8 at line 1 column 3"},
    {"u16 top", reread<std::uint16_t>, "65535", "65535"},
    {"u16 above", reread<std::uint16_t>, "65536",
     "invalid value: integer `65536`, expected u16 at line 1 column 5"},
    {"bool", reread<bool>, " false ", "false"},
    {"bool from integer", reread<bool>, "1",
     "invalid type: integer `1`, expected a boolean at line 1 column 1"},
    // strings
    {"string escapes", reread<std::string>, R"("q\"b\\s\/\u00e9\ud83d\ude00\n\t\u0001")",
     "\"q\\\"b\\\\s/\xC3\xA9\xF0\x9F\x98\x80\\n\\t\\u0001\""},
    {"string raw control", reread<std::string>, "\"a\x01\"",
     "control character (\\u0000-\\u001F) found while parsing a string at line 1 column 3"},
    {"string bad escape", reread<std::string>, R"("\x")", "invalid escape at line 1 column 3"},
    {"string lone high surrogate", reread<std::string>, R"("\ud800")",
     "unexpected end of hex escape at line 1 column 7"},
    {"string lone low surrogate", reread<std::string>, R"("\udc00")",
     "lone leading surrogate in hex escape at line 1 column 7"},
    {"string short hex", reread<std::string>, R"("\u12x4")", "invalid escape at line 1 column 6"},
    {"string open", reread<std::string>, "\"abc", "EOF while parsing a string at line 1 column 4"},
    // syntax
    {"empty", reread<bool>, "", "EOF while parsing a value at line 1 column 0"},
    {"only whitespace", reread<bool>, " \n ", "EOF while parsing a value at line 2 column 1"},
    {"trailing value", reread<std::uint8_t>, "1 2", "trailing characters at line 1 column 3"},
    {"leading zero", reread<std::uint8_t>, "01", "invalid number at line 1 column 2"},
    {"bare minus", reread<std::int8_t>, "-", "EOF while parsing a value at line 1 column 1"},
    {"minus and letter", reread<std::int8_t>, "-x", "invalid number at line 1 column 2"},
    {"bare point", reread<float>, "1.", "EOF while parsing a value at line 1 column 2"},
    {"point and letter", reread<float>, "1.x", "invalid number at line 1 column 3"},
    {"bare exponent", reread<float>, "1e+", "EOF while parsing a value at line 1 column 3"},
    {"exponent and letter", reread<float>, "1ex", "invalid number at line 1 column 3"},
    {"cut word", reread<bool>, "tru", "EOF while parsing a value at line 1 column 3"},
    {"wrong word", reread<bool>, "trux", "expected ident at line 1 column 4"},
    {"no value", reread<bool>, "]", "expected value at line 1 column 1"},
    // lists and fixed-size arrays
    {"empty list", reread<std::vector<std::uint8_t>>, " [ ] ", "[]"},
    {"list", reread<std::vector<std::uint8_t>>, "[1,2]", "[\n  1,\n  2\n]"},
    {"nested lists", reread<std::vector<std::vector<bool>>>, "[[true],[]]",
     "[\n  [\n    true\n  ],\n  []\n]"},
    {"list trailing comma", reread<std::vector<std::uint8_t>>, "[1,]",
     "trailing comma at line 1 column 4"},
    {"list missing comma", reread<std::vector<std::uint8_t>>, "[1 2]",
     "expected `,` or `]` at line 1 column 4"},
    {"list open", reread<std::vector<std::uint8_t>>, "[1",
     "EOF while parsing a list at line 1 column 2"},
    {"list from map", reread<std::vector<std::uint8_t>>, "{}",
     "invalid type: map, expected a sequence at line 1 column 0"},
    {"array exact", reread<std::array<std::int8_t, 2>>, "[-1, 1]", "[\n  -1,\n  1\n]"},
    {"array short", reread<std::array<std::uint8_t, 4>>, "[1,2,3]",
     "invalid length 3, expected an array of length 4 at line 1 column 7"},
    {"array long", reread<std::array<std::uint8_t, 4>>, "[1,2,3,4,5]",
     "trailing characters at line 1 column 10"},
    {"optional null", reread<std::optional<std::uint8_t>>, "null", "null"},
    {"optional value", reread<std::optional<std::uint8_t>>, "7", "7"},
    // records
    {"record", reread<TrackMixerState>,
     R"({"volume":0.8,"pan":-0.25,"muted":true,"chorus_send":0,"delay_send":0.1,"reverb_send":1})",
     kMixerText},
    {"record any order, unknown keys skipped", reread<TrackMixerState>,
     R"({"reverb_send":1,"x":{"y":[1,{"z":null}]},"delay_send":0.1,"chorus_send":0,"muted":true,
         "pan":-0.25,"volume":0.8,"pan ":"ignored","huge":[1e400,-1e999]})",
     kMixerText},
    {"record as array", reread<TrackMixerState>, "[0.8,-0.25,true,0,0.1,1]", kMixerText},
    {"record array short", reread<TrackMixerState>, "[0.8,-0.25,true,0,0.1]",
     "invalid length 5, expected struct TrackMixerState with 6 elements at line 1 column 22"},
    {"record array long", reread<TrackMixerState>, "[0.8,-0.25,true,0,0.1,1,2]",
     "trailing characters at line 1 column 25"},
    {"record missing key", reread<TrackMixerState>,
     R"({"volume":0.8,"muted":true,"chorus_send":0,"delay_send":0.1,"reverb_send":1})",
     "missing field `pan` at line 1 column 76"},
    {"record duplicate key", reread<TrackMixerState>, R"({"volume":0.8,"volume":0.8})",
     "duplicate field `volume` at line 1 column 22"},
    {"record duplicate key, space before colon", reread<TrackMixerState>,
     R"({"volume":0.8,"volume" :0.8})", "duplicate field `volume` at line 1 column 23"},
    {"record from integer", reread<TrackMixerState>, "5",
     "invalid type: integer `5`, expected struct TrackMixerState at line 1 column 1"},
    {"record trailing comma", reread<TrackMixerState>, R"({"volume":1,})",
     "trailing comma at line 1 column 13"},
    {"record number key", reread<TrackMixerState>, "{1:2}",
     "key must be a string at line 1 column 2"},
    {"record no colon", reread<TrackMixerState>, R"({"a" 1})", "expected `:` at line 1 column 6"},
    {"record open", reread<TrackMixerState>, R"({"volume":1)",
     "EOF while parsing an object at line 1 column 11"},
    {"record missing comma", reread<TrackMixerState>, R"({"volume":1 "pan":0})",
     "expected `,` or `}` at line 1 column 13"},
    {"record wrong field type", reread<TrackMixerState>, "{\n  \"muted\": 1\n}",
     "invalid type: integer `1`, expected a boolean at line 2 column 12"},
    {"depth 127 reads", reread<TrackMixerState>, nested_arrays(126),
     "{\n  \"volume\": 1.0,\n  \"pan\": 0.0,\n  \"muted\": false,\n  \"chorus_send\": 0.0,\n"
     "  \"delay_send\": 0.0,\n  \"reverb_send\": 0.0\n}"},
    {"depth 128 fails", reread<TrackMixerState>, nested_arrays(127),
     "recursion limit exceeded at line 1 column 137"},
    // enums
    {"unit by name", reread<Colour>, R"("Green")", R"("Green")"},
    {"unit as object", reread<Colour>, R"({"Blue": null})", R"("Blue")"},
    {"unit with a value", reread<Colour>, R"({"Blue": 1})",
     "invalid type: integer `1`, expected unit at line 1 column 10"},
    {"unknown name", reread<Colour>, R"("green")",
     "unknown variant `green`, expected one of `Red`, `Green`, `Blue` at line 1 column 7"},
    {"unknown name in an object", reread<Colour>, R"({"Pink" : null})",
     "unknown variant `Pink`, expected one of `Red`, `Green`, `Blue` at line 1 column 7"},
    {"name not a string", reread<Colour>, "{3: null}",
     "invalid type: integer `3`, expected variant identifier at line 1 column 2"},
    {"enum from integer", reread<Colour>, "0",
     "invalid type: integer `0`, expected variant identifier at line 1 column 1"},
    {"enum two keys", reread<Colour>, R"({"Red": null, "Blue": null})",
     "expected value at line 1 column 12"},
    {"value variant", reread<Sample>, R"({"Amount": 75})", "{\n  \"Amount\": 75\n}"},
    {"value variant by name", reread<Sample>, R"("Amount")",
     "invalid type: unit variant, expected newtype variant at line 1 column 8"},
    {"fields variant", reread<Sample>, R"({"Pair": {"b": 4, "a": 1}})",
     "{\n  \"Pair\": {\n    \"a\": 1,\n    \"b\": 4\n  }\n}"},
    {"fields variant as array", reread<Sample>, R"({"Pair": [1, 4]})",
     "{\n  \"Pair\": {\n    \"a\": 1,\n    \"b\": 4\n  }\n}"},
    {"fields variant short", reread<Sample>, R"({"Pair": [1]})",
     "invalid length 1, expected struct variant Sample::Pair with 2 elements at line 1 column 12"},
    {"fields variant by name", reread<Sample>, R"("Pair")",
     "invalid type: unit variant, expected struct variant at line 1 column 6"},
};

TEST(JsonText, ReadsAndWritesEveryFormExactly) {
  for (const Case& c : kCases) {
    EXPECT_EQ(c.reread(c.input), c.expected) << c.what;
  }
}

TEST(JsonText, EveryF32AndF64ReadsBackFromItsShortestText) {
  std::vector<float> singles = {
      0.1f,          0.2f,        0.3f,  1.0f / 3.0f,  0.001f,  1e-45f, 1.17549435e-38f,
      3.4028235e38f, 123456.789f, 7e12f, 9.999999e13f, -2.5e-6f};
  for (float value : singles) {
    auto back = from_text<float>(format_f32(value));
    ASSERT_TRUE(back) << format_f32(value);
    EXPECT_EQ(*back, value) << format_f32(value);
  }
  std::vector<double> doubles = {0.1,
                                 1.0 / 3.0,
                                 1e-300,
                                 2.2250738585072014e-308,
                                 1.7976931348623157e308,
                                 123456789012345680.0,
                                 9007199254740993.0,
                                 -1e-5};
  for (double value : doubles) {
    auto back = from_text<double>(format_f64(value));
    ASSERT_TRUE(back) << format_f64(value);
    EXPECT_EQ(*back, value) << format_f64(value);
  }
}

TEST(JsonText, RefusesToWriteWhatCouldNotBeReadBackNamingWhereItStands) {
  TrackSynthParams params = sequencer::types::starting_synth_params();
  params.op_ratios[3] = std::numeric_limits<float>::infinity();
  auto text = to_text(std::vector<TrackSynthParams>{params, params});
  ASSERT_FALSE(text);
  EXPECT_EQ(text.error().message(), "cannot store the non-finite number inf in `[0].op_ratios[3]`");

  EXPECT_EQ(to_text(std::vector<std::string>{"ok", "caf\xe9"}).error().message(),
            "cannot store text that is not UTF-8 in `[1]`");

  TrackMixerState mixer;
  mixer.reverb_send = std::nanf("");
  EXPECT_EQ(to_text(mixer).error().message(),
            "cannot store the non-finite number nan in `reverb_send`");
}

TEST(JsonRecords, PatchWithoutReleaseTimesGetsTheDefaultAndRoundTrips) {
  TrackSynthParams params = sequencer::types::starting_synth_params();
  auto text = to_text(params);
  ASSERT_TRUE(text);
  EXPECT_EQ(from_text<TrackSynthParams>(*text), params);

  std::string without = *text;
  auto start = without.find("  \"op_release\"");
  without.erase(start, without.find("\"filter_type\"") - start);
  auto read = from_text<TrackSynthParams>(without);
  ASSERT_TRUE(read) << read.error().message();
  EXPECT_EQ(read->op_release, TrackSynthParams::kDefaultOpRelease);

  auto missing = from_text<TrackSynthParams>(R"({"algorithm": 3})");
  EXPECT_EQ(missing.error().message(), "missing field `mix` at line 1 column 16");
  auto short_ops = from_text<TrackSynthParams>(R"({"op_levels": [1, 1, 1, 1, 1]})");
  EXPECT_EQ(short_ops.error().message(),
            "invalid length 5, expected an array of length 6 at line 1 column 29");
}

}  // namespace
}  // namespace quorvelan::json
