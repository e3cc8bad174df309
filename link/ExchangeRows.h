#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "ReaderLink.h"

// One sending of a request and what came of it: a row of an exchange log. A search's further
// answers to its one broadcast are rows of their own that share the broadcast's sending.
struct ExchangeRow {
  std::uint64_t id = 0;      // counts the rows of a recorder from 1
  std::int64_t sentMs = 0;   // on the recorder's clock
  std::uint8_t address = 0;  // the answering reader's; the request's when nothing answered
  std::uint8_t code = 0;     // the request code
  int attempt = 0;
  std::vector<std::uint8_t> request;
  // Unset while the answer is awaited, and when the wait was cut short (interrupted).
  std::optional<CommandOutcome> outcome;
  bool interrupted = false;  // the exchange was broken off (the device went away)
  bool commandEnded = false; // no further sending follows: the command ended with this row
  std::int64_t roundTripMs = 0;  // from the sending to the end of the row
  std::vector<std::uint8_t> response;
};

// Turns a link's observations into rows: a row starts with each sending and ends when the
// command ends, when the next sending of the same command shows that it timed out, or when
// the next command starts without it having ended (interrupted).
class ExchangeRowRecorder : public ExchangeObserver {
 public:
  class Sink {
   public:
    virtual ~Sink() = default;
    // A request went out; the row has no outcome yet.
    virtual void RowStarted(const ExchangeRow& row) = 0;
    // The row's end. A row that did not start before (a search's further answer) comes only here.
    virtual void RowEnded(const ExchangeRow& row) = 0;
  };
  using Clock = std::function<std::int64_t()>;  // monotonic milliseconds

  ExchangeRowRecorder(Sink& sink, Clock clock) : sink_(sink), clock_(std::move(clock)) {}

  void FrameSent(std::span<const std::uint8_t> frame, int attempt) override;
  void CommandEnded(std::uint8_t code, CommandOutcome outcome, std::span<const std::uint8_t> response) override;

 private:
  void End(ExchangeRow& row);

  Sink& sink_;
  Clock clock_;
  std::uint64_t lastId_ = 0;
  ExchangeRow last_;  // the latest sending
  bool open_ = false; // last_ awaits its end
};
