// The link tells an observer every sending and how each command ended; the trace of the
// command line is built on it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../link/FakeLine.h"

namespace {

constexpr std::uint8_t kReader = 0x05;

struct Event {
  std::string kind;  // "sent" or "ended"
  std::uint8_t code = 0;
  int attempt = 0;
  CommandOutcome outcome = CommandOutcome::Accepted;
  Bytes frame;
  bool operator==(const Event&) const = default;
};

class Recorder : public ExchangeObserver {
 public:
  void FrameSent(std::span<const std::uint8_t> frame, int attempt) override {
    events.push_back({"sent", FrameView(frame).Code(), attempt, CommandOutcome::Accepted, Bytes(frame.begin(), frame.end())});
  }
  void CommandEnded(std::uint8_t code, CommandOutcome outcome, std::span<const std::uint8_t> response) override {
    events.push_back({"ended", code, 0, outcome, Bytes(response.begin(), response.end())});
  }
  std::vector<Event> events;
};

class ExchangeObserverTest : public ::testing::Test {
 protected:
  ExchangeObserverTest() { line.link.SetObserver(&recorder); }
  void Answer(std::int64_t delayMs, Bytes data, std::uint8_t status = 0xFF) {
    line.reader = [=, this](const Bytes& request) {
      const FrameView sent(request);
      line.At(line.now + delayMs, AnswerFrame(sent.Address(), sent.Code(), data, status));
    };
  }
  FakeLine line;
  Recorder recorder;
};

Event Sent(std::uint8_t address, std::uint8_t code, int attempt, Bytes data = {}) {
  return {"sent", code, attempt, CommandOutcome::Accepted, BuildRequest(address, code, data)};
}
Event Ended(std::uint8_t code, CommandOutcome outcome, Bytes frame) { return {"ended", code, 0, outcome, frame}; }

TEST_F(ExchangeObserverTest, AcceptedReadIsOneSendingAndItsAnswer) {
  Answer(20, {0x02});
  Bytes mode;
  ASSERT_TRUE(line.link.ReadCommand(kReader, cmd::ReadMode, {}, mode, 1, Sending::SendRequest));
  EXPECT_EQ(recorder.events, (std::vector<Event>{Sent(kReader, cmd::ReadMode, 1),
                                                 Ended(cmd::ReadMode, CommandOutcome::Accepted,
                                                       AnswerFrame(kReader, cmd::ReadMode, {0x02}))}));
}

TEST_F(ExchangeObserverTest, SilentReaderShowsEveryAttemptThenTheTimeout) {
  EXPECT_FALSE(line.link.WriteByteCommand(kReader, cmd::WriteSector, 4));
  EXPECT_EQ(recorder.events,
            (std::vector<Event>{Sent(kReader, cmd::WriteSector, 1, {4}), Sent(kReader, cmd::WriteSector, 2, {4}),
                                Sent(kReader, cmd::WriteSector, 3, {4}),
                                Ended(cmd::WriteSector, CommandOutcome::Timeout, {})}));
}

TEST_F(ExchangeObserverTest, RefusalsAreToldApartFromTimeouts) {
  Bytes result;
  Answer(10, {0x01});  // one data byte where four are expected
  EXPECT_FALSE(line.link.ReadCommand(kReader, cmd::ReadCashDeskNumber, {}, result, 4, Sending::SendRequest));
  EXPECT_EQ(recorder.events.back().outcome, CommandOutcome::WrongLength);
  Answer(10, {}, 0x17);
  EXPECT_FALSE(line.link.WriteByteCommand(kReader, cmd::WriteMode, 1));
  EXPECT_EQ(recorder.events.back(),
            Ended(cmd::WriteMode, CommandOutcome::ReaderStatus, AnswerFrame(kReader, cmd::WriteMode, {}, 0x17)));
  // The observer only watches: the error lines are those the link always adds.
  EXPECT_EQ(line.errors.Lines(), (std::vector<std::string>{"Чтение номера кассы - неправильный формат данных",
                                                           "Изменение режима работы - доступ запрещен"}));
}

TEST_F(ExchangeObserverTest, SearchReportsEachAnswerButNotTheEmptyBufferAtItsEnd) {
  line.reader = [this](const Bytes&) {
    line.At(line.now + 15, AnswerFrame(1, cmd::ReadSerialNumber, {0x00, 0x01}));
    line.At(line.now + 40, AnswerFrame(2, cmd::ReadSerialNumber, {0x00, 0x02}));
  };
  EXPECT_EQ(line.link.CollectReaderAnswers().size(), 2u);
  ASSERT_EQ(recorder.events.size(), 3u);
  EXPECT_EQ(recorder.events[0], Sent(0xFF, cmd::ReadSerialNumber, 1));
  EXPECT_EQ(recorder.events[1].frame[0], 1);
  EXPECT_EQ(recorder.events[2].frame[0], 2);
}

}  // namespace
