#include "CPort.h"

#include <QDebug>
#include <QMetaObject>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <sys/ioctl.h>

#include "ComThread.h"
#include "LineSettings.h"
#include "NetworkLineName.h"

// ---- error codes and exceptions ------------------------------------------------------------

namespace {

constexpr const char* kErrorTexts[] = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
};
constexpr int kErrorCount = static_cast<int>(std::size(kErrorTexts));

TComExceptionDisplay& ExceptionDisplay() {
  static TComExceptionDisplay display;
  return display;
}

// A device without modem lines or interrupt counters (a pty) answers with these: it has none.
bool NotSupported(int error) { return error == ENOTTY || error == EINVAL; }

}  // namespace

QString ComErrorText(int code) {
  if (code >= 1 && code <= kErrorCount) return QString::fromLatin1(kErrorTexts[code - 1]);
  return QStringLiteral("Unknown Error #%1").arg(code);
}

QString SystemErrorText(int systemCode) { return QString::fromLocal8Bit(std::strerror(systemCode)); }

// A device that has vanished answers every call with one of these.
bool DeviceVanished(int systemCode) { return systemCode == EIO || systemCode == ENXIO || systemCode == ENODEV; }

EComPort::EComPort(int code, const QString& portName)
    : EComPort(code, TMessage{(portName + QStringLiteral(" Error: ") + ComErrorText(code)).toStdString()}) {}

EComPort::EComPort(int code, TMessage message) : std::runtime_error(message.text), code_(code) {}

EComPortExt::EComPortExt(int code, int systemCode, const QString& portName, const QString& reason)
    : EComPort(code, TMessage{(QStringLiteral("COM Port Error: ") + ComErrorText(code) + QStringLiteral(" on ") +
                               portName)
                                  .toStdString()}),
      systemCode_(systemCode),
      portName_(portName),
      reason_(reason) {}

QString EComPortExt::Reason() const { return reason_.isEmpty() ? SystemErrorText(systemCode_) : reason_; }

void SetComExceptionDisplay(TComExceptionDisplay display) { ExceptionDisplay() = std::move(display); }

void ShowComException(const std::exception& error) {
  if (ExceptionDisplay()) ExceptionDisplay()(error);
  else qCritical("%s", error.what());
}

// ---- settings objects ----------------------------------------------------------------------

void TComPersistent::Assign(const TComPersistent& source) {
  if (!CopyFrom(source))
    throw std::invalid_argument(std::string("Cannot assign a ") + source.ClassName() + " to a " + ClassName());
  ApplyToPort();
}

namespace {
template <typename T, typename Apply>
void Change(T& field, T value, Apply apply) {
  if (field == value) return;
  field = value;
  apply();
}
}  // namespace

#define COM_SETTER(Class, Name, Type, field) \
  void Class::Set##Name(Type v) { Change(field, v, [this] { ApplyToPort(); }); }

COM_SETTER(TComParity, Bits, TParityBits, bits_)
COM_SETTER(TComParity, Check, bool, check_)
COM_SETTER(TComParity, Replace, bool, replace_)
COM_SETTER(TComParity, ReplaceChar, std::uint8_t, replaceChar_)
COM_SETTER(TComFlowControl, OutCTSFlow, bool, outCTSFlow_)
COM_SETTER(TComFlowControl, OutDSRFlow, bool, outDSRFlow_)
COM_SETTER(TComFlowControl, ControlDTR, TDTRFlowControl, controlDTR_)
COM_SETTER(TComFlowControl, ControlRTS, TRTSFlowControl, controlRTS_)
COM_SETTER(TComFlowControl, XonXoffOut, bool, xonXoffOut_)
COM_SETTER(TComFlowControl, XonXoffIn, bool, xonXoffIn_)
COM_SETTER(TComFlowControl, DSRSensitivity, bool, dsrSensitivity_)
COM_SETTER(TComFlowControl, TxContinueOnXoff, bool, txContinueOnXoff_)
COM_SETTER(TComFlowControl, XonChar, std::uint8_t, xonChar_)
COM_SETTER(TComFlowControl, XoffChar, std::uint8_t, xoffChar_)
COM_SETTER(TComTimeouts, ReadInterval, int, readInterval_)
COM_SETTER(TComTimeouts, ReadTotalMultiplier, int, readTotalMultiplier_)
COM_SETTER(TComTimeouts, ReadTotalConstant, int, readTotalConstant_)
COM_SETTER(TComTimeouts, WriteTotalMultiplier, int, writeTotalMultiplier_)
COM_SETTER(TComTimeouts, WriteTotalConstant, int, writeTotalConstant_)
#undef COM_SETTER

