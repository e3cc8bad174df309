#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ComErrors.h"
#include "ComPlatform.h"
#include "ComTypes.h"
#include "DeviceSettings.h"

class TComThread;
class TComWindow;
class TCustomComPort;
class TIniFile;
class TPortDevice;

// Where an exception raised by a handler delivered by smWindowSync goes: the application's
// exception display. The application installs its own; until then the message is logged.
using TComExceptionDisplay = std::function<void(const std::exception&)>;
void SetComExceptionDisplay(TComExceptionDisplay display);
void ShowComException(const std::exception& error);

using TNotifyEvent = std::function<void(QObject* sender)>;
using TRxCharEvent = std::function<void(QObject* sender, int count)>;
using TComSignalEvent = std::function<void(QObject* sender, bool onOff)>;
using TComErrorEvent = std::function<void(QObject* sender, TComErrors errors)>;

// Base of the four settings objects a port owns: assignment as a whole, from the same class only.
class TComPersistent {
 public:
  explicit TComPersistent(TCustomComPort* port) : port_(port) {}
  TComPersistent(const TComPersistent&) = delete;
  TComPersistent& operator=(const TComPersistent&) = delete;
  virtual ~TComPersistent() = default;
  TCustomComPort* ComPort() const { return port_; }
  // Copies every field of source; a source of another class throws std::invalid_argument.
  void Assign(const TComPersistent& source);

 protected:
  virtual bool CopyFrom(const TComPersistent& source) = 0;  // false: source of another class
  virtual void ApplyToPort() = 0;
  virtual const char* ClassName() const = 0;

 private:
  TCustomComPort* port_;
};

class TComParity : public TComPersistent {
 public:
  explicit TComParity(TCustomComPort* port = nullptr) : TComPersistent(port) {}
  TParityBits Bits() const { return bits_; }
  bool Check() const { return check_; }
  bool Replace() const { return replace_; }
  std::uint8_t ReplaceChar() const { return replaceChar_; }
  void SetBits(TParityBits v);
  void SetCheck(bool v);
  void SetReplace(bool v);
  void SetReplaceChar(std::uint8_t v);
  using TComPersistent::Assign;
  void Assign(const TComParity& source) { TComPersistent::Assign(source); }

 protected:
  bool CopyFrom(const TComPersistent& source) override;
  void ApplyToPort() override;
  const char* ClassName() const override { return "TComParity"; }

 private:
  TParityBits bits_ = prNone;
  bool check_ = false;
  bool replace_ = false;
  std::uint8_t replaceChar_ = 0;
};

class TComFlowControl : public TComPersistent {
 public:
  explicit TComFlowControl(TCustomComPort* port = nullptr) : TComPersistent(port) {}
  const TFlowSettings& Values() const { return values_; }
  bool OutCTSFlow() const { return values_.outCTSFlow; }
  bool OutDSRFlow() const { return values_.outDSRFlow; }
  TDTRFlowControl ControlDTR() const { return values_.controlDTR; }
  TRTSFlowControl ControlRTS() const { return values_.controlRTS; }
  bool XonXoffOut() const { return values_.xonXoffOut; }
  bool XonXoffIn() const { return values_.xonXoffIn; }
  bool DSRSensitivity() const { return values_.dsrSensitivity; }
  bool TxContinueOnXoff() const { return values_.txContinueOnXoff; }
  std::uint8_t XonChar() const { return values_.xonChar; }
  std::uint8_t XoffChar() const { return values_.xoffChar; }
  TFlowControl FlowControl() const;
  void SetOutCTSFlow(bool v);
  void SetOutDSRFlow(bool v);
  void SetControlDTR(TDTRFlowControl v);
  void SetControlRTS(TRTSFlowControl v);
  void SetXonXoffOut(bool v);
  void SetXonXoffIn(bool v);
  void SetDSRSensitivity(bool v);
  void SetTxContinueOnXoff(bool v);
  void SetXonChar(std::uint8_t v);
  void SetXoffChar(std::uint8_t v);
  void SetFlowControl(TFlowControl v);  // always applies once, also when nothing changed
  using TComPersistent::Assign;
  void Assign(const TComFlowControl& source) { TComPersistent::Assign(source); }

