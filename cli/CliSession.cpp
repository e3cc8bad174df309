#include "CliSession.h"

#include "PortFailure.h"

namespace {

constexpr int kPortExit = 3;
constexpr int kFileExit = 2;

}  // namespace

void ConfigurePort(TComPort& port, const TCliOptions& options) {
  TPortSession::SetUpPort(port);
  try {
    TPortSession::RestoreSettings(port);
  } catch (const EComPort& e) {
    throw EPortError(TPortSession::SettingsFileName().toStdString() + ": " + e.what(), kFileExit);
  }
  if (options.port) port.SetPort(QString::fromStdString(*options.port));
  if (options.baud) TPortSession::SetBaud(port, *options.baud);
}

TCliSession::TCliSession(const TCliOptions& options, std::ostream& err) : session_(port_, idleTimer_) {
  ConfigurePort(port_, options);
  session_.DriveDirectly();
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
