#include "ComThread.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <cerrno>
#include <cstdint>
#include <unistd.h>

#include "CPort.h"

namespace {

struct TEventFlag {
  TComEvent event;
  std::uint32_t flag;
};
constexpr TEventFlag kEventFlags[] = {
    {evRxChar, evflag::kRxChar}, {evTxEmpty, evflag::kTxEmpty}, {evRxFlag, evflag::kRxFlag},
    {evRing, evflag::kRing},     {evBreak, evflag::kBreak},     {evCTS, evflag::kCTS},
    {evDSR, evflag::kDSR},       {evError, evflag::kError},     {evRLSD, evflag::kRLSD},
    {evRx80Full, evflag::kRx80Full}};

// Flags the wait loop can produce on Linux; the others are never reported (see CPort.cpp).
constexpr std::uint32_t kFromCounters =
    evflag::kError | evflag::kBreak | evflag::kCTS | evflag::kDSR | evflag::kRing | evflag::kRLSD;
constexpr std::uint32_t kWatchable = evflag::kRxChar | kFromCounters;

// Period at which driver counters, or bytes a handler left queued, are looked at again.
constexpr int kSampleMs = 10;

bool IsDeviceFailure(std::exception_ptr failure) {
  try {
    if (failure) std::rethrow_exception(failure);
  } catch (const EComPortExt&) {
    return true;
  } catch (...) {
  }
  return false;
}

}  // namespace

std::uint32_t EventsToMask(TComEvents events) {
  std::uint32_t mask = 0;
  for (const auto& row : kEventFlags)
    if (events.contains(row.event)) mask |= row.flag;
  return mask;
}

TComEvents MaskToEvents(std::uint32_t mask) {
  TComEvents events;
  for (const auto& row : kEventFlags)
    if (mask & row.flag) events.insert(row.event);
  return events;
}

std::uint32_t EventFlag(TComEvent event) { return EventsToMask(TComEvents{event}); }

// ---- hand-over ----------------------------------------------------------------------------

std::exception_ptr TComHandOver::Send(QObject* receiver, TJob job, std::function<void()> afterServe) {
  std::uint64_t ticket;
  {
    std::lock_guard lock(mutex_);
    ticket = ++lastTicket_;
    pending_ = std::move(job);
    pendingTicket_ = ticket;
    error_ = nullptr;
  }
  changed_.notify_all();
  QMetaObject::invokeMethod(
      receiver,
      [self = shared_from_this(), afterServe = std::move(afterServe)] {
        self->Serve();
        if (afterServe) afterServe();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return repliedTicket_ >= ticket; });
  return error_;
}

void TComHandOver::Reply(std::uint64_t ticket) {
  {
    std::lock_guard lock(mutex_);
    if (repliedTicket_ < ticket) repliedTicket_ = ticket;
  }
  changed_.notify_all();
}

void TComHandOver::Serve() {
  TJob job;
  std::uint64_t ticket;
  {
    std::lock_guard lock(mutex_);
    if (!pending_) return;
    job = std::move(pending_);
    pending_ = nullptr;
    ticket = pendingTicket_;
    ++delivering_;
  }
  std::exception_ptr error;
  try {
    job(ticket);
  } catch (...) {
    error = std::current_exception();
  }
  {
    std::lock_guard lock(mutex_);
    --delivering_;
    if (repliedTicket_ < ticket) {
      repliedTicket_ = ticket;
      error_ = error;
    }
  }
  changed_.notify_all();
}

void TComHandOver::MarkEnded() {
  {
    std::lock_guard lock(mutex_);
    ended_ = true;
  }
  changed_.notify_all();
}

void TComHandOver::WaitEnded() {
  std::unique_lock lock(mutex_);
  while (!ended_) {
    if (pending_) {
      lock.unlock();
      Serve();
      lock.lock();
      continue;
    }
    changed_.wait(lock);
  }
}

