#pragma once

#include <atomic>

#include "ComPlatform.h"

// The machine's platform with its waits counted, to see whether an event thread sleeps and when
// it has woken for bytes, and its reads failed on demand, as a failing adapter's are.
class TCountingPlatform : public TComPlatform {
 public:
  std::atomic<int> polls{0};
  std::atomic<int> wokenByInput{0};  // waits that ended with bytes to read
  std::atomic<int> readError{0};     // set: every read fails with it

  int OpenDevice(const std::string& path, std::string& reason) override { return real_->OpenDevice(path, reason); }
  int Close(int fd) override { return real_->Close(fd); }
  int IsTerminal(int fd) override { return real_->IsTerminal(fd); }
  int SetExclusive(int fd) override { return real_->SetExclusive(fd); }
  int ClearExclusive(int fd) override { return real_->ClearExclusive(fd); }
  int Lock(int fd) override { return real_->Lock(fd); }
  int GetAttributes(int fd, termios& t) override { return real_->GetAttributes(fd, t); }
  int SetAttributes(int fd, const termios& t) override { return real_->SetAttributes(fd, t); }
  int SetCustomSpeed(int fd, int rate) override { return real_->SetCustomSpeed(fd, rate); }
  int SetRs485(int fd, const serial_rs485& mode) override { return real_->SetRs485(fd, mode); }
  int GetModemLines(int fd, int& lines) override { return real_->GetModemLines(fd, lines); }
  int SetModemLines(int fd, int lines, bool on) override { return real_->SetModemLines(fd, lines, on); }
  int InputQueued(int fd) override { return real_->InputQueued(fd); }
  int GetCounters(int fd, TComCounters& c) override { return real_->GetCounters(fd, c); }
  int Flush(int fd, int selector) override { return real_->Flush(fd, selector); }
  long Read(int fd, void* b, std::size_t n) override { return readError ? -readError : real_->Read(fd, b, n); }
  long Write(int fd, const void* b, std::size_t n) override { return real_->Write(fd, b, n); }
  int Poll(pollfd* fds, nfds_t n, int timeoutMs) override {
    ++polls;
    const int ready = real_->Poll(fds, n, timeoutMs);
    for (nfds_t i = 0; ready > 0 && i < n; ++i)
      if (fds[i].revents & POLLIN) {
        ++wokenByInput;
        break;
      }
    return ready;
  }
  int CreateEvent() override { return real_->CreateEvent(); }
  int SignalEvent(int fd) override { return real_->SignalEvent(fd); }

 private:
  std::shared_ptr<TComPlatform> real_ = SystemComPlatform();
};
