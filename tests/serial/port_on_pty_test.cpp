#include <gtest/gtest.h>

#include <QString>
#include <QThread>

#include <numeric>

#include <sys/file.h>

#include <thread>

#include "CPort.h"
#include "DeviceSpeed.h"
#include "PtyPair.h"

namespace {

class PortOnPty : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    ASSERT_FALSE(pty.Name().empty());
    port.SetPort(QString::fromStdString(pty.Name()));
    port.SetEvents({evRxChar});
  }
  TPtyPair pty;
  TComPort port;
};

// A pty keeps 8 data bits without parity whatever it is told; those reach the double instead.
TEST_F(PortOnPty, OpenPutsTheLineSettingsOnTheDevice) {
  port.SetBaudRate(br19200);
  port.SetStopBits(sbTwoStopBits);
  port.FlowControl()->SetFlowControl(fcSoftware);
  port.FlowControl()->SetXonChar(0x21);
  port.Open();
  ASSERT_TRUE(port.Connected());
  const termios t = pty.Attributes();
  EXPECT_EQ(cfgetospeed(&t), B19200);
  EXPECT_TRUE(t.c_cflag & CSTOPB);
  EXPECT_TRUE(t.c_iflag & IXON);
  EXPECT_TRUE(t.c_iflag & IXOFF);
  EXPECT_EQ(t.c_cc[VSTART], 0x21);
  EXPECT_FALSE(t.c_cflag & CRTSCTS);
  EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
  EXPECT_FALSE(t.c_oflag & OPOST);
  EXPECT_FALSE(t.c_iflag & (ICRNL | PARMRK | ISTRIP));
}

TEST_F(PortOnPty, AllByteValuesPassBothWaysUnchanged) {
  port.SetEvents({});
  port.Open();
  std::vector<unsigned char> all(256);
  std::iota(all.begin(), all.end(), 0);

  EXPECT_EQ(port.Write(all.data(), 256), 256);
  EXPECT_EQ(pty.Receive(256), all);

  pty.Send(all);
  std::vector<unsigned char> got;
  ASSERT_TRUE(ServeUntil([&] {
    unsigned char chunk[300];
    const int n = port.Read(chunk, sizeof chunk);
    got.insert(got.end(), chunk, chunk + n);
    return got.size() >= 256;
  }));
  EXPECT_EQ(got, all);
  pollfd echoed{pty.Master(), POLLIN, 0};
  EXPECT_EQ(poll(&echoed, 1, 50), 0) << "the device echoed what it received";
}

TEST_F(PortOnPty, ReceivedBytesArriveAsRxCharInTheUiThread) {
  std::vector<unsigned char> got;
  std::vector<int> counts;
  bool inUiThread = true;
  port.SetOnRxChar([&](QObject* sender, int count) {
    inUiThread = inUiThread && sender == &port && QThread::currentThread() == TestApp().thread();
    counts.push_back(count);
    std::vector<unsigned char> chunk(static_cast<std::size_t>(count));
    chunk.resize(static_cast<std::size_t>(port.Read(chunk.data(), count)));
    got.insert(got.end(), chunk.begin(), chunk.end());
  });
  port.Open();
  pty.Send({0x01, 0xFF, 0x00, 0x7E});
  ASSERT_TRUE(ServeUntil([&] { return got.size() >= 4; }));
  EXPECT_EQ(got, (std::vector<unsigned char>{0x01, 0xFF, 0x00, 0x7E}));
  EXPECT_TRUE(inUiThread);
  for (int count : counts) EXPECT_GT(count, 0);
}

// The far end keeps the terminal open, as a simulator or a getty does: run unprivileged
// (scripts/test-unprivileged), an exclusive flag left set refuses the second open.
TEST_F(PortOnPty, ClosedPortOpensAgain) {
  port.Open();
  port.Close();
  EXPECT_FALSE(port.Connected());
  port.SetConnected(true);
  EXPECT_TRUE(port.Connected());
}

TEST_F(PortOnPty, SettingsWrittenWhileOpenReachTheDeviceAtOnceOrAtTheEnd) {
  port.Open();
  port.SetBaudRate(br57600);
  EXPECT_EQ(DeviceSpeed(pty.Slave()), 57600);
  port.BeginChanges();
  port.SetBaudRate(br115200);
  port.SetStopBits(sbTwoStopBits);
  EXPECT_EQ(DeviceSpeed(pty.Slave()), 57600);
  port.EndChanges();
  EXPECT_EQ(DeviceSpeed(pty.Slave()), 115200);
  EXPECT_TRUE(pty.Attributes().c_cflag & CSTOPB);
}

TEST_F(PortOnPty, AnyRateReachesTheDevice) {
  port.SetBaudRate(brCustom);
  port.SetCustomBaudRate(31250);
  port.Open();
  EXPECT_EQ(DeviceSpeed(pty.Slave()), 31250);
  port.SetBaudRate(br14400);
  EXPECT_EQ(DeviceSpeed(pty.Slave()), 14400);
  port.SetCustomBaudRate(1000);  // ignored unless the rate is custom
  EXPECT_EQ(DeviceSpeed(pty.Slave()), 14400);
}

