#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <span>
#include <string>

#include "ReaderLink.h"
#include "TerminalText.h"

// Every request and response of a link as lines of text: a millisecond time stamp, the
// direction, the attempt, the round-trip time and the outcome, then the frame in hex. The bytes
// of the line that belong to no frame (the window's terminal log) are shown as their lines
// complete.
class TExchangeTrace : public ExchangeObserver {
 public:
  using TClock = std::function<std::int64_t()>;  // monotonic milliseconds

  TExchangeTrace(std::ostream& out, TClock clock);

  void FrameSent(std::span<const std::uint8_t> frame, int attempt) override;
  void CommandEnded(std::uint8_t code, TCommandOutcome outcome, std::span<const std::uint8_t> response) override;

  // The link's terminal-log line, as a LinkHost receives it.
  void ShowLogLine(std::string_view raw);
  // Shows the unfinished last log line, if any; at the end of a command.
  void FlushLog();

 private:
  std::string Stamp();
  void PrintLogLines(std::size_t upTo);

  std::ostream& out_;
  TClock clock_;
  std::int64_t startMs_;
  std::int64_t lastSentMs_ = 0;
  int lastAttempt_ = 0;
  // A command is short: its log needs no bound, and lines must not vanish before they are shown.
  TerminalLog log_{static_cast<std::size_t>(-1)};
  std::size_t logLinesShown_ = 0;
};

// "05 06 7C 01 9A 3B"
std::string HexFrame(std::span<const std::uint8_t> frame);

// The outcome in words: "accepted", "timeout", "wrong length", "status 17 доступ запрещен".
std::string OutcomeText(TCommandOutcome outcome, std::span<const std::uint8_t> response);
