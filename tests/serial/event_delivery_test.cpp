#include <gtest/gtest.h>

#include <QEventLoop>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>

#include <stdexcept>
#include <vector>

#include "CPort.h"
#include "CountingPlatform.h"
#include "PtyPair.h"

namespace {

// Keeps the UI thread away from its events for a while, as a long handler or a busy form would.
void StayBusy() { usleep(100 * 1000); }
void ServeFor(int ms) {
  QDeadlineTimer until(ms);
  ServeUntil([&] { return until.hasExpired(); });
}

class EventDelivery : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    ASSERT_FALSE(pty.Name().empty());
    port.SetPort(QString::fromStdString(pty.Name()));
    port.SetEvents({evRxChar});
    port.SetOnRxChar([this](QObject*, int count) {
      counts.push_back(count);
      inUiThread = inUiThread && QThread::currentThread() == TestApp().thread();
      if (readInHandler) {
        std::vector<unsigned char> chunk(static_cast<std::size_t>(count));
        chunk.resize(static_cast<std::size_t>(port.Read(chunk.data(), count)));
        received.insert(received.end(), chunk.begin(), chunk.end());
      }
      if (inHandler) inHandler();
    });
  }
  // Closing serves a hand-over still pending, and the members the handler uses go before the
  // port does: the handler goes first, as the window's own does.
  void TearDown() override { port.ClearEventHandlers(); }
  TPtyPair pty;
  std::shared_ptr<TCountingPlatform> platform = std::make_shared<TCountingPlatform>();
  TComPort port{platform};
  std::vector<int> counts;
  std::vector<unsigned char> received;
  bool inUiThread = true;
  bool readInHandler = true;
  std::function<void()> inHandler;
};

