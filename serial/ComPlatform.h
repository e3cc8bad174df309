#pragma once

#include <linux/serial.h>
#include <poll.h>
#include <termios.h>

#include <cerrno>
#include <cstddef>
#include <memory>
#include <string>

// Interrupt counters a serial driver keeps: line errors, breaks and modem-line transitions.
struct TComCounters {
  long cts = 0, dsr = 0, rng = 0, dcd = 0;
  long frame = 0, parity = 0, overrun = 0, brk = 0, bufOverrun = 0;
};

// The error a device's hang-up is told by (a pty whose far end closed, an adapter pulled, a
// gateway that closed the connection): the system reports the hang-up itself without one.
inline constexpr int kHangUpError = ENODEV;

// Every system call the serial port makes, behind one small interface: the component logic is
// written once against it, the POSIX implementation talks to the kernel, and the tests use a
// scripted double that can fail any call. Each call returns a non-negative result on success
// and minus the errno value on failure, so that nothing between the call and its caller can
// clobber the error.
class TComPlatform {
 public:
  virtual ~TComPlatform() = default;

  // O_RDWR|O_NOCTTY|O_NONBLOCK. On failure `reason` may hold the system's own words where errno
  // alone would mislead (a host name not found); empty, errno's text says it.
  virtual int OpenDevice(const std::string& path, std::string& reason) = 0;
  virtual int Close(int fd) = 0;
  virtual int IsTerminal(int fd) = 0;                            // 0, or -ENOTTY
  virtual int SetExclusive(int fd) = 0;                          // TIOCEXCL
  virtual int ClearExclusive(int fd) = 0;                        // TIOCNXCL
  virtual int Lock(int fd) = 0;                                  // flock(LOCK_EX | LOCK_NB)
  virtual int GetAttributes(int fd, termios& attributes) = 0;
  virtual int SetAttributes(int fd, const termios& attributes) = 0;
  virtual int SetCustomSpeed(int fd, int rate) = 0;              // any rate in bit/s
  virtual int SetRs485(int fd, const serial_rs485& mode) = 0;    // TIOCSRS485
  virtual int GetModemLines(int fd, int& lines) = 0;             // TIOCM_* bits
  virtual int SetModemLines(int fd, int lines, bool on) = 0;     // TIOCMBIS / TIOCMBIC
  virtual int InputQueued(int fd) = 0;                           // bytes waiting to be read
  virtual int GetCounters(int fd, TComCounters& counters) = 0;   // TIOCGICOUNT
  virtual int Flush(int fd, int queueSelector) = 0;              // tcflush
  virtual long Read(int fd, void* buffer, std::size_t count) = 0;
  virtual long Write(int fd, const void* buffer, std::size_t count) = 0;
  virtual int Poll(pollfd* fds, nfds_t count, int timeoutMs) = 0;
  virtual int CreateEvent() = 0;                                 // eventfd, non-blocking
  virtual int SignalEvent(int fd) = 0;
};

// The platform of this machine, shared by every port that is not given another one: devices,
// and network lines (NetworkComPlatform.h) chosen by the port name.
std::shared_ptr<TComPlatform> SystemComPlatform();
