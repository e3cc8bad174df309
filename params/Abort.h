#pragma once

#include <exception>

// The silent abort: ends an operation that has already told the operator why. The window's
// exception guard swallows it without a message.
struct EAbort : std::exception {
  const char* what() const noexcept override { return "Operation aborted"; }
};
