#include "term/test_backend.hpp"

#include <stdexcept>

namespace quorvelan::term {

TestBackend::TestBackend(std::uint16_t width, std::uint16_t height)
    : buffer_(Rect{0, 0, width, height}) {}

void TestBackend::draw(const std::function<void(Buffer&)>& render) {
  buffer_ = Buffer(buffer_.area());
  render(buffer_);
}

const Cell& TestBackend::cell(int x, int y) const {
  const Cell* found = buffer_.cell(x, y);
  if (found == nullptr) throw std::out_of_range("cell outside the test frame");
  return *found;
}

std::string TestBackend::row(int y) const {
  std::string text;
  for (int x = buffer_.area().x; x < buffer_.area().right(); ++x) text += cell(x, y).symbol;
  return text;
}

}  // namespace quorvelan::term
