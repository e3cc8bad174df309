#pragma once

#include <QEvent>
#include <QObject>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "ComPlatform.h"
#include "ComTypes.h"

class TCustomComPort;


// Line-event flags of the event mask, one per TComEvent; also the payload of a port event.
namespace evflag {
inline constexpr std::uint32_t kRxChar = 0x0001;
inline constexpr std::uint32_t kRxFlag = 0x0002;
inline constexpr std::uint32_t kTxEmpty = 0x0004;
inline constexpr std::uint32_t kCTS = 0x0008;
inline constexpr std::uint32_t kDSR = 0x0010;
inline constexpr std::uint32_t kRLSD = 0x0020;
inline constexpr std::uint32_t kBreak = 0x0040;
inline constexpr std::uint32_t kError = 0x0080;
inline constexpr std::uint32_t kRing = 0x0100;
inline constexpr std::uint32_t kRx80Full = 0x0400;
}  // namespace evflag

std::uint32_t EventsToMask(TComEvents events);  // flags outside the table are ignored both ways
TComEvents MaskToEvents(std::uint32_t mask);
std::uint32_t EventFlag(TComEvent event);
// The order in which the actions of one batch run.
inline constexpr TComEvent kDeliveryOrder[] = {evError, evRxChar, evTxEmpty, evBreak, evRing,
                                               evCTS,   evDSR,    evRxFlag,  evRLSD,  evRx80Full};

// Hands a call from the event thread to the thread of a receiver object and waits until it
// has run there or has replied. The call is posted, so it runs whenever the receiver's thread
// processes events, nested event loops included; a thread that is waiting for the event thread
// to end serves it directly instead, so that neither waits for the other.
class TComHandOver : public std::enable_shared_from_this<TComHandOver> {
 public:
  using TJob = std::function<void(std::uint64_t ticket)>;
  // Event thread. Returns what the job threw, if it threw before replying.
  std::exception_ptr Send(QObject* receiver, TJob job, std::function<void()> afterServe);
  void Reply(std::uint64_t ticket);  // from inside a job: the sender goes on at once
  void Serve();                      // receiver's thread: runs the pending job, if any
  void MarkEnded();                  // event thread, as its last step
  void WaitEnded();                  // receiver's thread: waits for the end, serving jobs
  bool Delivering() const;           // a job is running now

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  TJob pending_;
  std::uint64_t pendingTicket_ = 0;
  std::uint64_t lastTicket_ = 0;
  std::uint64_t repliedTicket_ = 0;
  std::exception_ptr error_;
  int delivering_ = 0;
  bool ended_ = false;
};

// The hidden receiver of port events under smWindowSync: one event per flag; it replies first,
// then runs the action if the port is still open, and shows an exception instead of passing it.
class TComWindow : public QObject {
 public:
  explicit TComWindow(TCustomComPort& port) : port_(port) {}
  bool event(QEvent* e) override;

 private:
  TCustomComPort& port_;
};

class TComPortEvent : public QEvent {
 public:
  static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 1);
  TComPortEvent(std::uint32_t flag, TComHandOver& handOver, std::uint64_t ticket)
      : QEvent(kType), flag_(flag), handOver_(handOver), ticket_(ticket) {}
  std::uint32_t Flag() const { return flag_; }
  void Reply() const { handOver_.Reply(ticket_); }

 private:
  std::uint32_t flag_;
  TComHandOver& handOver_;
  std::uint64_t ticket_;
};

// Waits for the line events of an open port and hands each batch over as SyncMethod says.
class TComThread {
 public:
  TComThread(TCustomComPort& port, TComEvents events, TSyncMethod method, TComWindow* window);
  TComThread(const TComThread&) = delete;
  TComThread& operator=(const TComThread&) = delete;
  ~TComThread();                // waits for an unfinished thread
  int Start();                  // 0, or minus errno when the wake-up events cannot be made
  void Stop();                  // any thread: ends the wait loop
  void Wait();                  // UI thread: serves hand-overs until the thread has ended
  bool Delivering() const { return handOver_->Delivering(); }
  bool IsCurrentThread() const { return std::this_thread::get_id() == thread_.get_id(); }

 private:
  void Run();
  std::uint32_t CounterEvents(TComCounters& base) const;
  bool Deliver(std::uint32_t flags);  // false: the batch ended the thread (failure_ says why)
  // Tells the owner that the device has hung up; true when it has.
  bool ReportIfGone(short revents) const;
  // Tells the owner that the device is gone: failure, the error a handler met on it, or none
  // for a hang-up. The owner hears it once.
  void ReportGone(std::exception_ptr failure) const;
  void ReportFailedDelivery() const;
  // Runs the actions of a batch and tells what a handler that read nothing left queued (0 when
  // it read, or when there was nothing to read): only growth beyond that is news.
  int DispatchMeasured(TComEvents batch);
  // Under smWindowSync the handler runs after the thread went on; it reports from the UI
  // thread what it left queued, and only then does the thread watch for received bytes again.
  void Rearm(int leftover);

  TCustomComPort& port_;
  TComPlatform& platform_;
  int fd_;
  std::uint32_t mask_;
  TSyncMethod method_;
  TComWindow* window_;
  std::uint64_t session_;
  int stopFd_ = -1;
  int rearmFd_ = -1;
  std::atomic<int> rearmLeftover_{0};
  int leftover_ = 0;  // set by the delivery of the last batch
  std::exception_ptr failure_;  // what a handler of the last batch threw
  std::atomic<bool> stop_{false};
  std::shared_ptr<TComHandOver> handOver_ = std::make_shared<TComHandOver>();
  std::thread thread_;
};