bool TComHandOver::Delivering() const {
  std::lock_guard lock(mutex_);
  return delivering_ > 0;
}

// ---- hidden receiver of port events --------------------------------------------------------

bool TComWindow::event(QEvent* e) {
  if (e->type() != TComPortEvent::kType) return QObject::event(e);
  const auto* portEvent = static_cast<const TComPortEvent*>(e);
  portEvent->Reply();
  if (port_.Connected()) {
    try {
      port_.DispatchEvents(MaskToEvents(portEvent->Flag()));
    } catch (const std::exception& error) {
      ShowComException(error);
    }
  }
  return true;
}

// ---- event thread --------------------------------------------------------------------------

TComThread::TComThread(TCustomComPort& port, TComEvents events, TSyncMethod method, TComWindow* window)
    : port_(port),
      platform_(port.Platform()),
      fd_(port.Handle()),
      mask_(method == smDisableEvents ? 0 : EventsToMask(events) & kWatchable),
      method_(method),
      window_(window),
      session_(port.session_) {}

TComThread::~TComThread() {
  if (thread_.joinable()) {
    Stop();
    Wait();
  }
  if (stopFd_ >= 0) platform_.Close(stopFd_);
  if (rearmFd_ >= 0) platform_.Close(rearmFd_);
}

int TComThread::Start() {
  stopFd_ = platform_.CreateEvent();
  if (stopFd_ < 0) return stopFd_;
  rearmFd_ = platform_.CreateEvent();
  if (rearmFd_ < 0) return rearmFd_;
  thread_ = std::thread([this] { Run(); });
  return 0;
}

void TComThread::Stop() {
  stop_ = true;
  platform_.SignalEvent(stopFd_);
}

void TComThread::Rearm(int leftover) {
  rearmLeftover_ = leftover;
  platform_.SignalEvent(rearmFd_);
}

void TComThread::Wait() {
  handOver_->WaitEnded();
  if (thread_.joinable()) thread_.join();
}

std::uint32_t TComThread::CounterEvents(TComCounters& base) const {
  TComCounters now;
  if (platform_.GetCounters(fd_, now) < 0) return 0;
  std::uint32_t flags = 0;
  if (now.frame != base.frame || now.parity != base.parity || now.overrun != base.overrun ||
      now.bufOverrun != base.bufOverrun)
    flags |= evflag::kError;
  if (now.brk != base.brk) flags |= evflag::kBreak;
  if (now.cts != base.cts) flags |= evflag::kCTS;
  if (now.dsr != base.dsr) flags |= evflag::kDSR;
  if (now.rng != base.rng) flags |= evflag::kRing;
  if (now.dcd != base.dcd) flags |= evflag::kRLSD;
  base = now;
  return flags;
}

void TComThread::Run() {
  TComCounters base;
  const bool sampleCounters = (mask_ & kFromCounters) && platform_.GetCounters(fd_, base) == 0;
  const bool watchRx = mask_ & evflag::kRxChar;
  int leftover = 0;        // bytes a handler refused to read: only growth beyond them is news
  bool rxArmed = true;     // false while a window-sync handler has not yet said what it left
  while (!stop_) {
    const bool rxWatch = watchRx && rxArmed && leftover == 0;
    pollfd fds[3] = {{stopFd_, POLLIN, 0},
                     {fd_, static_cast<short>(rxWatch ? POLLIN : 0), 0},
                     {rearmFd_, POLLIN, 0}};
    const int timeout = sampleCounters || (rxArmed && leftover > 0) ? kSampleMs : -1;
    const int ready = platform_.Poll(fds, 3, timeout);
    if (stop_ || (ready > 0 && fds[0].revents)) break;
    if (ready < 0) {
      if (ready == -EINTR) continue;
      break;
    }
    // The device is gone: tell the owner once and end instead of waking for ever.
    if (ReportIfGone(fds[1].revents)) break;
    if (fds[2].revents & POLLIN) {
      std::uint64_t drained;
      platform_.Read(rearmFd_, &drained, sizeof drained);
      leftover = rearmLeftover_;
      rxArmed = true;
    }
    std::uint32_t flags = 0;
    if (fds[1].revents & POLLIN) flags |= evflag::kRxChar;
    if (rxArmed && leftover > 0) {
      const int queued = platform_.InputQueued(fd_);
      if (queued > leftover) flags |= evflag::kRxChar;
      if (queued != leftover) leftover = 0;  // more came, or someone read: watch levels again
    }
    if (sampleCounters) flags |= CounterEvents(base);
    flags &= mask_;
    if (flags == 0) continue;
    if (!Deliver(flags) || stop_) {
      if (!stop_) ReportFailedDelivery();
      break;
    }
    if (!(flags & evflag::kRxChar)) continue;
    // Bytes stay watched level by level unless a handler refused to read them; then only more
    // bytes are news, so that such a handler is not called again and again for the same bytes.
    if (method_ == smWindowSync) rxArmed = false;
    else leftover = leftover_;
  }
  handOver_->MarkEnded();
}

