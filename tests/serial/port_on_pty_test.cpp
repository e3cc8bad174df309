#include <gtest/gtest.h>

#include <QString>
#include <QThread>

#include <numeric>

#include "CPort.h"
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

TEST_F(PortOnPty, ClosedPortOpensAgain) {
  port.Open();
  port.Close();
  EXPECT_FALSE(port.Connected());
  port.SetConnected(true);
  EXPECT_TRUE(port.Connected());
}

}  // namespace
