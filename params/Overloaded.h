#pragma once

// One visitor out of several lambdas, one per alternative of a variant: a forgotten
// alternative does not compile.
template <typename... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};
