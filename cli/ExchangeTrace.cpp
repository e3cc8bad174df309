#include "ExchangeTrace.h"

#include <cstdio>

#include "CodeTables.h"
#include "crc16.h"

std::string HexFrame(std::span<const std::uint8_t> frame) {
  std::string text;
  char digits[4];
  for (const std::uint8_t b : frame) {
    std::snprintf(digits, sizeof digits, "%02X", b);
    if (!text.empty()) text += ' ';
    text += digits;
  }
  return text;
}

std::string OutcomeText(TCommandOutcome outcome, std::span<const std::uint8_t> response) {
  switch (outcome) {
    case TCommandOutcome::Accepted:
      return "accepted";
    case TCommandOutcome::Timeout:
      return "timeout";
    case TCommandOutcome::WrongLength:
      return "wrong length";
    case TCommandOutcome::ReaderStatus: {
      // The link reports a reader's status only with a response of the right length.
      const std::uint8_t status = response.size() >= frame::ResponseLength(0) ? FrameView(response).Status() : 0;
      char code[8];
      std::snprintf(code, sizeof code, "%02X", status);
      return std::string("status ") + code + " " + std::string(StatusText(status));
    }
  }
  return {};
}

TExchangeTrace::TExchangeTrace(std::ostream& out, TClock clock)
    : out_(out), clock_(std::move(clock)), startMs_(clock_()) {}

std::string TExchangeTrace::Stamp() {
  char text[32];
  std::snprintf(text, sizeof text, "%8lld ms", static_cast<long long>(clock_() - startMs_));
  return text;
}

void TExchangeTrace::FrameSent(std::span<const std::uint8_t> frame, int attempt) {
  lastSentMs_ = clock_();
  lastAttempt_ = attempt;
  const std::uint8_t code = frame.size() >= frame::kMinLength ? FrameView(frame).Code() : 0;
  out_ << Stamp() << "  -> attempt " << attempt << "  " << HexFrame(frame) << "  " << CommandText(code) << "\n";
  out_.flush();
}

void TExchangeTrace::CommandEnded(std::uint8_t code, TCommandOutcome outcome, std::span<const std::uint8_t> response) {
  // A search takes its later answers from the buffer without sending: their round trip is
  // counted from the broadcast.
  const std::int64_t roundTrip = clock_() - lastSentMs_;
  out_ << Stamp() << "  <- attempt " << lastAttempt_ << "  " << roundTrip << " ms  " << OutcomeText(outcome, response);
  if (!response.empty()) out_ << "  " << HexFrame(response);
  out_ << "  " << CommandText(code) << "\n";
  out_.flush();
}

void TExchangeTrace::ShowLogLine(std::string_view raw) {
  log_.Show(raw);
  PrintLogLines(log_.lines().size() - 1);  // the last line may still grow
}

void TExchangeTrace::FlushLog() {
  if (!log_.lines().empty() && log_.lines().back().empty()) return PrintLogLines(log_.lines().size() - 1);
  PrintLogLines(log_.lines().size());
}

void TExchangeTrace::PrintLogLines(std::size_t upTo) {
  for (; logLinesShown_ < upTo; ++logLinesShown_) out_ << Stamp() << "  line  " << log_.lines()[logLinesShown_] << "\n";
  out_.flush();
}