 protected:
  bool CopyFrom(const TComPersistent& source) override;
  void ApplyToPort() override;
  const char* ClassName() const override { return "TComFlowControl"; }

 private:
  TFlowSettings values_;
};

class TComTimeouts : public TComPersistent {
 public:
  explicit TComTimeouts(TCustomComPort* port = nullptr) : TComPersistent(port) {}
  const TTimeouts& Values() const { return values_; }
  int ReadInterval() const { return values_.readInterval; }
  int ReadTotalMultiplier() const { return values_.readTotalMultiplier; }
  int ReadTotalConstant() const { return values_.readTotalConstant; }
  int WriteTotalMultiplier() const { return values_.writeTotalMultiplier; }
  int WriteTotalConstant() const { return values_.writeTotalConstant; }
  void SetReadInterval(int v);
  void SetReadTotalMultiplier(int v);
  void SetReadTotalConstant(int v);
  void SetWriteTotalMultiplier(int v);
  void SetWriteTotalConstant(int v);
  using TComPersistent::Assign;
  void Assign(const TComTimeouts& source) { TComPersistent::Assign(source); }

 protected:
  bool CopyFrom(const TComPersistent& source) override;
  void ApplyToPort() override;
  const char* ClassName() const override { return "TComTimeouts"; }

 private:
  TTimeouts values_;
};

class TComBuffer : public TComPersistent {
 public:
  explicit TComBuffer(TCustomComPort* port = nullptr) : TComPersistent(port) {}
  int InputSize() const { return inputSize_; }
  int OutputSize() const { return outputSize_; }
  void SetInputSize(int v);   // an odd positive size is reduced by one
  void SetOutputSize(int v);
  using TComPersistent::Assign;
  void Assign(const TComBuffer& source) { TComPersistent::Assign(source); }

 protected:
  bool CopyFrom(const TComPersistent& source) override;
  void ApplyToPort() override;
  const char* ClassName() const override { return "TComBuffer"; }

 private:
  int inputSize_ = 1024;
  int outputSize_ = 1024;
};

class TCustomComPort : public QObject {
  Q_OBJECT

 public:
  explicit TCustomComPort(QObject* owner = nullptr);
  TCustomComPort(std::shared_ptr<TComPlatform> platform, QObject* owner = nullptr);
  ~TCustomComPort() override;  // closes; never throws

  bool Connected() const { return device_ != nullptr; }
  void SetConnected(bool v);
  QString Port() const { return port_; }
  void SetPort(const QString& v);
  TBaudRate BaudRate() const { return baudRate_; }
  void SetBaudRate(TBaudRate v);
  int CustomBaudRate() const { return customBaudRate_; }
  void SetCustomBaudRate(int v);
  TStopBits StopBits() const { return stopBits_; }
  void SetStopBits(TStopBits v);
  TDataBits DataBits() const { return dataBits_; }
  void SetDataBits(TDataBits v);
  bool DiscardNull() const { return discardNull_; }
  void SetDiscardNull(bool v);
  std::uint8_t EventChar() const { return eventChar_; }
  void SetEventChar(std::uint8_t v);
  TComEvents Events() const { return events_; }
  void SetEvents(TComEvents v) { events_ = v; }  // takes effect at the next Open
  TSyncMethod SyncMethod() const { return syncMethod_; }
  void SetSyncMethod(TSyncMethod v);
  TStoredGroups StoredGroups() const { return storedGroups_; }
  void SetStoredGroups(TStoredGroups v) { storedGroups_ = v; }

  TComParity* Parity() { return &parity_; }
  TComFlowControl* FlowControl() { return &flowControl_; }
  TComTimeouts* Timeouts() { return &timeouts_; }
  TComBuffer* Buffer() { return &buffer_; }
  const TComParity* Parity() const { return &parity_; }
  const TComFlowControl* FlowControl() const { return &flowControl_; }
  const TComTimeouts* Timeouts() const { return &timeouts_; }
  const TComBuffer* Buffer() const { return &buffer_; }
  void SetParity(const TComParity& v) { parity_.Assign(v); }
  void SetFlowControl(const TComFlowControl& v) { flowControl_.Assign(v); }
  void SetTimeouts(const TComTimeouts& v) { timeouts_.Assign(v); }
  void SetBuffer(const TComBuffer& v) { buffer_.Assign(v); }

