#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

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
  // Bytes that reached the computer and are not handed over yet: read once an exchange's
  // deadline has come, so that an answer that came in time is not lost to a thread that had
  // no turn to hand it over on a busy machine.
  virtual std::vector<std::uint8_t> TakeArrived() { return {}; }
  // The line's rate, for the time a request spends on the wire.
  virtual std::uint32_t BaudRate() = 0;
};

struct ShortWriteError : std::runtime_error {
  ShortWriteError() : std::runtime_error("Write to the serial line was cut short") {}
};
