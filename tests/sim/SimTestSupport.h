#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "Frame.h"
#include "ReaderSimulator.h"

namespace simtest {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

inline Bytes Request(std::uint8_t address, std::uint8_t code, Bytes data = {}) {
  return BuildRequest(address, code, data);
}

// Feeds a request at `at` and returns everything the line sends in answer.
inline Bytes Exchange(sim::ReaderSimulator& line, const Bytes& request, sim::Nanos at = sim::Nanos(0)) {
  line.Receive(request, at);
  return line.TakeDue(at + 1h);
}

}  // namespace simtest
