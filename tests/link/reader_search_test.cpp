#include <gtest/gtest.h>

#include <string>

#include "FakeLine.h"

namespace {

ReaderAnswer Reader(std::uint8_t address, std::uint8_t high, std::uint8_t low) { return {address, high, low}; }

Bytes SerialAnswer(const ReaderAnswer& r) { return Response(r.address, 0x71, {r.serialHigh, r.serialLow}); }

class ReaderSearch : public ::testing::Test {
 protected:
  FakeLine line;
};

TEST(ReaderEntry, AddressInDecimalSerialInFourHexDigits) {
  EXPECT_EQ(ReaderEntryText(Reader(5, 0x00, 0x7F)), "5 / 007F");
  EXPECT_EQ(ReaderEntryText(Reader(1, 0x12, 0x34)), "1 / 1234");
  EXPECT_EQ(ReaderEntryText(Reader(254, 0xAB, 0xCD)), "254 / ABCD");
}

TEST_F(ReaderSearch, OneReaderIsListedAfterOneBroadcast) {
  line.At(40, BuildRequest(0xFF, 0x70) + SerialAnswer(Reader(5, 0x00, 0x7F)));
  EXPECT_EQ(line.link.CollectReaderAnswers(), (std::vector<ReaderAnswer>{Reader(5, 0x00, 0x7F)}));
  EXPECT_EQ(line.written.size(), 1u);
  EXPECT_EQ(line.now, 3200);
  EXPECT_TRUE(line.errors.empty());
  EXPECT_EQ(line.LogText(), "");
}

// Answers arrive in any order of addresses, with noise between them; they are listed in
// arrival order and the noise goes to the log.
TEST_F(ReaderSearch, ThreeReadersInAnswerOrderWithNoiseBetween) {
  line.At(30, SerialAnswer(Reader(9, 0x01, 0x02)));
  line.At(60, Text("noise\r\n") + SerialAnswer(Reader(2, 0x03, 0x04)));
  line.At(90, SerialAnswer(Reader(4, 0x05, 0x06)) + Text("tail!"));
  EXPECT_EQ(line.link.CollectReaderAnswers(),
            (std::vector<ReaderAnswer>{Reader(9, 1, 2), Reader(2, 3, 4), Reader(4, 5, 6)}));
  EXPECT_TRUE(line.errors.empty());
  line.RunUntil(line.now + 20);
  EXPECT_EQ(line.LogText(), "noise\ntail!");
}

TEST_F(ReaderSearch, NobodyAnswersAfterThreeBroadcasts) {
  EXPECT_TRUE(line.link.CollectReaderAnswers().empty());
  EXPECT_EQ(line.written.size(), 3u);
  EXPECT_EQ(line.now, 9600);
  EXPECT_EQ(line.errors.Lines(), (std::vector<std::string>{"Чтение серийного номера - таймаут"}));
}

// A bad later answer ends the list there and leaves its line; what follows is not listed.
TEST_F(ReaderSearch, BadLaterAnswerEndsTheList) {
  line.At(30, SerialAnswer(Reader(1, 0, 1)));
  line.At(40, Response(2, 0x71, {0x00}));
  line.At(50, SerialAnswer(Reader(3, 0, 3)));
  EXPECT_EQ(line.link.CollectReaderAnswers(), (std::vector<ReaderAnswer>{Reader(1, 0, 1)}));
  EXPECT_EQ(line.errors.Lines(), (std::vector<std::string>{"Чтение серийного номера - неправильный формат данных"}));
}

// An answer still arriving when the wait ends is skipped by the final scan and lost; with
// no other answer in that attempt the broadcast goes out again.
TEST_F(ReaderSearch, AnswerCutByTheDeadlineIsLostAndTheBroadcastRepeated) {
  const Bytes answer = SerialAnswer(Reader(6, 0xAA, 0x55));
  line.At(3190, Bytes(answer.begin(), answer.begin() + 6));
  line.At(3210, Bytes(answer.begin() + 6, answer.end()));
  line.At(3300, SerialAnswer(Reader(7, 0x11, 0x22)));
  EXPECT_EQ(line.link.CollectReaderAnswers(), (std::vector<ReaderAnswer>{Reader(7, 0x11, 0x22)}));
  EXPECT_EQ(line.written.size(), 2u);
  EXPECT_EQ(line.link.Tally().echoed, answer.size());  // the lost answer ends up in the log
}

// Every reader of a full line answers one broadcast; all answers queue behind the first in
// the slot, with noise between them, and all are listed in answer order.
TEST_F(ReaderSearch, FullLineOfReadersFitsBehindTheSlot) {
  std::vector<ReaderAnswer> expected;
  for (int i = 0; i < 254; ++i) {
    const auto address = static_cast<std::uint8_t>((i * 7) % 254);
    expected.push_back(Reader(address, static_cast<std::uint8_t>(i), 0x5A));
    line.At(10 + i * 12, SerialAnswer(expected.back()) + Text(std::string(100, '.')));
  }
  EXPECT_EQ(line.link.CollectReaderAnswers(), expected);
  EXPECT_EQ(line.link.Tally().droppedAtBound, 0u);
}

TEST_F(ReaderSearch, SecondSearchStartsAfresh) {
  line.At(30, SerialAnswer(Reader(1, 0, 1)));
  ASSERT_EQ(line.link.CollectReaderAnswers().size(), 1u);
  line.At(line.now + 30, SerialAnswer(Reader(2, 0, 2)));
  EXPECT_EQ(line.link.CollectReaderAnswers(), (std::vector<ReaderAnswer>{Reader(2, 0, 2)}));
  EXPECT_TRUE(line.errors.empty());
}

}  // namespace
