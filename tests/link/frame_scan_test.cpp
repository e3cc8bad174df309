#include <gtest/gtest.h>

#include <string>

#include "FakeLine.h"
#include "crc16.h"

namespace {

const Bytes kAnswer = Response(0x01, 0x71, {0x12, 0x34});  // 01 08 71 12 34 FF 89 EE

class FrameScan : public ::testing::Test {
 protected:
  // A read of the serial number from reader 1 while the given chunks arrive.
  bool ReadSerial(Bytes& result) { return line.link.ReadCommand(0x01, 0x70, {}, result, 2, Sending::SendRequest); }
  FakeLine line;
};

TEST_F(FrameScan, WorkedResponseIsTheOneWeBuild) {
  EXPECT_EQ(kAnswer, (Bytes{0x01, 0x08, 0x71, 0x12, 0x34, 0xFF, 0x89, 0xEE}));
}

// The response split into three chunks at every pair of offsets, and byte by byte, is
// accepted exactly as when it arrives whole; none of it reaches the log.
TEST_F(FrameScan, ResponseSplitAtEveryOffsetIsAccepted) {
  for (std::size_t i = 0; i <= kAnswer.size(); ++i) {
    for (std::size_t j = i; j <= kAnswer.size(); ++j) {
      FakeLine fresh;
      fresh.At(10, Bytes(kAnswer.begin(), kAnswer.begin() + i));
      fresh.At(20, Bytes(kAnswer.begin() + i, kAnswer.begin() + j));
      fresh.At(30, Bytes(kAnswer.begin() + j, kAnswer.end()));
      Bytes result;
      ASSERT_TRUE(fresh.link.ReadCommand(0x01, 0x70, {}, result, 2, Sending::SendRequest)) << i << "," << j;
      EXPECT_EQ(result, (Bytes{0x12, 0x34}));
      EXPECT_EQ(fresh.written.size(), 1u);
      EXPECT_EQ(fresh.LogText(), "");
    }
  }
  for (std::size_t k = 0; k < kAnswer.size(); ++k) line.At(5 + static_cast<std::int64_t>(k), {kAnswer[k]});
  Bytes result;
  EXPECT_TRUE(ReadSerial(result));
  EXPECT_EQ(line.LogText(), "");
}

TEST_F(FrameScan, TextBeforeTheResponseIsEchoedAndTheResponseAccepted) {
  line.At(10, Text("OK\r\n") + kAnswer);
  Bytes result;
  EXPECT_TRUE(ReadSerial(result));
  EXPECT_EQ(result, (Bytes{0x12, 0x34}));
  EXPECT_EQ(line.LogText(), "OK\n");
}

struct StrayFrame {
  const char* name;
  Bytes bytes;
};
void PrintTo(const StrayFrame& row, std::ostream* os) { *os << row.name; }

class StrayFrames : public ::testing::TestWithParam<StrayFrame> {};

// Valid frames that are not the awaited answer vanish without a trace and leave the
// exchange unanswered.
TEST_P(StrayFrames, AreDroppedWithoutEcho) {
  FakeLine line;
  line.At(10, GetParam().bytes);
  Bytes result;
  EXPECT_FALSE(line.link.ReadCommand(0x01, 0x70, {}, result, 2, Sending::SendRequest));
  line.RunUntil(1000);
  EXPECT_EQ(line.LogText(), "");
  EXPECT_EQ(line.link.Tally().droppedInFrames, GetParam().bytes.size());
}

INSTANTIATE_TEST_SUITE_P(
    FrameScan, StrayFrames,
    ::testing::Values(StrayFrame{"OwnRequestComingBack", BuildRequest(0x01, 0x70)},
                      StrayFrame{"BroadcastRequestComingBack", BuildRequest(0xFF, 0x70)},
                      StrayFrame{"AnswerFromAnotherReader", Response(0x02, 0x71, {0x12, 0x34})},
                      StrayFrame{"AnswerCarryingBroadcastAddress", Response(0xFF, 0x71, {0x12, 0x34})},
                      StrayFrame{"AnswerWithTheRequestCode", Response(0x01, 0x70, {0x12, 0x34})},
                      StrayFrame{"AnswerToAnotherCommand", Response(0x01, 0x7F, {0x02})}),
    [](const auto& info) { return std::string(info.param.name); });

// Length bytes 3 and 4 describe no frame of the protocol, even when the CRC fits: reader 1
// with length 4 has a CRC whose high byte 0x73 is the answer code of a cash-desk read.
TEST_F(FrameScan, LengthBelowFiveIsNoFrameEvenWithAMatchingCrc) {
  const Bytes head{0x01, 0x04};
  const std::uint16_t crc = FrameCrc(head);
  ASSERT_EQ(crc >> 8, 0x73);
  const Bytes shortFrame = head + Bytes{static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc & 0xFF)};
  line.At(10, shortFrame + Text("zzzz"));
  Bytes result;
  EXPECT_FALSE(line.link.ReadCommand(0x01, cmd::ReadCashDeskNumber, {}, result, 4, Sending::SendRequest));
  EXPECT_EQ(line.errors.Lines(), (std::vector<std::string>{ErrorLine(cmd::ReadCashDeskNumber, 0x09)}));
  line.RunUntil(1000);
  EXPECT_EQ(line.link.Tally().echoed, shortFrame.size() + 4);
  EXPECT_EQ(line.link.Tally().droppedInFrames, 0u);
}

