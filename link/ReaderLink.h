#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "ErrorList.h"

// What the link needs from the window: the line, the log, the clock and the wait.
class LinkHost {
 public:
  virtual ~LinkHost() = default;
  // Writes bytes to the line and returns how many were written.
  virtual std::size_t WriteLine(std::span<const std::uint8_t> bytes) = 0;
  // A write came back short: discard what is still queued for output and throw the
  // port's write error. The link throws ShortWriteError itself should this return.
  virtual void FailShortWrite(std::size_t written, std::size_t wanted) = 0;
  // Replaces the terminal log's last line by the rendering of raw (see TerminalLog::Show).
  virtual void ShowLogLine(std::string_view raw) = 0;
  // Monotonic milliseconds: a wall clock that steps would stretch a wait to an hour.
  virtual std::int64_t NowMs() = 0;
  // Serves received bytes and timer ticks until done() holds or the deadline has come.
  virtual void Wait(std::int64_t deadlineMs, const std::function<bool()>& done) = 0;
  // The line's rate, for the time a request spends on the wire.
  virtual std::uint32_t BaudRate() = 0;
};

struct ShortWriteError : std::runtime_error {
  ShortWriteError() : std::runtime_error("Write to the serial line was cut short") {}
};

namespace readerlink {
inline constexpr int kAttempts = 3;
inline constexpr std::int64_t kUnicastWaitMs = 100;
inline constexpr int kBroadcastWaits = 32;  // a broadcast waits 32 unicast waits, 3.2 s
// The line is quiet when nothing arrived for more than this; then the idle flush may echo.
inline constexpr std::int64_t kIdleFlushMs = 10;
inline constexpr unsigned kBitsPerByte = 10;  // start, eight data, stop
// While the response slot is full the receive buffer only grows. It must hold every answer
// of a full broadcast queued behind the slot (254 readers x 8 bytes) with ample room for
// noise between them; beyond it new bytes are dropped and the loss is noted in the log.
inline constexpr std::size_t kReceiveBufferBound = 64 * 1024;
}  // namespace readerlink

// Where every received byte went; the counts only grow. received is always the sum of the
// others plus what is still buffered.
struct LinkTally {
  std::uint64_t received = 0;
  std::uint64_t echoed = 0;          // shown in the terminal log, once
  std::uint64_t droppedInFrames = 0;  // inside valid frames nobody awaited
  std::uint64_t handedToSlot = 0;    // inside accepted responses
  std::uint64_t droppedAtBound = 0;  // lost at the receive buffer bound, noted in the log
};

// One answer to the reader search.
struct ReaderAnswer {
  std::uint8_t address;
  std::uint8_t serialHigh;
  std::uint8_t serialLow;
  bool operator==(const ReaderAnswer&) const = default;
};

// How a command ended, as a trace of the line tells it.
enum class TCommandOutcome { Accepted, Timeout, WrongLength, ReaderStatus };

// Watches the exchanges of a link, for a trace: each sending, and how each command ended.
// Optional; the link behaves the same without one.
class ExchangeObserver {
 public:
  virtual ~ExchangeObserver() = default;
  // attempt counts the sendings of one exchange from 1.
  virtual void FrameSent(std::span<const std::uint8_t> frame, int attempt) = 0;
  // response is the frame taken, empty after a timeout. A search that finds no further answer
  // in the receive buffer ends without a call: nothing went over the line for it.
  virtual void CommandEnded(std::uint8_t code, TCommandOutcome outcome,
                            std::span<const std::uint8_t> response) = 0;
};

// "address / serial": the address in decimal, the serial as four upper-case hex digits.
std::string ReaderEntryText(const ReaderAnswer& answer);

// The link state and the protocol above it: the receive path, the exchange and its wrappers,
// and the collection of search answers. Runs on one thread; the host's Wait re-enters it
// only through ReceiveChunk, ProcessInput and IdleFlush.
class ReaderLink {
 public:
  ReaderLink(LinkHost& host, ErrorList& errors) : host_(host), errors_(errors) {}

