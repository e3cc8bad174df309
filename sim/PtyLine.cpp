#include "PtyLine.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <system_error>

namespace sim {
namespace {

[[noreturn]] void ThrowErrno(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

void MakeRaw(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) ThrowErrno("tcgetattr");
  cfmakeraw(&t);
  if (tcsetattr(fd, TCSANOW, &t) != 0) ThrowErrno("tcsetattr");
}

timespec ToTimespec(Nanos n) {
  const auto count = std::max<Nanos::rep>(n.count(), 0);
  return timespec{static_cast<time_t>(count / 1'000'000'000), static_cast<long>(count % 1'000'000'000)};
}

// The rate the programmer set on its side of the line, in bit/s; 0 for one not known here.
unsigned ProgrammerRate(const PtyLine& line) {
  static constexpr std::array<std::pair<speed_t, unsigned>, 12> kRates{{{B1200, 1200}, {B2400, 2400}, {B4800, 4800},
      {B9600, 9600}, {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400},
      {B460800, 460800}, {B921600, 921600}, {B4000000, 4000000}}};
  termios t{};
  if (tcgetattr(line.Slave(), &t) != 0) return 0;
  const speed_t speed = cfgetospeed(&t);
  for (const auto& [constant, rate] : kRates)
    if (constant == speed) return rate;
  return 0;
}

bool HeardAtItsRate(const PtyLine& line, const LineSettings& settings) {
  return !settings.strictRate || ProgrammerRate(line) == settings.baud;
}

}  // namespace

PtyLine::PtyLine() {
  if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) ThrowErrno("openpty");
  try {
    MakeRaw(slave_);
    MakeRaw(master_);
    // Only this process holds the line: a program it starts must not keep the device alive
    // once the line is closed here.
    for (const int fd : {master_, slave_})
      if (fcntl(fd, F_SETFD, FD_CLOEXEC) != 0) ThrowErrno("fcntl");
    // A programmer that stops reading must not stall the readers: bytes it misses are lost,
    // as on a real line.
    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) ThrowErrno("fcntl");
    std::array<char, 128> name{};
    if (const int rc = ttyname_r(slave_, name.data(), name.size()); rc != 0) {
      errno = rc;
      ThrowErrno("ttyname_r");
    }
    path_ = name.data();
  } catch (...) {
    close(master_);
    close(slave_);
    throw;
  }
}

PtyLine::~PtyLine() {
  close(master_);
  close(slave_);
}

void RunLine(PtyLine& line, ReaderSimulator& simulator, const volatile std::sig_atomic_t& stop,
             const sigset_t& waitMask, const TraceSink& trace) {
  // A simulator served again goes on from its own latest time: what it scheduled (the line busy
  // until its last answer has gone out) stays in its time, not in a clock begun anew.
  const auto origin = std::chrono::steady_clock::now() - simulator.LatestTime();
  auto now = [origin] { return std::chrono::duration_cast<Nanos>(std::chrono::steady_clock::now() - origin); };
  std::size_t traced = 0;
  std::array<std::uint8_t, 256> buffer{};

  while (!stop) {
    for (const std::uint8_t b : simulator.TakeDue(now())) {
      // EAGAIN: nobody drains the device and its queue is full; the byte is lost.
      [[maybe_unused]] const ssize_t written = write(line.Master(), &b, 1);
    }

    timespec timeout{};
    auto next = simulator.NextDue();
    if (const auto quiet = simulator.QuietDeadline(); quiet && (!next || *quiet < *next)) next = quiet;
    if (next) timeout = ToTimespec(*next - now());
    pollfd p{line.Master(), POLLIN, 0};
    if (ppoll(&p, 1, next ? &timeout : nullptr, &waitMask) < 0) {
      if (errno == EINTR) continue;
      ThrowErrno("ppoll");
    }
    // The slave is held open here, so the master reports no hang-up that could make this spin.
    if (p.revents & POLLIN) {
      const ssize_t n = read(line.Master(), buffer.data(), buffer.size());
      if (n > 0 && HeardAtItsRate(line, simulator.Settings()))
        simulator.Receive({buffer.data(), static_cast<std::size_t>(n)}, now());
    }
    simulator.Idle(now());
    if (trace)
      for (const auto& record = simulator.Record(); traced < record.size(); ++traced) trace(record[traced]);
  }
}

}  // namespace sim
