#pragma once
// Records from a table of fields. A record is written as an object of its fields in table order,
// every key present (absent optional values as null). It is read from an object whose keys may
// come in any order (unknown keys skipped, a known key twice refused, required keys demanded),
// or from an array of its values in field order that may stop early only where every remaining
// field has a default.

#include <fmt/format.h>

#include <array>
#include <bitset>
#include <optional>
#include <string_view>

#include "json/codec.hpp"

namespace quorvelan::json {

enum class Presence {
  Required,   // the object must hold it; so must the array form
  Optional,   // an optional value: absent from the object means none; the array form holds it
  Defaulted,  // absent from the object, or left off the end of the array, means its default
};

template <class Record>
struct Field {
  std::string_view name;
  Presence presence;
  void (*read)(Reader&, Record&);
  void (*write)(Writer&, const Record&);
  void (*set_absent)(Record&);  // none or the default
};

namespace detail {

template <class M>
struct MemberOf;
template <class R, class V>
struct MemberOf<V R::*> {
  using Record = R;
  using Value = V;
};

template <auto Member>
using RecordOf = typename MemberOf<decltype(Member)>::Record;
template <auto Member>
using ValueOf = typename MemberOf<decltype(Member)>::Value;

template <auto Member>
constexpr Field<RecordOf<Member>> field(std::string_view name, Presence presence,
                                        void (*set_absent)(RecordOf<Member>&)) {
  using R = RecordOf<Member>;
  using V = ValueOf<Member>;
  return {name, presence,
          +[](Reader& reader, R& record) { record.*Member = Codec<V>::read(reader); },
          +[](Writer& writer, const R& record) { Codec<V>::write(writer, record.*Member); },
          set_absent};
}

}  // namespace detail

template <auto Member>
constexpr auto required(std::string_view name) {
  return detail::field<Member>(name, Presence::Required, nullptr);
}

template <auto Member>
constexpr auto optional(std::string_view name) {
  return detail::field<Member>(
      name, Presence::Optional,
      +[](detail::RecordOf<Member>& record) { record.*Member = std::nullopt; });
}

// An optional value that may also be left off the end of the array form.
template <auto Member>
constexpr auto trailing_optional(std::string_view name) {
  return detail::field<Member>(
      name, Presence::Defaulted,
      +[](detail::RecordOf<Member>& record) { record.*Member = std::nullopt; });
}

template <auto Member, auto Default>
constexpr auto defaulted(std::string_view name) {
  return detail::field<Member>(
      name, Presence::Defaulted,
      +[](detail::RecordOf<Member>& record) { record.*Member = Default; });
}

template <class Record, std::size_t N>
struct RecordForm {
  std::string_view expected;  // "struct Step", "struct variant ModTarget::SynthParam"
  std::array<Field<Record>, N> fields;
};

template <class Record, class... Fields>
constexpr auto record_form(std::string_view expected, Fields... fields) {
  return RecordForm<Record, sizeof...(Fields)>{expected, {fields...}};
}

namespace detail {

template <class Record, std::size_t N>
Record read_record_array(Reader& reader, const RecordForm<Record, N>& form) {
  Record record{};
  reader.begin_array(form.expected);
  for (std::size_t i = 0; i < N; ++i) {
    if (reader.next_element()) {
      form.fields[i].read(reader, record);
      continue;
    }
    bool rest_defaulted = true;
    for (std::size_t j = i; j < N; ++j)
      rest_defaulted &= form.fields[j].presence == Presence::Defaulted;
    reader.end_array();
    if (!rest_defaulted) {
      reader.fail(fmt::format("invalid length {}, expected {} with {} element{}", i, form.expected,
                              N, N == 1 ? "" : "s"));
    }
    for (std::size_t j = i; j < N; ++j) form.fields[j].set_absent(record);
    return record;
  }
  reader.end_array();
  return record;
}

template <class Record, std::size_t N>
Record read_record_object(Reader& reader, const RecordForm<Record, N>& form) {
  Record record{};
  std::bitset<N> seen;
  reader.begin_object(form.expected);
  while (auto key = reader.next_key()) {
    std::size_t i = 0;
    while (i < N && form.fields[i].name != *key) ++i;
    if (i < N && seen[i]) {
      reader.skip_whitespace();
      reader.fail(fmt::format("duplicate field `{}`", *key));
    }
    reader.expect_colon();
    if (i == N) {
      reader.skip_value();
      continue;
    }
    seen[i] = true;
    form.fields[i].read(reader, record);
  }
  reader.end_object();
  for (std::size_t i = 0; i < N; ++i) {
    if (seen[i]) continue;
    if (form.fields[i].presence == Presence::Required) {
      reader.fail(fmt::format("missing field `{}`", form.fields[i].name));
    }
    form.fields[i].set_absent(record);
  }
  return record;
}

}  // namespace detail

template <class Record, std::size_t N>
Record read_form(Reader& reader, const RecordForm<Record, N>& form) {
  if (reader.peek_kind() == Kind::Array) return detail::read_record_array(reader, form);
  return detail::read_record_object(reader, form);
}

template <class Record, std::size_t N>
void write_form(Writer& writer, const RecordForm<Record, N>& form, const Record& record) {
  writer.begin_object();
  for (const Field<Record>& field : form.fields) {
    writer.key(field.name);
    field.write(writer, record);
  }
  writer.end_object();
}

}  // namespace quorvelan::json
