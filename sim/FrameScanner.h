#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "FrameAssembler.h"

namespace sim {

// Finds frames in a byte stream with the tool's own rule (FindFrame). Bytes that start no
// valid frame are dropped; an incomplete candidate waits for more bytes.
class FrameScanner {
 public:
  // Appends the chunk and returns every complete valid frame now found, in order.
  std::vector<std::vector<std::uint8_t>> Feed(std::span<const std::uint8_t> chunk);

  // The line has gone quiet: an incomplete candidate will not be completed, so it is skipped
  // like any other byte, frames behind it are still found, and the rest is forgotten.
  std::vector<std::vector<std::uint8_t>> Flush();

  std::size_t Pending() const { return buffer_.size(); }

 private:
  std::vector<std::vector<std::uint8_t>> Scan(ScanMode scan);

  std::vector<std::uint8_t> buffer_;
};

}  // namespace sim
