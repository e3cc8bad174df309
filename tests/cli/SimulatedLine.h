#pragma once

#include <pthread.h>
#include <sys/ioctl.h>

#include <csignal>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Frame.h"
#include "ParameterTable.h"
#include "PtyLine.h"
#include "ReaderSimulator.h"

// Simulated readers on a pseudo-terminal, served by a thread of this process, so that a test
// can look at what the readers hold once the line has stopped.
class SimulatedLine {
 public:
  explicit SimulatedLine(std::vector<sim::Reader> readers) {
    InstallStopSignal();
    for (sim::Reader& reader : readers) simulator_.AddReader(std::move(reader));
    Serve();
  }
  ~SimulatedLine() { Halt(); }
  SimulatedLine(const SimulatedLine&) = delete;
  SimulatedLine& operator=(const SimulatedLine&) = delete;

  const std::string& Device() const { return line_->DevicePath(); }

  // The adapter pulled: its device goes away, the readers keep what they hold.
  void Unplug() {
    Halt();
    line_.reset();
  }
  // Plugged in again: a device of its own, the same readers behind it.
  void Plug() {
    line_ = std::make_unique<sim::PtyLine>();
    Serve();
  }

  // Stops serving the line; afterwards the readers may be looked at.
  void Halt() {
    if (!thread_.joinable()) return;
    Stop() = 1;
    pthread_kill(thread_.native_handle(), SIGUSR1);  // ends the thread's wait
    thread_.join();
  }
  // What the last close of a real device does for a program that was killed: its exclusive use
  // ends. The slave held open here keeps a pseudo-terminal's flag set until it is cleared.
  void EndExclusiveUse() { ioctl(line_->Slave(), TIOCNXCL); }
  const sim::Reader& ReaderAt(std::uint8_t address) {
    Halt();
    return *simulator_.FindReader(address);
  }
  // Every frame that reached the readers.
  std::size_t RequestsReceived() {
    Halt();
    return simulator_.Requests().size();
  }
  // The codes of the parameter writes that reached the readers, in order.
  std::vector<std::uint8_t> WritesReceived() {
    Halt();
    std::vector<std::uint8_t> codes;
    for (const std::vector<std::uint8_t>& frame : simulator_.Requests())
      if (ParameterOfWriteCode(FrameView(frame).Code())) codes.push_back(FrameView(frame).Code());
    return codes;
  }

 private:
  void Serve() {
    Stop() = 0;
    thread_ = std::thread([this] {
      sigset_t waitMask;
      pthread_sigmask(SIG_BLOCK, nullptr, &waitMask);
      sigdelset(&waitMask, SIGUSR1);
      sim::RunLine(*line_, simulator_, Stop(), waitMask, nullptr);
    });
  }
  static volatile std::sig_atomic_t& Stop() {
    static volatile std::sig_atomic_t stop = 0;
    return stop;
  }
  static void OnStop(int) { Stop() = 1; }
  // SIGUSR1 stays blocked everywhere but in the line thread's wait, so it can only end that.
  static void InstallStopSignal() {
    struct sigaction action {};
    action.sa_handler = OnStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGUSR1, &action, nullptr);
    sigset_t block;
    sigemptyset(&block);
    sigaddset(&block, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &block, nullptr);
  }

  sim::ReaderSimulator simulator_;
  std::unique_ptr<sim::PtyLine> line_ = std::make_unique<sim::PtyLine>();
  std::thread thread_;
};
