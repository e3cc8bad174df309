#include "FrameScanner.h"

namespace sim {

std::vector<std::vector<std::uint8_t>> FrameScanner::Feed(std::span<const std::uint8_t> chunk) {
  buffer_.insert(buffer_.end(), chunk.begin(), chunk.end());
  return Scan(ScanMode::MoreToCome);
}

std::vector<std::vector<std::uint8_t>> FrameScanner::Flush() {
  auto frames = Scan(ScanMode::Final);
  buffer_.clear();
  return frames;
}

std::vector<std::vector<std::uint8_t>> FrameScanner::Scan(ScanMode scan) {
  std::vector<std::vector<std::uint8_t>> frames;
  std::size_t p = 0;
  for (;;) {
    const FrameSearch found = FindFrame(std::span<const std::uint8_t>(buffer_).subspan(p), scan);
    p += found.skipped;
    if (found.length == 0) break;  // an incomplete candidate at p waits for the rest
    const auto start = buffer_.begin() + static_cast<std::ptrdiff_t>(p);
    frames.emplace_back(start, start + static_cast<std::ptrdiff_t>(found.length));
    p += found.length;
  }
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(p));
  return frames;
}

}  // namespace sim
