#include "FrameAssembler.h"

#include <algorithm>
#include <string_view>

namespace {
// Compacting the receive buffer only once this much lies consumed in front of it keeps the
// scan's many small removals from moving the whole buffer each time.
constexpr std::size_t kCompactAfter = 4096;
}  // namespace

FrameSearch FindFrame(std::span<const std::uint8_t> bytes, ScanMode scan) {
  std::size_t p = 0;
  while (bytes.size() >= p + frame::kMinLength) {
    const FrameView candidate(bytes.subspan(p));
    const std::size_t length = candidate.Length();
    if (length < frame::kMinLength || length > frame::kMaxLength) {
      ++p;
      continue;
    }
    if (bytes.size() < p + length) {
      if (scan == ScanMode::MoreToCome) break;  // the candidate waits for its remaining bytes
      ++p;
      continue;
    }
    if (!FrameCrcMatches(bytes.data() + p, length)) {
      ++p;
      continue;
    }
    return {p, length};
  }
  return {p, 0};
}

void FrameAssembler::KeepWithinBound() {
  const std::size_t held = Buffered();
  if (held <= readerlink::kReceiveBufferBound) return;
  const std::size_t excess = held - readerlink::kReceiveBufferBound;
  buffer_.resize(buffer_.size() - excess);
  tally_.droppedAtBound += excess;
  // The gap sits behind everything still held; consecutive losses make one gap.
  if (!drops_.empty() && drops_.back().position == readerlink::kReceiveBufferBound) {
    drops_.back().count += excess;
  } else {
    drops_.push_back({readerlink::kReceiveBufferBound, excess});
  }
}

std::optional<FrameView> FrameAssembler::NextFrame(ScanMode scan) {
  const FrameSearch found = FindFrame(Contents(), scan);
  ConsumeInput(found.skipped, Echo::ToLog);
  if (found.length == 0) return std::nullopt;
  return FrameView(Contents().first(found.length));
}

void FrameAssembler::DropFrame(const FrameView& frame) {
  tally_.droppedInFrames += frame.Bytes().size();
  ConsumeInput(frame.Bytes().size(), Echo::None);
}

void FrameAssembler::HandOverFrame(const FrameView& frame) {
  tally_.handedToSlot += frame.Bytes().size();
  ConsumeInput(frame.Bytes().size(), Echo::None);
}

void FrameAssembler::FlushToLog() { ConsumeInput(Buffered(), Echo::ToLog); }

void FrameAssembler::ConsumeInput(std::size_t count, Echo echo) {
  std::size_t n = std::min(count, Buffered());
  for (;;) {
    // A gap left at the bound is noted where it sits in the stream.
    if (!drops_.empty() && drops_.front().position == 0) {
      log_.NoteLoss(drops_.front().count);
      drops_.pop_front();
      continue;
    }
    if (n == 0) return;
    const std::size_t piece = drops_.empty() ? n : std::min(n, drops_.front().position);
    if (echo == Echo::ToLog) {
      log_.Echo(std::string_view(reinterpret_cast<const char*>(buffer_.data() + head_), piece));
      tally_.echoed += piece;
    }
    DropFront(piece);
    n -= piece;
  }
}

void FrameAssembler::DropFront(std::size_t count) {
  head_ += count;
  for (DropMark& mark : drops_) mark.position -= count;
  if (head_ == buffer_.size()) {
    buffer_.clear();
    head_ = 0;
  } else if (head_ >= kCompactAfter && head_ * 2 >= buffer_.size()) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
  }
}
