#pragma once

#include <QTimer>

#include <memory>
#include <ostream>
#include <stdexcept>

#include "CPort.h"
#include "CliOptions.h"
#include "ExchangeTrace.h"
#include "PortFailure.h"
#include "PortSession.h"

// The port cannot be opened (or its settings file read): exit status 3, or 2 for a bad file.
struct EPortError : std::runtime_error {
  EPortError(const std::string& message, int exitStatus) : std::runtime_error(message), exitStatus(exitStatus) {}
  int exitStatus;
};

// The port settings a command uses: the program's line, with those of the settings file when it
// exists (read by the port's own settings store), then --port and --baud.
void ConfigurePort(TComPort& port, const TCliOptions& options);

// One open line for one command: the port session with its events routed straight to it, and
// the trace on err when asked for. Needs a Q(Core)Application. Closing happens on destruction.
class TCliSession {
 public:
  TCliSession(const TCliOptions& options, std::ostream& err);  // throws EPortError
  ~TCliSession();
  TCliSession(const TCliSession&) = delete;
  TCliSession& operator=(const TCliSession&) = delete;

  ReaderLink& Link() { return session_.Link(); }
  ErrorList& Errors() { return session_.Errors(); }

 private:
  TComPort port_;
  QTimer idleTimer_;
  TPortSession session_;
  std::unique_ptr<TExchangeTrace> trace_;
};
