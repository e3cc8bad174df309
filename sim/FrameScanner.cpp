#include "FrameScanner.h"

#include "crc16.h"

namespace sim {

std::vector<std::vector<std::uint8_t>> FrameScanner::Feed(std::span<const std::uint8_t> chunk) {
  buffer_.insert(buffer_.end(), chunk.begin(), chunk.end());
  return Scan(false);
}

std::vector<std::vector<std::uint8_t>> FrameScanner::Flush() {
  auto frames = Scan(true);
  buffer_.clear();
  return frames;
}

std::vector<std::vector<std::uint8_t>> FrameScanner::Scan(bool final) {
  std::vector<std::vector<std::uint8_t>> frames;
  std::size_t p = 0;
  while (buffer_.size() >= p + frame::kMinLength) {
    const std::size_t length = buffer_[p + 1];
    if (length < frame::kMinLength || length > frame::kMaxLength) {
      ++p;
      continue;
    }
    if (buffer_.size() < p + length) {
      if (!final) break;  // wait for the rest of the candidate
      ++p;
      continue;
    }
    if (!FrameCrcMatches(buffer_.data() + p, length)) {
      ++p;
      continue;
    }
    frames.emplace_back(buffer_.begin() + static_cast<std::ptrdiff_t>(p),
                        buffer_.begin() + static_cast<std::ptrdiff_t>(p + length));
    p += length;
  }
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(p));
  return frames;
}

}  // namespace sim
