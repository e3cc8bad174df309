#pragma once

#include <termios.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "NetworkPump.h"

// One network line as a device: its pump behind one lock (the port's thread and its event
// thread both call), the taking up of a fresh connection, and the terminal the port believes
// it drives: attributes kept, and with rfc2217 the line settings, DTR and RTS put on the far
// port, each request waiting a short time for the server's answer.
class TNetworkLine {
 public:
  using TClock = std::chrono::steady_clock;

  TNetworkLine(int fd, TNetworkProtocol protocol);

  // Takes the connection up within deadline: with rfc2217 the com-port option, then a moment for
  // the server to turn it away (ser2net says "Port already in use" and closes while the line
  // serves another connection). 0, or minus errno with reason; -ECONNRESET when turned away.
  // Line bytes received meanwhile stay for the port.
  int TakeUp(TClock::time_point deadline, std::string& reason);

  short Watch();
  void Serve(short revents);
  short Ready(short requested);
  long Read(void* buffer, std::size_t count);
  long Write(const void* buffer, std::size_t count);
  int InputQueued();
  int Flush(int queueSelector);

  int GetAttributes(termios& attributes);
  int SetAttributes(const termios& attributes);
  int SetCustomSpeed(int rate);
  int GetModemLines(int& lines);  // those the server last notified; none on a raw connection
  int SetModemLines(int lines, bool on);

 private:
  using TLock = std::unique_lock<std::mutex>;
  int Negotiate(TLock& lock, TClock::time_point deadline, std::string& reason);
  int Settle(TLock& lock, TClock::time_point deadline, std::string& reason);
  int TurnedAway(std::string& reason) const;
  void WaitReadable(TLock& lock, int timeoutMs);  // the lock released meanwhile
  int PutFarLine(TLock& lock);
  int AwaitAnswers(TLock& lock);

  std::mutex mutex_;
  TNetworkPump pump_;
  TClock::time_point openDeadline_{};
  termios attributes_{};
  std::uint32_t rate_ = 9600;
};
