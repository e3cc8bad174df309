#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

// A pseudo-terminal: the port opens the slave by name, the test plays the far end on the master.
class TPtyPair {
 public:
  TPtyPair() {
    if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) == 0) name_ = ttyname(slave_);
  }
  ~TPtyPair() {
    CloseMaster();
    if (slave_ >= 0) close(slave_);
  }
  TPtyPair(const TPtyPair&) = delete;
  TPtyPair& operator=(const TPtyPair&) = delete;

  const std::string& Name() const { return name_; }
  int Master() const { return master_; }
  int Slave() const { return slave_; }
  void CloseMaster() {
    if (master_ >= 0) close(master_);
    master_ = -1;
  }
  termios Attributes() const {
    termios t{};
    tcgetattr(slave_, &t);
    return t;
  }
  void Send(const std::vector<unsigned char>& bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return;
      done += static_cast<std::size_t>(n);
    }
  }
  // Reads from the far end until count bytes came or nothing more arrives for a while.
  std::vector<unsigned char> Receive(std::size_t count) const {
    std::vector<unsigned char> bytes;
    while (bytes.size() < count) {
      pollfd fd{master_, POLLIN, 0};
      if (poll(&fd, 1, 2000) <= 0) break;
      unsigned char chunk[512];
      const ssize_t n = read(master_, chunk, std::min(sizeof chunk, count - bytes.size()));
      if (n <= 0) break;
      bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string name_;
};

inline QCoreApplication& TestApp() {
  static int argc = 1;
  static char name[] = "serial_test";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

// Serves the UI thread's events until done() holds; gives up after a generous bound so that a
// fault shows as a failed expectation instead of a hung test.
inline bool ServeUntil(const std::function<bool()>& done) {
  TestApp();
  QDeadlineTimer bound(10000);
  while (!done()) {
    if (bound.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::sendPostedEvents();
    usleep(200);
  }
  return true;
}
