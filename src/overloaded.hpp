#pragma once
// A visitor built from lambdas, one per alternative: std::visit(Overloaded{...}, variant).

namespace quorvelan {

template <typename... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};

}  // namespace quorvelan
