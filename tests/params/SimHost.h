#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "ErrorList.h"
#include "Frame.h"
#include "ReaderLink.h"
#include "ReaderSimulator.h"

// The window as the link sees it, wired to simulated readers on a fake clock: what the link
// writes reaches the simulator at once, and its answers are delivered inside Wait at the time
// they have arrived, together with the 10 ms timer ticks.
class SimHost : public LinkHost {
 public:
  SimHost() : link(*this, errors) {}

  std::size_t WriteLine(std::span<const std::uint8_t> bytes) override {
    const std::vector<std::uint8_t> frame(bytes.begin(), bytes.end());
    written.push_back(frame);
    if (!deafTo || !deafTo(frame)) line.Receive(bytes, now_);
    return bytes.size();
  }
  void FailShortWrite(std::size_t, std::size_t) override { throw ShortWriteError(); }
  void ShowLogLine(std::string_view raw) override { lastLogLine.assign(raw); }
  std::int64_t NowMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(now_).count();
  }
  std::uint32_t BaudRate() override { return line.Settings().baud; }

  void Wait(std::int64_t deadlineMs, const std::function<bool()>& done) override {
    const sim::Nanos deadline = std::chrono::milliseconds(deadlineMs);
    while (!done()) {
      sim::Nanos next = nextTick_;
      if (const auto due = line.NextDue()) next = std::min(next, *due);
      if (const auto quiet = line.QuietDeadline()) next = std::min(next, *quiet);
      if (next > deadline) {
        now_ = std::max(now_, deadline);
        return;
      }
      now_ = std::max(now_, next);
      line.Idle(now_);
      if (const auto bytes = line.TakeDue(now_); !bytes.empty()) link.ReceiveChunk(bytes);
      if (now_ >= nextTick_) {
        nextTick_ += std::chrono::milliseconds(10);
        link.IdleFlush();
      }
    }
  }

  // Request codes written, in order; an unanswered request shows once per sending.
  std::vector<std::uint8_t> Codes() const {
    std::vector<std::uint8_t> codes;
    for (const auto& frame : written) codes.push_back(FrameView(frame).Code());
    return codes;
  }
  // The data bytes of every request written with this code.
  std::vector<std::vector<std::uint8_t>> DataOf(std::uint8_t code) const {
    std::vector<std::vector<std::uint8_t>> data;
    for (const auto& frame : written)
      if (const FrameView request(frame); request.Code() == code)
        data.emplace_back(request.RequestData().begin(), request.RequestData().end());
    return data;
  }

  sim::ReaderSimulator line;
  // Requests for which this holds never reach the readers, as if lost on the line.
  std::function<bool(const std::vector<std::uint8_t>&)> deafTo;
  std::vector<std::vector<std::uint8_t>> written;
  ErrorList errors;
  ReaderLink link;
  std::string lastLogLine;

 private:
  sim::Nanos now_{0};
  sim::Nanos nextTick_ = std::chrono::milliseconds(10);
};
