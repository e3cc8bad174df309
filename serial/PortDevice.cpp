#include "PortDevice.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <sys/ioctl.h>

#include "LineSettings.h"

namespace {

// A device without modem lines or interrupt counters (a pty) answers with these: it has none.
bool NotSupported(int error) { return error == ENOTTY || error == EINVAL; }

// DTR and RTS are held by hand unless the driver runs RTS: the handshake, or the RS-485 mode.
struct THeldLines {
  int raise = 0, drop = 0;
};
THeldLines HeldLines(const TFlowSettings& flow) {
  THeldLines lines;
  (flow.controlDTR == dtrEnable ? lines.raise : lines.drop) |= TIOCM_DTR;
  if (flow.controlRTS == rtsEnable) lines.raise |= TIOCM_RTS;
  if (flow.controlRTS == rtsDisable) lines.drop |= TIOCM_RTS;
  return lines;
}

using TClock = std::chrono::steady_clock;

constexpr short kHangUpEvents = POLLHUP | POLLERR | POLLNVAL;

// A time-out of the settings model: -1 stands for the largest 32-bit value.
std::int64_t Ms(int v) { return static_cast<std::int64_t>(static_cast<std::uint32_t>(v)); }

// Milliseconds left until deadline, 0 when passed, -1 when there is none.
int Remaining(const std::optional<TClock::time_point>& deadline) {
  if (!deadline) return -1;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - TClock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<std::int64_t>(left, 1 << 30));
}

int Earlier(int a, int b) {
  if (a < 0) return b;
  if (b < 0) return a;
  return std::min(a, b);
}

std::optional<TClock::time_point> TotalDeadline(int multiplier, int constant, int count) {
  if (multiplier == 0 && constant == 0) return std::nullopt;
  return TClock::now() + std::chrono::milliseconds(Ms(multiplier) * count + Ms(constant));
}

}  // namespace

// ---- open and close ------------------------------------------------------------------------

TPortDevice::TPortDevice(TComPlatform& platform, const QString& path, const QString& portName,
                         const TFlowSettings& flow)
    : platform_(platform), portName_(portName) {
  std::string reason;
  const int fd = platform_.OpenDevice(path.toStdString(), reason);
  if (fd < 0) Fail(comerr::kOpen, -fd, QString::fromStdString(reason));
  // Exclusive: refuse what is not a terminal, take the lock, which is what stops a second
  // program running as root, and only then keep other openers off with TIOCEXCL: a line another
  // program holds keeps its flag as that program set it.
  int rc = platform_.IsTerminal(fd);
  if (rc == 0) {
    rc = platform_.Lock(fd);
    if (rc == -EWOULDBLOCK) rc = -EBUSY;
  }
  if (rc == 0) {
    rc = platform_.SetExclusive(fd);
    if (rc < 0 && NotSupported(-rc)) rc = 0;
  }
  if (rc < 0) {
    platform_.Close(fd);
    Fail(comerr::kOpen, -rc);
  }
  fd_ = fd;
  // open(2) raises DTR and RTS; an RS-485 converter that switches on RTS drives the bus until
  // they drop. Those the settings hold low go low first, before any other setting. A failure
  // shows in PutLineSettings, which sets them again.
  if (const int drop = HeldLines(flow).drop) platform_.SetModemLines(fd_, drop, false);
}

// The flag stays on the terminal as long as anyone keeps it open (a simulator, a getty, a modem
// manager), and only root may open an exclusive terminal: left set, it would keep every later
// open by an operator off the line. Whatever the clear answers, the device is closed.
TPortDevice::~TPortDevice() {
  if (rs485On_) PutDirectionControl(false);
  platform_.ClearExclusive(fd_);
  platform_.Close(fd_);
}

void TPortDevice::Fail(int code, int systemCode, const QString& reason) const {
  throw EComPortExt(code, systemCode, portName_, reason);
}

// ---- line settings -------------------------------------------------------------------------