  // The line settings as the open device takes them.
  TLineSettings LineSettings() const;

  // The device path a port name stands for: "/..." and network lines ("rfc2217://HOST:PORT",
  // "tcp://HOST:PORT", NetworkComPlatform.h) as given, "COMn" /dev/ttyS(n-1), else /dev/NAME.
  static QString DevicePath(const QString& portName);

  void Open();
  void Close();
  int Write(const void* buffer, int count);  // bytes really written; fewer when the time-out cut it
  int Read(void* buffer, int count);         // bytes really read; count <= 0 touches nothing
  int ReadAvailable(void* buffer, int count);  // the same, at once with what is there, whatever the time-outs
  void DiscardOutput();                      // drop what is still queued for output
  int QueuedInputCount();
  // For a port opened without events, whose owner waits on the line itself: waits up to ms for
  // input, true once some is queued. A device that hung up or failed raises code 3, as a read does.
  bool WaitForInput(int ms);
  TComSignals LineSignals();
  TComErrors LineErrors();  // errors recorded since the last query; the query clears them

  void BeginChanges();
  void EndChanges();
  virtual void ApplyAllSettings();
  virtual void ApplyLineSettings();
  virtual void ApplyTimeoutSettings();
  virtual void ApplyQueueSizes();

  // The settings file (SettingsStore.cpp): the stored groups of the section named after the
  // port; failures are code 16 (save) and code 17 (restore).
  void SaveSettings(const QString& path);
  void RestoreSettings(const QString& path);
  // The modal setup dialog; the choices reach the port only after OK. The dialog is a widget
  // and lives in its own library, which only a program with a window links: that program
  // installs it here. Without one, RunSetupDialog throws std::logic_error.
  using TSetupDialog = std::function<void(TCustomComPort& port)>;
  void SetSetupDialog(TSetupDialog dialog) { setupDialog_ = std::move(dialog); }
  void RunSetupDialog();
  virtual void SaveToRegistry(const QString& key);
  virtual void SaveToIniFile(TIniFile& file);
  virtual void RestoreFromRegistry(const QString& key);
  virtual void RestoreFromIniFile(TIniFile& file);

  TRxCharEvent OnRxChar() const { return onRxChar_; }
  void SetOnRxChar(TRxCharEvent h) { onRxChar_ = std::move(h); }
  TNotifyEvent OnTxEmpty() const { return onTxEmpty_; }
  void SetOnTxEmpty(TNotifyEvent h) { onTxEmpty_ = std::move(h); }
  TNotifyEvent OnBreak() const { return onBreak_; }
  void SetOnBreak(TNotifyEvent h) { onBreak_ = std::move(h); }
  TNotifyEvent OnRing() const { return onRing_; }
  void SetOnRing(TNotifyEvent h) { onRing_ = std::move(h); }
  TComSignalEvent OnCTSChange() const { return onCTSChange_; }
  void SetOnCTSChange(TComSignalEvent h) { onCTSChange_ = std::move(h); }
  TComSignalEvent OnDSRChange() const { return onDSRChange_; }
  void SetOnDSRChange(TComSignalEvent h) { onDSRChange_ = std::move(h); }
  TComSignalEvent OnRLSDChange() const { return onRLSDChange_; }
  void SetOnRLSDChange(TComSignalEvent h) { onRLSDChange_ = std::move(h); }
  TComErrorEvent OnError() const { return onError_; }
  void SetOnError(TComErrorEvent h) { onError_ = std::move(h); }
  TNotifyEvent OnRxFlag() const { return onRxFlag_; }
  void SetOnRxFlag(TNotifyEvent h) { onRxFlag_ = std::move(h); }
  TNotifyEvent OnAfterOpen() const { return onAfterOpen_; }
  void SetOnAfterOpen(TNotifyEvent h) { onAfterOpen_ = std::move(h); }
  TNotifyEvent OnAfterClose() const { return onAfterClose_; }
  void SetOnAfterClose(TNotifyEvent h) { onAfterClose_ = std::move(h); }
  TNotifyEvent OnBeforeOpen() const { return onBeforeOpen_; }
  void SetOnBeforeOpen(TNotifyEvent h) { onBeforeOpen_ = std::move(h); }
  TNotifyEvent OnBeforeClose() const { return onBeforeClose_; }
  void SetOnBeforeClose(TNotifyEvent h) { onBeforeClose_ = std::move(h); }
  TNotifyEvent OnRx80Full() const { return onRx80Full_; }
  void SetOnRx80Full(TNotifyEvent h) { onRx80Full_ = std::move(h); }
  // Why the open port's device is gone, once DeviceGone has told it: the error a call met on it
  // (a read that failed), or code 3 with kHangUpError when it hung up; nothing while it serves.
  const std::optional<EComPortExt>& DeviceFailure() const { return deviceFailure_; }