bool TComThread::ReportIfGone(short revents) const {
  if (!(revents & (POLLHUP | POLLERR | POLLNVAL))) return false;
  ReportGone(nullptr);
  return true;
}

void TComThread::ReportGone(std::exception_ptr failure) const {
  TCustomComPort* port = &port_;
  QMetaObject::invokeMethod(
      port, [port, session = session_, failure] { port->NotifyDeviceGone(session, failure); }, Qt::QueuedConnection);
}

// A handler that failed ends the thread. When it failed on the device (its read met an error),
// or met a hang-up before this thread saw it, the line is dead: the owner must hear of it, or
// the line would pass for a silent one.
void TComThread::ReportFailedDelivery() const {
  if (IsDeviceFailure(failure_)) {
    ReportGone(failure_);
    return;
  }
  pollfd device{fd_, 0, 0};
  if (platform_.Poll(&device, 1, 0) > 0) ReportIfGone(device.revents);
}

int TComThread::DispatchMeasured(TComEvents batch) {
  const std::uint64_t readBefore = port_.bytesRead_;
  port_.DispatchEvents(batch);
  if (!batch.contains(evRxChar) || port_.bytesRead_ != readBefore || stop_) return 0;
  const int queued = platform_.InputQueued(fd_);
  return queued > 0 ? queued : 0;
}

bool TComThread::Deliver(std::uint32_t flags) {
  const TComEvents batch = MaskToEvents(flags);
  TCustomComPort* port = &port_;
  switch (method_) {
    case smThreadSync:
      failure_ = handOver_->Send(
          port, [this, batch](std::uint64_t) { leftover_ = DispatchMeasured(batch); },
          [port] { port->ReapRetiredThreads(); });
      return !failure_;
    case smNone:
      try {
        leftover_ = DispatchMeasured(batch);
        return true;
      } catch (...) {
        failure_ = std::current_exception();
        return false;
      }
    case smWindowSync:
      for (TComEvent event : kDeliveryOrder) {
        if (!batch.contains(event)) continue;
        TComHandOver& handOver = *handOver_;
        TComWindow* window = window_;
        const std::uint32_t flag = EventFlag(event);
        handOver.Send(
            window,
            [this, &handOver, window, flag](std::uint64_t ticket) {
              const std::uint64_t readBefore = port_.bytesRead_;
              TComPortEvent portEvent(flag, handOver, ticket);
              QCoreApplication::sendEvent(window, &portEvent);
              if (flag != evflag::kRxChar || stop_) return;
              const int queued = port_.bytesRead_ != readBefore ? 0 : platform_.InputQueued(fd_);
              Rearm(queued > 0 ? queued : 0);
            },
            [port] { port->ReapRetiredThreads(); });
        if (stop_) return false;
      }
      return true;
    case smDisableEvents:
      return true;
  }
  return true;
}
