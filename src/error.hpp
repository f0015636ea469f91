#pragma once
// Errors are values: a message and the chain of causes beneath it, outermost first.

#include <expected>
#include <string>
#include <utility>
#include <vector>

namespace quorvelan {

class Error {
 public:
  explicit Error(std::string message) : message_(std::move(message)) {}

  // Wraps this error under a new outer message; this error's message becomes the first cause.
  [[nodiscard]] Error context(std::string outer) const {
    Error wrapped(std::move(outer));
    wrapped.causes_.reserve(causes_.size() + 1);
    wrapped.causes_.push_back(message_);
    wrapped.causes_.insert(wrapped.causes_.end(), causes_.begin(), causes_.end());
    return wrapped;
  }

  // The outermost message alone: what a status line shows after "Save error: ".
  [[nodiscard]] const std::string& message() const { return message_; }
  [[nodiscard]] const std::vector<std::string>& causes() const { return causes_; }

  // Message and causes joined by ": " on one line.
  [[nodiscard]] std::string chain() const {
    std::string text = message_;
    for (const auto& cause : causes_) text += ": " + cause;
    return text;
  }

  // The multi-line debug form written after "Error: " when the program fails:
  // the message, then "Caused by:" with each cause indented (numbered when there are several).
  [[nodiscard]] std::string debug() const {
    std::string text = message_;
    if (causes_.empty()) return text;
    text += "\n\nCaused by:";
    for (std::size_t i = 0; i < causes_.size(); ++i) {
      text += "\n    ";
      if (causes_.size() > 1) text += std::to_string(i) + ": ";
      text += causes_[i];
    }
    return text;
  }

  friend bool operator==(const Error&, const Error&) = default;

 private:
  std::string message_;
  std::vector<std::string> causes_;
};

template <class T>
using Result = std::expected<T, Error>;

inline std::unexpected<Error> fail(std::string message) {
  return std::unexpected(Error(std::move(message)));
}

}  // namespace quorvelan