  // Detaches all fourteen handlers: an owner calls it before its own state goes, so that the
  // notifications of a later Close cannot reach a half-destroyed owner.
  void ClearEventHandlers();

 signals:
  void DeviceGone();  // emitted once, in the UI thread, when the device has vanished or failed

 protected:
  virtual void DoRxChar(int count);
  virtual void DoTxEmpty();
  virtual void DoBreak();
  virtual void DoRing();
  virtual void DoCTSChange(bool onOff);
  virtual void DoDSRChange(bool onOff);
  virtual void DoRLSDChange(bool onOff);
  virtual void DoError(TComErrors errors);
  virtual void DoRxFlag();
  virtual void DoAfterOpen();
  virtual void DoAfterClose();
  virtual void DoBeforeOpen();
  virtual void DoBeforeClose();
  virtual void DoRx80Full();

  TComPlatform& Platform() const { return *platform_; }
  int Handle() const;  // the open device's descriptor, else -1
  // Whether a setting reaches the device now: see CPort.cpp.
  bool Applying() const;

 private:
  friend class TComThread;
  friend class TComWindow;
  // Runs the actions of one batch of line events in the fixed delivery order.
  void DispatchEvents(TComEvents events);
  [[noreturn]] void FailExt(int code, int systemCode, const QString& reason = {}) const;
  TPortDevice& Device(int code) const;  // the open device; closed, code fails with EBADF
  int ReadBytes(void* buffer, int count, bool atOnce);
  void StartEventThread();
  void StopEventThread();
  void ReapRetiredThreads();
  void ReportLineSignals();
  // failure: what ended the event thread, an EComPortExt; none for a hang-up.
  void NotifyDeviceGone(std::uint64_t session, std::exception_ptr failure);

  std::shared_ptr<TComPlatform> platform_;
  std::unique_ptr<TComThread> thread_;
  std::vector<std::unique_ptr<TComThread>> retiredThreads_;  // stopped from inside their own delivery
  std::unique_ptr<TPortDevice> device_;  // exists while the port is open
  std::unique_ptr<TComWindow> window_;
  int updateCount_ = 0;
  bool closing_ = false;
  std::uint64_t session_ = 0;  // counts Opens, so that news of an old device is ignored
  std::optional<EComPortExt> deviceFailure_;  // of this session, once reported
  std::uint64_t bytesRead_ = 0;  // tells the event thread whether a handler took its bytes

  TBaudRate baudRate_ = br9600;
  int customBaudRate_ = 9600;
  QString port_ = QStringLiteral("COM1");
  TStopBits stopBits_ = sbOneStopBit;
  TDataBits dataBits_ = dbEight;
  bool discardNull_ = false;
  std::uint8_t eventChar_ = 0;
  TComEvents events_ = kAllComEvents;
  TComBuffer buffer_{this};
  TComParity parity_{this};
  TComTimeouts timeouts_{this};
  TComFlowControl flowControl_{this};
  TSyncMethod syncMethod_ = smThreadSync;
  TStoredGroups storedGroups_{sgBasic};

  TSetupDialog setupDialog_;

  TRxCharEvent onRxChar_;
  TNotifyEvent onTxEmpty_, onBreak_, onRing_;
  TComSignalEvent onCTSChange_, onDSRChange_, onRLSDChange_;
  TComErrorEvent onError_;
  TNotifyEvent onRxFlag_, onAfterOpen_, onAfterClose_, onBeforeOpen_, onBeforeClose_, onRx80Full_;
};

class TComPort : public TCustomComPort {
  Q_OBJECT

 public:
  using TCustomComPort::TCustomComPort;
};