namespace {
int EvenSize(int v) { return v > 0 && v % 2 != 0 ? v - 1 : v; }
}  // namespace

void TComBuffer::SetInputSize(int v) { Change(inputSize_, EvenSize(v), [this] { ApplyToPort(); }); }
void TComBuffer::SetOutputSize(int v) { Change(outputSize_, EvenSize(v), [this] { ApplyToPort(); }); }

template <typename T>
static const T* SameClass(const TComPersistent& source) {
  return dynamic_cast<const T*>(&source);
}

bool TComParity::CopyFrom(const TComPersistent& source) {
  const auto* s = SameClass<TComParity>(source);
  if (!s) return false;
  bits_ = s->bits_;
  check_ = s->check_;
  replace_ = s->replace_;
  replaceChar_ = s->replaceChar_;
  return true;
}

bool TComFlowControl::CopyFrom(const TComPersistent& source) {
  const auto* s = SameClass<TComFlowControl>(source);
  if (!s) return false;
  outCTSFlow_ = s->outCTSFlow_;
  outDSRFlow_ = s->outDSRFlow_;
  controlDTR_ = s->controlDTR_;
  controlRTS_ = s->controlRTS_;
  xonXoffOut_ = s->xonXoffOut_;
  xonXoffIn_ = s->xonXoffIn_;
  dsrSensitivity_ = s->dsrSensitivity_;
  txContinueOnXoff_ = s->txContinueOnXoff_;
  xonChar_ = s->xonChar_;
  xoffChar_ = s->xoffChar_;
  return true;
}

bool TComTimeouts::CopyFrom(const TComPersistent& source) {
  const auto* s = SameClass<TComTimeouts>(source);
  if (!s) return false;
  readInterval_ = s->readInterval_;
  readTotalMultiplier_ = s->readTotalMultiplier_;
  readTotalConstant_ = s->readTotalConstant_;
  writeTotalMultiplier_ = s->writeTotalMultiplier_;
  writeTotalConstant_ = s->writeTotalConstant_;
  return true;
}

bool TComBuffer::CopyFrom(const TComPersistent& source) {
  const auto* s = SameClass<TComBuffer>(source);
  if (!s) return false;
  inputSize_ = s->inputSize_;
  outputSize_ = s->outputSize_;
  return true;
}

void TComParity::ApplyToPort() {
  if (ComPort()) ComPort()->ApplyLineSettings();
}
void TComFlowControl::ApplyToPort() {
  if (ComPort()) ComPort()->ApplyLineSettings();
}
void TComTimeouts::ApplyToPort() {
  if (ComPort()) ComPort()->ApplyTimeoutSettings();
}
void TComBuffer::ApplyToPort() {
  if (ComPort()) ComPort()->ApplyQueueSizes();
}

TFlowControl TComFlowControl::FlowControl() const {
  if (controlRTS_ == rtsHandshake && outCTSFlow_ && !xonXoffIn_ && !xonXoffOut_) return fcHardware;
  if (controlRTS_ == rtsDisable && !outCTSFlow_ && xonXoffIn_ && xonXoffOut_) return fcSoftware;
  if (controlRTS_ == rtsDisable && !outCTSFlow_ && !xonXoffIn_ && !xonXoffOut_) return fcNone;
  return fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl v) {
  if (v != fcCustom) {
    controlRTS_ = rtsDisable;
    outCTSFlow_ = xonXoffIn_ = xonXoffOut_ = false;
    if (v == fcHardware) {
      controlRTS_ = rtsHandshake;
      outCTSFlow_ = true;
    } else if (v == fcSoftware) {
      xonXoffIn_ = xonXoffOut_ = true;
    }
  }
  ApplyToPort();
}

