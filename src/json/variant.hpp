#pragma once
// Enums from a table of variants. A unit variant is written as its name ("Sixteenth"); a variant
// that carries a value or fields as an object with one key, the name: {"Probability": 75},
// {"ModCount": {"a": 1, "b": 4}}. Both forms are read, and a unit variant also as {"Off": null}.
// Names compare exactly; an unknown name fails with the list of the known ones.

#include <fmt/format.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "json/codec.hpp"
#include "json/record.hpp"

namespace quorvelan::json {

enum class Shape { Unit, Value, Fields };

template <class E>
struct Variant {
  std::string_view name;
  Shape shape;
  E (*read)(Reader&);                // reads the payload; a unit variant reads nothing
  void (*write)(Writer&, const E&);  // writes the payload; unused for a unit variant
};

template <class E, std::size_t N>
struct VariantForm {
  std::array<Variant<E>, N> variants;
  std::size_t (*index_of)(const E&);
};

namespace detail {

template <class E, std::size_t N>
const Variant<E>& find_variant(Reader& reader, const VariantForm<E, N>& form,
                               const std::string& name) {
  for (const Variant<E>& variant : form.variants) {
    if (variant.name == name) return variant;
  }
  std::string known = "one of ";
  for (std::size_t i = 0; i < N; ++i)
    known += fmt::format("{}`{}`", i == 0 ? "" : ", ", form.variants[i].name);
  reader.fail(fmt::format("unknown variant `{}`, expected {}", name, known));
}

}  // namespace detail

template <class E, std::size_t N>
E read_form(Reader& reader, const VariantForm<E, N>& form) {
  switch (reader.peek_kind()) {
    case Kind::String: {
      const Variant<E>& variant =
          detail::find_variant(reader, form, reader.read_string("variant identifier"));
      if (variant.shape == Shape::Value)
        reader.fail("invalid type: unit variant, expected newtype variant");
      if (variant.shape == Shape::Fields)
        reader.fail("invalid type: unit variant, expected struct variant");
      return variant.read(reader);
    }
    case Kind::Object: {
      // An unknown name is refused right after it, before its colon.
      const Variant<E>& variant = detail::find_variant(reader, form, reader.begin_variant());
      reader.expect_colon();
      if (variant.shape == Shape::Unit) reader.read_null("unit");
      E value = variant.read(reader);
      reader.end_variant();
      return value;
    }
    default:
      reader.fail_invalid_type("variant identifier");
  }
}

template <class E, std::size_t N>
void write_form(Writer& writer, const VariantForm<E, N>& form, const E& value) {
  const Variant<E>& variant = form.variants[form.index_of(value)];
  if (variant.shape == Shape::Unit) {
    writer.string(variant.name);
    return;
  }
  writer.begin_object();
  writer.key(variant.name);
  variant.write(writer, value);
  writer.end_object();
}

// The form of an enum whose variants are all units, numbered 0, 1, 2, ... in table order.
template <class E, std::size_t N>
constexpr VariantForm<E, N> unit_enum_form(const std::array<std::string_view, N>& names) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    return VariantForm<E, N>{
        {Variant<E>{names[I], Shape::Unit, +[](Reader&) { return static_cast<E>(I); }, nullptr}...},
        +[](const E& value) { return static_cast<std::size_t>(value); }};
  }
  (std::make_index_sequence<N>{});
}

// Variants of an enum type E that wraps a std::variant of one struct per variant, exposed as
// E::value() and constructible from each struct.
template <class E, class Alternative>
constexpr Variant<E> unit_alternative(std::string_view name) {
  return {name, Shape::Unit, +[](Reader&) { return E{Alternative{}}; }, nullptr};
}

// A variant holding one value, the struct's member `Member`.
template <class E, class Alternative, auto Member>
constexpr Variant<E> value_alternative(std::string_view name) {
  using Value = std::remove_cvref_t<decltype(std::declval<Alternative>().*Member)>;
  return {name, Shape::Value,
          +[](Reader& reader) {
            Alternative alternative{};
            alternative.*Member = Codec<Value>::read(reader);
            return E{alternative};
          },
          +[](Writer& writer, const E& value) {
            Codec<Value>::write(writer, std::get<Alternative>(value.value()).*Member);
          }};
}

// A variant with named fields, read and written by the record form `Form` of its struct.
template <class E, class Alternative, const auto& Form>
constexpr Variant<E> fields_alternative(std::string_view name) {
  return {name, Shape::Fields, +[](Reader& reader) { return E{read_form(reader, Form)}; },
          +[](Writer& writer, const E& value) {
            write_form(writer, Form, std::get<Alternative>(value.value()));
          }};
}

template <class E>
constexpr std::size_t alternative_index(const E& value) {
  return value.value().index();
}

}  // namespace quorvelan::json
