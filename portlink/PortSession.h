#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

#include "ErrorList.h"
#include "PortLinkHost.h"
#include "ReaderLink.h"

class QTimer;
class TComPort;

// One line to the readers, put together the same way for the window and for the command line:
// the port set up as the program's line, the link host over it, the reader link with its error
// list, the idle flush on a 10 ms timer, the settings file, and the input the line held from
// before the open. The port and the timer remain their owner's (the window keeps them as its
// components, under their own names); the session uses them for its whole life. Needs a
// Q(Core)Application on the thread, nothing of the widgets.
class TPortSession {
 public:
  // Sets the port up as the program's line (SetUpPort) and the timer as the idle flush's.
  TPortSession(TComPort& port, QTimer& idleTimer);
  // Stops the idle flush and detaches every handler from the port, so that closing the port
  // afterwards delivers nothing into a session that has gone.
  ~TPortSession();
  TPortSession(const TPortSession&) = delete;
  TPortSession& operator=(const TPortSession&) = delete;

  TComPort& Port() { return port_; }
  TPortLinkHost& Host() { return host_; }
  ReaderLink& Link() { return link_; }
  ErrorList& Errors() { return errors_; }

  // What the port's received-characters event and the idle timer's tick do. The window calls
  // them from its own handlers (ComPortRxChar, Timer1Timer); RouteEvents connects the port and
  // the timer to them directly, for a front end without handlers of its own.
  void ReceiveFromPort(int count) { host_.ReceiveFromPort(link_, count); }
  void IdleTick() { host_.IdleTick(link_); }
  void RouteEvents();
  // For a front end whose line has a thread of its own (parvex-cli, a site line): the port opens
  // without events and every wait polls the device itself, so that no frame crosses threads.
  // Call before the port opens, instead of RouteEvents.
  void DriveDirectly();

  // Once the port is open and before the first request: what the line held from before the
  // open goes to the link (and so to the log), never taken for an answer. Runs the event loop
  // for a short quiet time. Returns how many bytes there were.
  std::size_t TakeStaleInput() { return host_.TakeStaleInput(link_); }

  // The settings file: "Parvex.ini" in the current folder, which it follows, not the folder of
  // the program.
  static QString SettingsFileName();
  static QString SettingsPath();
  // The program's line before any settings file: COM1 at 9600 baud, 8 data bits, no parity, one
  // stop bit, no flow control, DTR and RTS held low, and received characters the only event
  // reported. Its name, "ComPort", is the settings file's section.
  static void SetUpPort(TComPort& port);
  // Sets the line rate: a standard rate by its own value, any other as the port's custom rate.
  static void SetBaud(TComPort& port, std::uint32_t baud);
  // Reads the port's settings from the settings file when there is one: false when there is
  // none. A file that cannot be read throws EComPort (code 17).
  static bool RestoreSettings(TComPort& port);
  // Writes the port's settings there; code 16 when that fails.
  static void SaveSettings(TComPort& port);

 private:
  TComPort& port_;
  QTimer& idleTimer_;
  TPortLinkHost host_;
  ErrorList errors_;
  ReaderLink link_;
};
