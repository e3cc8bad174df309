#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ErrorList.h"
#include "FrameAssembler.h"
#include "LinkHost.h"
#include "LogLine.h"

namespace readerlink {
inline constexpr int kAttempts = 3;
inline constexpr std::int64_t kUnicastWaitMs = 100;
inline constexpr int kBroadcastWaits = 32;  // a broadcast waits 32 unicast waits, 3.2 s
// The line is quiet when nothing arrived for more than this; then the idle flush may echo.
inline constexpr std::int64_t kIdleFlushMs = 10;
inline constexpr unsigned kBitsPerByte = 10;  // start, eight data, stop
}  // namespace readerlink

// Whether an exchange sends its request, or only takes the next answer that is already in
// the receive buffer (the search's further answers to one broadcast).
enum class Sending { SendRequest, TakeNextAnswer };

// One answer to the reader search.
struct ReaderAnswer {
  std::uint8_t address;
  std::uint8_t serialHigh;
  std::uint8_t serialLow;
  bool operator==(const ReaderAnswer&) const = default;
};

// How a command ended, as a trace of the line tells it.
enum class CommandOutcome { Accepted, Timeout, WrongLength, ReaderStatus };

// Watches the exchanges of a link, for a trace: each sending, and how each command ended.
// Optional; the link behaves the same without one.
class ExchangeObserver {
 public:
  virtual ~ExchangeObserver() = default;
  // attempt counts the sendings of one exchange from 1.
  virtual void FrameSent(std::span<const std::uint8_t> frame, int attempt) = 0;
  // response is the frame taken, empty after a timeout. A search that finds no further answer
  // in the receive buffer ends without a call: nothing went over the line for it.
  virtual void CommandEnded(std::uint8_t code, CommandOutcome outcome,
                            std::span<const std::uint8_t> response) = 0;
};

// "address / serial": the address in decimal, the serial as four upper-case hex digits.
std::string ReaderEntryText(const ReaderAnswer& answer);

// The link state and the request transaction above it: which frame of the receive path is
// the awaited answer, the exchange with its retries, the status decoding of the commands, and
// the collection of search answers. The receive buffer and its scan are the FrameAssembler's,
// the terminal log's unfinished line the LogLine's. Runs on one thread; the host's Wait
// re-enters it only through ReceiveChunk, ProcessInput and IdleFlush.
class ReaderLink {
 public:
  ReaderLink(LinkHost& host, ErrorList& errors) : host_(host), errors_(errors), logLine_(host), assembler_(logLine_) {}
  // The assembler echoes into this link's own log line.
  ReaderLink(const ReaderLink&) = delete;
  ReaderLink& operator=(const ReaderLink&) = delete;

  // A chunk from the line: stamps the last receive time and scans it in. Give it exactly
  // the bytes the port's read returned.
  void ReceiveChunk(std::span<const std::uint8_t> bytes);
  // Frame assembler; ScanMode::Final is the scan at the end of a wait.
  void ProcessInput(std::span<const std::uint8_t> bytes, ScanMode scan);
  // The 10 ms timer: echoes the whole buffer once the line is quiet and no exchange runs.
  void IdleFlush();

  bool ExchangeFrame(std::uint8_t address, std::uint8_t code, std::span<const std::uint8_t> data,
                     std::vector<std::uint8_t>& response, Sending sending);
  std::size_t SendFrame(std::span<const std::uint8_t> frame);
  bool ReadCommand(std::uint8_t address, std::uint8_t code, std::span<const std::uint8_t> data,
                   std::vector<std::uint8_t>& result, std::size_t expected, Sending sending);
  bool WriteCommand(std::uint8_t address, std::uint8_t code, std::span<const std::uint8_t> data);
  bool WriteByteCommand(std::uint8_t address, std::uint8_t code, std::uint8_t value);

  // Broadcasts the serial number request and takes every answer, in arrival order. Clears
  // the error list first; a failed later answer ends the list and leaves its error line.
  std::vector<ReaderAnswer> CollectReaderAnswers();

  void SetObserver(ExchangeObserver* observer) { observer_ = observer; }

  std::uint8_t ExchangeAddress() const { return exchangeAddress_; }
  bool Awaiting() const { return awaiting_; }
  std::span<const std::uint8_t> ResponseSlot() const { return slot_; }
  std::span<const std::uint8_t> ReceiveBuffer() const { return assembler_.Contents(); }
  std::string_view LogLineBuffer() const { return logLine_.Unfinished(); }
  const LinkTally& Tally() const { return assembler_.Tally(); }

 private:
  // After a unicast exchange that succeeded on a later sending, the answers to the other
  // sendings are still on their way; they must not be taken by the next exchange.
  struct Duplicates {
    std::uint8_t address = 0;
    std::uint8_t code = 0;
    int outstanding = 0;
    std::int64_t untilMs = 0;
  };

  bool IsAwaited(const FrameView& frame) const;
  bool IsDuplicate(const FrameView& frame);
  // After a unicast exchange that needed several sendings: waits out the answers to the
  // repeated sendings, dropping them, so that none is taken by the next exchange.
  void AwaitRepeatedAnswers(std::uint8_t address, int outstanding, std::int64_t firstSentMs, std::int64_t lastSentMs);
  std::int64_t WireTimeMs(std::size_t bytes);
  // Decodes the response of a command that expects dataSize data bytes (empty when none
  // came), records the error line of a failure, tells the observer; true when accepted.
  bool EndCommand(std::uint8_t code, std::span<const std::uint8_t> response, std::size_t dataSize);

  LinkHost& host_;
  ErrorList& errors_;
  LogLine logLine_;
  FrameAssembler assembler_;
  std::vector<std::uint8_t> slot_;
  bool awaiting_ = false;
  // From the start of an exchange to its end, also while it waits out the answers to its
  // repeated sendings, when nothing is awaited any more: a duplicate answer arriving in two
  // chunks must not be cut in half by the idle flush and shown as noise.
  bool exchanging_ = false;
  std::uint8_t awaitedCode_ = 0;
  std::uint8_t exchangeAddress_ = 0;
  std::int64_t lastReceiveMs_ = 0;
  Duplicates duplicates_;
  ExchangeObserver* observer_ = nullptr;
};