void TPortDevice::PutLineSettings(const TLineSettings& line) {
  if (RefusedLineSetting(line)) Fail(comerr::kLineSettings, EINVAL);
  termios before{};
  int rc = platform_.GetAttributes(fd_, before);
  if (rc < 0) Fail(comerr::kLineSettings, -rc);
  termios t = before;
  ComposeLineAttributes(t, line);
  const speed_t speed = SpeedConstant(line.rate);
  if (speed != B0) {
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
  }
  rc = platform_.SetAttributes(fd_, t);
  if (rc == 0 && speed == B0) {
    rc = platform_.SetCustomSpeed(fd_, line.rate);
    if (rc < 0) platform_.SetAttributes(fd_, before);
  }
  if (rc < 0) Fail(comerr::kLineSettings, -rc);
  if (const bool toggle = line.flow.controlRTS == rtsToggle; toggle != rs485On_) {
    rc = PutDirectionControl(toggle);
    if (rc < 0) {
      platform_.SetAttributes(fd_, before);
      Fail(comerr::kLineSettings, -rc);
    }
  }
  const THeldLines held = HeldLines(line.flow);
  for (const auto& [lines, on] : {std::pair{held.raise, true}, std::pair{held.drop, false}}) {
    if (lines == 0) continue;
    rc = platform_.SetModemLines(fd_, lines, on);
    if (rc < 0 && !NotSupported(-rc)) Fail(comerr::kLineSettings, -rc);
  }
}

// RTS toggle is the kernel's RS-485 mode: RTS raised while sending, without delays. A driver
// without the mode (a pty, most USB adapters, which switch direction themselves) refuses it.
int TPortDevice::PutDirectionControl(bool rs485) {
  serial_rs485 mode{};
  if (rs485) mode.flags = SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
  const int rc = platform_.SetRs485(fd_, mode);
  if (rc == 0) rs485On_ = rs485;
  return rc;
}

// ---- data ----------------------------------------------------------------------------------

int TPortDevice::Write(const void* buffer, int count) {
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  const auto deadline = TotalDeadline(timeouts_.writeTotalMultiplier, timeouts_.writeTotalConstant, count);
  int done = 0;
  while (done < count) {
    const long n = platform_.Write(fd_, bytes + done, static_cast<std::size_t>(count - done));
    if (n > 0) {
      done += static_cast<int>(n);
      continue;
    }
    if (n < 0 && n != -EAGAIN && n != -EINTR) Fail(comerr::kWrite, static_cast<int>(-n));
    const int wait = Remaining(deadline);
    if (wait == 0) break;
    pollfd fd{fd_, POLLOUT, 0};
    const int ready = platform_.Poll(&fd, 1, wait);
    if (ready < 0 && ready != -EINTR) Fail(comerr::kWrite, -ready);
    if (ready > 0 && (fd.revents & kHangUpEvents)) Fail(comerr::kWrite, kHangUpError);
  }
  return done;
}

