// The link's host over a real port on a pseudo-terminal, with only a QCoreApplication: what the
// window and the command-line tool both stand on.
#include "PortLinkHost.h"

#include "CountingPlatform.h"
#include "ScriptedComPlatform.h"

#include "CPort.h"
#include "ErrorList.h"
#include "ReaderLink.h"
#include "CodeTables.h"
#include "Frame.h"
#include "ResponseFrame.h"
#include "CoreTestApp.h"
#include "FarAway.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

class PortLinkHost : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);  // bytes queued before the open must not pass a cooked line discipline
    ASSERT_EQ(openpty(&master, &slave, name, &raw, nullptr), 0);
    port.SetPort(QString::fromLocal8Bit(name));
    port.SetEvents(TComEvents{evRxChar});
    port.SetOnRxChar([this](QObject*, int count) { host.ReceiveFromPort(link, count); });
    host.SetLogSink([this](std::string_view raw) { logLine.assign(raw); });
  }
  void TearDown() override {
    port.SetConnected(false);
    if (slave >= 0) ::close(slave);
    if (master >= 0) ::close(master);
  }
  void FromLine(const Bytes& bytes) {
    ASSERT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // A pseudo-terminal moves bytes from master to slave asynchronously.
  bool QueuedOnDevice(std::size_t count) {
    for (int i = 0; i < 200; ++i) {
      int queued = 0;
      if (::ioctl(slave, FIONREAD, &queued) == 0 && static_cast<std::size_t>(queued) >= count) return true;
      pollfd fd{slave, POLLIN, 0};
      ::poll(&fd, 1, 10);
    }
    return false;
  }
  Bytes ToLine() {
    Bytes bytes(64);
    const ssize_t n = ::read(master, bytes.data(), bytes.size());
    bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return bytes;
  }

  int master = -1;
  int slave = -1;
  std::shared_ptr<TCountingPlatform> platform = std::make_shared<TCountingPlatform>();
  TComPort port{platform};
  TPortLinkHost host{port};
  ErrorList errors;
  ReaderLink link{host, errors};
  std::string logLine;
};

TEST_F(PortLinkHost, AUnicastExchangeReturnsWithTheAnswerDeliveredDuringItsWait) {
  port.SetConnected(true);
  // The reader answers once the request is on the line.
  QTimer::singleShot(20, [this] {
    EXPECT_EQ(ToLine(), BuildRequest(5, 0x70, {}));
    FromLine(AnswerFrame(5, cmd::ReadSerialNumber, {0x00, 0x7F}));
  });
  Bytes serial;
  ASSERT_TRUE(link.ReadCommand(5, 0x70, {}, serial, 2, Sending::SendRequest));
  EXPECT_EQ(serial, (Bytes{0x00, 0x7F}));
  EXPECT_TRUE(errors.empty());
}

TEST_F(PortLinkHost, AWaitEndsWhenItsConditionHoldsAfterAChunkAndOtherwiseAtItsDeadline) {
  port.SetConnected(true);
  QTimer::singleShot(10, [this] { FromLine({'x'}); });
  const std::int64_t far = host.NowMs() + kFarAway;
  host.Wait(far, [this] { return link.Tally().received > 0; });
  EXPECT_LT(host.NowMs(), far);  // it did not sit out the deadline

  const std::int64_t near = host.NowMs() + 30;
  host.Wait(near, [] { return false; });
  EXPECT_GE(host.NowMs(), near);  // a wait that nothing satisfies lasts to its deadline
  EXPECT_FALSE(host.Waiting());
}

TEST_F(PortLinkHost, AChunkHandsTheLinkExactlyTheBytesTheReadReturned) {
  port.SetConnected(true);
  FromLine({'a', 'b', 'c'});
  host.ReceiveFromPort(link, 64);  // more asked for than is there
  EXPECT_EQ(link.Tally().received, 3u);
  host.ReceiveFromPort(link, 8);   // nothing left: nothing invented
  EXPECT_EQ(link.Tally().received, 3u);
}

TEST_F(PortLinkHost, StaleInputIsTakenBeforeAnyRequestSoAnOldAnswerIsDropped) {
  const Bytes old = AnswerFrame(5, cmd::ReadSerialNumber, {0x00, 0x7F});
  Bytes stale = {'o', 'l', 'd', '\r', '\n'};
  stale.insert(stale.end(), old.begin(), old.end());
  FromLine(stale);
  ASSERT_TRUE(QueuedOnDevice(stale.size()));
  port.SetConnected(true);
  EXPECT_EQ(host.TakeStaleInput(link), stale.size());
  EXPECT_EQ(link.Tally().droppedInFrames, old.size());
  EXPECT_EQ(link.Tally().echoed, 5u);
}

