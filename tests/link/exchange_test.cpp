#include <gtest/gtest.h>

#include <string>

#include "FakeLine.h"

namespace {

constexpr std::uint8_t kReader = 0x05;

// A reader on the fake line that answers each request after a fixed delay: reads of the
// black list with the row's entry, writes with an acknowledgement carrying its status.
class Exchange : public ::testing::Test {
 protected:
  void AnswerAfter(std::int64_t delayMs, std::uint8_t status = 0xFF) {
    line.reader = [this, delayMs, status](const Bytes& request) {
      const FrameView sent(request);
      Bytes data;
      if (sent.Code() == cmd::ReadBlackList) data = {sent.RequestData()[0], 0xB0, 0xB1, 0xB2};
      if (sent.Code() == cmd::ReadMode) data = {0x02};
      line.At(line.now + delayMs, AnswerFrame(sent.Address(), sent.Code(), data, status));
    };
  }
  // All ten rows of a reader whose answer to row r is r B0 B1 B2, each taken on its second
  // sending and none shifted onto the next row.
  void ExpectEveryBlackListRowReadOnTheSecondSending() {
    for (std::uint8_t row = 0; row < 10; ++row) {
      Bytes entry;
      const Bytes index{row};
      ASSERT_TRUE(line.link.ReadCommand(kReader, cmd::ReadBlackList, index, entry, 4, Sending::SendRequest)) << int(row);
      EXPECT_EQ(entry, (Bytes{row, 0xB0, 0xB1, 0xB2})) << int(row);
    }
    EXPECT_TRUE(line.errors.empty());
    EXPECT_EQ(line.written.size(), 20u);
  }

