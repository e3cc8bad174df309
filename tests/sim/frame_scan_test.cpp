// The simulator finds requests with the same length-and-CRC rule as the programmer, in any
// chunking, and nothing else.
#include <gtest/gtest.h>

#include "FrameScanner.h"
#include "SimTestSupport.h"
#include "crc16.h"

using namespace simtest;

namespace {

using Frames = std::vector<Bytes>;

Bytes Join(const Frames& parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

const Frames kRequests = {
    Request(0xFF, 0x70),
    Request(1, 0x7C, {2}),
    Request(2, 0x9A, {9}),
    Request(3, 0x74, {1, 2, 3, 4, 5, 6, 0xAA}),  // 12 bytes, the longest there is
};

TEST(FrameScanTest, SameFramesWhateverTheSplit) {
  const Bytes stream = Join(kRequests);
  for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
    sim::FrameScanner scanner;
    Frames found = scanner.Feed({stream.data(), cut});
    const Frames rest = scanner.Feed({stream.data() + cut, stream.size() - cut});
    found.insert(found.end(), rest.begin(), rest.end());
    EXPECT_EQ(found, kRequests) << "cut at " << cut;
  }
  sim::FrameScanner scanner;
  Frames found;
  for (const std::uint8_t b : stream)
    for (auto& f : scanner.Feed({&b, 1})) found.push_back(f);
  EXPECT_EQ(found, kRequests);
  EXPECT_EQ(scanner.Pending(), 0u);
}

TEST(FrameScanTest, SkipsNoiseAndBrokenFramesByteByByte) {
  Bytes corrupted = Request(1, 0x7E);
  corrupted.back() ^= 0x01;
  Bytes swapped = Request(1, 0x82);
  std::swap(swapped[3], swapped[4]);  // CRC low byte first
  Bytes tooLong = Request(1, 0x7E);
  tooLong[1] = 13;
  const Bytes stream = Join({{'O', 'K', '\r', '\n'}, corrupted, {0x0D, 0x30, 0x00}, swapped, tooLong, kRequests[1]});
  sim::FrameScanner scanner;
  EXPECT_EQ(scanner.Feed(stream), Frames{kRequests[1]});
}

TEST(FrameScanTest, ShortOrIncompleteInputWaits) {
  sim::FrameScanner scanner;
  const Bytes request = kRequests[1];
  EXPECT_TRUE(scanner.Feed({request.data(), 4}).empty());  // under five bytes: not examined
  EXPECT_EQ(scanner.Pending(), 4u);
  EXPECT_TRUE(scanner.Feed({request.data() + 4, 1}).empty());  // five of six: waits
  EXPECT_EQ(scanner.Feed({request.data() + 5, 1}), Frames{request});
}

TEST(FrameScanTest, QuietLineGivesUpAnIncompleteCandidateButNotTheFrameBehindIt) {
  sim::FrameScanner scanner;
  const Bytes request = kRequests[1];
  // 05 0C reads as the start of a 12-byte frame that the request alone cannot complete.
  Bytes stream = {'x', 0x05, 0x0C};
  stream.insert(stream.end(), request.begin(), request.end());
  EXPECT_TRUE(scanner.Feed(stream).empty());
  EXPECT_EQ(scanner.Flush(), Frames{request});
  EXPECT_EQ(scanner.Pending(), 0u);
  scanner.Feed(Bytes{0x01, 0x06, 0x7C});
  EXPECT_TRUE(scanner.Flush().empty());
  EXPECT_EQ(scanner.Pending(), 0u);
}

TEST(FrameScanTest, LengthBytesBelowFiveDescribeNoFrame) {
  // 01 04 ... would be a valid 4-byte "frame" by its CRC; it must not be taken.
  Bytes four = {0x01, 0x04};
  const std::uint16_t crc = FrameCrc(four.data(), 2);
  four.push_back(static_cast<std::uint8_t>(crc >> 8));
  four.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  sim::FrameScanner scanner;
  EXPECT_EQ(scanner.Feed(Join({four, kRequests[0]})), Frames{kRequests[0]});
}

}  // namespace