TEST_F(EventDelivery, BurstsWhileTheUiThreadIsBusyComeAsOneEventWithTheTotal) {
  port.Open();
  pty.Send({1, 2, 3});
  StayBusy();
  pty.Send({4, 5, 6, 7});
  StayBusy();
  ASSERT_TRUE(ServeUntil([&] { return received.size() >= 7; }));
  EXPECT_EQ(counts.front(), 7);
  EXPECT_EQ(received, (std::vector<unsigned char>{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_TRUE(inUiThread);
}

// The reply to a request can arrive the moment the handler of the last bytes has returned; it
// must raise its own event, never be taken for bytes a handler left behind.
TEST_F(EventDelivery, BytesArrivingRightAfterAHandlerRaiseTheirOwnEvent) {
  port.Open();
  for (unsigned char i = 0; i < 200; ++i) {
    pty.Send({i});
    ASSERT_TRUE(ServeUntil([&] { return received.size() == i + 1u; })) << "byte " << int(i) << " lost";
  }
}

TEST_F(EventDelivery, HandOverIsServedInsideANestedEventLoop) {
  port.Open();
  QEventLoop exchange;
  inHandler = [&] { exchange.quit(); };
  QTimer::singleShot(0, [&] { pty.Send({0x42}); });
  QTimer::singleShot(10000, &exchange, &QEventLoop::quit);
  exchange.exec();
  EXPECT_EQ(received, std::vector<unsigned char>{0x42});
}

TEST_F(EventDelivery, CloseWhileAHandOverWaitsServesItThenEnds) {
  port.Open();
  pty.Send({9, 8, 7, 6});
  // Not a single event is served until the event thread has woken for the bytes, and a while
  // after: it then waits for the UI thread with its hand-over.
  for (QDeadlineTimer bound(10000); platform->wokenByInput == 0 && !bound.hasExpired();) usleep(1000);
  ASSERT_GT(platform->wokenByInput, 0);
  StayBusy();
  port.Close();
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(counts, std::vector<int>{4});
  EXPECT_EQ(received.size(), 4u);
}

TEST_F(EventDelivery, CloseFromInsideAHandlerDoesNotDeadlock) {
  bool afterClose = false;
  port.SetOnAfterClose([&](QObject*) { afterClose = true; });
  inHandler = [&] { port.Close(); };
  port.Open();
  pty.Send({1});
  ASSERT_TRUE(ServeUntil([&] { return afterClose; }));
  EXPECT_FALSE(port.Connected());
  pty.Send({2});
  ServeFor(100);
  EXPECT_EQ(counts.size(), 1u);
  inHandler = nullptr;
  port.Open();  // the old thread is gone; a new one delivers
  pty.Send({3});
  ASSERT_TRUE(ServeUntil([&] { return counts.size() == 2; }));
}

TEST_F(EventDelivery, HandlerExceptionEndsTheThreadSilently) {
  inHandler = [] { throw std::runtime_error("handler failed"); };
  port.Open();
  pty.Send({1});
  ASSERT_TRUE(ServeUntil([&] { return counts.size() == 1; }));
  pty.Send({2});
  ServeFor(100);
  EXPECT_EQ(counts.size(), 1u);
  EXPECT_NO_THROW(port.Close());
  EXPECT_FALSE(port.Connected());
}

TEST_F(EventDelivery, BytesLeftQueuedAreCountedAgainWhenMoreArrive) {
  readInHandler = false;
  port.Open();
  pty.Send({1, 2});
  ASSERT_TRUE(ServeUntil([&] { return counts.size() == 1; }));
  ServeFor(50);
  EXPECT_EQ(counts.size(), 1u);  // no news, no event
  pty.Send({3});
  ASSERT_TRUE(ServeUntil([&] { return counts.size() == 2; }));
  EXPECT_EQ(counts.back(), 3);
}

TEST_F(EventDelivery, WithoutEventsNoHandlerRunsAndBytesCanStillBeRead) {
  port.SetEvents({});
  port.Open();
  pty.Send({5, 6, 7});
  ASSERT_TRUE(ServeUntil([&] { return port.QueuedInputCount() == 3; }));
  EXPECT_TRUE(counts.empty());
  unsigned char buffer[5];
  EXPECT_EQ(port.Read(buffer, 5), 3);
  EXPECT_EQ(buffer[2], 7);
}

TEST_F(EventDelivery, ClosingDiscardsBytesNotYetRead) {
  port.SetEvents({});
  port.Open();
  pty.Send({5, 6, 7});
  ASSERT_TRUE(ServeUntil([&] { return port.QueuedInputCount() == 3; }));
  port.Close();
  port.Open();
  EXPECT_EQ(port.QueuedInputCount(), 0);
}

TEST_F(EventDelivery, IdlePortSleepsInTheKernel) {
  port.Open();
  ServeFor(200);
  EXPECT_LE(platform->polls.load(), 1);
}

TEST_F(EventDelivery, VanishedDeviceEndsTheThreadAndIsReportedOnce) {
  QSignalSpy gone(&port, &TCustomComPort::DeviceGone);
  port.Open();
  pty.CloseMaster();
  ASSERT_TRUE(ServeUntil([&] { return gone.count() == 1; }));
  const int polls = platform->polls.load();
  ServeFor(100);
  EXPECT_EQ(gone.count(), 1);
  EXPECT_EQ(platform->polls.load(), polls);  // no waking for ever on the hang-up
  const unsigned char frame[2] = {1, 2};
  try {
    port.Write(frame, 2);
    FAIL();
  } catch (const EComPortExt& e) {
    EXPECT_EQ(e.Code(), comerr::kWrite);
  }
  bool afterClose = false;
  port.SetOnAfterClose([&](QObject*) { afterClose = true; });
  EXPECT_NO_THROW(port.Close());
  EXPECT_TRUE(afterClose);
}

// The handler meets the vanished device before the thread does (its read fails and throws):
// the thread ends by the exception, and the owner must still hear that the device is gone.
TEST_F(EventDelivery, VanishedDeviceIsReportedAlsoWhenTheHandlerFailsOnIt) {
  QSignalSpy gone(&port, &TCustomComPort::DeviceGone);
  inHandler = [this] {
    pty.CloseMaster();
    throw EComPortExt(comerr::kRead, EIO, port.Port());
  };
  port.Open();
  pty.Send({1});
  ASSERT_TRUE(ServeUntil([&] { return gone.count() == 1; }));
  ServeFor(100);
  EXPECT_EQ(gone.count(), 1);
}

TEST_F(EventDelivery, DestroyingAnOpenPortClosesIt) {
  std::vector<std::string> log;
  {
    TComPort owned(platform);
    owned.SetPort(QString::fromStdString(pty.Name()));
    owned.SetEvents({evRxChar});
    owned.SetOnBeforeClose([&](QObject*) { log.push_back("before-close"); });
    owned.SetOnAfterClose([&](QObject*) { log.push_back("after-close"); });
    owned.Open();
    pty.Send({1});
    StayBusy();
  }
  EXPECT_EQ(log, (std::vector<std::string>{"before-close", "after-close"}));
}

TEST_F(EventDelivery, NoneRunsHandlersInTheEventThread) {
  port.SetSyncMethod(smNone);
  std::atomic<int> got{0};
  std::atomic<bool> otherThread{false};
  port.SetOnRxChar([&](QObject*, int count) {
    otherThread = QThread::currentThread() != TestApp().thread();
    unsigned char buffer[16];
    got += port.Read(buffer, std::min(count, 16));
  });
  port.Open();
  pty.Send({1, 2, 3});
  ASSERT_TRUE(ServeUntil([&] { return got.load() == 3; }));
  EXPECT_TRUE(otherThread.load());
  port.Close();
}

TEST_F(EventDelivery, DisableEventsDropsTheBatches) {
  port.SetSyncMethod(smDisableEvents);
  port.Open();
  pty.Send({1, 2});
  ASSERT_TRUE(ServeUntil([&] { return port.QueuedInputCount() == 2; }));
  ServeFor(50);
  EXPECT_TRUE(counts.empty());
}

TEST_F(EventDelivery, WindowSyncShowsAHandlerExceptionAndGoesOn) {
  std::vector<std::string> shown;
  SetComExceptionDisplay([&](const std::exception& e) { shown.push_back(e.what()); });
  port.SetSyncMethod(smWindowSync);
  inHandler = [&] {
    if (counts.size() == 1) throw EComPort(comerr::kRead, port.Port());
  };
  port.Open();
  pty.Send({1});
  ASSERT_TRUE(ServeUntil([&] { return counts.size() == 1; }));
  pty.Send({2});
  ASSERT_TRUE(ServeUntil([&] { return counts.size() == 2; }));
  EXPECT_TRUE(inUiThread);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].find("ReadFile function failed"), std::string::npos);
  port.Close();
  SetComExceptionDisplay(nullptr);
}

}  // namespace
