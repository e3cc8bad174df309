#include "PortLinkHost.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cerrno>
#include <optional>
#include <climits>
#include <vector>

#include "CPort.h"
#include "Frame.h"
#include "LineSettings.h"

struct TPortLinkHost::TWait {
  explicit TWait(const std::function<bool()>& condition) : done(&condition) {}
  QEventLoop loop;
  const std::function<bool()>* done;
};

TPortLinkHost::TPortLinkHost(TComPort& port, QObject* parent) : QObject(parent), port_(port) {
  clock_.start();
  connect(&port_, &TCustomComPort::DeviceGone, this, &TPortLinkHost::DeviceGone);
}

void TPortLinkHost::ReceiveFromPort(ReaderLink& link, int count) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count > 0 ? count : 0));
  const int got = port_.Read(bytes.data(), count);
  // A short or empty read hands over only what really came from the line.
  bytes.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  received_ += bytes.size();
  link.ReceiveChunk(bytes);
  StartIdleTimerIfHeld(link);
  EndWaitIfDone();
}

void TPortLinkHost::StartIdleTimerIfHeld(const ReaderLink& link) {
  if (idleTimer_ && !idleTimer_->isActive() && !link.ReceiveBuffer().empty()) idleTimer_->start();
}

void TPortLinkHost::IdleTick(ReaderLink& link) {
  link.IdleFlush();
  if (idleTimer_ && link.ReceiveBuffer().empty()) idleTimer_->stop();
}

namespace {

// Quiet time that ends the stale input: longer than a USB adapter's default latency timer
// (16 ms), which is how long such an adapter may sit on bytes it already has.
constexpr std::int64_t kStaleQuietMs = 20;
// However much the line chatters, the open goes on after this.
constexpr std::int64_t kStaleLimitMs = 200;
// A start bit, eight data bits and a stop bit: the least a byte takes on the wire.
constexpr std::int64_t kBitsPerByte = 10;
// What a wait on the device reads at a time: many frames.
constexpr std::size_t kChunkBytes = 4096;

}  // namespace

std::vector<std::uint8_t> TPortLinkHost::TakeArrived() {
  const int queued = port_.QueuedInputCount();
  if (queued <= 0) return {};
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(queued));
  const int got = port_.Read(bytes.data(), queued);
  bytes.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return bytes;
}

std::size_t TPortLinkHost::TakeQueuedInput(ReaderLink& link) {
  const std::vector<std::uint8_t> bytes = TakeArrived();
  if (!bytes.empty()) link.ReceiveChunk(bytes);
  StartIdleTimerIfHeld(link);
  return bytes.size();
}

std::size_t TPortLinkHost::TakeStaleInput(ReaderLink& link) {
  const std::size_t receivedBefore = received_;
  std::size_t taken = TakeQueuedInput(link);
  const std::int64_t limit = NowMs() + kStaleLimitMs;
  for (;;) {
    const std::size_t seen = taken + (received_ - receivedBefore);
    const std::int64_t quietEnd = std::min(NowMs() + kStaleQuietMs, limit);
    // Bytes that come up meanwhile reach the link through the received-characters events.
    Wait(quietEnd, [] { return false; });
    taken += TakeQueuedInput(link);
    const bool quiet = taken + (received_ - receivedBefore) == seen;
    if (quiet || NowMs() >= limit) break;
  }
  return taken + (received_ - receivedBefore);
}

std::size_t TPortLinkHost::WriteLine(std::span<const std::uint8_t> bytes) {
  const int written = port_.Write(bytes.data(), static_cast<int>(bytes.size()));
  return static_cast<std::size_t>(written > 0 ? written : 0);
}

void TPortLinkHost::FailShortWrite(std::size_t, std::size_t) {
  // The rest of a cut frame must not follow later and garble the next request.
  port_.DiscardOutput();
  throw EComPortExt(comerr::kWrite, ETIMEDOUT, port_.Port());
}

void TPortLinkHost::ShowLogLine(std::string_view raw) {
  if (logSink_) logSink_(raw);
}