// ---- port ----------------------------------------------------------------------------------

TCustomComPort::TCustomComPort(QObject* owner) : TCustomComPort(SystemComPlatform(), owner) {}

TCustomComPort::TCustomComPort(std::shared_ptr<TComPlatform> platform, QObject* owner)
    : QObject(owner), platform_(std::move(platform)) {}

TCustomComPort::~TCustomComPort() {
  try {
    Close();
  } catch (...) {
    // Close has completed; what it reports cannot reach anyone from here.
  }
  for (auto& thread : retiredThreads_) thread->Wait();
}

void TCustomComPort::FailExt(int code, int systemCode, const QString& reason) const {
  throw EComPortExt(code, systemCode, port_, reason);
}

QString TCustomComPort::DevicePath(const QString& portName) {
  if (portName.startsWith(QLatin1Char('/')) || IsNetworkLineName(portName.toStdString())) return portName;
  if (portName.startsWith(QLatin1String("COM"))) {
    bool ok = false;
    const int number = portName.mid(3).toInt(&ok);
    if (ok && number >= 1 && portName.mid(3).at(0).isDigit())
      return QStringLiteral("/dev/ttyS%1").arg(number - 1);
  }
  return QStringLiteral("/dev/") + portName;
}

void TCustomComPort::SetConnected(bool v) {
  if (v == connected_) return;
  if (v) Open();
  else Close();
}

void TCustomComPort::SetPort(const QString& v) {
  if (v == port_) return;
  port_ = v;
  if (connected_) {
    Close();
    Open();
  }
}

void TCustomComPort::SetBaudRate(TBaudRate v) { Change(baudRate_, v, [this] { ApplyLineSettings(); }); }
void TCustomComPort::SetCustomBaudRate(int v) { Change(customBaudRate_, v, [this] { ApplyLineSettings(); }); }
void TCustomComPort::SetStopBits(TStopBits v) { Change(stopBits_, v, [this] { ApplyLineSettings(); }); }
void TCustomComPort::SetDataBits(TDataBits v) { Change(dataBits_, v, [this] { ApplyLineSettings(); }); }
void TCustomComPort::SetDiscardNull(bool v) { Change(discardNull_, v, [this] { ApplyLineSettings(); }); }
void TCustomComPort::SetEventChar(std::uint8_t v) { Change(eventChar_, v, [this] { ApplyLineSettings(); }); }

void TCustomComPort::SetSyncMethod(TSyncMethod v) {
  if (v == syncMethod_) return;
  if (connected_) throw EComPort(comerr::kConnected, port_);
  syncMethod_ = v;
}

void TCustomComPort::ClearEventHandlers() {
  onRxChar_ = nullptr;
  onTxEmpty_ = onBreak_ = onRing_ = nullptr;
  onCTSChange_ = onDSRChange_ = onRLSDChange_ = nullptr;
  onError_ = nullptr;
  onRxFlag_ = onAfterOpen_ = onAfterClose_ = onBeforeOpen_ = onBeforeClose_ = onRx80Full_ = nullptr;
}

// ---- open and close ------------------------------------------------------------------------

void TCustomComPort::OpenDevice() {
  const QString path = DevicePath(port_);
  std::string reason;
  const int fd = platform_->OpenDevice(path.toStdString(), reason);
  if (fd < 0) {
    qDebug().noquote() << "open" << path;
    FailExt(comerr::kOpen, -fd, QString::fromStdString(reason));
  }
  // Exclusive: refuse what is not a terminal, take the lock, which is what stops a second
  // program running as root, and only then keep other openers off with TIOCEXCL: a line another
  // program holds keeps its flag as that program set it.
  int rc = platform_->IsTerminal(fd);
  if (rc == 0) {
    rc = platform_->Lock(fd);
    if (rc == -EWOULDBLOCK) rc = -EBUSY;
  }
  if (rc == 0) {
    rc = platform_->SetExclusive(fd);
    if (rc < 0 && NotSupported(-rc)) rc = 0;
  }
  if (rc < 0) {
    platform_->Close(fd);
    FailExt(comerr::kOpen, -rc);
  }
  handle_ = fd;
  LowerLinesHeldLow();
}

