#pragma once
// The JSON form of a C++ type is a specialisation of Codec<T> with
//   static T read(Reader&);
//   static void write(Writer&, const T&);
// This header gives the forms of the plain types and containers; record.hpp and variant.hpp
// build the forms of records and enums from tables.

#include <fmt/format.h>

#include <array>
#include <concepts>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "error.hpp"
#include "json/reader.hpp"
#include "json/writer.hpp"

namespace quorvelan::json {

template <class T>
struct Codec;

template <>
struct Codec<bool> {
  static bool read(Reader& reader) { return reader.read_bool(); }
  static void write(Writer& writer, bool value) { writer.boolean(value); }
};

template <class Int>
constexpr std::string_view integer_type_name() {
  if constexpr (std::same_as<Int, std::uint8_t>) return "u8";
  if constexpr (std::same_as<Int, std::int8_t>) return "i8";
  if constexpr (std::same_as<Int, std::uint16_t>) return "u16";
  if constexpr (std::same_as<Int, std::int16_t>) return "i16";
  if constexpr (std::same_as<Int, std::uint32_t>) return "u32";
  if constexpr (std::same_as<Int, std::int32_t>) return "i32";
}

// Integers up to 32 bits: a JSON integer within the type's range, nothing else.
template <class Int>
requires std::integral<Int> &&(!std::same_as<Int, bool>)&&(sizeof(Int) <= 4) struct Codec<Int> {
  static Int read(Reader& reader) {
    return static_cast<Int>(reader.read_integer(std::numeric_limits<Int>::min(),
                                                std::numeric_limits<Int>::max(),
                                                integer_type_name<Int>()));
  }
  static void write(Writer& writer, Int value) { writer.integer(value); }
};

template <>
struct Codec<float> {
  static float read(Reader& reader) { return reader.read_f32(); }
  static void write(Writer& writer, float value) { writer.number(value); }
};

template <>
struct Codec<double> {
  static double read(Reader& reader) { return reader.read_f64(); }
  static void write(Writer& writer, double value) { writer.number(value); }
};

template <>
struct Codec<std::string> {
  static std::string read(Reader& reader) { return reader.read_string("a string"); }
  static void write(Writer& writer, const std::string& value) { writer.string(value); }
};

// An absent value is null.
template <class T>
struct Codec<std::optional<T>> {
  static std::optional<T> read(Reader& reader) {
    if (reader.next_is_null()) {
      reader.read_null("null");
      return std::nullopt;
    }
    return Codec<T>::read(reader);
  }
  static void write(Writer& writer, const std::optional<T>& value) {
    if (value) {
      Codec<T>::write(writer, *value);
    } else {
      writer.null();
    }
  }
};

template <class T>
struct Codec<std::vector<T>> {
  static std::vector<T> read(Reader& reader) {
    std::vector<T> values;
    reader.begin_array("a sequence");
    while (reader.next_element()) values.push_back(Codec<T>::read(reader));
    reader.end_array();
    return values;
  }
  static void write(Writer& writer, const std::vector<T>& values) {
    writer.begin_array();
    for (const T& value : values) Codec<T>::write(writer, value);
    writer.end_array();
  }
};

// Exactly N elements: fewer fail with the invalid-length text, more with trailing characters.
template <class T, std::size_t N>
struct Codec<std::array<T, N>> {
  static std::array<T, N> read(Reader& reader) {
    std::string expected = fmt::format("an array of length {}", N);
    std::array<T, N> values{};
    reader.begin_array(expected);
    for (std::size_t i = 0; i < N; ++i) {
      if (!reader.next_element()) {
        reader.end_array();
        reader.fail(fmt::format("invalid length {}, expected {}", i, expected));
      }
      values[i] = Codec<T>::read(reader);
    }
    reader.end_array();
    return values;
  }
  static void write(Writer& writer, const std::array<T, N>& values) {
    writer.begin_array();
    for (const T& value : values) Codec<T>::write(writer, value);
    writer.end_array();
  }
};

// Declares the JSON form of a type; QUORVELAN_JSON_DEFINE_CODEC defines it from a record or
// variant form (record.hpp, variant.hpp) in the type's codec source.
#define QUORVELAN_JSON_DECLARE_CODEC(Type)                \
  template <>                                             \
  struct Codec<Type> {                                    \
    static Type read(Reader& reader);                     \
    static void write(Writer& writer, const Type& value); \
  };

#define QUORVELAN_JSON_DEFINE_CODEC(Type, form)                              \
  Type Codec<Type>::read(Reader& reader) { return read_form(reader, form); } \
  void Codec<Type>::write(Writer& writer, const Type& value) { write_form(writer, form, value); }

// One whole JSON text holding one T; only whitespace may follow it.
template <class T>
Result<T> from_text(std::string_view text) {
  try {
    Reader reader(text);
    T value = Codec<T>::read(reader);
    reader.finish();
    return value;
  } catch (const ReadError& error) {
    return fail(error.text());
  }
}

// The pretty text of a T, or the writer's refusal.
template <class T>
Result<std::string> to_text(const T& value) {
  Writer writer;
  Codec<T>::write(writer, value);
  return std::move(writer).finish();
}

}  // namespace quorvelan::json
