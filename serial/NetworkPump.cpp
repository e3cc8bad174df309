#include "NetworkPump.h"

#include <sys/socket.h>
#include <termios.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "ComPlatform.h"

namespace {

// Line bytes held for the port at most; beyond it the connection is left unread, as a
// terminal throttles its sender.
constexpr std::size_t kInputBound = 64 * 1024;
// Bytes taken off the connection in one go at most, telnet commands included.
constexpr std::size_t kReceiveSlice = 64 * 1024;

}  // namespace

TNetworkPump::TNetworkPump(int fd, TNetworkProtocol protocol) : fd_(fd) {
  if (protocol == TNetworkProtocol::Rfc2217) session_.emplace();
}

void TNetworkPump::Receive() {
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

void TNetworkPump::Take(std::span<const std::uint8_t> chunk) {
  if (!session_) {
    input_.insert(input_.end(), chunk.begin(), chunk.end());
    return;
  }
  session_->Receive(chunk, input_);
  QueueSessionOutput();
}

void TNetworkPump::QueueSessionOutput() {
  const std::vector<std::uint8_t> bytes = session_->TakeOutgoing();
  output_.insert(output_.end(), bytes.begin(), bytes.end());
}

void TNetworkPump::Transmit() {
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

long TNetworkPump::Read(void* buffer, std::size_t count) {
  if (input_.empty()) Receive();
  if (input_.empty()) return ended_ ? -kHangUpError : -EAGAIN;
  const std::size_t n = std::min(count, input_.size());
  std::memcpy(buffer, input_.data(), n);
  input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
  return static_cast<long>(n);
}

long TNetworkPump::Write(const void* buffer, std::size_t count) {
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
  // What the socket does not take now goes with the next call or poll.
  Transmit();
  return ended_ ? -kHangUpError : static_cast<long>(count);
}

int TNetworkPump::InputQueued() {
  Receive();
  return static_cast<int>(input_.size());
}

int TNetworkPump::Flush(int queueSelector) {
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

short TNetworkPump::Watch() const {
  if (ended_) return 0;
  short events = 0;
  if (input_.size() < kInputBound) events |= POLLIN;
  if (!output_.empty()) events |= POLLOUT;
  return events;
}

void TNetworkPump::Serve(short revents) {
  if (revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) Receive();
  // Also when the input is full and nothing was read: a hang-up would be reported for ever.
  if (revents & (POLLHUP | POLLERR | POLLNVAL)) ended_ = true;
  if (revents & POLLOUT) Transmit();
}

short TNetworkPump::Ready(short requested) const {
  short ready = 0;
  if ((requested & POLLIN) && !input_.empty()) ready |= POLLIN;
  if ((requested & POLLOUT) && output_.empty() && !ended_) ready |= POLLOUT;
  if (ended_) ready |= POLLHUP;
  return ready;
}