// The flag stays on the terminal as long as anyone keeps it open (a simulator, a getty, a modem
// manager), and only root may open an exclusive terminal: left set, it would keep every later
// open by an operator off the line. Whatever the clear answers, the device is closed.
void TCustomComPort::CloseDevice() {
  if (handle_ < 0) return;
  if (rs485On_) PutDirectionControl(false);
  rs485On_ = false;
  platform_->ClearExclusive(handle_);
  platform_->Close(handle_);
  handle_ = -1;
}

namespace {
// DTR and RTS are held by hand unless the driver runs RTS: the handshake, or the RS-485 mode.
struct THeldLines {
  int raise = 0, drop = 0;
};
THeldLines HeldLines(const TComFlowControl& flow) {
  THeldLines lines;
  (flow.ControlDTR() == dtrEnable ? lines.raise : lines.drop) |= TIOCM_DTR;
  if (flow.ControlRTS() == rtsEnable) lines.raise |= TIOCM_RTS;
  if (flow.ControlRTS() == rtsDisable) lines.drop |= TIOCM_RTS;
  return lines;
}
}  // namespace

// open(2) raises DTR and RTS; an RS-485 converter that switches on RTS drives the bus until they
// drop. Those the settings hold low go low first, before any other setting. A failure shows in
// ApplyLineSettings, which sets them again.
void TCustomComPort::LowerLinesHeldLow() {
  if (const int drop = HeldLines(flowControl_).drop) platform_->SetModemLines(handle_, drop, false);
}

void TCustomComPort::Open() {
  if (connected_) return;
  DoBeforeOpen();
  OpenDevice();
  connected_ = true;
  ++session_;
  try {
    ApplyAllSettings();
    lineErrorBaseValid_ = platform_->GetCounters(handle_, lineErrorBase_) == 0;
    if (!events_.empty()) StartEventThread();
  } catch (...) {
    window_.reset();
    CloseDevice();
    connected_ = false;
    throw;
  }
  DoAfterOpen();
  ReportLineSignals();
}

void TCustomComPort::StartEventThread() {
  if (syncMethod_ == smWindowSync) window_ = std::make_unique<TComWindow>(*this);
  auto thread = std::make_unique<TComThread>(*this, events_, syncMethod_, window_.get());
  const int rc = thread->Start();
  if (rc < 0) FailExt(comerr::kOpen, -rc);
  thread_ = std::move(thread);
}

void TCustomComPort::ReportLineSignals() {
  try {
    DoCTSChange(LineSignals().contains(csCTS));
    DoDSRChange(LineSignals().contains(csDSR));
    DoRLSDChange(LineSignals().contains(csRLSD));
  } catch (const EComPort&) {
    // The lines could not be read although the device has them: do not leave it half open.
    try {
      Close();
    } catch (...) {
      // The query's failure is the one to report.
    }
    throw;
  }
}

