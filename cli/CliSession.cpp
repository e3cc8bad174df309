#include "CliSession.h"

#include <cerrno>

#include "PermissionHint.h"
#include "SettingsValues.h"

namespace {

constexpr int kPortExit = 3;
constexpr int kFileExit = 2;

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
  TPortSession::SetUpPort(port);
  try {
    TPortSession::RestoreSettings(port);
  } catch (const EComPort& e) {
    throw EPortError(TPortSession::SettingsFileName().toStdString() + ": " + e.what(), kFileExit);
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
  const QString hint = PermissionHint(ext->SystemCode(), devicePath);
  if (!hint.isEmpty()) text += "; " + hint.toStdString();
  return text;
}

TCliSession::TCliSession(const TCliOptions& options, std::ostream& err) : session_(port_, idleTimer_) {
  ConfigurePort(port_, options);
  session_.RouteEvents();
  try {
    port_.SetConnected(true);
  } catch (const EComPort& e) {
    throw EPortError(PortFailureText(e, TCustomComPort::DevicePath(port_.Port())), kPortExit);
  }
  if (options.trace) {
    trace_ = std::make_unique<TExchangeTrace>(err, [this] { return session_.Host().NowMs(); });
    session_.Link().SetObserver(&trace_->Observer());
    session_.Host().SetLogSink([this](std::string_view raw) { trace_->ShowLogLine(raw); });
  }
  // Should this throw, the destructor does not run, but the session's does: the open port is
  // detached from what goes away.
  session_.TakeStaleInput();
}

TCliSession::~TCliSession() {
  if (trace_) trace_->FlushLog();
  session_.Host().SetLogSink(nullptr);
  session_.Link().SetObserver(nullptr);
}
