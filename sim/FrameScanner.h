#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace sim {

// Finds frames in a byte stream with the tool's own rule: a candidate is the byte after the
// address giving a length of 5..12 and a CRC over all but the last two bytes that matches them.
// Bytes that start no valid frame are dropped one at a time; an incomplete candidate waits for
// more bytes. Fewer than five bytes are never examined.
class FrameScanner {
 public:
  // Appends the chunk and returns every complete valid frame now found, in order.
  std::vector<std::vector<std::uint8_t>> Feed(std::span<const std::uint8_t> chunk);

  // The line has gone quiet: an incomplete candidate will not be completed, so it is skipped
  // like any other byte, frames behind it are still found, and the rest is forgotten.
  std::vector<std::vector<std::uint8_t>> Flush();

  std::size_t Pending() const { return buffer_.size(); }

 private:
  std::vector<std::vector<std::uint8_t>> Scan(bool final);

  std::vector<std::uint8_t> buffer_;
};

}  // namespace sim