// Noise with a corrupted frame and long-length bytes (0x0D, 0x30 in second place) is shown
// once, in arrival order, whatever the chunking.
TEST_F(FrameScan, SkippedBytesAreShownOnceInOrder) {
  Bytes corrupted = kAnswer;
  corrupted[4] ^= 0x01;
  const Bytes noise = Text("a\r0") + corrupted + Text("x0yz") + Bytes{0x00, 0x05};
  line.At(10, Bytes(noise.begin(), noise.begin() + 7));
  line.At(12, Bytes(noise.begin() + 7, noise.end()));
  line.RunUntil(100);
  EXPECT_EQ(line.LogText(), RenderLogText(std::string(noise.begin(), noise.end())));
  EXPECT_EQ(line.link.Tally().echoed, noise.size());
  EXPECT_TRUE(line.link.ReceiveBuffer().empty());
}

// Four trailing bytes wait; more than 10 ms of quiet then flushes them, 10 ms exactly not.
TEST_F(FrameScan, TrailingFourBytesWaitForTheIdleFlush) {
  line.At(100, Text("abcdefgh"));
  line.RunUntil(110);
  EXPECT_EQ(line.LogText(), "abcd");
  EXPECT_EQ(line.link.ReceiveBuffer().size(), 4u);
  line.RunUntil(119);
  EXPECT_EQ(line.LogText(), "abcd");
  line.RunUntil(120);
  EXPECT_EQ(line.LogText(), "abcdefgh");
}

// An awaiting exchange holds the idle flush back; its final scans leave the last four
// bytes alone; once it has ended the flush shows them.
TEST_F(FrameScan, FinalScanLeavesTrailingBytesAndTheWaitHoldsTheFlushBack) {
  line.At(10, Text("abcdefgh"));
  std::string logAtThirdSending;
  line.reader = [&](const Bytes&) {
    if (line.written.size() == 3) logAtThirdSending = line.LogText();
  };
  Bytes result;
  EXPECT_FALSE(ReadSerial(result));
  EXPECT_EQ(logAtThirdSending, "abcd");
  EXPECT_EQ(line.LogText(), "abcd");
  line.RunUntil(line.now + 20);
  EXPECT_EQ(line.LogText(), "abcdefgh");
}

// With final set an incomplete candidate is not awaited: it is skipped and echoed but for
// the last four bytes.
TEST_F(FrameScan, FinalScanSkipsAnIncompleteCandidate) {
  const Bytes partial(kAnswer.begin(), kAnswer.begin() + 7);
  line.At(10, partial);
  Bytes result;
  EXPECT_FALSE(line.link.ReadCommand(0x01, 0x70, {}, result, 2, Sending::SendRequest));
  EXPECT_EQ(line.link.ReceiveBuffer().size(), 4u);
  EXPECT_EQ(line.link.Tally().echoed, 3u);
}

// While an accepted answer waits in the slot, later chunks are neither scanned nor shown.
TEST_F(FrameScan, FullSlotHoldsBackScanAndEcho) {
  line.At(10, kAnswer + Text("hello"));
  line.At(20, Text("world") + Response(0x02, 0x71, {0x56, 0x78}));
  std::string logWhileFull = "unset";
  std::size_t bufferedWhileFull = 0;
  line.afterChunk = [&] {
    logWhileFull = line.LogText();
    bufferedWhileFull = line.link.ReceiveBuffer().size();
  };
  Bytes response;
  ASSERT_TRUE(line.link.ExchangeFrame(0xFF, 0x70, {}, response, Sending::SendRequest));
  EXPECT_EQ(response, kAnswer);
  EXPECT_EQ(logWhileFull, "");
  EXPECT_EQ(bufferedWhileFull, 18u);
  EXPECT_FALSE(line.link.Awaiting());
  EXPECT_TRUE(line.link.ResponseSlot().empty());
}

// The bound while the slot is full: what does not fit is dropped and noted in the log
// where it was lost, after everything received before it.
TEST_F(FrameScan, BufferBoundDropsAndNotesTheLoss) {
  const std::size_t flood = readerlink::kReceiveBufferBound + 4464;
  line.At(10, kAnswer);
  line.At(20, Bytes(flood, 'A'));
  Bytes response;
  ASSERT_TRUE(line.link.ExchangeFrame(0xFF, 0x70, {}, response, Sending::SendRequest));
  EXPECT_EQ(line.link.ReceiveBuffer().size(), readerlink::kReceiveBufferBound);
  EXPECT_EQ(line.link.Tally().droppedAtBound, 4464u);
  line.RunUntil(line.now + 20);
  const auto& lines = line.log.Lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 2], "[потеряно байт: 4464]");
  EXPECT_EQ(lines[lines.size() - 3], std::string(terminal::kMaxLineWidth, 'A'));
  EXPECT_EQ(line.link.Tally().echoed, readerlink::kReceiveBufferBound);
}

}  // namespace
