#include "NetworkComPlatform.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "NetworkConnect.h"
#include "NetworkLine.h"
#include "NetworkLineName.h"

namespace {

// The router: network lines' descriptors are served here, every other one by the devices.
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
    std::shared_ptr<TNetworkLine> line;
    const int fd = ConnectNetworkLine(
        *name,
        [&](int connected, TNetworkClock::time_point deadline, std::string& why) {
          line = std::make_shared<TNetworkLine>(connected, name->protocol);
          return line->TakeUp(deadline, why);
        },
        reason);
    if (fd < 0) return fd;
    std::lock_guard lock(mutex_);
    lines_[fd] = std::move(line);
    return fd;
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
    const TNetworkClock::time_point deadline = TNetworkClock::now() + std::chrono::milliseconds(bounded ? timeoutMs : 0);
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
      if (ready > 0 || (bounded && TNetworkClock::now() >= deadline)) return ready;
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
