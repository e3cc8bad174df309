// A port on a network line, through a real ser2net in front of a pseudo-terminal: settings reach
// the far device, bytes pass both ways unchanged, and every way the connection fails is a clear
// open failure or a vanished device, after which the port opens again.
#include <gtest/gtest.h>

#include <QString>

#include <netinet/tcp.h>

#include <atomic>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "CPort.h"
#include "DeviceSpeed.h"
#include "NetworkLineName.h"
#include "PtyPair.h"
#include "Ser2netServer.h"
#include "UnansweringServers.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Every byte value, 0xFF (the telnet IAC) among them, twice in a row at the end.
Bytes AllByteValues() {
  Bytes all(256);
  std::iota(all.begin(), all.end(), 0);
  all.push_back(0xFF);
  return all;
}

class PortOnNetworkLine : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    ASSERT_FALSE(far.Name().empty());
    server = std::make_unique<Ser2netServer>(far.Name());
    ASSERT_TRUE(server->Failure().isEmpty()) << server->Failure().toStdString();
    port.SetEvents({evRxChar});
    port.SetOnRxChar([this](QObject*, int count) {
      counts.push_back(count);
      Bytes chunk(static_cast<std::size_t>(count));
      chunk.resize(static_cast<std::size_t>(port.Read(chunk.data(), count)));
      received.insert(received.end(), chunk.begin(), chunk.end());
    });
    QObject::connect(&port, &TCustomComPort::DeviceGone, [this] { ++gone; });
  }
  void TearDown() override { port.ClearEventHandlers(); }

  // The port's bytes at the far end, and the far end's bytes delivered as the program gets them.
  void ExpectBothWaysUnchanged(const Bytes& bytes) {
    EXPECT_EQ(port.Write(bytes.data(), static_cast<int>(bytes.size())), static_cast<int>(bytes.size()));
    EXPECT_EQ(far.Receive(bytes.size()), bytes);
    pollfd more{far.Master(), POLLIN, 0};
    EXPECT_EQ(poll(&more, 1, 50), 0) << "more bytes than were written reached the far line";
    received.clear();
    counts.clear();
    far.Send(bytes);
    EXPECT_TRUE(ServeUntil([&] { return received.size() >= bytes.size(); }));
    EXPECT_EQ(received, bytes);
    // Counts are of line bytes: no telnet byte is announced, so no handler call comes up short.
    EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), std::size_t{0}), bytes.size());
  }
  int FarRate() const { return DeviceSpeed(far.Slave()); }

  TPtyPair far;
  std::unique_ptr<Ser2netServer> server;
  TComPort port;
  Bytes received;
  std::vector<int> counts;
  int gone = 0;
};

TEST_F(PortOnNetworkLine, Rfc2217PutsTheSettingsOnTheFarLineAndPassesEveryByte) {
  port.SetPort(server->Rfc2217Line());
  port.SetBaudRate(br19200);
  port.SetStopBits(sbTwoStopBits);
  port.Open();
  ASSERT_TRUE(port.Connected());
  EXPECT_EQ(FarRate(), 19200);
  EXPECT_TRUE(far.Attributes().c_cflag & CSTOPB);
  ExpectBothWaysUnchanged(AllByteValues());
  port.SetBaudRate(br38400);  // while open: at once
  EXPECT_EQ(FarRate(), 38400);
  EXPECT_TRUE(port.LineSignals().empty());  // ser2net notifies a pty's lines as all off
  port.Close();
  port.Open();  // the server takes the line back and lends it again
  EXPECT_TRUE(port.Connected());
}

// The gateway lends its line to one connection: a second program is told so in the gateway's
// words once the open's bound is spent, not as a failed setting.
TEST_F(PortOnNetworkLine, ALineServingAnotherConnectionIsRefusedInTheGatewaysWords) {
  port.SetPort(server->Rfc2217Line());
  port.Open();
  ASSERT_TRUE(port.Connected());
  for (const QString& line : {server->Rfc2217Line(), server->TcpLine()}) {
    TComPort second;
    second.SetPort(line);
    try {
      second.Open();
      FAIL() << line.toStdString();
    } catch (const EComPortExt& e) {
      EXPECT_EQ(e.Code(), comerr::kOpen) << e.what();
      EXPECT_EQ(e.SystemCode(), ECONNRESET);
      // ser2net: "Port already in use", or for the other accepter "Port's device already in use".
      const std::string reason = e.Reason().toStdString();
      EXPECT_TRUE(reason.starts_with("the server closed the connection: Port") && reason.ends_with("already in use"))
          << reason;
    }
    EXPECT_FALSE(second.Connected());
  }
  ExpectBothWaysUnchanged({0x01, 0x02, 0x03});
}

TEST_F(PortOnNetworkLine, RawTcpPassesBytesAsTheyAreAndLeavesTheGatewaysSettings) {
  port.SetPort(server->TcpLine());
  port.SetBaudRate(br19200);
  port.Open();
  ASSERT_TRUE(port.Connected());
  ExpectBothWaysUnchanged(AllByteValues());
  EXPECT_EQ(FarRate(), 9600);  // ser2net's own setting, as configured
}