  FakeLine line;
};

TEST_F(Exchange, PromptAnswerTakesOneSendingAndNoErrorLine) {
  AnswerAfter(20);
  Bytes mode;
  EXPECT_TRUE(line.link.ReadCommand(kReader, cmd::ReadMode, {}, mode, 1, Sending::SendRequest));
  EXPECT_EQ(mode, Bytes{0x02});
  EXPECT_EQ(line.written, (std::vector<Bytes>{BuildRequest(kReader, cmd::ReadMode)}));
  EXPECT_TRUE(line.errors.empty());
  EXPECT_EQ(line.now, 20);  // returned when the answer came, not at the deadline
}

TEST_F(Exchange, NoReaderMeansThreeSendingsAndOneTimeoutLine) {
  Bytes mode;
  EXPECT_FALSE(line.link.ReadCommand(kReader, cmd::ReadMode, {}, mode, 1, Sending::SendRequest));
  EXPECT_EQ(line.written.size(), 3u);
  EXPECT_EQ(line.writeTimes, (std::vector<std::int64_t>{0, 100, 200}));
  EXPECT_EQ(line.errors.Lines(), (std::vector<std::string>{"Чтение режима работы - таймаут"}));
  EXPECT_FALSE(line.link.WriteByteCommand(kReader, cmd::WriteMode, 2));
  EXPECT_EQ(line.errors.Lines().back(), "Изменение режима работы - таймаут");
}

TEST_F(Exchange, AnAnswerOnTheDeviceAtTheDeadlineIsTakenThoughNoEventBroughtIt) {
  line.reader = [this](const Bytes& request) { line.arrived = AnswerFrame(kReader, FrameView(request).Code(), {0x02}); };
  Bytes mode;
  EXPECT_TRUE(line.link.ReadCommand(kReader, cmd::ReadMode, {}, mode, 1, Sending::SendRequest));
  EXPECT_EQ(mode, Bytes{0x02});
  EXPECT_EQ(line.written.size(), 1u);
  EXPECT_TRUE(line.errors.empty());
}

TEST_F(Exchange, BroadcastWaitsItsWholeDeadlineThreeTimes) {
  Bytes response;
  EXPECT_FALSE(line.link.ExchangeFrame(0xFF, cmd::ReadSerialNumber, {}, response, Sending::SendRequest));
  EXPECT_EQ(line.writeTimes, (std::vector<std::int64_t>{0, 3200, 6400}));
  EXPECT_EQ(line.now, 9600);
}

// The deadline counts from the moment the request has left: at 1200 baud a 12-byte
// request spends 100 ms on the wire before the reader can even start to answer.
TEST_F(Exchange, DeadlineAddsTheRequestsWireTime) {
  line.baud = 1200;
  const Bytes key{1, 2, 3, 4, 5, 6, 0};
  EXPECT_FALSE(line.link.WriteCommand(kReader, cmd::ChangeKey, key));
  EXPECT_EQ(line.waitDeadlines, (std::vector<std::int64_t>{200, 400, 600}));
  line.baud = 9600;
  line.waitDeadlines.clear();
  line.now = 0;
  EXPECT_FALSE(line.link.WriteCommand(kReader, cmd::ChangeKey, key));
  EXPECT_EQ(line.waitDeadlines.front(), 113);  // 120 bits at 9600 baud, rounded up
}

struct Failure {
  const char* name;
  Bytes answer;
  std::size_t expected;
  std::string line;
};
void PrintTo(const Failure& row, std::ostream* os) { *os << row.name; }

class FailedRead : public ::testing::TestWithParam<Failure> {};

// A wrong length is reported before the reader's status is looked at.
TEST_P(FailedRead, RecordsItsLineAndReturnsFalse) {
  FakeLine line;
  line.At(10, GetParam().answer);
  Bytes result;
  EXPECT_FALSE(line.link.ReadCommand(kReader, cmd::ReadMode, {}, result, GetParam().expected, Sending::SendRequest));
  EXPECT_EQ(line.errors.Lines(), (std::vector<std::string>{GetParam().line}));
  EXPECT_EQ(line.written.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Exchange, FailedRead,
    ::testing::Values(
        Failure{"ShortAnswerWithStatus", Response(kReader, 0x7F, {}, 0x23), 1,
                "Чтение режима работы - неправильный формат данных"},
        Failure{"LongAnswer", Response(kReader, 0x7F, {1, 2}), 1, "Чтение режима работы - неправильный формат данных"},
        Failure{"ReaderStatus", Response(kReader, 0x7F, {0x00}, 0x17), 1, "Чтение режима работы - доступ запрещен"},
        Failure{"UnknownStatus", Response(kReader, 0x7F, {0x00}, 0x30), 1,
                "Чтение режима работы - неизвестная ошибка"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Exchange, WriteChecksTheAcknowledgementLengthAndStatus) {
  line.At(10, Response(kReader, 0x7D, {0x00}));
  EXPECT_FALSE(line.link.WriteByteCommand(kReader, cmd::WriteMode, 2));
  line.At(line.now + 10, Response(kReader, 0x7D, {}, 0x23));
  EXPECT_FALSE(line.link.WriteByteCommand(kReader, cmd::WriteMode, 2));
  EXPECT_EQ(line.errors.Lines(),
            (std::vector<std::string>{"Изменение режима работы - неправильный формат данных",
                                      "Изменение режима работы - команда не может быть обработана в текущем режиме"}));
  EXPECT_EQ(FrameView(line.written.back()).RequestData()[0], 0x02);
}

TEST_F(Exchange, ReadTakesTheRespondersAddressWriteKeepsTheExchangeAddress) {
  line.At(10, Response(0x07, 0x71, {0x00, 0x7F}));
  Bytes serial;
  ASSERT_TRUE(line.link.ReadCommand(0xFF, cmd::ReadSerialNumber, {}, serial, 2, Sending::SendRequest));
  EXPECT_EQ(line.link.ExchangeAddress(), 0x07);
  line.At(line.now + 10, Response(kReader, 0x7D, {}));
  ASSERT_TRUE(line.link.WriteByteCommand(kReader, cmd::WriteMode, 2));
  EXPECT_EQ(line.link.ExchangeAddress(), kReader);
}

// A reader that answers after 150 ms: the first answer comes during the second wait and is
// taken; the answer to the second sending arrives later and must not be taken by the next
// exchange, which shares code and address (the black list rows do).
TEST_F(Exchange, LateReaderGivesEveryBlackListRowRight) {
  AnswerAfter(150);
  ExpectEveryBlackListRowReadOnTheSecondSending();
}

TEST_F(Exchange, LateReaderWithAFailingRowReportsThatRow) {
  AnswerAfter(150);
  for (std::uint8_t row = 0; row < 10; ++row) {
    // Row 4 is refused; with a shifted answer row 5 would get the refusal and row 4 success.
    AnswerAfter(150, row == 4 ? 0x17 : 0xFF);
    const Bytes entry{0, 0, 0, 0, row};
    EXPECT_EQ(line.link.WriteCommand(kReader, cmd::WriteBlackList, entry), row != 4) << int(row);
  }
  EXPECT_EQ(line.errors.Lines(),
            (std::vector<std::string>{"Изменение черного списка кассовых аппаратов - доступ запрещен"}));
}

// A late reader that does not answer a repeated request (busy with the first one), or whose
// answer to it is cut short: the answer the link waits out never comes, and the next row's
// own answer must not be dropped in its place.
TEST_F(Exchange, LateReaderThatIgnoresRepeatsStillGivesEveryBlackListRowRight) {
  Bytes last;
  line.reader = [&](const Bytes& request) {
    if (request == last) return;
    last = request;
    const FrameView sent(request);
    line.At(line.now + 150, Response(sent.Address(), 0x9B, {sent.RequestData()[0], 0xB0, 0xB1, 0xB2}));
  };
  ExpectEveryBlackListRowReadOnTheSecondSending();
}

// The answer to the repeated sending comes in two chunks further apart than the idle flush's
// quiet time, while the exchange waits it out: no half of it may reach the log as noise.
TEST_F(Exchange, DuplicateAnswerInTwoChunksIsNotFlushedAsNoise) {
  line.reader = [this](const Bytes& request) {
    const Bytes answer = Response(FrameView(request).Address(), 0x7F, {0x02});
    line.At(line.now + 150, Bytes(answer.begin(), answer.begin() + 3));
    line.At(line.now + 180, Bytes(answer.begin() + 3, answer.end()));
  };
  Bytes mode;
  ASSERT_TRUE(line.link.ReadCommand(kReader, cmd::ReadMode, {}, mode, 1, Sending::SendRequest));
  ASSERT_EQ(line.written.size(), 2u);
  line.reader = nullptr;
  line.RunUntil(line.now + 500);
  EXPECT_EQ(line.LogText(), "");
  EXPECT_EQ(line.link.Tally().echoed, 0u);
}

// Once the outstanding answers are overdue the next exchange is not held up any more.
TEST_F(Exchange, DuplicateWindowEndsWhenTheAnswersAreOverdue) {
  AnswerAfter(150);
  Bytes mode;
  ASSERT_TRUE(line.link.ReadCommand(kReader, cmd::ReadMode, {}, mode, 1, Sending::SendRequest));
  line.reader = nullptr;
  line.RunUntil(line.now + 1000);  // the duplicate came and went
  AnswerAfter(10);
  ASSERT_TRUE(line.link.ReadCommand(kReader, cmd::ReadMode, {}, mode, 1, Sending::SendRequest));
  EXPECT_EQ(line.written.size(), 3u);
}

// An exchange without an answer ends with nobody awaiting: a late answer is dropped like
// any other stray frame, the idle flush works on and later text reaches the log.
TEST_F(Exchange, FailedExchangeLeavesTheLinkIdle) {
  Bytes mode;
  EXPECT_FALSE(line.link.ReadCommand(kReader, cmd::ReadMode, {}, mode, 1, Sending::SendRequest));
  EXPECT_FALSE(line.link.Awaiting());
  line.At(line.now + 5, Response(kReader, 0x7F, {0x02}));
  line.At(line.now + 50, Text("still here"));
  line.RunUntil(line.now + 100);
  EXPECT_TRUE(line.link.ResponseSlot().empty());
  EXPECT_EQ(line.LogText(), "still here");
}

TEST_F(Exchange, ShortWriteIsAPortFailureAndLeavesTheLinkIdle) {
  line.writeLimit = 3;
  Bytes mode;
  EXPECT_THROW(line.link.ReadCommand(kReader, cmd::ReadMode, {}, mode, 1, Sending::SendRequest), TestWriteError);
  EXPECT_EQ(line.discards, 1);
  EXPECT_EQ(line.written.size(), 1u);
  EXPECT_FALSE(line.link.Awaiting());
}

TEST_F(Exchange, ThrowingWriteLeavesTheLinkIdle) {
  line.failWrite = true;
  EXPECT_THROW(line.link.WriteByteCommand(kReader, cmd::WriteMode, 1), TestWriteError);
  EXPECT_FALSE(line.link.Awaiting());
  EXPECT_TRUE(line.link.ResponseSlot().empty());
  EXPECT_TRUE(line.errors.empty());
}

}  // namespace
