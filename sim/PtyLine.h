#pragma once

#include <csignal>
#include <functional>
#include <string>

#include "ReaderSimulator.h"

namespace sim {

// A pseudo-terminal in raw mode whose slave side is the device the programmer opens. The slave
// stays open here too, so the master never sees a hang-up while the programmer closes and
// reopens the device, and the device stays valid between its opens.
class PtyLine {
 public:
  PtyLine();  // throws std::system_error
  ~PtyLine();
  PtyLine(const PtyLine&) = delete;
  PtyLine& operator=(const PtyLine&) = delete;

  const std::string& DevicePath() const { return path_; }
  int Master() const { return master_; }
  int Slave() const { return slave_; }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

using TraceSink = std::function<void(const RecordEntry&)>;

// Serves the line until `stop` is set: received bytes go to the simulator with the time of
// their arrival on the monotonic clock, and each scheduled byte is written when its time has
// come. The caller keeps the stop signals blocked; they are let through only during the wait,
// with `waitMask`, so a signal can never fall between the check of `stop` and the wait. A
// simulator served again goes on from its latest time.
void RunLine(PtyLine& line, ReaderSimulator& simulator, const volatile std::sig_atomic_t& stop,
             const sigset_t& waitMask, const TraceSink& trace);

}  // namespace sim
