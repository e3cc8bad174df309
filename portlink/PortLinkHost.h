#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "ReaderLink.h"

class QTimer;
class TComPort;

// The reader link's host over a serial port: the line is the port, the clock is monotonic, and
// a wait runs the thread's event loop until its deadline or until its condition holds. Needs a
// Q(Core)Application on the thread, nothing of the widgets, so the window and a command-line
// tool share it.
class TPortLinkHost : public QObject, public LinkHost {
  Q_OBJECT

 public:
  using TLogSink = std::function<void(std::string_view raw)>;
  // How often bytes held without a whole frame are looked at for the idle flush.
  static constexpr int kIdleFlushPeriodMs = 10;

  explicit TPortLinkHost(TComPort& port, QObject* parent = nullptr);

  // Where the terminal log's last line goes; without a sink the log text is dropped.
  void SetLogSink(TLogSink sink) { logSink_ = std::move(sink); }

  // The idle flush's timer runs only while the link holds received bytes: an open port on which
  // nothing arrives must not wake the program a hundred times a second. A chunk that leaves
  // bytes in the receive buffer starts it; IdleTick, its handler, flushes and stops it once
  // the buffer is empty. Set before the port opens.
  void SetIdleTimer(QTimer* timer) { idleTimer_ = timer; }
  void IdleTick(ReaderLink& link);

  // The whole of a received-characters event: reads up to count bytes, hands the link exactly
  // the bytes the read returned, then ends a running wait whose condition now holds.
  void ReceiveFromPort(ReaderLink& link, int count);
  // Bytes left in the device from before the port was opened: read and handed to the link before
  // any request goes out, so that a stale answer is dropped as unawaited, never taken for a
  // reader's answer, and stale text reaches the log. The driver and USB adapters hand over held
  // bytes a little after the open, so the line is given a short quiet time to bring them up.
  // Returns how many bytes there were.
  std::size_t TakeStaleInput(ReaderLink& link);

  // From now on a wait waits on the device itself (one poll at a time, with the exchange's
  // deadline) and hands what comes to link on this thread: for a port opened without events,
  // whose line has a thread of its own. Replaces the received-characters events and the idle
  // timer.
  void DriveDirectly(ReaderLink& link);

  // True while an exchange waits in this host.
  bool Waiting() const { return wait_ != nullptr; }

  std::size_t WriteLine(std::span<const std::uint8_t> bytes) override;
  void FailShortWrite(std::size_t written, std::size_t wanted) override;
  void ShowLogLine(std::string_view raw) override;
  std::int64_t NowMs() override;
  // Runs the event loop until done() holds (checked after every received chunk) or the
  // deadline has come; no polling. A device that vanished or failed, meanwhile or since the
  // last wait, ends the wait with the port's error for it (DeviceFailure), so the operation
  // stops instead of sending into a dead line.
  void Wait(std::int64_t deadlineMs, const std::function<bool()>& done) override;
  std::vector<std::uint8_t> TakeArrived() override;
  std::uint32_t BaudRate() override;

 private:
  struct TWait;
  void EndWaitIfDone();
  void DeviceGone();
  std::size_t TakeQueuedInput(ReaderLink& link);
  void StartIdleTimerIfHeld(const ReaderLink& link);
  void WaitOnDevice(std::int64_t deadlineMs, const std::function<bool()>& done);
  // Sleeps while the rest of a frame comes; false when there is none to wait for.
  bool SleepForRestOfFrame(std::int64_t deadlineMs, const std::function<bool()>& done);
  void ReceiveAvailable();

  TComPort& port_;
  TLogSink logSink_;
  QTimer* idleTimer_ = nullptr;
  QElapsedTimer clock_;  // monotonic
  TWait* wait_ = nullptr;  // the innermost running wait
  ReaderLink* direct_ = nullptr;  // the link a wait hands input to itself, when driven directly
  std::vector<std::uint8_t> chunk_;  // what one read on the device took
  std::size_t received_ = 0;  // bytes handed to the link by received-characters events
};
