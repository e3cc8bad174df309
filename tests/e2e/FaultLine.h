#pragma once

// The far end of a pseudo-terminal driven by the test: simulated readers that a hook can make
// fall silent or hang the line up at any request, and a storm of noise that fills the line
// whenever no reader is sending. The readers may be looked at only while the line is stopped.

#include "FrameScanner.h"
#include "ReaderSimulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class FaultLine {
 public:
  // What becomes of a request: heard and answered, or the line hung up (as a pulled-out adapter
  // does) instead of it or right after its answer has gone out.
  enum class Fate { Serve, HangUp, HangUpAfterAnswer };
  // Called on the line's thread for each request before the readers hear it, with its index
  // on this line.
  using RequestHook =
      std::function<Fate(std::size_t index, const std::vector<std::uint8_t>& request, sim::ReaderSimulator&)>;

  explicit FaultLine(sim::LineSettings settings = {}) : simulator(settings) {
    if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) throw std::runtime_error("openpty");
    for (const int fd : {master_, slave_}) {
      termios t{};
      tcgetattr(fd, &t);
      cfmakeraw(&t);
      tcsetattr(fd, TCSANOW, &t);
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    char name[128] = {};
    if (ttyname_r(slave_, name, sizeof name) == 0) path_ = name;  // else no device: the test fails to open it
    wake_ = eventfd(0, EFD_NONBLOCK);
  }
  ~FaultLine() {
    Stop();
    if (master_ >= 0) close(master_);
    close(slave_);
    close(wake_);
  }
  FaultLine(const FaultLine&) = delete;
  FaultLine& operator=(const FaultLine&) = delete;

  void OnRequest(RequestHook hook) { hook_ = std::move(hook); }
  // Noise sent at full speed whenever the readers are quiet, until cleared.
  void SetNoise(std::string text) {
    Stop();
    noise_ = std::move(text);
  }
  void Start() {
    if (thread_.joinable() || master_ < 0) return;
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
  }
  void Stop() {
    if (!thread_.joinable()) return;
    stop_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(wake_, &one, sizeof one);
    thread_.join();
  }

  const std::string& DevicePath() const { return path_; }
  bool HungUp() const { return hungUp_; }
  std::size_t NoiseBytesSent() const { return noiseSent_; }

  // The requests the readers heard, in order.
  std::vector<std::vector<std::uint8_t>> Requests() const { return simulator.Requests(); }

  sim::ReaderSimulator simulator;

 private:
  using Clock = std::chrono::steady_clock;

  void Run() {
    const auto origin = Clock::now();
    auto now = [origin] { return std::chrono::duration_cast<sim::Nanos>(Clock::now() - origin); };
    std::vector<std::uint8_t> chunk(256);
    while (!stop_) {
      for (const std::uint8_t b : simulator.TakeDue(now())) WriteAll(&b, 1);
      if (hangUpWhenSent_ && !simulator.NextDue()) {
        HangUp();
        return;
      }
      if (!noise_.empty() && !simulator.NextDue()) SendNoise();

      int timeout = -1;
      if (!noise_.empty()) timeout = 1;
      else if (const auto next = simulator.NextDue()) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(*next - now()).count();
        timeout = static_cast<int>(std::max<std::int64_t>(ms, 0));
      }
      pollfd fds[2] = {{master_, POLLIN, 0}, {wake_, POLLIN, 0}};
      if (poll(fds, 2, timeout) < 0) continue;
      if (!(fds[0].revents & POLLIN)) continue;
      const ssize_t n = read(master_, chunk.data(), chunk.size());
      if (n <= 0) continue;
      for (const auto& request : scanner_.Feed({chunk.data(), static_cast<std::size_t>(n)})) {
        const Fate fate = hook_ ? hook_(heard_++, request, simulator) : Fate::Serve;
        if (fate == Fate::HangUp) {
          HangUp();
          return;
        }
        simulator.Receive(request, now());
        hangUpWhenSent_ = hangUpWhenSent_ || fate == Fate::HangUpAfterAnswer;
      }
    }
  }

  // Noted first: the window sees the hang-up the moment the master closes, and may have ended
  // its operation before this thread runs again.
  void HangUp() {
    hungUp_ = true;
    close(master_);
    master_ = -1;
  }

  // Answers are never lost: the test's window always drains the device.
  void WriteAll(const std::uint8_t* bytes, std::size_t count) {
    while (count > 0 && !stop_) {
      const ssize_t n = write(master_, bytes, count);
      if (n > 0) {
        bytes += n;
        count -= static_cast<std::size_t>(n);
        continue;
      }
      pollfd out{master_, POLLOUT, 0};
      poll(&out, 1, 10);
    }
  }

  // As much noise as the device takes now; what it does not take is simply not sent.
  void SendNoise() {
    const std::string burst = noise_ + noise_ + noise_ + noise_;
    const ssize_t n = write(master_, burst.data(), burst.size());
    if (n > 0) noiseSent_ += static_cast<std::size_t>(n);
  }

  int master_ = -1;
  int slave_ = -1;  // held, so that the device stays valid while the window closes and reopens it
  int wake_ = -1;
  std::string path_;
  RequestHook hook_;
  std::string noise_;
  sim::FrameScanner scanner_;
  std::size_t heard_ = 0;
  bool hangUpWhenSent_ = false;
  std::atomic<bool> stop_{false};
  std::atomic<bool> hungUp_{false};
  std::atomic<std::size_t> noiseSent_{0};
  std::thread thread_;
};
