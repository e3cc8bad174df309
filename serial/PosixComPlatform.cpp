#include <fcntl.h>
#include <linux/serial.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "ComPlatform.h"
#include "CustomBaud.h"
#include "NetworkComPlatform.h"

namespace {

int Result(int rc) { return rc < 0 ? -errno : rc; }
long Result(long rc) { return rc < 0 ? -errno : rc; }

// The kernel's own serial device interface.
class TPosixComPlatform final : public TComPlatform {
 public:
  int OpenDevice(const std::string& path, std::string&) override {
    return Result(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  }
  int Close(int fd) override { return Result(::close(fd)); }
  int IsTerminal(int fd) override { return ::isatty(fd) ? 0 : -errno; }
  int SetExclusive(int fd) override { return Result(::ioctl(fd, TIOCEXCL)); }
  int ClearExclusive(int fd) override { return Result(::ioctl(fd, TIOCNXCL)); }
  int Lock(int fd) override { return Result(::flock(fd, LOCK_EX | LOCK_NB)); }
  int GetAttributes(int fd, termios& attributes) override { return Result(::tcgetattr(fd, &attributes)); }
  int SetAttributes(int fd, const termios& attributes) override {
    return Result(::tcsetattr(fd, TCSANOW, &attributes));
  }
  int SetCustomSpeed(int fd, int rate) override { return SetTerminalCustomSpeed(fd, rate); }
  int SetRs485(int fd, const serial_rs485& mode) override {
    serial_rs485 request = mode;  // the kernel writes back what it took
    return Result(::ioctl(fd, TIOCSRS485, &request));
  }
  int GetModemLines(int fd, int& lines) override { return Result(::ioctl(fd, TIOCMGET, &lines)); }
  int SetModemLines(int fd, int lines, bool on) override {
    return Result(::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &lines));
  }
  int InputQueued(int fd) override {
    int count = 0;
    int rc = Result(::ioctl(fd, TIOCINQ, &count));
    return rc < 0 ? rc : count;
  }
  int GetCounters(int fd, TComCounters& counters) override {
    serial_icounter_struct raw{};
    int rc = Result(::ioctl(fd, TIOCGICOUNT, &raw));
    if (rc < 0) return rc;
    counters = {raw.cts, raw.dsr, raw.rng, raw.dcd, raw.frame, raw.parity, raw.overrun, raw.brk,
                raw.buf_overrun};
    return 0;
  }
  int Flush(int fd, int queueSelector) override { return Result(::tcflush(fd, queueSelector)); }
  long Read(int fd, void* buffer, std::size_t count) override { return Result(::read(fd, buffer, count)); }
  long Write(int fd, const void* buffer, std::size_t count) override {
    return Result(::write(fd, buffer, count));
  }
  int Poll(pollfd* fds, nfds_t count, int timeoutMs) override { return Result(::poll(fds, count, timeoutMs)); }
  int CreateEvent() override { return Result(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)); }
  int SignalEvent(int fd) override {
    std::uint64_t one = 1;
    return Result(static_cast<int>(::write(fd, &one, sizeof one)));
  }
};

}  // namespace

std::shared_ptr<TComPlatform> SystemComPlatform() {
  static const std::shared_ptr<TComPlatform> platform = NetworkComPlatform(std::make_shared<TPosixComPlatform>());
  return platform;
}
