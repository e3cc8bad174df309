#include "CPort.h"

#include <QDebug>
#include <QMetaObject>

#include <algorithm>
#include <cerrno>

#include "ComThread.h"
#include "LineSettings.h"
#include "NetworkLineName.h"
#include "PortDevice.h"

// ---- exception display ---------------------------------------------------------------------

namespace {

TComExceptionDisplay& ExceptionDisplay() {
  static TComExceptionDisplay display;
  return display;
}

}  // namespace

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
COM_SETTER(TComFlowControl, OutCTSFlow, bool, values_.outCTSFlow)
COM_SETTER(TComFlowControl, OutDSRFlow, bool, values_.outDSRFlow)
COM_SETTER(TComFlowControl, ControlDTR, TDTRFlowControl, values_.controlDTR)
COM_SETTER(TComFlowControl, ControlRTS, TRTSFlowControl, values_.controlRTS)
COM_SETTER(TComFlowControl, XonXoffOut, bool, values_.xonXoffOut)
COM_SETTER(TComFlowControl, XonXoffIn, bool, values_.xonXoffIn)
COM_SETTER(TComFlowControl, DSRSensitivity, bool, values_.dsrSensitivity)
COM_SETTER(TComFlowControl, TxContinueOnXoff, bool, values_.txContinueOnXoff)
COM_SETTER(TComFlowControl, XonChar, std::uint8_t, values_.xonChar)
COM_SETTER(TComFlowControl, XoffChar, std::uint8_t, values_.xoffChar)
COM_SETTER(TComTimeouts, ReadInterval, int, values_.readInterval)
COM_SETTER(TComTimeouts, ReadTotalMultiplier, int, values_.readTotalMultiplier)
COM_SETTER(TComTimeouts, ReadTotalConstant, int, values_.readTotalConstant)
COM_SETTER(TComTimeouts, WriteTotalMultiplier, int, values_.writeTotalMultiplier)
COM_SETTER(TComTimeouts, WriteTotalConstant, int, values_.writeTotalConstant)
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
  values_ = s->values_;
  return true;
}

bool TComTimeouts::CopyFrom(const TComPersistent& source) {
  const auto* s = SameClass<TComTimeouts>(source);
  if (!s) return false;
  values_ = s->values_;
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
  const TFlowSettings& f = values_;
  if (f.controlRTS == rtsHandshake && f.outCTSFlow && !f.xonXoffIn && !f.xonXoffOut) return fcHardware;
  if (f.controlRTS == rtsDisable && !f.outCTSFlow && f.xonXoffIn && f.xonXoffOut) return fcSoftware;
  if (f.controlRTS == rtsDisable && !f.outCTSFlow && !f.xonXoffIn && !f.xonXoffOut) return fcNone;
  return fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl v) {
  if (v != fcCustom) {
    TFlowSettings& f = values_;
    f.controlRTS = rtsDisable;
    f.outCTSFlow = f.xonXoffIn = f.xonXoffOut = false;
    if (v == fcHardware) {
      f.controlRTS = rtsHandshake;
      f.outCTSFlow = true;
    } else if (v == fcSoftware) {
      f.xonXoffIn = f.xonXoffOut = true;
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

TPortDevice& TCustomComPort::Device(int code) const {
  if (!device_) FailExt(code, EBADF);
  return *device_;
}

int TCustomComPort::Handle() const { return device_ ? device_->Handle() : -1; }

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
  if (v == Connected()) return;
  if (v) Open();
  else Close();
}

void TCustomComPort::SetPort(const QString& v) {
  if (v == port_) return;
  port_ = v;
  if (Connected()) {
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
  if (Connected()) throw EComPort(comerr::kConnected, port_);
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

void TCustomComPort::Open() {
  if (Connected()) return;
  DoBeforeOpen();
  device_ = std::make_unique<TPortDevice>(*platform_, DevicePath(port_), port_, flowControl_.Values());
  ++session_;
  deviceFailure_.reset();
  try {
    ApplyAllSettings();
    device_->StartLineErrorCount();
    if (!events_.empty()) StartEventThread();
  } catch (...) {
    window_.reset();
    device_.reset();
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
  if (!Connected() || closing_) return;
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
  note([this] { device_->Purge(TCIOFLUSH); });
  device_.reset();
  deviceFailure_.reset();
  closing_ = false;
  DoAfterClose();
  if (failure) std::rethrow_exception(failure);
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

namespace {
// What ended a device: the error a call met on it, else its hang-up.
EComPortExt DeviceEnd(std::exception_ptr failure, const QString& portName) {
  try {
    if (failure) std::rethrow_exception(failure);
  } catch (const EComPortExt& error) {
    return error;
  } catch (...) {
  }
  return EComPortExt(comerr::kRead, kHangUpError, portName);
}
}  // namespace

void TCustomComPort::NotifyDeviceGone(std::uint64_t session, std::exception_ptr failure) {
  if (session != session_ || !Connected() || deviceFailure_) return;
  deviceFailure_.emplace(DeviceEnd(failure, port_));
  emit DeviceGone();
}

// ---- settings on the device ----------------------------------------------------------------

// A setting reaches the device when it changes while the port is open and no BeginChanges is
// pending; the outermost EndChanges puts them all, and Open puts them all before anything else
// happens on the line (a setting the device refuses there leaves the port closed). Closed, the
// settings are only kept.
bool TCustomComPort::Applying() const { return device_ && updateCount_ == 0; }

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
  if (Applying()) device_->SetTimeouts(timeouts_.Values());
}

void TCustomComPort::ApplyLineSettings() {
  if (Applying()) device_->PutLineSettings(LineSettings());
}

TLineSettings TCustomComPort::LineSettings() const {
  return {BaudRateValue(baudRate_, customBaudRate_), dataBits_, parity_.Bits(), parity_.Check(), stopBits_,
          flowControl_.Values()};
}

void TCustomComPort::RunSetupDialog() {
  if (!setupDialog_)
    throw std::logic_error("RunSetupDialog: no setup dialog is installed on this port (SetSetupDialog)");
  setupDialog_(*this);
}

// ---- data ----------------------------------------------------------------------------------

int TCustomComPort::Write(const void* buffer, int count) {
  if (count <= 0) return 0;
  return Device(comerr::kWrite).Write(buffer, count);
}

int TCustomComPort::Read(void* buffer, int count) { return ReadBytes(buffer, count, false); }

int TCustomComPort::ReadAvailable(void* buffer, int count) { return ReadBytes(buffer, count, true); }

int TCustomComPort::ReadBytes(void* buffer, int count, bool atOnce) {
  if (count <= 0) return 0;
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  bytes[0] = 0xFF;
  if (!device_) return 0;
  const int got =
      device_->Read(buffer, count, discardNull_, atOnce ? TPortDevice::TReadWait::None : TPortDevice::TReadWait::ByTimeouts);
  if (got == 0) bytes[0] = 0xFF;
  bytesRead_ += static_cast<std::uint64_t>(got);
  return got;
}

void TCustomComPort::DiscardOutput() {
  if (device_) device_->Purge(TCOFLUSH);
}

bool TCustomComPort::WaitForInput(int ms) { return Device(comerr::kRead).WaitForInput(ms); }

int TCustomComPort::QueuedInputCount() { return Device(comerr::kClearError).QueuedInput(); }

TComSignals TCustomComPort::LineSignals() { return Device(comerr::kModemStatus).Signals(); }

TComErrors TCustomComPort::LineErrors() { return Device(comerr::kClearError).TakeLineErrors(parity_.Check()); }

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
