#include "NetworkComPlatform.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

#include "ComPortOption.h"
#include "HostLookup.h"
#include "Rfc2217Session.h"
#include "LineSettings.h"
#include "NetworkLineName.h"

namespace {

using TClock = std::chrono::steady_clock;
using TBytes = std::vector<std::uint8_t>;

// The whole connection attempt: name lookup, connect and, with rfc2217, the options.
constexpr auto kConnectBound = std::chrono::seconds(3);
// How long a request to the far port waits for the server's answer before the port goes on.
constexpr auto kAnswerWait = std::chrono::milliseconds(200);
// A waiting thread looks at the answers again at least this often: the event thread may have
// taken them off the connection meanwhile.
constexpr int kAnswerSliceMs = 5;
// Line bytes held for the port at most; beyond it the connection is left unread, as a
// terminal throttles its sender.
constexpr std::size_t kInputBound = 64 * 1024;
// Bytes taken off the connection in one go at most, telnet commands included.
constexpr std::size_t kReceiveSlice = 64 * 1024;
// A gateway turns a connection away by closing it at once; this long after the connection (and
// with rfc2217 its options) are up, it has been taken.
constexpr auto kTurnAwayWait = std::chrono::milliseconds(100);
// A connection turned away is tried again after this pause, within the open's bound: ser2net
// turns one away while it is still releasing the line from the connection before.
constexpr auto kRetryPause = std::chrono::milliseconds(100);
// Of a server's words before it closed a connection, at most this much is told.
constexpr std::size_t kWordsShown = 120;

int RemainingMs(TClock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(left);
}

// ---- connect -------------------------------------------------------------------------------

// A gateway that vanishes without closing the connection (its power cut) must end it as a closed
// one does, within about 10 s: probes after 4 s of silence, three of them 2 s apart, and sent
// bytes left unacknowledged no longer than that either.
constexpr int kKeepAliveIdleS = 4;
constexpr int kKeepAliveIntervalS = 2;
constexpr int kKeepAliveProbes = 3;
constexpr unsigned kUnacknowledgedMs = 10000;

void WatchForSilentLoss(int fd) {
  const int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepAliveIdleS, sizeof kKeepAliveIdleS);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepAliveIntervalS, sizeof kKeepAliveIntervalS);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepAliveProbes, sizeof kKeepAliveProbes);
  ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &kUnacknowledgedMs, sizeof kUnacknowledgedMs);
}

// One address: the connected socket, or minus errno.
int ConnectTo(const TAddress& address, TClock::time_point deadline) {
  const int fd = ::socket(address.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -errno;
  int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address.address), address.length);
  if (rc < 0 && errno == EINPROGRESS) {
    pollfd wait{fd, POLLOUT, 0};
    do rc = ::poll(&wait, 1, RemainingMs(deadline));
    while (rc < 0 && errno == EINTR);
    int error = ETIMEDOUT;
    socklen_t length = sizeof error;
    if (rc > 0 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) < 0) error = errno;
    rc = error == 0 ? 0 : -1;
    errno = error;
  }
  if (rc < 0) {
    const int error = errno;
    ::close(fd);
    return -error;
  }
  // A request frame goes out whole at once, not after the acknowledgement of the one before.
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  WatchForSilentLoss(fd);
  return fd;
}

int Connect(const TNetworkLineName& name, TClock::time_point deadline, std::string& reason) {
  std::vector<TAddress> addresses;
  const int rc = LookupHost(name.host, name.service, deadline, addresses, reason);
  if (rc < 0) return rc;
  int fd = -ETIMEDOUT;
  for (const TAddress& address : addresses) {
    if (TClock::now() >= deadline) return -ETIMEDOUT;
    fd = ConnectTo(address, deadline);
    if (fd >= 0 || fd == -ETIMEDOUT) break;
  }
  return fd;
}

// ---- one connection ------------------------------------------------------------------------

