#pragma once

// What the latency benchmarks measure with: milliseconds of a steady clock, percentiles of the
// samples, and the window's link host with the moment it hands a request to the line stamped.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "PortLinkHost.h"

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

inline double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

class StampingHost : public TPortLinkHost {
 public:
  using TPortLinkHost::TPortLinkHost;
  std::size_t WriteLine(std::span<const std::uint8_t> bytes) override {
    const std::size_t written = TPortLinkHost::WriteLine(bytes);
    sent = Clock::now();
    return written;
  }
  Clock::time_point sent;
};