int TPortDevice::Read(void* buffer, int count, bool discardNull, TReadWait readWait) {
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  const TTimeouts& t = timeouts_;
  // With the interval at its largest and no totals a read returns at once with what is queued;
  // with both multipliers at their largest it waits up to the constant for the first byte.
  const bool atOnce = readWait == TReadWait::None ||
                      (t.readInterval == -1 && t.readTotalMultiplier == 0 && t.readTotalConstant == 0);
  const bool firstByte = t.readInterval == -1 && t.readTotalMultiplier == -1 && t.readTotalConstant != 0 &&
                         t.readTotalConstant != -1;
  const auto total = firstByte ? std::optional(TClock::now() + std::chrono::milliseconds(Ms(t.readTotalConstant)))
                               : TotalDeadline(t.readTotalMultiplier, t.readTotalConstant, count);
  const bool useInterval = t.readInterval != 0 && t.readInterval != -1;
  std::optional<TClock::time_point> interval;

  int got = 0;
  for (;;) {
    long n = platform_.Read(fd_, bytes + got, static_cast<std::size_t>(count - got));
    if (n < 0 && n != -EAGAIN && n != -EINTR) Fail(comerr::kRead, static_cast<int>(-n));
    // A terminal that hung up reads as empty, as a quiet line does; only its hang-up tells them
    // apart, and a dead line must not pass for a silent one.
    if (n == 0 && HungUp()) Fail(comerr::kRead, kHangUpError);
    if (n > 0) {
      if (discardNull) n = std::remove(bytes + got, bytes + got + n, 0) - (bytes + got);
      got += static_cast<int>(n);
      if (useInterval) interval = TClock::now() + std::chrono::milliseconds(Ms(t.readInterval));
    }
    if (got == count || atOnce || (firstByte && got > 0)) break;
    const int wait = Earlier(Remaining(total), Remaining(interval));
    if (wait == 0) break;
    pollfd fd{fd_, POLLIN, 0};
    const int ready = platform_.Poll(&fd, 1, wait);
    if (ready < 0 && ready != -EINTR) Fail(comerr::kRead, -ready);
    if (ready > 0 && !(fd.revents & POLLIN) && (fd.revents & kHangUpEvents)) Fail(comerr::kRead, kHangUpError);
  }
  return got;
}

bool TPortDevice::WaitForInput(int ms) {
  pollfd fd{fd_, POLLIN, 0};
  const int ready = platform_.Poll(&fd, 1, ms);
  if (ready < 0 && ready != -EINTR) Fail(comerr::kRead, -ready);
  if (ready <= 0) return false;
  if (fd.revents & POLLIN) return true;
  if (fd.revents & kHangUpEvents) Fail(comerr::kRead, kHangUpError);
  return false;
}

bool TPortDevice::HungUp() {
  pollfd fd{fd_, 0, 0};
  return platform_.Poll(&fd, 1, 0) > 0 && (fd.revents & kHangUpEvents);
}

void TPortDevice::Purge(int queueSelector) {
  const int rc = platform_.Flush(fd_, queueSelector);
  if (rc < 0 && !DeviceVanished(-rc)) Fail(comerr::kPurge, -rc);
}

int TPortDevice::QueuedInput() {
  const int queued = platform_.InputQueued(fd_);
  if (queued < 0) Fail(comerr::kClearError, -queued);
  return queued;
}

// ---- modem lines and line errors -----------------------------------------------------------

TComSignals TPortDevice::Signals() {
  int lines = 0;
  const int rc = platform_.GetModemLines(fd_, lines);
  if (rc < 0) {
    if (NotSupported(-rc)) return {};
    Fail(comerr::kModemStatus, -rc);
  }
  TComSignals present;
  if (lines & TIOCM_CTS) present.insert(csCTS);
  if (lines & TIOCM_DSR) present.insert(csDSR);
  if (lines & TIOCM_RNG) present.insert(csRing);
  if (lines & TIOCM_CAR) present.insert(csRLSD);
  return present;
}

void TPortDevice::StartLineErrorCount() { lineErrorBaseValid_ = platform_.GetCounters(fd_, lineErrorBase_) == 0; }

TComErrors TPortDevice::TakeLineErrors(bool parityChecked) {
  TComCounters now;
  const int rc = platform_.GetCounters(fd_, now);
  if (rc < 0) {
    if (NotSupported(-rc)) return {};
    Fail(comerr::kClearError, -rc);
  }
  TComErrors errors;
  if (lineErrorBaseValid_) {
    const TComCounters& was = lineErrorBase_;
    if (now.frame != was.frame) errors.insert(ceFrame);
    if (now.parity != was.parity && parityChecked) errors.insert(ceRxParity);
    if (now.overrun != was.overrun) errors.insert(ceOverrun);
    if (now.bufOverrun != was.bufOverrun) errors.insert(ceRxOver);
    if (now.brk != was.brk) errors.insert(ceBreak);
  }
  lineErrorBase_ = now;
  lineErrorBaseValid_ = true;
  return errors;
}
