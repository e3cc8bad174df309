#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "FrameScanner.h"
#include "ReaderState.h"

namespace sim {

// Times on a monotonic clock with an arbitrary origin; the caller supplies them, so the
// protocol logic runs in tests without a clock or a sleep.
using Nanos = std::chrono::nanoseconds;

// Misbehaviour a reader can be told to show.
struct ReaderFaults {
  bool silent = false;                               // hears everything, answers nothing
  Nanos delay{0};                                    // extra time before each answer
  bool wrongCrc = false;                             // answer's last CRC byte spoiled
  bool wrongLength = false;                          // one extra data byte, frame still valid
  std::map<std::uint8_t, std::uint8_t> statusFor;   // request code -> status answered instead
  std::string noise;                                 // text sent before each answer
};

struct Reader {
  std::uint8_t address = 1;  // 0..254
  ReaderState state;
  ReaderFaults faults;
};

struct LineSettings {
  unsigned baud = 9600;
  Nanos turnaround = std::chrono::milliseconds(1);  // from a request's end to its answer
  // After this much silence a partial frame is given up: the bytes are scanned once more with
  // incomplete candidates skipped, and what is left is dropped.
  Nanos quietGap = std::chrono::milliseconds(10);
  bool echo = false;  // requests come back onto the line, as on a half-duplex line
  // The readers hear only what is sent at baud, as on a wire; a pseudo-terminal carries any rate.
  bool strictRate = false;
};

struct ScheduledByte {
  Nanos at;  // when the byte has fully arrived at the far end
  std::uint8_t value;
};

enum class Direction { Request, Response };

struct RecordEntry {
  Nanos at;  // a request: when it was received; a response: when its first bit goes out
  Direction direction;
  std::uint8_t reader;  // a request: its address byte; a response: the reader answering
  std::vector<std::uint8_t> frame;
};

// Several readers on one line. Bytes go in with the time they arrived; answers come out as
// bytes scheduled one byte time (10 bit times) apart, never two transmissions at once.
class ReaderSimulator {
 public:
  explicit ReaderSimulator(LineSettings settings = {});

  // Readers answer a broadcast in the order they were added. Throws std::invalid_argument
  // for the broadcast address or an address already on the line.
  Reader& AddReader(Reader reader);
  Reader* FindReader(std::uint8_t address);
  const std::deque<Reader>& Readers() const { return readers_; }

  void Receive(std::span<const std::uint8_t> bytes, Nanos now);

  // When partial input is buffered: the time at which the line counts as quiet, and the
  // call that gives the partial input up once that time has come (answering any request
  // found behind it).
  std::optional<Nanos> QuietDeadline() const;
  void Idle(Nanos now);

  // Removes and returns the bytes due by `now`, in line order.
  std::vector<std::uint8_t> TakeDue(Nanos now);
  std::optional<Nanos> NextDue() const;
  const std::deque<ScheduledByte>& Scheduled() const { return scheduled_; }

  const std::vector<RecordEntry>& Record() const { return record_; }
  // The request frames the readers heard, in order.
  std::vector<std::vector<std::uint8_t>> Requests() const;
  const LineSettings& Settings() const { return settings_; }
  Nanos ByteTime() const;
  // The latest time the simulator was given: its schedule is in its own time, which a line
  // served again goes on from.
  Nanos LatestTime() const { return latest_; }

 private:
  void Serve(const std::vector<std::vector<std::uint8_t>>& requests, Nanos now);
  void Answer(const std::vector<std::uint8_t>& request, Nanos now);
  std::vector<std::uint8_t> AnswerOf(Reader& reader, const std::vector<std::uint8_t>& request);
  Nanos Transmit(std::span<const std::uint8_t> bytes, Nanos earliest);

  LineSettings settings_;
  std::deque<Reader> readers_;
  FrameScanner scanner_;
  std::optional<Nanos> lastReceive_;
  Nanos lineFreeAt_{0};
  Nanos latest_{0};
  std::deque<ScheduledByte> scheduled_;
  std::vector<RecordEntry> record_;
};

}  // namespace sim