  // A chunk from the line: stamps the last receive time and scans it in. Give it exactly
  // the bytes the port's read returned.
  void ReceiveChunk(std::span<const std::uint8_t> bytes);
  // Frame assembler; final = true is the scan at the end of a wait.
  void ProcessInput(std::span<const std::uint8_t> bytes, bool final);
  // The 10 ms timer: echoes the whole buffer once the line is quiet and no exchange runs.
  void IdleFlush();

  bool ExchangeFrame(std::uint8_t address, std::uint8_t code, std::span<const std::uint8_t> data,
                     std::vector<std::uint8_t>& response, bool send);
  std::size_t SendFrame(std::span<const std::uint8_t> frame);
  bool ReadCommand(std::uint8_t address, std::uint8_t code, std::span<const std::uint8_t> data,
                   std::vector<std::uint8_t>& result, std::size_t expected, bool send);
  bool WriteCommand(std::uint8_t address, std::uint8_t code, std::span<const std::uint8_t> data);
  bool WriteByteCommand(std::uint8_t address, std::uint8_t code, std::uint8_t value);

  // Broadcasts the serial number request and takes every answer, in arrival order. Clears
  // the error list first; a failed later answer ends the list and leaves its error line.
  std::vector<ReaderAnswer> CollectReaderAnswers();

  void SetObserver(ExchangeObserver* observer) { observer_ = observer; }

  std::uint8_t ExchangeAddress() const { return exchangeAddress_; }
  bool Awaiting() const { return awaiting_; }
  std::span<const std::uint8_t> ResponseSlot() const { return slot_; }
  std::span<const std::uint8_t> ReceiveBuffer() const {
    return std::span<const std::uint8_t>(buffer_).subspan(head_);
  }
  std::string_view LogLineBuffer() const { return logLine_; }
  const LinkTally& Tally() const { return tally_; }

 private:
  struct DropMark {
    std::size_t position;  // bytes still in front of the gap
    std::size_t count;
  };
  // After a unicast exchange that succeeded on a later sending, the answers to the other
  // sendings are still on their way; they must not be taken by the next exchange.
  struct Duplicates {
    std::uint8_t address = 0;
    std::uint8_t code = 0;
    int outstanding = 0;
    std::int64_t untilMs = 0;
  };

  std::size_t Buffered() const { return buffer_.size() - head_; }
  // Removes up to count bytes from the front of the receive buffer, echoing them first.
  // Bytes removed without echo are counted in the tally by the caller, which knows why.
  void ConsumeInput(std::size_t count, bool echo);
  void Append(std::span<const std::uint8_t> bytes);
  void DropFront(std::size_t count);
  void Echo(std::string_view raw);
  void NoteDrop(std::size_t count);
  bool IsAwaited(const std::uint8_t* frame) const;
  bool IsDuplicate(const std::uint8_t* frame);
  // After a unicast exchange that needed several sendings: waits out the answers to the
  // repeated sendings, dropping them, so that none is taken by the next exchange.
  void AwaitRepeatedAnswers(std::uint8_t address, int outstanding, std::int64_t firstSentMs, std::int64_t lastSentMs);
  void KeepWithinBound();
  std::int64_t WireTimeMs(std::size_t bytes);
  // Tells the observer, if any, how a command ended; true when it was accepted.
  bool Ended(std::uint8_t code, TCommandOutcome outcome, std::span<const std::uint8_t> response);

  LinkHost& host_;
  ErrorList& errors_;
  std::vector<std::uint8_t> buffer_;  // receive buffer from head_ on
  std::size_t head_ = 0;
  std::vector<std::uint8_t> slot_;
  bool awaiting_ = false;
  // From the start of an exchange to its end, also while it waits out the answers to its
  // repeated sendings, when nothing is awaited any more: a duplicate answer arriving in two
  // chunks must not be cut in half by the idle flush and shown as noise.
  bool exchanging_ = false;
  std::uint8_t awaitedCode_ = 0;
  std::uint8_t exchangeAddress_ = 0;
  std::int64_t lastReceiveMs_ = 0;
  std::string logLine_;  // the unfinished last log line, raw, cut after each line feed
  std::deque<DropMark> drops_;
  Duplicates duplicates_;
  LinkTally tally_;
  ExchangeObserver* observer_ = nullptr;
};
