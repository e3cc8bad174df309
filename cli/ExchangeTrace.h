#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "ExchangeRows.h"
#include "ExchangeText.h"
#include "TerminalText.h"

// Every request and response of a link as lines of text: a millisecond time stamp, the
// direction, the attempt, the round-trip time and the outcome, then the frame in hex. The bytes
// of the line that belong to no frame (the window's terminal log) are shown as their lines
// complete.
class TExchangeTrace : private ExchangeRowRecorder::Sink {
 public:
  using TClock = std::function<std::int64_t()>;  // monotonic milliseconds

  TExchangeTrace(std::ostream& out, TClock clock);

  // What the link is given to observe.
  ExchangeObserver& Observer() { return recorder_; }

  // The link's terminal-log line, as a LinkHost receives it.
  void ShowLogLine(std::string_view raw);
  // Shows the unfinished last log line, if any; at the end of a command.
  void FlushLog();

 private:
  void RowStarted(const ExchangeRow& row) override;
  void RowEnded(const ExchangeRow& row) override;
  std::string Stamp();
  void PrintLogLines(std::size_t upTo);

  std::ostream& out_;
  TClock clock_;
  std::int64_t startMs_;
  ExchangeRowRecorder recorder_;
  // A command is short: its log needs no bound, and lines must not vanish before they are shown.
  TerminalLog log_{static_cast<std::size_t>(-1)};
  std::size_t logLinesShown_ = 0;
};
