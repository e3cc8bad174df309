#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <span>
#include <string>

#include "ReaderLink.h"

// Every request and response of a link as lines of text: a millisecond time stamp, the
// direction, the attempt, the round-trip time and the outcome, then the frame in hex.
class TExchangeTrace : public ExchangeObserver {
 public:
  using TClock = std::function<std::int64_t()>;  // monotonic milliseconds

  TExchangeTrace(std::ostream& out, TClock clock);

  void FrameSent(std::span<const std::uint8_t> frame, int attempt) override;
  void CommandEnded(std::uint8_t code, TCommandOutcome outcome, std::span<const std::uint8_t> response) override;

 private:
  std::string Stamp();

  std::ostream& out_;
  TClock clock_;
  std::int64_t startMs_;
  std::int64_t lastSentMs_ = 0;
  int lastAttempt_ = 0;
};

// "05 06 7C 01 9A 3B"
std::string HexFrame(std::span<const std::uint8_t> frame);

// The outcome in words: "accepted", "timeout", "wrong length", "status 17 доступ запрещен".
std::string OutcomeText(TCommandOutcome outcome, std::span<const std::uint8_t> response);
