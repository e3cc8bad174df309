#include "InterruptWatch.h"

#include <QSocketNotifier>

#include <sys/socket.h>
#include <cerrno>
#include <unistd.h>

namespace {

int pipeEnds[2] = {-1, -1};  // [0] read here, [1] written by the handler

}  // namespace

TInterruptWatch::TInterruptWatch(std::function<void()> interrupted) : interrupted_(std::move(interrupted)) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeEnds) != 0) return;
  notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    char drained[16];
    while (::read(pipeEnds[0], drained, sizeof drained) > 0) {}
    interrupted_();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &formerInt_);
  sigaction(SIGTERM, &action, &formerTerm_);
}

TInterruptWatch::~TInterruptWatch() {
  if (!notifier_) return;
  sigaction(SIGINT, &formerInt_, nullptr);
  sigaction(SIGTERM, &formerTerm_, nullptr);
  delete notifier_;
  ::close(pipeEnds[0]);
  ::close(pipeEnds[1]);
  pipeEnds[0] = pipeEnds[1] = -1;
}

void TInterruptWatch::OnSignal(int) {
  const int savedErrno = errno;  // the interrupted code may be about to read it
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(pipeEnds[1], &byte, 1);
  errno = savedErrno;
}
