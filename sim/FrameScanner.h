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

  // Forgets whatever is buffered (a partial frame the line gave up on).
  void Reset() { buffer_.clear(); }

  std::size_t Pending() const { return buffer_.size(); }

 private:
  std::vector<std::uint8_t> buffer_;
};

}  // namespace sim
