#include "NetworkLine.h"

#include <algorithm>
#include <cerrno>

#include "ComPlatform.h"
#include "ComPortOption.h"
#include "LineSettings.h"
#include "NetworkConnect.h"

namespace {

// How long a request to the far port waits for the server's answer before the port goes on.
constexpr auto kAnswerWait = std::chrono::milliseconds(200);
// A waiting thread looks at the answers again at least this often: the event thread may have
// taken them off the connection meanwhile.
constexpr int kAnswerSliceMs = 5;
// A gateway turns a connection away by closing it at once; this long after the connection (and
// with rfc2217 its options) are up, it has been taken.
constexpr auto kTurnAwayWait = std::chrono::milliseconds(100);

}  // namespace

TNetworkLine::TNetworkLine(int fd, TNetworkProtocol protocol) : pump_(fd, protocol) {
  ::cfmakeraw(&attributes_);
  attributes_.c_cflag |= CLOCAL | CREAD;
  ::cfsetispeed(&attributes_, B9600);
  ::cfsetospeed(&attributes_, B9600);
}

// ---- taking the connection up --------------------------------------------------------------

int TNetworkLine::TakeUp(TClock::time_point deadline, std::string& reason) {
  TLock lock(mutex_);
  openDeadline_ = deadline;
  const int rc = pump_.Session() ? Negotiate(lock, deadline, reason) : 0;
  return rc == 0 ? Settle(lock, deadline, reason) : rc;
}

// Sends the session's offers and waits for the server to take the com-port option up. The
// deadline holds whatever the server sends meanwhile; it bounds the answers awaited while the
// port puts its settings at open, too.
int TNetworkLine::Negotiate(TLock& lock, TClock::time_point deadline, std::string& reason) {
  pump_.QueueSessionOutput();
  pump_.Transmit();
  for (;;) {
    pump_.Receive();
    switch (pump_.Session()->State()) {
      case TRfc2217Session::TState::Ready: return 0;
      case TRfc2217Session::TState::Refused:
        reason = "the server does not offer the com-port option (RFC 2217)";
        return -EPROTONOSUPPORT;
      case TRfc2217Session::TState::Negotiating: break;
    }
    if (pump_.Ended()) return TurnedAway(reason);
    const int wait = RemainingMs(deadline);
    if (wait == 0) {
      reason = "the server did not take up the com-port option (RFC 2217)";
      return -ETIMEDOUT;
    }
    WaitReadable(lock, wait);
  }
}

int TNetworkLine::Settle(TLock& lock, TClock::time_point deadline, std::string& reason) {
  const auto until = std::min(TClock::now() + kTurnAwayWait, deadline);
  for (;;) {
    pump_.Receive();
    if (pump_.Ended()) return TurnedAway(reason);
    const int wait = RemainingMs(until);
    if (wait == 0) return 0;
    WaitReadable(lock, wait);
  }
}

int TNetworkLine::TurnedAway(std::string& reason) const {
  reason = TurnedAwayReason(pump_.Input());
  return -ECONNRESET;
}

void TNetworkLine::WaitReadable(TLock& lock, int timeoutMs) {
  lock.unlock();
  pollfd readable{pump_.Socket(), POLLIN, 0};
  ::poll(&readable, 1, timeoutMs);
  lock.lock();
}

// ---- the pump, locked ----------------------------------------------------------------------

short TNetworkLine::Watch() {
  TLock lock(mutex_);
  return pump_.Watch();
}

void TNetworkLine::Serve(short revents) {
  TLock lock(mutex_);
  pump_.Serve(revents);
}

short TNetworkLine::Ready(short requested) {
  TLock lock(mutex_);
  return pump_.Ready(requested);
}

long TNetworkLine::Read(void* buffer, std::size_t count) {
  TLock lock(mutex_);
  return pump_.Read(buffer, count);
}

long TNetworkLine::Write(const void* buffer, std::size_t count) {
  TLock lock(mutex_);
  return pump_.Write(buffer, count);
}

int TNetworkLine::InputQueued() {
  TLock lock(mutex_);
  return pump_.InputQueued();
}

int TNetworkLine::Flush(int queueSelector) {
  TLock lock(mutex_);
  return pump_.Flush(queueSelector);
}

// ---- the terminal the port drives ----------------------------------------------------------

int TNetworkLine::GetAttributes(termios& attributes) {
  TLock lock(mutex_);
  attributes = attributes_;
  return 0;
}

int TNetworkLine::SetAttributes(const termios& attributes) {
  TLock lock(mutex_);
  attributes_ = attributes;
  if (const int rate = SpeedRate(::cfgetospeed(&attributes)); rate > 0) rate_ = static_cast<std::uint32_t>(rate);
  return pump_.Session() ? PutFarLine(lock) : 0;
}

int TNetworkLine::SetCustomSpeed(int rate) {
  TLock lock(mutex_);
  rate_ = static_cast<std::uint32_t>(rate);
  // The attributes no longer name a rate: set again, they keep this one.
  ::cfsetispeed(&attributes_, B0);
  ::cfsetospeed(&attributes_, B0);
  return pump_.Session() ? PutFarLine(lock) : 0;
}

int TNetworkLine::GetModemLines(int& lines) {
  TLock lock(mutex_);
  if (!pump_.Session()) return -ENOTTY;  // a raw connection tells nothing of the far lines
  lines = pump_.Session()->ModemLines();
  return 0;
}

int TNetworkLine::SetModemLines(int lines, bool on) {
  TLock lock(mutex_);
  if (!pump_.Session()) return 0;
  if (pump_.Ended()) return -kHangUpError;
  pump_.Session()->SetControlLines(lines, on);
  return AwaitAnswers(lock);
}

int TNetworkLine::PutFarLine(TLock& lock) {
  if (pump_.Ended()) return -kHangUpError;
  pump_.Session()->PutFarLine(comport::FarLineOf(attributes_, rate_));
  return AwaitAnswers(lock);
}

// Sends what is queued and waits a short time for the answers to the requests in it, never
// past the open's deadline while the port is opening. A server that leaves one unanswered has
// not failed; only a connection that ended has. The event thread may take the answers off the
// connection meanwhile: the session counts them whoever receives.
int TNetworkLine::AwaitAnswers(TLock& lock) {
  pump_.QueueSessionOutput();
  const auto now = TClock::now();
  const auto deadline = now < openDeadline_ ? std::min(now + kAnswerWait, openDeadline_) : now + kAnswerWait;
  for (;;) {
    pump_.Receive();
    if (pump_.Ended() || !pump_.Session()->AwaitingAnswers()) break;
    const int wait = RemainingMs(deadline);
    if (wait == 0) break;
    WaitReadable(lock, std::min(wait, kAnswerSliceMs));
  }
  pump_.Session()->StopAwaiting();
  return pump_.Ended() ? -kHangUpError : 0;
}
