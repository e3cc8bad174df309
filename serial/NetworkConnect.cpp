#include "NetworkConnect.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <thread>
#include <vector>

#include "HostLookup.h"

namespace {

// The whole connection attempt: name lookup, connect and the taking up.
constexpr auto kConnectBound = std::chrono::seconds(3);
// A connection turned away is tried again after this pause, within the open's bound: ser2net
// turns one away while it is still releasing the line from the connection before.
constexpr auto kRetryPause = std::chrono::milliseconds(100);
// Of a server's words before it closed a connection, at most this much is told.
constexpr std::size_t kWordsShown = 120;

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
int ConnectTo(const TAddress& address, TNetworkClock::time_point deadline) {
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

int Connect(const TNetworkLineName& name, TNetworkClock::time_point deadline, std::string& reason) {
  std::vector<TAddress> addresses;
  const int rc = LookupHost(name.host, name.service, deadline, addresses, reason);
  if (rc < 0) return rc;
  int fd = -ETIMEDOUT;
  for (const TAddress& address : addresses) {
    if (TNetworkClock::now() >= deadline) return -ETIMEDOUT;
    fd = ConnectTo(address, deadline);
    if (fd >= 0 || fd == -ETIMEDOUT) break;
  }
  return fd;
}

}  // namespace

int RemainingMs(TNetworkClock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TNetworkClock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(left);
}

int ConnectNetworkLine(const TNetworkLineName& name, const TTakeUp& takeUp, std::string& reason) {
  const auto deadline = TNetworkClock::now() + kConnectBound;
  // A gateway that turned the line away and was still at it when the bound ran out has
  // refused it: that is told, in its words, not the time that ran out meanwhile.
  std::optional<std::string> turnedAway;
  const auto failed = [&](int rc) {
    if (rc != -ETIMEDOUT || !turnedAway) return rc;
    reason = *turnedAway;
    return -ECONNRESET;
  };
  for (;;) {
    const int fd = Connect(name, deadline, reason);
    if (fd < 0) return failed(fd);
    const int rc = takeUp(fd, deadline, reason);
    if (rc == 0) return fd;
    ::close(fd);
    if (rc != -ECONNRESET) return failed(rc);
    turnedAway = reason;
    if (TNetworkClock::now() + kRetryPause >= deadline) return rc;
    std::this_thread::sleep_for(kRetryPause);
  }
}

std::string TurnedAwayReason(std::span<const std::uint8_t> received) {
  std::string words;
  for (const std::uint8_t byte : received) {
    if (words.size() == kWordsShown) break;
    if (byte >= 0x20 && byte < 0x7F) words += static_cast<char>(byte);
    else if (!words.empty() && words.back() != ' ') words += ' ';
  }
  while (!words.empty() && words.back() == ' ') words.pop_back();
  std::string reason = "the server closed the connection";
  if (!words.empty()) reason += ": " + words;
  return reason;
}
