// The telnet layer of a network line: line bytes full of 0xFF (the broadcast address, the success
// status) must pass both ways unchanged, however the connection cuts them into chunks.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ComPortOption.h"
#include "TelnetCodec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using telnet::TCommand;

struct TDecoded {
  Bytes payload;
  std::vector<TCommand> commands;
};

TDecoded DecodeInChunks(const Bytes& stream, const std::vector<std::size_t>& cuts) {
  telnet::TDecoder decoder;
  TDecoded out;
  std::size_t from = 0;
  for (std::size_t cut : cuts) {
    decoder.Decode(std::span(stream).subspan(from, cut - from), out.payload, out.commands);
    from = cut;
  }
  decoder.Decode(std::span(stream).subspan(from), out.payload, out.commands);
  return out;
}

Bytes Escaped(const Bytes& payload) {
  Bytes out;
  telnet::AppendEscaped(out, payload);
  return out;
}

// A response frame with the broadcast address and the success status, and IAC in its data.
const Bytes kFrame = {0xFF, 0x0A, 0x71, 0xFF, 0xFF, 0x12, 0x34, 0xFF, 0xAB, 0xCD};

TEST(TelnetCodec, IacDataSplitAtEveryOffsetComesOutAsSent) {
  const Bytes stream = Escaped(kFrame);
  ASSERT_EQ(stream.size(), kFrame.size() + 4);  // one more byte for each IAC
  for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
    const TDecoded out = DecodeInChunks(stream, {cut});
    EXPECT_EQ(out.payload, kFrame) << "cut at " << cut;
    EXPECT_TRUE(out.commands.empty()) << "cut at " << cut;
  }
  std::vector<std::size_t> everyByte;
  for (std::size_t i = 1; i < stream.size(); ++i) everyByte.push_back(i);
  EXPECT_EQ(DecodeInChunks(stream, everyByte).payload, kFrame);
}

TEST(TelnetCodec, EncodedFramesOfEveryPrefixDecodeToThemselves) {
  // Both ways: what the port sends is what the far line receives, for frames ending anywhere
  // in a run of 0xFF bytes.
  for (std::size_t length = 0; length <= kFrame.size(); ++length) {
    const Bytes frame(kFrame.begin(), kFrame.begin() + static_cast<long>(length));
    EXPECT_EQ(DecodeInChunks(Escaped(frame), {}).payload, frame) << length;
  }
}

TEST(TelnetCodec, SubnegotiationSplitAcrossChunksIsCarriedOver) {
  Bytes stream = {0x01};
  telnet::AppendSubnegotiation(stream, telnet::kComPort, Bytes{101, 0x00, 0x00, 0x4B, 0xFF});  // IAC inside
  stream.push_back(0x02);
  const TCommand answer{telnet::kSb, telnet::kComPort, {101, 0x00, 0x00, 0x4B, 0xFF}};
  for (std::size_t a = 0; a <= stream.size(); ++a) {
    for (std::size_t b = a; b <= stream.size(); ++b) {
      const TDecoded out = DecodeInChunks(stream, {a, b});
      EXPECT_EQ(out.payload, (Bytes{0x01, 0x02})) << a << "," << b;
      ASSERT_EQ(out.commands.size(), 1u) << a << "," << b;
      EXPECT_EQ(out.commands[0], answer) << a << "," << b;
    }
  }
}

TEST(TelnetCodec, CommandsBetweenDataBytesAreTakenOutInOrder) {
  Bytes stream = {0x10};
  telnet::AppendNegotiation(stream, telnet::kDo, telnet::kBinary);
  stream.push_back(0xFF);
  stream.push_back(0xFF);
  stream.insert(stream.end(), {0xFF, 0xF1});  // NOP: nothing for a serial line
  telnet::AppendSubnegotiation(stream, telnet::kComPort, Bytes{comport::kNotifyModemState, 0x30});
  stream.push_back(0x20);
  telnet::AppendNegotiation(stream, telnet::kWill, 1);
  const TDecoded out = DecodeInChunks(stream, {});
  EXPECT_EQ(out.payload, (Bytes{0x10, 0xFF, 0x20}));
  const std::vector<TCommand> expected = {{telnet::kDo, telnet::kBinary, {}},
                                          {telnet::kSb, telnet::kComPort, {comport::kNotifyModemState, 0x30}},
                                          {telnet::kWill, 1, {}}};
  EXPECT_EQ(out.commands, expected);
}

TEST(TelnetCodec, MalformedSubnegotiationsNeitherSwallowDataNorGrowWithoutBound) {
  // An IAC command inside a subnegotiation ends it; the command counts, the rest is data again.
  Bytes stream = {telnet::kIac, telnet::kSb, telnet::kComPort, 1, 2, telnet::kIac, telnet::kWill, 3, 0x55};
  TDecoded out = DecodeInChunks(stream, {});
  EXPECT_EQ(out.payload, Bytes{0x55});
  EXPECT_EQ(out.commands, (std::vector<TCommand>{{telnet::kWill, 3, {}}}));

  // A subnegotiation that never ends keeps at most its bound.
  stream = {telnet::kIac, telnet::kSb, telnet::kComPort};
  stream.insert(stream.end(), 10 * telnet::kMaxSubnegotiation, 0x07);
  stream.insert(stream.end(), {telnet::kIac, telnet::kSe, 0x66});
  out = DecodeInChunks(stream, {100, 1000});
  EXPECT_EQ(out.payload, Bytes{0x66});
  ASSERT_EQ(out.commands.size(), 1u);
  EXPECT_EQ(out.commands[0].data.size(), telnet::kMaxSubnegotiation);
}

}  // namespace
