#pragma once

#include <QTimer>

#include <memory>
#include <ostream>
#include <stdexcept>

#include "CPort.h"
#include "CliOptions.h"
#include "ErrorList.h"
#include "ExchangeTrace.h"
#include "PortLinkHost.h"
#include "ReaderLink.h"

// The port cannot be opened (or its settings file read): exit status 3, or 2 for a bad file.
struct TPortError : std::runtime_error {
  TPortError(const std::string& message, int exitStatus) : std::runtime_error(message), exitStatus(exitStatus) {}
  int exitStatus;
};

// The port settings a command uses: those of Parvex.ini in the current folder when it exists
// (read by the port's own settings store), else the defaults; then --port and --baud.
void ConfigurePort(TComPort& port, const TCliOptions& options);

// The message for a port that failed: the port's own text, the system's reason, and what to do
// about a busy device or a permission problem. devicePath may be empty.
std::string PortFailureText(const EComPort& error, const QString& devicePath);

// One open line for one command: the port, the link over it, the idle flush, and the trace on
// err when asked for. Needs a Q(Core)Application. Closing happens on destruction.
class TCliSession {
 public:
  TCliSession(const TCliOptions& options, std::ostream& err);  // throws TPortError
  ~TCliSession();
  TCliSession(const TCliSession&) = delete;
  TCliSession& operator=(const TCliSession&) = delete;

  ReaderLink& Link() { return link_; }
  ErrorList& Errors() { return errors_; }

 private:
  TComPort port_;
  TPortLinkHost host_;
  ErrorList errors_;
  ReaderLink link_;
  QTimer idleTimer_;
  std::unique_ptr<TExchangeTrace> trace_;
};
