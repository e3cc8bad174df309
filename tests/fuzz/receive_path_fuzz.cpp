// Random chunks, frames, floods, clock steps and exchanges driven through the reader link.
// After every step: every received byte is accounted for exactly once, the slot holds at
// most one valid frame of at most 12 bytes, the buffer stays within its bound while the
// slot is full, and every exchange ends with nobody awaiting.
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <span>
#include <vector>

#include "ErrorList.h"
#include "ReaderLink.h"
#include "TerminalText.h"
#include "Frame.h"

namespace {

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

struct WriteFailure {};

class FuzzLine : public LinkHost {
 public:
  FuzzLine(const std::uint8_t* data, std::size_t size) : data_(data), size_(size), link_(*this, errors_) {}

  void Run() {
    while (left()) Step(false, 0);
  }

  std::size_t WriteLine(std::span<const std::uint8_t> bytes) override {
    if (left() && Next() < 8) return bytes.size() / 2;  // now and then a write is cut short
    return bytes.size();
  }
  void FailShortWrite(std::size_t, std::size_t) override { throw WriteFailure{}; }
  void ShowLogLine(std::string_view raw) override { log_.Show(raw); }
  std::int64_t NowMs() override { return now_; }
  std::uint32_t BaudRate() override { return 9600; }
  void Wait(std::int64_t deadline, const std::function<bool()>& done) override {
    while (!done() && now_ < deadline) {
      if (!left()) {
        now_ = deadline;
        return;
      }
      Step(true, deadline);
    }
  }

 private:
  bool left() const { return pos_ < size_; }
  std::uint8_t Next() { return left() ? data_[pos_++] : 0; }

  void Step(bool waiting, std::int64_t deadline) {
    switch (Next() % 5) {
      case 0: {  // a chunk of raw bytes
        std::vector<std::uint8_t> chunk(Next() % 48);
        for (auto& b : chunk) b = Next();
        Receive(chunk);
        break;
      }
      case 1: {  // a valid frame, often the one an exchange awaits
        // Frames of 5 to 12 bytes; the response codes make most of them look like answers.
        const std::uint8_t address = Next() % 4 == 0 ? 0xFF : Next() % 4;
        const auto code = static_cast<std::uint8_t>(0x71 + 2 * (Next() % 4));
        std::vector<std::uint8_t> data(Next() % 8);
        for (auto& b : data) b = Next();
        Receive(BuildRequest(address, code, data));
        break;
      }
      case 2: {  // time passes, the 10 ms timer ticks
        const std::int64_t until = now_ + Next();
        while (now_ < until && (!waiting || now_ < deadline)) {
          now_ = std::min(now_ + 10, until);
          link_.IdleFlush();
          Check();
        }
        break;
      }
      case 3: {  // a run of one byte; past the bound when an answer waits in the slot
        const std::size_t unit = link_.ResponseSlot().empty() ? 4 : 512;
        Receive(std::vector<std::uint8_t>(static_cast<std::size_t>(Next()) * unit, Next()));
        break;
      }
      default:
        if (!waiting) Exchange();
        break;
    }
  }

  void Receive(const std::vector<std::uint8_t>& chunk) {
    link_.ReceiveChunk(chunk);
    Check();
    if (link_.ResponseSlot().empty()) {
      Require(link_.ReceiveBuffer().size() < frame::kMaxLength, "scan leaves only a candidate");
    }
  }

  void Exchange() {
    const std::uint8_t address = Next() % 4 == 0 ? 0xFF : Next() % 4;
    const std::uint8_t code = static_cast<std::uint8_t>(0x70 + 2 * (Next() % 4));
    const std::size_t expected = Next() % 5;
    const Sending sending = Next() % 4 != 0 ? Sending::SendRequest : Sending::TakeNextAnswer;
    std::vector<std::uint8_t> result;
    try {
      if (link_.ReadCommand(address, code, {}, result, expected, sending)) {
        Require(result.size() == expected, "result has the expected size");
      }
    } catch (const WriteFailure&) {
    }
    Require(!link_.Awaiting(), "exchange ends with nobody awaiting");
    Require(link_.ResponseSlot().empty(), "exchange ends with the slot empty");
    Check();
  }

  void Check() {
    const LinkTally& t = link_.Tally();
    Require(t.received == t.echoed + t.droppedInFrames + t.handedToSlot + t.droppedAtBound +
                              link_.ReceiveBuffer().size(),
            "every byte accounted for once");
    const auto slot = link_.ResponseSlot();
    if (!slot.empty()) {
      Require(slot.size() >= frame::kMinLength && slot.size() <= frame::kMaxLength, "slot holds one short frame");
      Require(slot[1] == slot.size(), "slot frame has its own length");
      Require(FrameCrcMatches(slot.data(), slot.size()), "slot frame is valid");
      Require(link_.ReceiveBuffer().size() <= readerlink::kReceiveBufferBound, "bound holds while full");
    }
    Require(link_.LogLineBuffer().size() <= terminal::kMaxLineWidth + 1, "unfinished line within width");
    Require(log_.Lines().size() <= terminal::kMaxLogLines, "log within its line bound");
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  std::int64_t now_ = 0;
  ErrorList errors_;
  TerminalLog log_;
  ReaderLink link_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzLine(data, size).Run();
  return 0;
}