TEST_F(PortOnPty, OpenIsExclusive) {
  port.Open();
  TComPort second;
  second.SetPort(port.Port());
  second.SetEvents({});
  try {
    second.Open();
    FAIL() << "a second port shared the line";
  } catch (const EComPortExt& e) {
    EXPECT_EQ(e.Code(), comerr::kOpen);
    EXPECT_EQ(e.SystemCode(), EBUSY);
  }
  EXPECT_FALSE(second.Connected());
  EXPECT_TRUE(port.Connected());
  port.Close();

  // Another program holding the line keeps us off it, root or not.
  const int other = open(pty.Name().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(other, 0);
  ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_THROW(port.Open(), EComPortExt);
  EXPECT_FALSE(port.Connected());
  close(other);
  port.Open();
  EXPECT_TRUE(port.Connected());
}

TEST_F(PortOnPty, NamesWithoutATerminalDeviceFailToOpen) {
  struct {
    const char* name;
    int systemCode;
  } rows[] = {{"parvex-no-such-device", ENOENT}, {"/dev/null", ENOTTY}};
  for (const auto& row : rows) {
    bool beforeOpen = false, afterOpen = false;
    port.SetOnBeforeOpen([&](QObject*) { beforeOpen = true; });
    port.SetOnAfterOpen([&](QObject*) { afterOpen = true; });
    port.SetPort(row.name);
    try {
      port.Open();
      FAIL() << row.name;
    } catch (const EComPortExt& e) {
      EXPECT_EQ(e.Code(), comerr::kOpen);
      EXPECT_EQ(e.SystemCode(), row.systemCode);
      EXPECT_TRUE(std::string(e.what()).ends_with(std::string(" on ") + row.name));
    }
    EXPECT_FALSE(port.Connected());
    EXPECT_TRUE(beforeOpen);
    EXPECT_FALSE(afterOpen);
  }
}

TEST_F(PortOnPty, PtyHasNoModemLinesAndNoLineErrors) {
  port.Open();
  EXPECT_TRUE(port.LineSignals().empty());
  EXPECT_TRUE(port.LineErrors().empty());
  port.FlowControl()->SetControlDTR(dtrEnable);  // nothing to raise on a pty, and no failure
  EXPECT_TRUE(port.Connected());
}

// A pty has no RS-485 mode: RTS toggle is refused with the kernel's own answer, and the line
// opens again as soon as it is not asked for.
TEST_F(PortOnPty, RtsToggleIsRefusedWhereTheDriverHasNoRs485Mode) {
  port.FlowControl()->SetControlRTS(rtsToggle);
  try {
    port.Open();
    FAIL() << "a pty took the RS-485 mode";
  } catch (const EComPortExt& e) {
    EXPECT_EQ(e.Code(), comerr::kLineSettings);
    EXPECT_EQ(e.SystemCode(), ENOTTY);
    EXPECT_EQ(e.Reason(), SystemErrorText(ENOTTY));
  }
  EXPECT_FALSE(port.Connected());
  port.FlowControl()->SetControlRTS(rtsDisable);
  port.Open();
  EXPECT_TRUE(port.Connected());
}

TEST_F(PortOnPty, WriteNobodyTakesStopsAtItsTimeOut) {
  port.SetEvents({});
  port.Timeouts()->SetWriteTotalMultiplier(0);
  port.Timeouts()->SetWriteTotalConstant(50);
  port.Open();
  std::vector<unsigned char> big(1 << 20, 0x55);
  const int written = port.Write(big.data(), static_cast<int>(big.size()));
  EXPECT_GT(written, 0);
  EXPECT_LT(written, static_cast<int>(big.size()));
  port.DiscardOutput();
}

TEST_F(PortOnPty, ReadWithATotalTimeOutWaitsForTheFirstByte) {
  port.SetEvents({});
  port.Timeouts()->SetReadTotalMultiplier(-1);
  port.Timeouts()->SetReadTotalConstant(5000);
  port.Open();
  std::thread farEnd([this] {
    usleep(20 * 1000);
    pty.Send({0x5A, 0xA5});
  });
  unsigned char buffer[4] = {};
  const int n = port.Read(buffer, 4);
  farEnd.join();
  ASSERT_GE(n, 1);
  EXPECT_EQ(buffer[0], 0x5A);
}

// A terminal whose far end went reads as empty, as a quiet line does: the read must tell it
// apart, at once and while it waits for bytes alike.
TEST_F(PortOnPty, ReadOnADeviceWhoseFarEndVanishedRaisesTheHangUp) {
  port.SetEvents({});
  port.Open();
  pty.CloseMaster();
  unsigned char buffer[4];
  for (const int totalConstant : {0, 60000}) {
    port.Timeouts()->SetReadTotalConstant(totalConstant);
    try {
      port.Read(buffer, 4);
      FAIL() << "a vanished device read as a quiet line, total time-out " << totalConstant;
    } catch (const EComPortExt& e) {
      EXPECT_EQ(e.Code(), comerr::kRead);
      EXPECT_EQ(e.SystemCode(), kHangUpError);
    }
  }
}

}  // namespace
