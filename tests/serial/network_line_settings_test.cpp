// Network line names, and the requests that put a port's line settings on the far port.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "CPort.h"
#include "ComPortOption.h"
#include "LineSettings.h"
#include "NetworkLineName.h"

namespace {

struct TNameRow {
  const char* text;
  std::optional<TNetworkLineName> name;
};
void PrintTo(const TNameRow& row, std::ostream* out) { *out << row.text; }
class NetworkLineNames : public ::testing::TestWithParam<TNameRow> {};

TEST_P(NetworkLineNames, ParseIntoProtocolHostAndPort) {
  EXPECT_TRUE(IsNetworkLineName(GetParam().text));
  EXPECT_EQ(ParseNetworkLineName(GetParam().text), GetParam().name);
}

constexpr auto kRfc = TNetworkProtocol::Rfc2217;
constexpr auto kTcp = TNetworkProtocol::RawTcp;
INSTANTIATE_TEST_SUITE_P(
    Table, NetworkLineNames,
    ::testing::Values(TNameRow{"rfc2217://gw.local:4001", TNetworkLineName{kRfc, "gw.local", "4001"}},
                      TNameRow{"tcp://192.168.1.20:23", TNetworkLineName{kTcp, "192.168.1.20", "23"}},
                      TNameRow{"RFC2217://[fe80::1%eth0]:65535", TNetworkLineName{kRfc, "fe80::1%eth0", "65535"}},
                      TNameRow{"tcp://[::1]:4001", TNetworkLineName{kTcp, "::1", "4001"}},
                      TNameRow{"tcp://::1:4001", std::nullopt}, TNameRow{"tcp://gw", std::nullopt},
                      TNameRow{"tcp://gw:", std::nullopt}, TNameRow{"tcp://:4001", std::nullopt},
                      TNameRow{"tcp://gw:0", std::nullopt}, TNameRow{"tcp://gw:65536", std::nullopt},
                      TNameRow{"tcp://gw:40x1", std::nullopt}, TNameRow{"tcp://gw:4001/", std::nullopt},
                      TNameRow{"tcp://[::1:4001", std::nullopt}, TNameRow{"tcp://[::1]4001", std::nullopt},
                      TNameRow{"telnet://gw:23", std::nullopt}, TNameRow{"://gw:23", std::nullopt}));

TEST(NetworkLineNames, DeviceNamesAreNotNetworkLines) {
  for (const char* name : {"COM1", "/dev/ttyUSB0", "ttyS0", "rfc2217:gw:4001"}) EXPECT_FALSE(IsNetworkLineName(name)) << name;
}

// The port's settings as termios, through the same composition a local line gets.
termios AttributesOf(TComPort& port) {
  termios t{};
  cfmakeraw(&t);
  ComposeLineAttributes(t, port.LineSettings());
  return t;
}

TEST(FarLineSettings, FollowThePortsSettingsModel) {
  struct {
    const char* what;
    std::function<void(TComPort&)> set;
    comport::TFarLine far;
  } rows[] = {
      {"defaults", [](TComPort&) {}, {9600, 8, 1, 1, comport::kNoFlowOut, comport::kNoFlowIn}},
      {"7E2", [](TComPort& p) { p.SetDataBits(dbSeven); p.Parity()->SetBits(prEven); p.SetStopBits(sbTwoStopBits); },
       {9600, 7, 3, 2, comport::kNoFlowOut, comport::kNoFlowIn}},
      {"5 bits, 1.5 stop bits, mark", [](TComPort& p) { p.SetDataBits(dbFive); p.SetStopBits(sbOne5StopBits); p.Parity()->SetBits(prMark); },
       {9600, 5, 4, 3, comport::kNoFlowOut, comport::kNoFlowIn}},
      {"odd, space", [](TComPort& p) { p.Parity()->SetBits(prOdd); }, {9600, 8, 2, 1, comport::kNoFlowOut, comport::kNoFlowIn}},
      {"space", [](TComPort& p) { p.Parity()->SetBits(prSpace); }, {9600, 8, 5, 1, comport::kNoFlowOut, comport::kNoFlowIn}},
      {"hardware", [](TComPort& p) { p.FlowControl()->SetFlowControl(fcHardware); },
       {9600, 8, 1, 1, comport::kHardwareFlow, comport::kHardwareFlow}},
      {"software", [](TComPort& p) { p.FlowControl()->SetFlowControl(fcSoftware); },
       {9600, 8, 1, 1, comport::kXonXoffOut, comport::kXonXoffIn}},
  };
  for (const auto& row : rows) {
    TComPort p;
    row.set(p);
    EXPECT_EQ(comport::FarLineOf(AttributesOf(p), 9600), row.far) << row.what;
  }
}

TEST(FarLineSettings, OnlyWhatChangedIsAskedForAgain) {
  const comport::TFarLine was{9600, 8, 1, 1, comport::kNoFlowOut, comport::kNoFlowIn};
  auto codes = [](const std::vector<comport::TRequest>& requests) {
    std::vector<std::vector<std::uint8_t>> data;
    for (const auto& request : requests) data.push_back(request.data);
    return data;
  };
  using Data = std::vector<std::vector<std::uint8_t>>;
  EXPECT_EQ(codes(comport::LineRequests(std::nullopt, was)),
            (Data{{1, 0, 0, 0x25, 0x80}, {2, 8}, {3, 1}, {4, 1}, {5, 1}, {5, 14}}));
  EXPECT_TRUE(comport::LineRequests(was, was).empty());
  comport::TFarLine now = was;
  now.rate = 19200;
  now.parity = 3;
  EXPECT_EQ(codes(comport::LineRequests(was, now)), (Data{{1, 0, 0, 0x4B, 0x00}, {3, 3}}));
  now.flowOut = now.flowIn = comport::kHardwareFlow;  // one request covers both directions
  EXPECT_EQ(codes(comport::LineRequests(was, now)), (Data{{1, 0, 0, 0x4B, 0x00}, {3, 3}, {5, 3}}));
}

}  // namespace