// An adapter hands over bytes it held a few milliseconds after the open; they are stale too.
TEST_F(PortLinkHost, StaleInputArrivingJustAfterTheOpenIsTakenBeforeAnyRequest) {
  const Bytes old = AnswerFrame(5, cmd::ReadSerialNumber, {0x00, 0x7F});
  port.SetConnected(true);
  QTimer::singleShot(5, [&] { FromLine(old); });
  EXPECT_EQ(host.TakeStaleInput(link), old.size());
  EXPECT_EQ(link.Tally().droppedInFrames, old.size());

  // The search's broadcast that follows finds no answer among them.
  Bytes serial;
  EXPECT_FALSE(link.ExchangeFrame(0xFF, 0x70, {}, serial, Sending::TakeNextAnswer));
}

TEST_F(PortLinkHost, AVanishedDeviceEndsTheWaitWithThePortsReadError) {
  port.SetConnected(true);
  QTimer::singleShot(20, [this] {
    ::close(master);
    master = -1;
  });
  try {
    host.Wait(host.NowMs() + kFarAway, [] { return false; });
    FAIL() << "the wait outlived its device";
  } catch (const EComPortExt& error) {
    EXPECT_EQ(error.Code(), comerr::kRead);
  }
  EXPECT_FALSE(host.Waiting());
}

// A read that fails in the port's event thread is that error, for the exchange waiting then and
// for any later one: parvex-cli and a site line report it instead of a line gone silent.
TEST_F(PortLinkHost, AReadErrorOfTheDeviceEndsTheWaitAndTheNextWithThatError) {
  port.SetConnected(true);
  platform->readError = EIO;
  FromLine({'x'});
  for (const char* wait : {"running", "next"}) {
    try {
      host.Wait(host.NowMs() + kFarAway, [] { return false; });
      FAIL() << "the " << wait << " wait took a failing device for a silent one";
    } catch (const EComPortExt& error) {
      EXPECT_EQ(error.Code(), comerr::kRead);
      EXPECT_EQ(error.SystemCode(), EIO);
    }
  }
}

// The idle flush's timer runs only while received bytes wait in the link: not on an idle open
// port, from a chunk that stays in the buffer, until the tick that flushed it once the line
// had been quiet.
TEST_F(PortLinkHost, IdleTimerRunsOnlyWhileReceivedBytesWaitForTheFlush) {
  QTimer idle;
  idle.setInterval(10);
  QObject::connect(&idle, &QTimer::timeout, [this] { host.IdleTick(link); });
  host.SetIdleTimer(&idle);
  port.SetConnected(true);
  host.Wait(host.NowMs() + 50, [] { return false; });
  EXPECT_FALSE(idle.isActive());

  FromLine({'o', 'k'});  // shorter than any frame: it waits for the flush
  host.Wait(host.NowMs() + kFarAway, [this] { return link.Tally().received == 2; });
  EXPECT_TRUE(idle.isActive());
  EXPECT_TRUE(logLine.empty());
  for (int i = 0; i < 500 && logLine.empty(); ++i) host.Wait(host.NowMs() + 10, [] { return false; });
  EXPECT_EQ(logLine, "ok");
  EXPECT_TRUE(link.ReceiveBuffer().empty());
  EXPECT_FALSE(idle.isActive());
}

TEST_F(PortLinkHost, TheWireTimeUsesTheRateTheLineRunsAt) {
  port.SetBaudRate(br1200);
  EXPECT_EQ(host.BaudRate(), 1200u);
  port.SetBaudRate(brCustom);
  port.SetCustomBaudRate(31250);
  EXPECT_EQ(host.BaudRate(), 31250u);
}

TEST(PortLinkHostShortWrite, ACutFrameIsDiscardedAndRaisesThePortsWriteError) {
  auto device = std::make_shared<TScriptedComPlatform>();
  TComPort port(device);
  port.SetPort(QStringLiteral("/dev/scripted"));
  port.SetEvents(TComEvents{});
  port.Timeouts()->SetWriteTotalMultiplier(0);
  port.Timeouts()->SetWriteTotalConstant(1);
  port.SetConnected(true);
  device->writeRoom = 4;  // CTS or XOFF holds the line after four bytes
  TPortLinkHost host(port);
  ErrorList errors;
  ReaderLink link(host, errors);
  const int flushesBefore = device->Count(TCall::Flush);
  try {
    link.WriteByteCommand(5, 0x40, 1);
    FAIL() << "a cut frame was taken as sent";
  } catch (const EComPortExt& error) {
    EXPECT_EQ(error.Code(), comerr::kWrite);
  }
  EXPECT_EQ(device->Count(TCall::Flush), flushesBefore + 1);  // what was queued is dropped
  EXPECT_FALSE(link.Awaiting());
  port.SetConnected(false);
}

}  // namespace
