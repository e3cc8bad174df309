#pragma once

// Simulated readers served on a pseudo-terminal from a thread of this process, so that a test
// can give them any state or fault before the window talks to them and look at what they
// heard afterwards. The readers may be looked at only while the line is stopped.

#include "PtyLine.h"
#include "ReaderSimulator.h"

#include <pthread.h>

#include <csignal>
#include <cstdint>
#include <thread>
#include <vector>

class SimLineThread {
 public:
  SimLineThread() {
    struct sigaction wake {};
    wake.sa_handler = [](int) {};  // only to end the line's wait
    sigaction(kWakeSignal, &wake, nullptr);
  }
  ~SimLineThread() { Stop(); }
  SimLineThread(const SimLineThread&) = delete;
  SimLineThread& operator=(const SimLineThread&) = delete;

  void Start() {
    if (thread_.joinable()) return;
    stop_ = 0;
    thread_ = std::thread([this] {
      sigset_t blocked;
      sigemptyset(&blocked);
      sigaddset(&blocked, kWakeSignal);
      sigset_t waitMask;
      pthread_sigmask(SIG_BLOCK, &blocked, &waitMask);
      sigdelset(&waitMask, kWakeSignal);
      sim::RunLine(line_, simulator, stop_, waitMask, {});
    });
  }
  void Stop() {
    if (!thread_.joinable()) return;
    stop_ = 1;
    pthread_kill(thread_.native_handle(), kWakeSignal);
    thread_.join();
  }

  const std::string& DevicePath() const { return line_.DevicePath(); }

  // The request frames the readers heard, in order.
  std::vector<std::vector<std::uint8_t>> Requests() const { return simulator.Requests(); }

  sim::ReaderSimulator simulator;

 private:
  static constexpr int kWakeSignal = SIGUSR1;
  sim::PtyLine line_;
  volatile std::sig_atomic_t stop_ = 0;
  std::thread thread_;
};
