#pragma once

#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>
#include <vector>

#include "ComPlatform.h"

enum class TCall {
  OpenDevice, Close, IsTerminal, SetExclusive, ClearExclusive, Lock, GetAttributes, SetAttributes, SetCustomSpeed,
  SetRs485, GetModemLines, SetModemLines, InputQueued, GetCounters, Flush, Read, Write, Poll, CreateEvent,
  SignalEvent
};

// A device made of memory: it records every call, keeps the attributes, modem lines and exclusive
// flag it was given, and fails the calls a test scripts (one kind, or the n-th call, or every call
// from the n-th on). Like a terminal's, the exclusive flag outlives the descriptor that set it.
// The stop event is a real eventfd, so that an event thread can wait on it.
class TScriptedComPlatform : public TComPlatform {
 public:
  TScriptedComPlatform() { cfmakeraw(&attributes); attributes.c_lflag |= ICANON | ECHO; }

  void FailCall(TCall call, int error) { Locked([&] { kindFailures_.push_back({call, error}); }); }
  void FailNth(int n, int error) { Locked([&] { nth_ = n; from_ = false; error_ = error; }); }
  void FailFrom(int n, int error) { Locked([&] { nth_ = n; from_ = true; error_ = error; }); }
  int Count(TCall call) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(calls_.begin(), calls_.end(), call));
  }
  int CallCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(calls_.size());
  }
  std::vector<TCall> Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  int Failed(TCall call) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(failed_.begin(), failed_.end(), call));
  }
  int OpenHandles() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(devices_.size() + events_.size());
  }
  void Feed(const std::vector<std::uint8_t>& bytes) {
    Locked([&] { input_.insert(input_.end(), bytes.begin(), bytes.end()); });
  }
  std::vector<std::uint8_t> Output() const {
    std::lock_guard lock(mutex_);
    return output_;
  }

  termios attributes{};
  int customSpeed = 0;
  std::vector<serial_rs485> rs485Requests;  // each RS-485 mode asked for, refused ones too
  int modemLines = 0;
  std::vector<int> modemLineLevels;  // the lines after each write of them
  bool exclusive = false;
  bool hasCounters = false;  // a pty has none
  TComCounters counters;
  std::size_t writeRoom = static_cast<std::size_t>(-1);  // bytes the device accepts in all

  int OpenDevice(const std::string&, std::string&) override {
    return Step(TCall::OpenDevice, [&] { devices_.insert(nextFd_); return nextFd_++; });
  }
  // Like close(2), the descriptor is gone also when the call reports a failure.
  int Close(int fd) override {
    const int failed = Failure(TCall::Close);
    std::lock_guard lock(mutex_);
    if (events_.erase(fd)) ::close(fd);
    devices_.erase(fd);
    return failed;
  }
  int IsTerminal(int) override { return Step(TCall::IsTerminal, [] { return 0; }); }
  int SetExclusive(int) override { return Step(TCall::SetExclusive, [&] { exclusive = true; return 0; }); }
  int ClearExclusive(int) override { return Step(TCall::ClearExclusive, [&] { exclusive = false; return 0; }); }
  int Lock(int) override { return Step(TCall::Lock, [] { return 0; }); }
  int GetAttributes(int, termios& t) override {
    return Step(TCall::GetAttributes, [&] { t = attributes; return 0; });
  }
  int SetAttributes(int, const termios& t) override {
    return Step(TCall::SetAttributes, [&] { attributes = t; return 0; });
  }
  int SetCustomSpeed(int, int rate) override {
    return Step(TCall::SetCustomSpeed, [&] { customSpeed = rate; return 0; });
  }
  int SetRs485(int, const serial_rs485& mode) override {
    Locked([&] { rs485Requests.push_back(mode); });
    return Step(TCall::SetRs485, [] { return 0; });
  }
  int GetModemLines(int, int& lines) override {
    return Step(TCall::GetModemLines, [&] { lines = modemLines; return 0; });
  }
  int SetModemLines(int, int lines, bool on) override {
    return Step(TCall::SetModemLines, [&] {
      modemLines = on ? modemLines | lines : modemLines & ~lines;
      modemLineLevels.push_back(modemLines);
      return 0;
    });
  }
  int InputQueued(int) override {
    return Step(TCall::InputQueued, [&] { return static_cast<int>(input_.size()); });
  }
  int GetCounters(int, TComCounters& c) override {
    return Step(TCall::GetCounters, [&] {
      if (!hasCounters) return -ENOTTY;
      c = counters;
      return 0;
    });
  }
  int Flush(int, int selector) override {
    return Step(TCall::Flush, [&] {
      if (selector != TCOFLUSH) input_.clear();
      return 0;
    });
  }
  long Read(int, void* buffer, std::size_t count) override {
    return Step(TCall::Read, [&]() -> int {
      if (input_.empty()) return -EAGAIN;
      const std::size_t n = std::min(count, input_.size());
      std::copy_n(input_.begin(), n, static_cast<std::uint8_t*>(buffer));
      input_.erase(input_.begin(), input_.begin() + static_cast<long>(n));
      return static_cast<int>(n);
    });
  }
  long Write(int, const void* buffer, std::size_t count) override {
    return Step(TCall::Write, [&]() -> int {
      const std::size_t n = std::min(count, writeRoom);
      if (n == 0) return -EAGAIN;
      writeRoom -= n;
      const auto* bytes = static_cast<const std::uint8_t*>(buffer);
      output_.insert(output_.end(), bytes, bytes + n);
      return static_cast<int>(n);
    });
  }
  // Only the real event descriptors are waited on; the memory device is never ready, so a wait
  // for it runs into its time-out.
  int Poll(pollfd* fds, nfds_t count, int timeoutMs) override {
    if (int failed = Failure(TCall::Poll)) return failed;
    std::vector<pollfd> real(fds, fds + count);
    {
      std::lock_guard lock(mutex_);
      for (auto& fd : real)
        if (!events_.count(fd.fd)) fd.fd = -1;
    }
    const int rc = ::poll(real.data(), count, timeoutMs);
    for (nfds_t i = 0; i < count; ++i) fds[i].revents = real[i].revents;
    return rc < 0 ? -errno : rc;
  }
  int CreateEvent() override {
    return Step(TCall::CreateEvent, [&] {
      const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
      events_.insert(fd);
      return fd;
    });
  }
  int SignalEvent(int fd) override {
    return Step(TCall::SignalEvent, [&] {
      std::uint64_t one = 1;
      return ::write(fd, &one, sizeof one) == sizeof one ? 0 : -errno;
    });
  }

 private:
  struct TKindFailure {
    TCall call;
    int error;
  };
  template <typename F>
  void Locked(F f) {
    std::lock_guard lock(mutex_);
    f();
  }
  // Records the call; returns minus the scripted error when it is to fail, else 0.
  int Failure(TCall call) {
    std::lock_guard lock(mutex_);
    const int index = static_cast<int>(calls_.size());
    calls_.push_back(call);
    int error = 0;
    for (const auto& f : kindFailures_)
      if (f.call == call && !error) error = f.error;
    if (!error && nth_ >= 0 && (index == nth_ || (from_ && index > nth_))) error = error_;
    if (error) failed_.push_back(call);
    return -error;
  }
  template <typename F>
  int Step(TCall call, F body) {
    if (int failed = Failure(call)) return failed;
    std::lock_guard lock(mutex_);
    return body();
  }

  mutable std::mutex mutex_;
  std::vector<TCall> calls_, failed_;
  std::vector<TKindFailure> kindFailures_;
  int nth_ = -1;
  bool from_ = false;
  int error_ = EIO;
  int nextFd_ = 1000;
  std::set<int> devices_, events_;
  std::deque<std::uint8_t> input_;
  std::vector<std::uint8_t> output_;
};
