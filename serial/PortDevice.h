#pragma once

#include <QString>

#include "ComErrors.h"
#include "ComPlatform.h"
#include "ComTypes.h"
#include "DeviceSettings.h"

// The device of an open port: it holds the descriptor from the exclusive open to the close and
// does everything that needs it. It exists only while the port is open; what it fails at is an
// EComPortExt naming the port, with the port's error code for the step.
class TPortDevice {
 public:
  // Opens path exclusively, then drops the lines that flow holds low: open(2) has just raised
  // them. Fails with code 1, nothing left open.
  TPortDevice(TComPlatform& platform, const QString& path, const QString& portName, const TFlowSettings& flow);
  ~TPortDevice();  // leaves the RS-485 mode, clears the exclusive flag and closes; never throws
  TPortDevice(const TPortDevice&) = delete;
  TPortDevice& operator=(const TPortDevice&) = delete;

  int Handle() const { return fd_; }

  // The line settings, DTR and RTS: a refused combination or a failing call is code 7, and the
  // attributes are rolled back when a later step fails.
  void PutLineSettings(const TLineSettings& line);
  void SetTimeouts(const TTimeouts& timeouts) { timeouts_ = timeouts; }

  int Write(const void* buffer, int count);                  // code 2; fewer when the time-out cut it
  // Code 3 with the system's error, or with kHangUpError once the device has hung up. A read
  // waits as the time-outs say, or with None returns at once with what is there.
  enum class TReadWait { ByTimeouts, None };
  int Read(void* buffer, int count, bool discardNull, TReadWait wait = TReadWait::ByTimeouts);
  void Purge(int queueSelector);                             // code 5, unless the device has vanished
  int QueuedInput();                                         // code 10
  // Up to ms for input (one poll); true once some is there. A hang-up or a failing poll is code 3.
  bool WaitForInput(int ms);
  TComSignals Signals();                                     // code 11; none without modem lines
  void StartLineErrorCount();                                // the driver counters become the base
  TComErrors TakeLineErrors(bool parityChecked);             // code 10; since the last call

 private:
  [[noreturn]] void Fail(int code, int systemCode, const QString& reason = {}) const;
  int PutDirectionControl(bool rs485);
  bool HungUp();  // the device reports a hang-up now

  TComPlatform& platform_;
  const QString portName_;
  int fd_ = -1;
  bool rs485On_ = false;  // the kernel's RS-485 mode was set on the device
  TTimeouts timeouts_;
  TComCounters lineErrorBase_{};  // driver counters at the last line-error query
  bool lineErrorBaseValid_ = false;
};
