#pragma once
// Styled text: spans of one style each, and lines made of spans.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "term/style.hpp"

namespace quorvelan::term {

enum class Alignment : std::uint8_t { Left, Center };

struct Span {
  std::string content;
  Style style;

  Span() = default;
  Span(std::string text, Style s = {}) : content(std::move(text)), style(s) {}  // NOLINT: implicit
  Span(const char* text, Style s = {}) : content(text), style(s) {}             // NOLINT: implicit

  [[nodiscard]] std::size_t width() const;
};

// One row of text. The line's own style is drawn under its spans' styles; an alignment set here
// overrides the paragraph's.
struct Line {
  std::vector<Span> spans;
  Style style;
  std::optional<Alignment> alignment;

  Line() = default;
  Line(std::vector<Span> s) : spans(std::move(s)) {}  // NOLINT: implicit
  Line(std::string text, Style s = {}) { spans.emplace_back(std::move(text), s); }  // NOLINT
  Line(const char* text, Style s = {}) { spans.emplace_back(text, s); }             // NOLINT

  [[nodiscard]] std::size_t width() const;
};

}  // namespace quorvelan::term
