#include "ExchangeTrace.h"

#include <cstdio>

#include "CodeTables.h"
#include "ReaderText.h"

TExchangeTrace::TExchangeTrace(std::ostream& out, TClock clock)
    : out_(out), clock_(std::move(clock)), startMs_(clock_()), recorder_(*this, clock_) {}

std::string TExchangeTrace::Stamp() {
  char text[32];
  std::snprintf(text, sizeof text, "%8lld ms", static_cast<long long>(clock_() - startMs_));
  return text;
}

void TExchangeTrace::RowStarted(const ExchangeRow& row) {
  out_ << Stamp() << "  -> attempt " << row.attempt << "  " << HexFrame(row.request) << "  " << ReaderTextUtf8(CommandText(row.code))
       << "\n";
  out_.flush();
}

void TExchangeTrace::RowEnded(const ExchangeRow& row) {
  // An unanswered sending shows as the next attempt; only the command's end is told. A search
  // takes its later answers from the buffer without sending: their round trip is counted from
  // the broadcast.
  if (!row.commandEnded || !row.outcome) return;
  out_ << Stamp() << "  <- attempt " << row.attempt << "  " << row.roundTripMs << " ms  "
       << OutcomeText(*row.outcome, row.response, kTraceWords, ReaderTextUtf8);
  if (!row.response.empty()) out_ << "  " << HexFrame(row.response);
  out_ << "  " << ReaderTextUtf8(CommandText(row.code)) << "\n";
  out_.flush();
}

void TExchangeTrace::ShowLogLine(std::string_view raw) {
  log_.Show(raw);
  PrintLogLines(log_.Lines().size() - 1);  // the last line may still grow
}

void TExchangeTrace::FlushLog() {
  if (!log_.Lines().empty() && log_.Lines().back().empty()) return PrintLogLines(log_.Lines().size() - 1);
  PrintLogLines(log_.Lines().size());
}

void TExchangeTrace::PrintLogLines(std::size_t upTo) {
  for (; logLinesShown_ < upTo; ++logLinesShown_) out_ << Stamp() << "  line  " << log_.Lines()[logLinesShown_] << "\n";
  out_.flush();
}