void TCustomComPort::Close() {
  if (!connected_ || closing_) return;
  closing_ = true;
  std::exception_ptr failure;
  auto note = [&failure](auto&& step) {
    try {
      step();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  };
  note([this] { DoCTSChange(false); });
  note([this] { DoDSRChange(false); });
  note([this] { DoRLSDChange(false); });
  note([this] { DoBeforeClose(); });
  // No transfer can be pending here (Write and Read block in this thread), so the purge that
  // discards what is still queued comes after the thread, which may still be handing over bytes.
  // Closing always completes: a purge that fails is reported after the port is closed, and one
  // that fails because the device has vanished is not reported at all.
  StopEventThread();
  window_.reset();
  note([this] { AbortPendingIo(); });
  CloseDevice();
  connected_ = false;
  closing_ = false;
  DoAfterClose();
  if (failure) std::rethrow_exception(failure);
}

void TCustomComPort::AbortPendingIo() {
  const int rc = platform_->Flush(handle_, TCIOFLUSH);
  if (rc < 0 && !DeviceVanished(-rc)) FailExt(comerr::kPurge, -rc);
}

void TCustomComPort::StopEventThread() {
  if (!thread_) return;
  thread_->Stop();
  if (thread_->Delivering() || thread_->IsCurrentThread()) {
    // Closed from inside a handler the thread delivered: the thread cannot end before the
    // handler returns, so it is joined afterwards. It no longer touches the port.
    retiredThreads_.push_back(std::move(thread_));
    QMetaObject::invokeMethod(this, [this] { ReapRetiredThreads(); }, Qt::QueuedConnection);
  } else {
    thread_->Wait();
    thread_.reset();
  }
}

void TCustomComPort::ReapRetiredThreads() {
  auto done = std::stable_partition(retiredThreads_.begin(), retiredThreads_.end(),
                                    [](const auto& thread) { return thread->Delivering(); });
  for (auto it = done; it != retiredThreads_.end(); ++it) (*it)->Wait();
  retiredThreads_.erase(done, retiredThreads_.end());
}

void TCustomComPort::NotifyDeviceGone(std::uint64_t session) {
  if (session != session_ || !connected_ || goneSession_ == session) return;
  goneSession_ = session;
  emit deviceGone();
}

// ---- settings on the device ----------------------------------------------------------------

void TCustomComPort::BeginChanges() { ++updateCount_; }

void TCustomComPort::EndChanges() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0) ApplyAllSettings();
}

void TCustomComPort::ApplyAllSettings() {
  ApplyQueueSizes();
  ApplyLineSettings();
  ApplyTimeoutSettings();
}

void TCustomComPort::ApplyQueueSizes() {
  // The kernel sizes its own queues; the sizes are kept for the settings file only.
}

void TCustomComPort::ApplyTimeoutSettings() {
  if (!Applying()) return;
  const TComTimeouts& t = timeouts_;
  appliedTimeouts_ = {t.ReadInterval(), t.ReadTotalMultiplier(), t.ReadTotalConstant(),
                      t.WriteTotalMultiplier(), t.WriteTotalConstant()};
}

void TCustomComPort::ApplyLineSettings() {
  if (!Applying()) return;
  if (const char* refused = RefusedLineSetting(*this)) {
    qDebug().noquote() << port_ << "refuses" << refused;
    FailExt(comerr::kLineSettings, EINVAL);
  }
  termios before{};
  int rc = platform_->GetAttributes(handle_, before);
  if (rc < 0) FailExt(comerr::kLineSettings, -rc);
  termios t = before;
  ComposeLineAttributes(t, *this);
  const int rate = BaudRateValue(baudRate_, customBaudRate_);
  const speed_t speed = SpeedConstant(rate);
  if (speed != B0) {
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
  }
  rc = platform_->SetAttributes(handle_, t);
  if (rc == 0 && speed == B0) {
    rc = platform_->SetCustomSpeed(handle_, rate);
    if (rc < 0) platform_->SetAttributes(handle_, before);
  }
  if (rc < 0) FailExt(comerr::kLineSettings, -rc);
  if (const bool toggle = flowControl_.ControlRTS() == rtsToggle; toggle != rs485On_) {
    rc = PutDirectionControl(toggle);
    if (rc < 0) {
      platform_->SetAttributes(handle_, before);
      FailExt(comerr::kLineSettings, -rc);
    }
  }
  const THeldLines held = HeldLines(flowControl_);
  for (const auto& [lines, on] : {std::pair{held.raise, true}, std::pair{held.drop, false}}) {
    if (lines == 0) continue;
    rc = platform_->SetModemLines(handle_, lines, on);
    if (rc < 0 && !NotSupported(-rc)) FailExt(comerr::kLineSettings, -rc);
  }
}

void TCustomComPort::RunSetupDialog() {
  if (!setupDialog_)
    throw std::logic_error("RunSetupDialog: no setup dialog is installed on this port (SetSetupDialog)");
  setupDialog_(*this);
}

// RTS toggle is the kernel's RS-485 mode: RTS raised while sending, without delays. A driver
// without the mode (a pty, most USB adapters, which switch direction themselves) refuses it.
int TCustomComPort::PutDirectionControl(bool rs485) {
  serial_rs485 mode{};
  if (rs485) mode.flags = SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
  const int rc = platform_->SetRs485(handle_, mode);
  if (rc == 0) rs485On_ = rs485;
  return rc;
}