TEST_F(PortOnNetworkLine, ServerGoneWhileOpenIsAVanishedDeviceAndThePortOpensAgain) {
  port.SetPort(server->Rfc2217Line());
  port.Open();
  server->Kill();
  ASSERT_TRUE(ServeUntil([&] { return gone > 0; }));
  for (QDeadlineTimer settle(100); !settle.hasExpired();) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_EQ(gone, 1);
  const unsigned char frame[] = {0xFF, 0x06, 0x70, 0x00, 0x12, 0x34};
  try {
    port.Write(frame, sizeof frame);
    FAIL() << "wrote to a connection that has ended";
  } catch (const EComPortExt& e) {
    EXPECT_TRUE(DeviceVanished(e.SystemCode())) << e.SystemCode();
  }
  port.Close();
  EXPECT_FALSE(port.Connected());

  server = std::make_unique<Ser2netServer>(far.Name());
  ASSERT_TRUE(server->Failure().isEmpty()) << server->Failure().toStdString();
  port.SetPort(server->Rfc2217Line());
  port.Open();
  ExpectBothWaysUnchanged({0x01, 0xFF, 0x02});
}

struct TOpenFailure {
  QString name;
  std::vector<int> systemCodes;  // what the system may answer
  QString reason;                // when the system's words are not errno's: what they are
};

TEST_F(PortOnNetworkLine, LinesThatCannotBeReachedFailTheOpenWithTheSystemsReason) {
  const TSilentServer silent;
  const TFloodingServer flooding;
  const TTurningAwayServer turningAway;
  const TOpenFailure rows[] = {
      {QStringLiteral("rfc2217://127.0.0.1:%1").arg(Ser2netServer::FreeLoopbackPort()), {ECONNREFUSED}, {}},
      {UnknownGatewayLine(), {ENOENT}, {}},
      {QStringLiteral("tcp://gateway"), {EINVAL}, QString::fromLatin1(kNetworkLineNameForm)},
      // A server that does not speak telnet never takes up the option.
      {QStringLiteral("rfc2217://127.0.0.1:%1").arg(silent.Port()), {ETIMEDOUT},
       QStringLiteral("the server did not take up the com-port option (RFC 2217)")},
      {QStringLiteral("rfc2217://127.0.0.1:%1").arg(flooding.Port()), {ETIMEDOUT},
       QStringLiteral("the server did not take up the com-port option (RFC 2217)")},
      // Turned away, then no answer to the next try until the bound: the refusal is told.
      {QStringLiteral("rfc2217://127.0.0.1:%1").arg(turningAway.Port()), {ECONNRESET},
       QStringLiteral("the server closed the connection: ") + TTurningAwayServer::kWords},
  };
  for (const TOpenFailure& row : rows) {
    port.SetPort(row.name);
    try {
      port.Open();
      FAIL() << row.name.toStdString();
    } catch (const EComPortExt& e) {
      EXPECT_EQ(e.Code(), comerr::kOpen);
      EXPECT_EQ(std::string(e.what()), "COM Port Error: Unable to open com port on " + row.name.toStdString());
      EXPECT_NE(std::find(row.systemCodes.begin(), row.systemCodes.end(), e.SystemCode()), row.systemCodes.end())
          << row.name.toStdString() << ": " << e.SystemCode();
      if (!row.reason.isEmpty()) {
        EXPECT_EQ(e.Reason(), row.reason);
      }
      // A host not found is told in the resolver's words, not as a missing file.
      if (e.SystemCode() == ENOENT) {
        EXPECT_NE(e.Reason(), SystemErrorText(ENOENT));
      }
    }
    EXPECT_FALSE(port.Connected());
  }
  port.SetPort(server->Rfc2217Line());
  port.Open();
  EXPECT_TRUE(port.Connected());
}

// A gateway whose power is cut never closes the connection: the connection itself must find
// out, within about 10 s, whether it is idle (probes) or has sent bytes (their acknowledgement).
TEST(NetworkLineConnection, ProbesAGatewayThatFallsSilent) {
  const TSilentServer gateway;
  const auto platform = SystemComPlatform();
  std::string reason;
  const int fd = platform->OpenDevice("tcp://127.0.0.1:" + std::to_string(gateway.Port()), reason);
  ASSERT_GE(fd, 0) << reason;
  const auto option = [fd](int level, int name) {
    int value = -1;
    socklen_t length = sizeof value;
    return ::getsockopt(fd, level, name, &value, &length) == 0 ? value : -1;
  };
  EXPECT_EQ(option(SOL_SOCKET, SO_KEEPALIVE), 1);
  const int idleSeconds =
      option(IPPROTO_TCP, TCP_KEEPIDLE) + option(IPPROTO_TCP, TCP_KEEPINTVL) * option(IPPROTO_TCP, TCP_KEEPCNT);
  EXPECT_TRUE(idleSeconds > 0 && idleSeconds <= 10) << idleSeconds;
  const int unacknowledgedMs = option(IPPROTO_TCP, TCP_USER_TIMEOUT);
  EXPECT_TRUE(unacknowledgedMs > 0 && unacknowledgedMs <= 10000) << unacknowledgedMs;
  platform->Close(fd);
}

}  // namespace
