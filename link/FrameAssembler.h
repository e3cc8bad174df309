#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "LogLine.h"
#include "Frame.h"

namespace readerlink {
// While the response slot is full the receive buffer only grows. It must hold every answer
// of a full broadcast queued behind the slot (254 readers x 8 bytes) with ample room for
// noise between them; beyond it new bytes are dropped and the loss is noted in the log.
inline constexpr std::size_t kReceiveBufferBound = 64 * 1024;
}  // namespace readerlink

// What a scan does with a candidate whose remaining bytes have not arrived: while more bytes
// may come it waits at the front for them; the final scan at the end of a wait skips it.
enum class ScanMode { MoreToCome, Final };

// Where the next frame stands in a byte stream: the bytes in front of it that start no valid
// frame, and its length, 0 when no complete valid frame follows them (the stream ends, or an
// incomplete candidate waits right behind the skipped bytes).
struct FrameSearch {
  std::size_t skipped = 0;
  std::size_t length = 0;
};

// The rule that finds frames in a stream without markers: a candidate is a length byte of
// 5..12 after the address and a CRC over all but the last two bytes that matches them. Fewer
// than five bytes are never examined.
FrameSearch FindFrame(std::span<const std::uint8_t> bytes, ScanMode scan);

// Where every received byte went; the counts only grow. received is always the sum of the
// others plus what is still buffered.
struct LinkTally {
  std::uint64_t received = 0;
  std::uint64_t echoed = 0;          // shown in the terminal log, once
  std::uint64_t droppedInFrames = 0;  // inside valid frames nobody awaited
  std::uint64_t handedToSlot = 0;    // inside accepted responses
  std::uint64_t droppedAtBound = 0;  // lost at the receive buffer bound, noted in the log
};

// The receive buffer and the scan over it: bytes in front of a frame go to the terminal log,
// each valid frame is offered to the caller, who takes it or drops it without a trace.
class FrameAssembler {
 public:
  explicit FrameAssembler(LogLine& log) : log_(log) {}

  void Append(std::span<const std::uint8_t> bytes) {
    tally_.received += bytes.size();
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  }
  // Drops what lies beyond the bound, noting the loss in the log where it sits in the stream.
  void KeepWithinBound();
  // Echoes and removes the bytes in front of the next valid frame and returns that frame, now
  // at the front of the buffer; nothing when no complete valid frame follows them.
  std::optional<FrameView> NextFrame(ScanMode scan);
  // Remove the frame NextFrame returned, without echo: dropped, or taken into the response slot.
  void DropFrame(const FrameView& frame);
  void HandOverFrame(const FrameView& frame);
  // Echoes and removes everything buffered: the line has gone quiet.
  void FlushToLog();

  std::span<const std::uint8_t> Contents() const { return std::span<const std::uint8_t>(buffer_).subspan(head_); }
  std::size_t Buffered() const { return buffer_.size() - head_; }
  const LinkTally& Tally() const { return tally_; }

 private:
  enum class Echo { ToLog, None };
  struct DropMark {
    std::size_t position;  // bytes still in front of the gap
    std::size_t count;
  };

  // Removes up to count bytes from the front of the buffer, echoing them first when asked.
  // Bytes removed without echo are counted by DropFrame and HandOverFrame, which know why.
  void ConsumeInput(std::size_t count, Echo echo);
  void DropFront(std::size_t count);

  LogLine& log_;
  std::vector<std::uint8_t> buffer_;  // receive buffer from head_ on
  std::size_t head_ = 0;
  std::deque<DropMark> drops_;
  LinkTally tally_;
};