// The socket pump of one network line: it moves bytes between the connection and the port, and
// with rfc2217 through the com-port session, which holds everything telnet.
class TNetworkLine {
 public:
  TNetworkLine(int fd, TNetworkProtocol protocol) : fd_(fd) {
    if (protocol == TNetworkProtocol::Rfc2217) session_.emplace();
    ::cfmakeraw(&attributes_);
    attributes_.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&attributes_, B9600);
    ::cfsetospeed(&attributes_, B9600);
  }

  // rfc2217: sends the session's offers and waits for the server to take the com-port option
  // up. The deadline holds whatever the server sends meanwhile; it bounds the answers awaited
  // while the port puts its settings at open, too.
  int Negotiate(TClock::time_point deadline, std::string& reason) {
    std::unique_lock lock(mutex_);
    openDeadline_ = deadline;
    QueueSessionOutput();
    Transmit();
    for (;;) {
      Receive();
      switch (session_->State()) {
        case TRfc2217Session::TState::Ready: return 0;
        case TRfc2217Session::TState::Refused:
          reason = "the server does not offer the com-port option (RFC 2217)";
          return -EPROTONOSUPPORT;
        case TRfc2217Session::TState::Negotiating: break;
      }
      if (ended_) return TurnedAway(reason);
      const int wait = RemainingMs(deadline);
      if (wait == 0) {
        reason = "the server did not take up the com-port option (RFC 2217)";
        return -ETIMEDOUT;
      }
      WaitReadable(lock, wait);
    }
  }

  // Waits a moment for the server to turn the connection away (ser2net says "Port already in
  // use" and closes while the line serves another connection). Line bytes received meanwhile
  // stay for the port.
  int Settle(TClock::time_point deadline, std::string& reason) {
    std::unique_lock lock(mutex_);
    const auto until = std::min(TClock::now() + kTurnAwayWait, deadline);
    for (;;) {
      Receive();
      if (ended_) return TurnedAway(reason);
      const int wait = RemainingMs(until);
      if (wait == 0) return 0;
      WaitReadable(lock, wait);
    }
  }

  // What the connection must be watched for, and what the port may be told is ready.
  short Watch() {
    std::lock_guard lock(mutex_);
    if (ended_) return 0;
    short events = 0;
    if (input_.size() < kInputBound) events |= POLLIN;
    if (!output_.empty()) events |= POLLOUT;
    return events;
  }
  void Serve(short revents) {
    std::lock_guard lock(mutex_);
    if (revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) Receive();
    // Also when the input is full and nothing was read: a hang-up would be reported for ever.
    if (revents & (POLLHUP | POLLERR | POLLNVAL)) ended_ = true;
    if (revents & POLLOUT) Transmit();
  }
  short Ready(short requested) {
    std::lock_guard lock(mutex_);
    short ready = 0;
    if ((requested & POLLIN) && !input_.empty()) ready |= POLLIN;
    if ((requested & POLLOUT) && output_.empty() && !ended_) ready |= POLLOUT;
    if (ended_) ready |= POLLHUP;
    return ready;
  }

  long Read(void* buffer, std::size_t count) {
    std::lock_guard lock(mutex_);
    if (input_.empty()) Receive();
    if (input_.empty()) return ended_ ? -kHangUpError : -EAGAIN;
    const std::size_t n = std::min(count, input_.size());
    std::memcpy(buffer, input_.data(), n);
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
    return static_cast<long>(n);
  }

  long Write(const void* buffer, std::size_t count) {
    std::lock_guard lock(mutex_);
    if (!ended_) Transmit();
    if (ended_) return -kHangUpError;
    if (!output_.empty()) return -EAGAIN;
    const std::span bytes(static_cast<const std::uint8_t*>(buffer), count);
    if (session_) {
      session_->SendLine(bytes);
      QueueSessionOutput();
    } else {
      output_.assign(bytes.begin(), bytes.end());
    }
    // Taken whole: what the socket does not take now goes with the next call or poll.
    Transmit();
    return ended_ ? -kHangUpError : static_cast<long>(count);
  }

  int InputQueued() {
    std::lock_guard lock(mutex_);
    Receive();
    return static_cast<int>(input_.size());
  }

  int Flush(int queueSelector) {
    std::lock_guard lock(mutex_);
    if (ended_) return -kHangUpError;
    if (queueSelector != TCOFLUSH) {
      Receive();
      input_.clear();
    }
    if (session_) {
      // Not awaited: nothing the port does next depends on the server's answer.
      session_->Purge(queueSelector);
      QueueSessionOutput();
      Transmit();
    }
    return 0;
  }

  int GetAttributes(termios& attributes) {
    std::lock_guard lock(mutex_);
    attributes = attributes_;
    return 0;
  }

  int SetAttributes(const termios& attributes) {
    std::unique_lock lock(mutex_);
    attributes_ = attributes;
    if (const int rate = SpeedRate(::cfgetospeed(&attributes)); rate > 0) rate_ = static_cast<std::uint32_t>(rate);
    return session_ ? PutFarLine(lock) : 0;
  }

  int SetCustomSpeed(int rate) {
    std::unique_lock lock(mutex_);
    rate_ = static_cast<std::uint32_t>(rate);
    // The attributes no longer name a rate: set again, they keep this one.
    ::cfsetispeed(&attributes_, B0);
    ::cfsetospeed(&attributes_, B0);
    return session_ ? PutFarLine(lock) : 0;
  }

  int GetModemLines(int& lines) {
    std::lock_guard lock(mutex_);
    if (!session_) return -ENOTTY;  // a raw connection tells nothing of the far lines
    lines = session_->ModemLines();
    return 0;
  }

  int SetModemLines(int lines, bool on) {
    std::unique_lock lock(mutex_);
    if (!session_) return 0;
    if (ended_) return -kHangUpError;
    session_->SetControlLines(lines, on);
    return AwaitAnswers(lock);
  }

 private:
  // Reads what the connection holds, without waiting, but no more than a slice at a time: a
  // server that never stops sending must not hold the caller past its deadline. A closed or
  // broken connection ends here.
  void Receive() {
    std::uint8_t chunk[4096];
    std::size_t taken = 0;
    while (!ended_ && input_.size() < kInputBound && taken < kReceiveSlice) {
      const ssize_t n = ::recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
      if (n > 0) {
        taken += static_cast<std::size_t>(n);
        Take(std::span(chunk, static_cast<std::size_t>(n)));
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) ended_ = true;
      break;
    }
    if (!ended_) Transmit();
  }

  void Take(std::span<const std::uint8_t> chunk) {
    if (!session_) {
      input_.insert(input_.end(), chunk.begin(), chunk.end());
      return;
    }
    session_->Receive(chunk, input_);
    QueueSessionOutput();
  }

  void QueueSessionOutput() {
    const TBytes bytes = session_->TakeOutgoing();
    output_.insert(output_.end(), bytes.begin(), bytes.end());
  }

  void Transmit() {
    while (!output_.empty()) {
      const ssize_t n = ::send(fd_, output_.data(), output_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) {
        output_.erase(output_.begin(), output_.begin() + n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
      ended_ = true;
      output_.clear();
      return;
    }
  }

  // The connection ended while opening: the reason is the server's own words, when it sent any.
  int TurnedAway(std::string& reason) const {
    std::string words;
    for (const std::uint8_t byte : input_) {
      if (words.size() == kWordsShown) break;
      if (byte >= 0x20 && byte < 0x7F) words += static_cast<char>(byte);
      else if (!words.empty() && words.back() != ' ') words += ' ';
    }
    while (!words.empty() && words.back() == ' ') words.pop_back();
    reason = "the server closed the connection";
    if (!words.empty()) reason += ": " + words;
    return -ECONNRESET;
  }

  // Waits until the connection may have something to read, the lock released meanwhile.
  void WaitReadable(std::unique_lock<std::mutex>& lock, int timeoutMs) {
    lock.unlock();
    pollfd readable{fd_, POLLIN, 0};
    ::poll(&readable, 1, timeoutMs);
    lock.lock();
  }

  int PutFarLine(std::unique_lock<std::mutex>& lock) {
    if (ended_) return -kHangUpError;
    session_->PutFarLine(comport::FarLineOf(attributes_, rate_));
    return AwaitAnswers(lock);
  }

  // Sends what is queued and waits a short time for the answers to the requests in it, never
  // past the open's deadline while the port is opening. A server that leaves one unanswered has
  // not failed; only a connection that ended has. The event thread may take the answers off the
  // connection meanwhile: the session counts them whoever receives.
  int AwaitAnswers(std::unique_lock<std::mutex>& lock) {
    QueueSessionOutput();
    const auto now = TClock::now();
    const auto deadline = now < openDeadline_ ? std::min(now + kAnswerWait, openDeadline_) : now + kAnswerWait;
    for (;;) {
      Receive();
      if (ended_ || !session_->AwaitingAnswers()) break;
      const int wait = RemainingMs(deadline);
      if (wait == 0) break;
      WaitReadable(lock, std::min(wait, kAnswerSliceMs));
    }
    session_->StopAwaiting();
    return ended_ ? -kHangUpError : 0;
  }

  std::mutex mutex_;
  const int fd_;
  bool ended_ = false;
  TBytes input_;   // line bytes for the port
  TBytes output_;  // what the socket has not taken yet
  std::optional<TRfc2217Session> session_;  // rfc2217 only
  TClock::time_point openDeadline_{};
  termios attributes_{};
  std::uint32_t rate_ = 9600;
};

// ---- the platform ----------------------------------------------------------------------------

class TNetworkComPlatform final : public TComPlatform {
 public:
  explicit TNetworkComPlatform(std::shared_ptr<TComPlatform> devices) : devices_(std::move(devices)) {}

  int OpenDevice(const std::string& path, std::string& reason) override {
    if (!IsNetworkLineName(path)) return devices_->OpenDevice(path, reason);
    const auto name = ParseNetworkLineName(path);
    if (!name) {
      reason = kNetworkLineNameForm;
      return -EINVAL;
    }
    const auto deadline = TClock::now() + kConnectBound;
    // A gateway that turned the line away and was still at it when the bound ran out has
    // refused it: that is told, in its words, not the time that ran out meanwhile.
    std::optional<std::string> turnedAway;
    const auto failed = [&](int rc) {
      if (rc != -ETIMEDOUT || !turnedAway) return rc;
      reason = *turnedAway;
      return -ECONNRESET;
    };
    for (;;) {
      const int fd = Connect(*name, deadline, reason);
      if (fd < 0) return failed(fd);
      auto line = std::make_shared<TNetworkLine>(fd, name->protocol);
      int rc = name->protocol == TNetworkProtocol::Rfc2217 ? line->Negotiate(deadline, reason) : 0;
      if (rc == 0) rc = line->Settle(deadline, reason);
      if (rc == 0) {
        std::lock_guard lock(mutex_);
        lines_[fd] = std::move(line);
        return fd;
      }
      ::close(fd);
      if (rc != -ECONNRESET) return failed(rc);
      turnedAway = reason;
      if (TClock::now() + kRetryPause >= deadline) return rc;
      std::this_thread::sleep_for(kRetryPause);
    }
  }

  int Close(int fd) override {
    {
      std::lock_guard lock(mutex_);
      if (lines_.erase(fd) == 0) return devices_->Close(fd);
    }
    return ::close(fd) < 0 ? -errno : 0;
  }

  int IsTerminal(int fd) override { return Find(fd) ? 0 : devices_->IsTerminal(fd); }
  int SetExclusive(int fd) override { return Find(fd) ? 0 : devices_->SetExclusive(fd); }
  int ClearExclusive(int fd) override { return Find(fd) ? 0 : devices_->ClearExclusive(fd); }
  int Lock(int fd) override { return Find(fd) ? 0 : devices_->Lock(fd); }
  int GetAttributes(int fd, termios& attributes) override {
    const auto line = Find(fd);
    return line ? line->GetAttributes(attributes) : devices_->GetAttributes(fd, attributes);
  }
  int SetAttributes(int fd, const termios& attributes) override {
    const auto line = Find(fd);
    return line ? line->SetAttributes(attributes) : devices_->SetAttributes(fd, attributes);
  }
  int SetCustomSpeed(int fd, int rate) override {
    const auto line = Find(fd);
    return line ? line->SetCustomSpeed(rate) : devices_->SetCustomSpeed(fd, rate);
  }
  int SetRs485(int fd, const serial_rs485& mode) override { return Find(fd) ? 0 : devices_->SetRs485(fd, mode); }
  int GetModemLines(int fd, int& lines) override {
    const auto line = Find(fd);
    return line ? line->GetModemLines(lines) : devices_->GetModemLines(fd, lines);
  }
  int SetModemLines(int fd, int lines, bool on) override {
    const auto line = Find(fd);
    return line ? line->SetModemLines(lines, on) : devices_->SetModemLines(fd, lines, on);
  }
  int InputQueued(int fd) override {
    const auto line = Find(fd);
    return line ? line->InputQueued() : devices_->InputQueued(fd);
  }
  int GetCounters(int fd, TComCounters& counters) override {
    return Find(fd) ? -ENOTTY : devices_->GetCounters(fd, counters);
  }
  int Flush(int fd, int queueSelector) override {
    const auto line = Find(fd);
    return line ? line->Flush(queueSelector) : devices_->Flush(fd, queueSelector);
  }
  long Read(int fd, void* buffer, std::size_t count) override {
    const auto line = Find(fd);
    return line ? line->Read(buffer, count) : devices_->Read(fd, buffer, count);
  }
  long Write(int fd, const void* buffer, std::size_t count) override {
    const auto line = Find(fd);
    return line ? line->Write(buffer, count) : devices_->Write(fd, buffer, count);
  }
  int CreateEvent() override { return devices_->CreateEvent(); }
  int SignalEvent(int fd) override { return devices_->SignalEvent(fd); }

  // A connection is ready when the port may act on it: line bytes held, output taken, or the
  // connection ended. Readiness of the socket alone (a telnet command, a notification) is served
  // here and waited past.
  int Poll(pollfd* fds, nfds_t count, int timeoutMs) override {
    std::vector<std::shared_ptr<TNetworkLine>> lines(count);
    bool any = false;
    for (nfds_t i = 0; i < count; ++i) any |= (lines[i] = Find(fds[i].fd)) != nullptr;
    if (!any) return devices_->Poll(fds, count, timeoutMs);

    const bool bounded = timeoutMs >= 0;
    const TClock::time_point deadline = TClock::now() + std::chrono::milliseconds(bounded ? timeoutMs : 0);
    std::vector<pollfd> watched(fds, fds + count);
    for (;;) {
      bool readyNow = false;
      for (nfds_t i = 0; i < count; ++i) {
        if (!lines[i]) continue;
        watched[i].events = lines[i]->Watch();
        readyNow |= lines[i]->Ready(fds[i].events) != 0;
      }
      const int wait = readyNow ? 0 : bounded ? RemainingMs(deadline) : -1;
      const int rc = devices_->Poll(watched.data(), count, wait);
      if (rc < 0) return rc;
      int ready = 0;
      for (nfds_t i = 0; i < count; ++i) {
        if (lines[i]) {
          if (watched[i].revents) lines[i]->Serve(watched[i].revents);
          fds[i].revents = lines[i]->Ready(fds[i].events);
        } else {
          fds[i].revents = watched[i].revents;
        }
        if (fds[i].revents) ++ready;
      }
      if (ready > 0 || (bounded && TClock::now() >= deadline)) return ready;
    }
  }

 private:
  std::shared_ptr<TNetworkLine> Find(int fd) {
    std::lock_guard lock(mutex_);
    const auto it = lines_.find(fd);
    return it == lines_.end() ? nullptr : it->second;
  }

  std::shared_ptr<TComPlatform> devices_;
  std::mutex mutex_;
  std::unordered_map<int, std::shared_ptr<TNetworkLine>> lines_;
};

}  // namespace

std::shared_ptr<TComPlatform> NetworkComPlatform(std::shared_ptr<TComPlatform> devices) {
  return std::make_shared<TNetworkComPlatform>(std::move(devices));
}