std::int64_t TPortLinkHost::NowMs() {
  // Monotonic: a wall clock stepped by a time server would stretch or cut a wait.
  return clock_.elapsed();
}

void TPortLinkHost::DriveDirectly(ReaderLink& link) {
  direct_ = &link;
  idleTimer_ = nullptr;
}

bool TPortLinkHost::SleepForRestOfFrame(std::int64_t deadlineMs, const std::function<bool()>& done) {
  // A frame comes a byte at a time at the line's pace: rather than wake for each byte, the wait
  // sleeps for as long as the rest of the longest frame takes on the wire and then takes what
  // came in one read. It costs a frame no time it would not spend on the wire anyway.
  const std::size_t held = direct_->ReceiveBuffer().size();
  const std::uint32_t rate = BaudRate();
  if (held == 0 || held >= frame::kMaxLength || rate == 0 || done()) return false;
  const std::int64_t restUs = static_cast<std::int64_t>(frame::kMaxLength - held) * kBitsPerByte * 1'000'000 / rate;
  const std::int64_t leftUs = (deadlineMs - NowMs()) * 1000;
  if (leftUs <= 0) return false;
  std::this_thread::sleep_for(std::chrono::microseconds(std::min(restUs, leftUs)));
  return true;
}

void TPortLinkHost::ReceiveAvailable() {
  // One read of what is there: a device that hung up or failed raises it here.
  chunk_.resize(kChunkBytes);
  const int got = port_.ReadAvailable(chunk_.data(), static_cast<int>(chunk_.size()));
  chunk_.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  received_ += chunk_.size();
  if (!chunk_.empty()) direct_->ReceiveChunk(chunk_);
}

void TPortLinkHost::WaitOnDevice(std::int64_t deadlineMs, const std::function<bool()>& done) {
  for (std::int64_t left = deadlineMs - NowMs(); left > 0 && !done(); left = deadlineMs - NowMs()) {
    // Bytes held without a whole frame are flushed to the log once the line has been quiet for
    // a while: the poll wakes for that only while there are such bytes.
    const bool held = !direct_->ReceiveBuffer().empty();
    const std::int64_t wait = held ? std::min<std::int64_t>(left, kIdleFlushPeriodMs) : left;
    if (!port_.WaitForInput(static_cast<int>(std::min<std::int64_t>(wait, INT_MAX)))) {
      if (held) direct_->IdleFlush();
      continue;
    }
    do ReceiveAvailable();
    while (SleepForRestOfFrame(deadlineMs, done));
  }
}

void TPortLinkHost::Wait(std::int64_t deadlineMs, const std::function<bool()>& done) {
  if (direct_) return WaitOnDevice(deadlineMs, done);
  TWait wait(done);
  TWait* const outer = wait_;
  wait_ = &wait;
  struct Restore {
    TPortLinkHost& host;
    TWait* outer;
    ~Restore() { host.wait_ = outer; }
  } restore{*this, outer};

  QTimer deadline;
  deadline.setSingleShot(true);
  deadline.setTimerType(Qt::PreciseTimer);
  connect(&deadline, &QTimer::timeout, &wait.loop, &QEventLoop::quit);
  // The loop ends at the deadline timer or when a chunk makes done() true; a timer that fires
  // a little early is simply armed again for the rest.
  // A device that failed between two exchanges ends the next wait at once.
  const std::optional<EComPortExt>& failure = port_.DeviceFailure();
  for (std::int64_t left = deadlineMs - NowMs(); left > 0 && !done() && !failure; left = deadlineMs - NowMs()) {
    deadline.start(static_cast<int>(std::min<std::int64_t>(left, INT_MAX)));
    wait.loop.exec();
  }
  if (failure) throw *failure;
}

std::uint32_t TPortLinkHost::BaudRate() {
  const int rate = BaudRateValue(port_.BaudRate(), port_.CustomBaudRate());
  return static_cast<std::uint32_t>(rate > 0 ? rate : 0);
}

void TPortLinkHost::EndWaitIfDone() {
  if (wait_ && (*wait_->done)()) wait_->loop.quit();
}

void TPortLinkHost::DeviceGone() {
  if (wait_) wait_->loop.quit();
}
