// The telnet decoder of a network line. Two properties:
// - any bytes, cut into chunks anywhere, decode to what they decode to whole: nothing hangs on
//   a chunk boundary, nothing crashes;
// - a stream built from the input as a script (line bytes, 0xFF among them, with negotiations and
//   subnegotiations between them), encoded and cut anywhere, gives every line byte once, in
//   order, and every command once, in order.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "TelnetCodec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

struct TDecoded {
  Bytes payload;
  std::vector<telnet::TCommand> commands;
};

// Cuts the stream into chunks of the lengths the provider gives (0 included).
TDecoded DecodeCut(const Bytes& stream, FuzzedDataProvider& cuts) {
  telnet::TDecoder decoder;
  TDecoded out;
  std::size_t at = 0;
  while (at < stream.size()) {
    const std::size_t length = std::min(stream.size() - at, cuts.ConsumeIntegralInRange<std::size_t>(0, 16));
    decoder.Decode(std::span(stream).subspan(at, length), out.payload, out.commands);
    at += length;
    if (cuts.remaining_bytes() == 0 && length == 0) break;
  }
  decoder.Decode(std::span(stream).subspan(at), out.payload, out.commands);
  return out;
}

TDecoded DecodeWhole(const Bytes& stream) {
  telnet::TDecoder decoder;
  TDecoded out;
  decoder.Decode(stream, out.payload, out.commands);
  return out;
}

constexpr std::uint8_t kVerbs[] = {telnet::kWill, telnet::kWont, telnet::kDo, telnet::kDont};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::size_t half = input.ConsumeIntegralInRange<std::size_t>(0, input.remaining_bytes());

  // Any bytes.
  const Bytes raw = input.ConsumeBytes<std::uint8_t>(half);
  {
    FuzzedDataProvider cuts(raw.data(), raw.size());
    const TDecoded whole = DecodeWhole(raw);
    const TDecoded cut = DecodeCut(raw, cuts);
    Require(cut.payload == whole.payload, "cut bytes give the line bytes they give whole");
    Require(cut.commands == whole.commands, "cut bytes give the commands they give whole");
  }

  // A script.
  Bytes stream, payload;
  std::vector<telnet::TCommand> commands;
  while (input.remaining_bytes() > 0) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
      case 0:
      case 1: {
        const Bytes bytes = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(1, 8));
        telnet::AppendEscaped(stream, bytes);
        payload.insert(payload.end(), bytes.begin(), bytes.end());
        break;
      }
      case 2: {
        const std::uint8_t verb = input.PickValueInArray(kVerbs);
        const auto option = input.ConsumeIntegral<std::uint8_t>();
        telnet::AppendNegotiation(stream, verb, option);
        commands.push_back({verb, option, {}});
        break;
      }
      case 3: {
        const auto option = input.ConsumeIntegral<std::uint8_t>();
        const Bytes bytes = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 12));
        telnet::AppendSubnegotiation(stream, option, bytes);
        commands.push_back({telnet::kSb, option, bytes});
        break;
      }
    }
  }
  FuzzedDataProvider cuts(data, size);
  const TDecoded out = DecodeCut(stream, cuts);
  Require(out.payload == payload, "every line byte comes out once, in order");
  Require(out.commands == commands, "every command comes out once, in order");
  return 0;
}
