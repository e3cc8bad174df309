#include "CliSession.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

#include "PortSurvey.h"
#include "SettingsValues.h"

namespace {

constexpr char kSettingsFile[] = "Parvex.ini";
constexpr int kPortExit = 3;
constexpr int kFileExit = 2;
constexpr int kIdleFlushPeriodMs = 10;

void SetBaud(TComPort& port, std::uint32_t baud) {
  const int index = FindText(TEnumTexts<TBaudRate>::texts, QByteArray::number(baud));
  if (index > 0) {
    port.SetBaudRate(static_cast<TBaudRate>(index));
    return;
  }
  port.SetCustomBaudRate(static_cast<int>(baud));
  port.SetBaudRate(brCustom);
}

}  // namespace

void ConfigurePort(TComPort& port, const TCliOptions& options) {
  port.setObjectName(QStringLiteral("ComPort"));  // the settings file's section
  port.SetEvents(TComEvents{evRxChar});
  if (QFileInfo::exists(QString::fromLatin1(kSettingsFile))) {
    try {
      port.RestoreSettings(QDir::current().filePath(QString::fromLatin1(kSettingsFile)));
    } catch (const EComPort& e) {
      throw TPortError(std::string(kSettingsFile) + ": " + e.what(), kFileExit);
    }
  }
  if (options.port) port.SetPort(QString::fromStdString(*options.port));
  if (options.baud) SetBaud(port, *options.baud);
}

std::string PortFailureText(const EComPort& error, const QString& devicePath) {
  std::string text = error.what();
  const auto* ext = dynamic_cast<const EComPortExt*>(&error);
  if (!ext) return text;
  const std::string where = devicePath.isEmpty() ? "" : devicePath.toStdString() + ": ";
  text += " (" + where + ext->Reason().toStdString() + ")";
  if (ext->SystemCode() == EBUSY) text += "; the port is held by another program";
  if (ext->SystemCode() == EACCES || ext->SystemCode() == EPERM) {
    const QString hint = GroupHint(devicePath);
    if (!hint.isEmpty()) text += "; " + hint.toStdString();
  }
  return text;
}

TCliSession::TCliSession(const TCliOptions& options, std::ostream& err) : host_(port_), link_(host_, errors_) {
  ConfigurePort(port_, options);
  port_.SetOnRxChar([this](QObject*, int count) { host_.ReceiveFromPort(link_, count); });
  idleTimer_.setInterval(kIdleFlushPeriodMs);
  QObject::connect(&idleTimer_, &QTimer::timeout, [this] { host_.IdleTick(link_); });
  host_.SetIdleTimer(&idleTimer_);
  try {
    port_.SetConnected(true);
  } catch (const EComPort& e) {
    throw TPortError(PortFailureText(e, TCustomComPort::DevicePath(port_.Port())), kPortExit);
  }
  if (options.trace) {
    trace_ = std::make_unique<TExchangeTrace>(err, [this] { return host_.NowMs(); });
    link_.SetObserver(trace_.get());
    host_.SetLogSink([this](std::string_view raw) { trace_->ShowLogLine(raw); });
  }
  try {
    host_.TakeStaleInput(link_);
  } catch (...) {
    // The destructor will not run: the open port must not deliver into members going away.
    port_.ClearEventHandlers();
    throw;
  }
}

TCliSession::~TCliSession() {
  idleTimer_.stop();
  if (trace_) trace_->FlushLog();
  host_.SetLogSink(nullptr);
  link_.SetObserver(nullptr);
  // Nothing of this session may be reached by a delivery while the port closes itself.
  port_.ClearEventHandlers();
}
