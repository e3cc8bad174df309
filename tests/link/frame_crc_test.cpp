#include <gtest/gtest.h>

#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "Frame.h"
#include "crc16.h"

using Bytes = std::vector<std::uint8_t>;

TEST(FrameCrc, CheckValueOfTheDigitsOneToNine) {
  const std::string digits = "123456789";
  EXPECT_EQ(FrameCrc(reinterpret_cast<const std::uint8_t*>(digits.data()), digits.size()), 0x31C3);
}

TEST(FrameCrc, EmptyInputGivesZero) { EXPECT_EQ(FrameCrc(nullptr, 0), 0); }

// The augmented-message form the readers' firmware describes: feed every byte through
// the table, then two zero bytes. It must give the same value as our direct form.
static std::uint16_t AugmentedCrc(const Bytes& bytes) {
  std::uint16_t table[256];
  for (unsigned i = 0; i < 256; ++i) {
    std::uint16_t r = static_cast<std::uint16_t>(i << 8);
    for (int b = 0; b < 8; ++b) r = static_cast<std::uint16_t>((r & 0x8000) ? (r << 1) ^ 0x1021 : r << 1);
    table[i] = r;
  }
  std::uint16_t r = 0;
  Bytes fed = bytes;
  fed.push_back(0);
  fed.push_back(0);
  for (std::uint8_t b : fed) r = static_cast<std::uint16_t>(table[r >> 8] ^ static_cast<std::uint16_t>(r << 8) ^ b);
  return r;
}

TEST(FrameCrc, MatchesTheAugmentedFormForEveryLengthAndManyPatterns) {
  Bytes bytes;
  for (int n = 0; n < 40; ++n) {
    EXPECT_EQ(FrameCrc(bytes), AugmentedCrc(bytes)) << "length " << n;
    bytes.push_back(static_cast<std::uint8_t>(n * 37 + 0x5A));
  }
}

struct WorkedFrame {
  const char* name;
  std::uint8_t address;
  std::uint8_t code;
  Bytes data;
  Bytes wire;
};
void PrintTo(const WorkedFrame& row, std::ostream* os) { *os << row.name; }

class WorkedFrames : public ::testing::TestWithParam<WorkedFrame> {};

TEST_P(WorkedFrames, CrcOverTheWholeFrameIsZeroAndTheCheckAccepts) {
  const Bytes& wire = GetParam().wire;
  EXPECT_EQ(FrameCrc(wire), 0);
  EXPECT_TRUE(FrameCrcMatches(wire.data(), wire.size()));
  EXPECT_EQ(FrameView(wire).Length(), wire.size());
}

TEST_P(WorkedFrames, CheckRejectsTheCrcBytesSwapped) {
  Bytes swapped = GetParam().wire;
  std::swap(swapped[swapped.size() - 1], swapped[swapped.size() - 2]);
  if (swapped[swapped.size() - 1] != swapped[swapped.size() - 2]) {
    EXPECT_FALSE(FrameCrcMatches(swapped.data(), swapped.size()));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Frames, WorkedFrames,
    ::testing::Values(
        WorkedFrame{"BroadcastReadSerial", 0xFF, 0x70, {}, {0xFF, 0x05, 0x70, 0x4E, 0x01}},
        WorkedFrame{"SerialAnswer", 0, 0, {}, {0x01, 0x08, 0x71, 0x12, 0x34, 0xFF, 0x89, 0xEE}},
        WorkedFrame{"ChangeModeRequest", 0x01, 0x7C, {0x02}, {0x01, 0x06, 0x7C, 0x02, 0xA9, 0x62}},
        WorkedFrame{"Acknowledgement", 0, 0, {}, {0x01, 0x06, 0x7D, 0xFF, 0xA4, 0xE1}},
        WorkedFrame{"AcknowledgementStatus23", 0, 0, {}, {0x01, 0x06, 0x7D, 0x23, 0xAE, 0x10}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BuildRequest, ProducesTheWorkedRequestsByteForByte) {
  EXPECT_EQ(BuildRequest(0xFF, 0x70), (Bytes{0xFF, 0x05, 0x70, 0x4E, 0x01}));
  const Bytes mode{0x02};
  EXPECT_EQ(BuildRequest(0x01, 0x7C, mode), (Bytes{0x01, 0x06, 0x7C, 0x02, 0xA9, 0x62}));
}

TEST(BuildRequest, SevenDataBytesMakeTheLongestFrameAndEightAreRefused) {
  const Bytes seven{1, 2, 3, 4, 5, 6, 0xAA};
  const Bytes frame = BuildRequest(0x03, 0x74, seven);
  ASSERT_EQ(frame.size(), 12u);
  EXPECT_EQ(FrameView(frame).Length(), 12u);
  EXPECT_TRUE(FrameCrcMatches(frame.data(), frame.size()));

  const Bytes eight{1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_THROW(BuildRequest(0x03, 0x74, eight), std::invalid_argument);
}

TEST(BuildResponse, ProducesTheWorkedResponsesByteForByte) {
  const Bytes serial{0x12, 0x34};
  EXPECT_EQ(BuildResponse(0x01, 0x71, serial), (Bytes{0x01, 0x08, 0x71, 0x12, 0x34, 0xFF, 0x89, 0xEE}));
  EXPECT_EQ(BuildResponse(0x01, 0x7D, {}, 0x23), (Bytes{0x01, 0x06, 0x7D, 0x23, 0xAE, 0x10}));
  const Bytes seven{1, 2, 3, 4, 5, 6, 7};
  EXPECT_THROW(BuildResponse(0x01, 0x71, seven), std::invalid_argument);
}

static Bytes Copy(std::span<const std::uint8_t> bytes) { return Bytes(bytes.begin(), bytes.end()); }

// Each field of the worked frames, read where it lies; a response's data ends at its status.
TEST(FrameView, ReadsEveryFieldOfRequestsAndResponses) {
  const Bytes request{0x01, 0x06, 0x7C, 0x02, 0xA9, 0x62};
  const FrameView sent(request);
  EXPECT_EQ(sent.Address(), 0x01);
  EXPECT_EQ(sent.Length(), 6u);
  EXPECT_EQ(sent.Code(), 0x7C);
  EXPECT_EQ(Copy(sent.RequestData()), Bytes{0x02});
  EXPECT_TRUE(sent.CrcMatches());

  const Bytes answer{0x01, 0x08, 0x71, 0x12, 0x34, 0xFF, 0x89, 0xEE};
  const FrameView read(answer);
  EXPECT_EQ(Copy(read.ResponseData()), (Bytes{0x12, 0x34}));
  EXPECT_EQ(read.Status(), 0xFF);
  EXPECT_TRUE(read.IsResponseWith(2));
  EXPECT_FALSE(read.IsResponseWith(1));

  const Bytes refusal{0x01, 0x06, 0x7D, 0x23, 0xAE, 0x10};
  const FrameView ack(refusal);
  EXPECT_TRUE(ack.ResponseData().empty());
  EXPECT_EQ(ack.Status(), 0x23);
  EXPECT_TRUE(ack.IsResponseWith(0));

  // Five bytes are too short for any response: no data, and no response length.
  const Bytes shortest = BuildRequest(0x01, 0x71);
  EXPECT_TRUE(FrameView(shortest).ResponseData().empty());
  EXPECT_FALSE(FrameView(shortest).IsResponseWith(0));
  EXPECT_TRUE(FrameView(shortest).RequestData().empty());
}
