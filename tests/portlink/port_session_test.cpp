// The port session on a pseudo-terminal, as the command line uses it: its events routed to the
// link bring stray bytes to the log through the idle flush, and a port that outlives its session
// delivers nothing into it.
#include "PortSession.h"

#include "CPort.h"
#include "CoreTestApp.h"
#include "FarAway.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace {

class PortSession : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    ASSERT_EQ(openpty(&master, &slave, name, &raw, nullptr), 0);
    device = QString::fromLocal8Bit(name);
  }
  void TearDown() override {
    port.SetConnected(false);
    ::close(slave);
    ::close(master);
  }
  void FromLine(const char* text) {
    ASSERT_EQ(::write(master, text, std::strlen(text)), static_cast<ssize_t>(std::strlen(text)));
  }
  static void RunEventLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
  }

  int master = -1;
  int slave = -1;
  QString device;
  TComPort port;
  QTimer idleTimer;
};

TEST_F(PortSession, RoutedEventsBringStrayBytesToTheLogThroughTheIdleFlush) {
  std::string logLine;
  TPortSession session(port, idleTimer);
  session.Host().SetLogSink([&](std::string_view raw) { logLine.assign(raw); });
  session.RouteEvents();
  port.SetPort(device);
  port.SetConnected(true);
  EXPECT_EQ(session.TakeStaleInput(), 0u);

  FromLine("ok");  // shorter than any frame: only the idle flush shows it
  for (int i = 0; i < 500 && logLine.empty(); ++i) RunEventLoop(10);
  EXPECT_EQ(logLine, "ok");
  EXPECT_TRUE(session.Link().ReceiveBuffer().empty());
  EXPECT_FALSE(idleTimer.isActive());
}

TEST_F(PortSession, APortThatOutlivesItsSessionDeliversNothingIntoIt) {
  {
    TPortSession session(port, idleTimer);
    session.RouteEvents();
    port.SetPort(device);
    port.SetConnected(true);
    FromLine("abc");
    session.Host().Wait(session.Host().NowMs() + kFarAway, [&] { return session.Link().Tally().received > 0; });
    EXPECT_TRUE(idleTimer.isActive());  // "abc" waits for the idle flush
  }
  EXPECT_FALSE(port.OnRxChar());
  EXPECT_FALSE(idleTimer.isActive());
  // The port's event thread goes on serving the line; what comes now finds no session.
  FromLine("late");
  RunEventLoop(50);
  EXPECT_TRUE(port.Connected());
}

}  // namespace