// ---- data ----------------------------------------------------------------------------------

namespace {

using TClock = std::chrono::steady_clock;

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

int TCustomComPort::Write(const void* buffer, int count) {
  if (count <= 0) return 0;
  if (handle_ < 0) FailExt(comerr::kWrite, EBADF);
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  const auto deadline =
      TotalDeadline(appliedTimeouts_.writeTotalMultiplier, appliedTimeouts_.writeTotalConstant, count);
  int done = 0;
  while (done < count) {
    const long n = platform_->Write(handle_, bytes + done, static_cast<std::size_t>(count - done));
    if (n > 0) {
      done += static_cast<int>(n);
      continue;
    }
    if (n < 0 && n != -EAGAIN && n != -EINTR) FailExt(comerr::kWrite, static_cast<int>(-n));
    const int wait = Remaining(deadline);
    if (wait == 0) break;
    pollfd fd{handle_, POLLOUT, 0};
    const int ready = platform_->Poll(&fd, 1, wait);
    if (ready < 0 && ready != -EINTR) FailExt(comerr::kWrite, -ready);
    if (ready > 0 && (fd.revents & (POLLHUP | POLLERR | POLLNVAL))) FailExt(comerr::kWrite, EIO);
  }
  return done;
}

int TCustomComPort::Read(void* buffer, int count) {
  if (count <= 0) return 0;
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  bytes[0] = 0xFF;
  if (handle_ < 0) return 0;
  const TAppliedTimeouts& t = appliedTimeouts_;
  // With the interval at its largest and no totals a read returns at once with what is queued;
  // with both multipliers at their largest it waits up to the constant for the first byte.
  const bool atOnce = t.readInterval == -1 && t.readTotalMultiplier == 0 && t.readTotalConstant == 0;
  const bool firstByte = t.readInterval == -1 && t.readTotalMultiplier == -1 && t.readTotalConstant != 0 &&
                         t.readTotalConstant != -1;
  const auto total = firstByte ? std::optional(TClock::now() + std::chrono::milliseconds(Ms(t.readTotalConstant)))
                               : TotalDeadline(t.readTotalMultiplier, t.readTotalConstant, count);
  const bool useInterval = t.readInterval != 0 && t.readInterval != -1;
  std::optional<TClock::time_point> interval;

  int got = 0;
  bool started = false;
  for (;;) {
    long n = platform_->Read(handle_, bytes + got, static_cast<std::size_t>(count - got));
    if (n < 0 && n != -EAGAIN && n != -EINTR) {
      if (!started) return 0;  // the read could not even start
      FailExt(comerr::kRead, static_cast<int>(-n));
    }
    started = true;
    if (n > 0) {
      if (discardNull_) n = std::remove(bytes + got, bytes + got + n, 0) - (bytes + got);
      got += static_cast<int>(n);
      if (useInterval) interval = TClock::now() + std::chrono::milliseconds(Ms(t.readInterval));
    }
    if (got == count || atOnce || (firstByte && got > 0)) break;
    const int wait = Earlier(Remaining(total), Remaining(interval));
    if (wait == 0) break;
    pollfd fd{handle_, POLLIN, 0};
    const int ready = platform_->Poll(&fd, 1, wait);
    if (ready < 0 && ready != -EINTR) FailExt(comerr::kRead, -ready);
    if (ready > 0 && !(fd.revents & POLLIN) && (fd.revents & (POLLHUP | POLLERR | POLLNVAL)))
      FailExt(comerr::kRead, EIO);
  }
  if (got == 0) bytes[0] = 0xFF;
  bytesRead_ += static_cast<std::uint64_t>(got);
  return got;
}

void TCustomComPort::DiscardOutput() {
  if (handle_ < 0) return;
  const int rc = platform_->Flush(handle_, TCOFLUSH);
  if (rc < 0 && !DeviceVanished(-rc)) FailExt(comerr::kPurge, -rc);
}

int TCustomComPort::QueuedInputCount() {
  const int queued = handle_ < 0 ? -EBADF : platform_->InputQueued(handle_);
  if (queued < 0) FailExt(comerr::kClearError, -queued);
  return queued;
}

TComSignals TCustomComPort::LineSignals() {
  int lines = 0;
  const int rc = handle_ < 0 ? -EBADF : platform_->GetModemLines(handle_, lines);
  if (rc < 0) {
    if (NotSupported(-rc)) return {};
    FailExt(comerr::kModemStatus, -rc);
  }
  TComSignals present;
  if (lines & TIOCM_CTS) present.insert(csCTS);
  if (lines & TIOCM_DSR) present.insert(csDSR);
  if (lines & TIOCM_RNG) present.insert(csRing);
  if (lines & TIOCM_CAR) present.insert(csRLSD);
  return present;
}

TComErrors TCustomComPort::LineErrors() {
  TComCounters now;
  const int rc = handle_ < 0 ? -EBADF : platform_->GetCounters(handle_, now);
  if (rc < 0) {
    if (NotSupported(-rc)) return {};
    FailExt(comerr::kClearError, -rc);
  }
  TComErrors errors;
  if (lineErrorBaseValid_) {
    const TComCounters& was = lineErrorBase_;
    if (now.frame != was.frame) errors.insert(ceFrame);
    if (now.parity != was.parity && parity_.Check()) errors.insert(ceRxParity);
    if (now.overrun != was.overrun) errors.insert(ceOverrun);
    if (now.bufOverrun != was.bufOverrun) errors.insert(ceRxOver);
    if (now.brk != was.brk) errors.insert(ceBreak);
  }
  lineErrorBase_ = now;
  lineErrorBaseValid_ = true;
  return errors;
}

// ---- events --------------------------------------------------------------------------------

void TCustomComPort::DispatchEvents(TComEvents events) {
  for (TComEvent event : kDeliveryOrder) {
    if (!events.contains(event)) continue;
    switch (event) {
      case evError: {
        const TComErrors errors = LineErrors();
        if (!errors.empty()) DoError(errors);
        break;
      }
      case evRxChar: {
        const int count = QueuedInputCount();
        if (count > 0) DoRxChar(count);
        break;
      }
      case evTxEmpty: DoTxEmpty(); break;
      case evBreak: DoBreak(); break;
      case evRing: DoRing(); break;
      case evCTS: DoCTSChange(LineSignals().contains(csCTS)); break;
      case evDSR: DoDSRChange(LineSignals().contains(csDSR)); break;
      case evRxFlag: DoRxFlag(); break;
      case evRLSD: DoRLSDChange(LineSignals().contains(csRLSD)); break;
      case evRx80Full: DoRx80Full(); break;
    }
  }
}

void TCustomComPort::DoRxChar(int count) {
  if (onRxChar_) onRxChar_(this, count);
}
void TCustomComPort::DoCTSChange(bool onOff) {
  if (onCTSChange_) onCTSChange_(this, onOff);
}
void TCustomComPort::DoDSRChange(bool onOff) {
  if (onDSRChange_) onDSRChange_(this, onOff);
}
void TCustomComPort::DoRLSDChange(bool onOff) {
  if (onRLSDChange_) onRLSDChange_(this, onOff);
}
void TCustomComPort::DoError(TComErrors errors) {
  if (onError_) onError_(this, errors);
}

#define COM_NOTIFY(Name, handler) \
  void TCustomComPort::Do##Name() {  \
    if (handler) handler(this);      \
  }
COM_NOTIFY(TxEmpty, onTxEmpty_)
COM_NOTIFY(Break, onBreak_)
COM_NOTIFY(Ring, onRing_)
COM_NOTIFY(RxFlag, onRxFlag_)
COM_NOTIFY(AfterOpen, onAfterOpen_)
COM_NOTIFY(AfterClose, onAfterClose_)
COM_NOTIFY(BeforeOpen, onBeforeOpen_)
COM_NOTIFY(BeforeClose, onBeforeClose_)
COM_NOTIFY(Rx80Full, onRx80Full_)
#undef COM_NOTIFY
