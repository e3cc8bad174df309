#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "CodeTables.h"
#include "ErrorList.h"
#include "ReaderLink.h"
#include "TerminalText.h"
#include "Frame.h"
#include "ResponseFrame.h"

using Bytes = std::vector<std::uint8_t>;

inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct TestWriteError : std::runtime_error {
  TestWriteError() : std::runtime_error("write failed") {}
};

// The window as the link sees it, on a fake clock: Wait advances the clock, delivering
// scripted chunks at their times and a timer tick every 10 ms, as the event loop would.
class FakeLine : public LinkHost {
 public:
  FakeLine() : link(*this, errors) {}

  // Delivers bytes at the given time (during a wait or by RunUntil).
  void At(std::int64_t ms, const Bytes& bytes) { chunks_.emplace(ms, bytes); }
  // Passes time outside an exchange, serving chunks and ticks.
  void RunUntil(std::int64_t ms) {
    Wait(ms, [] { return false; });
  }

  std::size_t WriteLine(std::span<const std::uint8_t> bytes) override {
    if (failWrite) throw TestWriteError();
    written.emplace_back(bytes.begin(), bytes.end());
    writeTimes.push_back(now);
    if (reader) reader(written.back());
    return std::min(bytes.size(), writeLimit);
  }
  void FailShortWrite(std::size_t, std::size_t) override {
    ++discards;
    throw TestWriteError();
  }
  void ShowLogLine(std::string_view raw) override { log.Show(raw); }
  std::int64_t NowMs() override { return now; }
  std::vector<std::uint8_t> TakeArrived() override { return std::exchange(arrived, {}); }
  std::uint32_t BaudRate() override { return baud; }

  void Wait(std::int64_t deadline, const std::function<bool()>& done) override {
    waitDeadlines.push_back(deadline);
    while (!done()) {
      const bool chunkFirst = !chunks_.empty() && chunks_.begin()->first <= nextTick_;
      const std::int64_t next = chunkFirst ? chunks_.begin()->first : nextTick_;
      if (next > deadline) {
        now = std::max(now, deadline);
        return;
      }
      now = std::max(now, next);
      if (chunkFirst) {
        const Bytes bytes = chunks_.begin()->second;
        chunks_.erase(chunks_.begin());
        link.ReceiveChunk(bytes);
        if (afterChunk) afterChunk();
      } else {
        nextTick_ += 10;
        link.IdleFlush();
      }
    }
  }

  // Everything in the log, lines joined by '\n'.
  std::string LogText() const {
    std::string all;
    for (std::size_t i = 0; i < log.Lines().size(); ++i) {
      if (i) all += '\n';
      all += log.Lines()[i];
    }
    return all;
  }

  std::int64_t now = 0;
  std::uint32_t baud = 0;  // no wire time unless a test asks for it
  std::size_t writeLimit = SIZE_MAX;
  bool failWrite = false;
  int discards = 0;
  std::vector<Bytes> written;
  std::vector<std::int64_t> writeTimes;
  std::vector<std::int64_t> waitDeadlines;
  std::function<void(const Bytes&)> reader;  // answers requests by scheduling chunks
  std::function<void()> afterChunk;
  Bytes arrived;  // on the device, not yet handed over by an event
  TerminalLog log;
  ErrorList errors;
  ReaderLink link;

 private:
  std::multimap<std::int64_t, Bytes> chunks_;
  std::int64_t nextTick_ = 10;
};
