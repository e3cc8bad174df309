// Several readers on one line: who answers, in what order, at what time, and the faults.
#include <gtest/gtest.h>

#include <random>

#include "CodeTables.h"
#include "ReaderCommands.h"
#include "SimTestSupport.h"

using namespace simtest;
using sim::Nanos;

namespace {

sim::Reader MakeReader(std::uint8_t address, std::uint8_t serialHigh, std::uint8_t serialLow) {
  sim::Reader r;
  r.address = address;
  r.state.serial = {serialHigh, serialLow};
  return r;
}

class LineTest : public ::testing::Test {
 protected:
  LineTest() : line(Settings()) {
    line.AddReader(MakeReader(5, 0x00, 0x7F));
    line.AddReader(MakeReader(1, 0x12, 0x34));
    line.AddReader(MakeReader(9, 0xAB, 0xCD));
  }
  static sim::LineSettings Settings() {
    sim::LineSettings s;
    s.turnaround = 2ms;
    return s;
  }
  sim::Reader& R(std::uint8_t a) { return *line.FindReader(a); }
  static Bytes Serial(std::uint8_t a, std::uint8_t h, std::uint8_t l) {
    return BuildResponse(a, 0x71, Bytes{h, l}, 0xFF);
  }
  static Bytes Cat(const std::vector<Bytes>& parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  }
  sim::ReaderSimulator line;
  const Bytes broadcast = Request(0xFF, cmd::ReadSerialNumber);
};

TEST_F(LineTest, BroadcastIsAnsweredByEveryReaderInTurnWithoutOverlap) {
  EXPECT_EQ(Exchange(line, broadcast), Cat({Serial(5, 0x00, 0x7F), Serial(1, 0x12, 0x34), Serial(9, 0xAB, 0xCD)}));
  const auto& record = line.Record();
  ASSERT_EQ(record.size(), 4u);
  EXPECT_EQ(record[0].direction, sim::Direction::Request);
  EXPECT_EQ(record[0].frame, broadcast);
  const Nanos frameTime = 8 * line.ByteTime();
  EXPECT_EQ(record[1].at, Nanos(2ms));
  EXPECT_EQ(record[2].at, record[1].at + frameTime);
  EXPECT_EQ(record[3].at, record[2].at + frameTime);
  EXPECT_EQ(record[3].reader, 9);
}

TEST_F(LineTest, EachByteArrivesOneByteTimeAfterThePrevious) {
  // 10 bit times at 9600 baud.
  EXPECT_EQ(line.ByteTime(), Nanos(1'041'666));
  line.Receive(Request(1, cmd::ReadCashDeskNumber), Nanos(0));
  const auto& q = line.Scheduled();
  ASSERT_EQ(q.size(), 10u);
  for (std::size_t i = 0; i < q.size(); ++i) EXPECT_EQ(q[i].at, Nanos(2ms) + static_cast<long>(i + 1) * line.ByteTime());
  // Nothing is due before its time; what is due comes out once.
  EXPECT_TRUE(line.TakeDue(Nanos(2ms) + line.ByteTime() - Nanos(1)).empty());
  EXPECT_EQ(line.TakeDue(Nanos(2ms) + 2 * line.ByteTime()).size(), 2u);
  EXPECT_EQ(line.NextDue(), Nanos(2ms) + 3 * line.ByteTime());
  EXPECT_EQ(line.TakeDue(Nanos(1h)).size(), 8u);
  EXPECT_FALSE(line.NextDue());
}

TEST_F(LineTest, OnlyTheAddressedReaderAnswersAndOthersStayQuiet) {
  EXPECT_EQ(Exchange(line, Request(9, cmd::WriteMode, {2})), BuildResponse(9, 0x7D, {}, 0xFF));
  EXPECT_EQ(R(9).state.mode, 2);
  EXPECT_EQ(R(1).state.mode, 1);
  EXPECT_TRUE(Exchange(line, Request(7, cmd::ReadMode)).empty());
  // A broadcast write reaches everyone.
  EXPECT_EQ(Exchange(line, Request(0xFF, cmd::WriteRelayTime, {8})).size(), 18u);
  EXPECT_EQ(R(1).state.relayTime, 8);
  EXPECT_EQ(R(5).state.relayTime, 8);
}

TEST_F(LineTest, SilentReaderHearsButNeverAnswers) {
  R(1).faults.silent = true;
  EXPECT_EQ(Exchange(line, broadcast), Cat({Serial(5, 0x00, 0x7F), Serial(9, 0xAB, 0xCD)}));
  EXPECT_TRUE(Exchange(line, Request(1, cmd::WriteMode, {3})).empty());
  EXPECT_EQ(R(1).state.mode, 1);
}

TEST_F(LineTest, DelayedReaderAnswersLateAndTheOthersWaitTheirTurn) {
  R(5).faults.delay = 150ms;
  EXPECT_EQ(Exchange(line, broadcast), Cat({Serial(5, 0x00, 0x7F), Serial(1, 0x12, 0x34), Serial(9, 0xAB, 0xCD)}));
  EXPECT_EQ(line.Record()[1].at, Nanos(152ms));
  EXPECT_EQ(line.Record()[2].at, Nanos(152ms) + 8 * line.ByteTime());
}

TEST_F(LineTest, SpoiledAnswersAreWhatTheFaultSays) {
  R(1).faults.wrongCrc = true;
  Bytes bad = Serial(1, 0x12, 0x34);
  bad.back() ^= 0x01;
  EXPECT_EQ(Exchange(line, Request(1, cmd::ReadSerialNumber)), bad);
  EXPECT_FALSE(FrameCrcMatches(bad.data(), bad.size()));

  R(1).faults.wrongCrc = false;
  R(1).faults.wrongLength = true;
  const Bytes longer = Exchange(line, Request(1, cmd::ReadMode));
  EXPECT_EQ(longer, BuildResponse(1, 0x7F, Bytes{1, 0}, 0xFF));  // valid frame, 8 instead of 7

  R(1).faults.wrongLength = false;
  R(1).faults.statusFor[cmd::ReadMode] = 0x17;
  R(1).faults.statusFor[cmd::WriteMode] = 0x23;
  EXPECT_EQ(Exchange(line, Request(1, cmd::ReadMode)), BuildResponse(1, 0x7F, Bytes{0}, 0x17));
  EXPECT_EQ(Exchange(line, Request(1, cmd::WriteMode, {3})), BuildResponse(1, 0x7D, {}, 0x23));
  EXPECT_EQ(R(1).state.mode, 1);  // a forced refusal stores nothing
  EXPECT_EQ(Exchange(line, Request(1, cmd::ReadSector)), BuildResponse(1, 0x8F, Bytes{1}, 0xFF));
}

TEST_F(LineTest, NoiseComesBeforeEachAnswerAndEchoBeforeEverything) {
  R(1).faults.noise = "OK\r\n";
  const Bytes answer = Exchange(line, Request(1, cmd::ReadMode));
  EXPECT_EQ(answer, Cat({{'O', 'K', '\r', '\n'}, BuildResponse(1, 0x7F, Bytes{1}, 0xFF)}));

  sim::LineSettings echoing;
  echoing.echo = true;
  sim::ReaderSimulator halfDuplex(echoing);
  halfDuplex.AddReader(MakeReader(1, 0x12, 0x34));
  halfDuplex.AddReader(MakeReader(2, 0x00, 0x01));
  EXPECT_EQ(Exchange(halfDuplex, broadcast), Cat({broadcast, Serial(1, 0x12, 0x34), Serial(2, 0x00, 0x01)}));
  EXPECT_EQ(Exchange(halfDuplex, Request(3, cmd::ReadMode)), Request(3, cmd::ReadMode));  // nobody at 3
}

TEST_F(LineTest, QuietLineGivesUpPartialInputAndAnswersTheRequestBehindIt) {
  const Bytes request = Request(1, cmd::ReadMode);
  const Bytes answer = BuildResponse(1, 0x7F, Bytes{1}, 0xFF);
  line.Receive(Bytes{0x01, 0x0C, 0x7E}, Nanos(0));  // garbage that looks like a 12-byte frame
  line.Receive(request, Nanos(5ms));                 // same burst: still waiting for 12 bytes
  EXPECT_FALSE(line.NextDue());
  ASSERT_EQ(line.QuietDeadline(), Nanos(15ms));
  line.Idle(Nanos(14ms));
  EXPECT_FALSE(line.NextDue());
  line.Idle(Nanos(15ms));
  EXPECT_FALSE(line.QuietDeadline());
  EXPECT_EQ(line.TakeDue(Nanos(1h)), answer);
  EXPECT_EQ(line.Record().back().at, Nanos(17ms));

  // Without a call at the deadline, the next burst after the gap clears the way itself.
  line.Receive(Bytes{0x01, 0x0C}, Nanos(100ms));
  line.Receive(request, Nanos(300ms));
  EXPECT_EQ(line.TakeDue(Nanos(1h)), answer);
  // A request split within one burst is still put together.
  line.Receive({request.data(), 3}, Nanos(400ms));
  line.Receive({request.data() + 3, 2}, Nanos(401ms));
  EXPECT_EQ(line.TakeDue(Nanos(1h)), answer);
}

TEST_F(LineTest, RandomGarbageNeverCrashesAndOnlyValidRequestsAreAnswered) {
  std::mt19937 random(20091231);
  std::uniform_int_distribution<int> byte(0, 255);
  std::size_t requests = 0;
  for (int round = 0; round < 2000; ++round) {
    Bytes chunk(static_cast<std::size_t>(byte(random) % 24));
    for (auto& b : chunk) b = static_cast<std::uint8_t>(byte(random));
    if (round % 7 == 0) {
      const Bytes valid = Request(static_cast<std::uint8_t>(byte(random) % 12), static_cast<std::uint8_t>(byte(random)));
      chunk.insert(chunk.end(), valid.begin(), valid.end());
    }
    line.Receive(chunk, Nanos(std::chrono::milliseconds(round)));
  }
  for (const auto& entry : line.Record()) {
    ASSERT_TRUE(FrameCrcMatches(entry.frame.data(), entry.frame.size()));
    ASSERT_GE(entry.frame.size(), 5u);
    ASSERT_LE(entry.frame.size(), 12u);
    if (entry.direction == sim::Direction::Request) ++requests;
  }
  EXPECT_GT(requests, 250u);  // the planted requests (286) are found among the noise
}

TEST(LineSetupTest, RefusesImpossibleLines) {
  sim::ReaderSimulator line;
  EXPECT_THROW(line.AddReader(MakeReader(0xFF, 0, 0)), std::invalid_argument);
  line.AddReader(MakeReader(0, 0, 0));
  EXPECT_THROW(line.AddReader(MakeReader(0, 1, 1)), std::invalid_argument);
  sim::LineSettings zero;
  zero.baud = 0;
  EXPECT_THROW(sim::ReaderSimulator{zero}, std::invalid_argument);
}

}  // namespace
