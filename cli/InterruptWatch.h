#pragma once

#include <QObject>

#include <csignal>
#include <functional>

class QSocketNotifier;

// While it exists, SIGINT and SIGTERM do not end the program: each calls interrupted on this
// thread, from its event loop (the handler itself only writes a byte, all a handler may do).
// The former handlers come back on destruction.
class TInterruptWatch : public QObject {
 public:
  explicit TInterruptWatch(std::function<void()> interrupted);
  ~TInterruptWatch() override;
  TInterruptWatch(const TInterruptWatch&) = delete;
  TInterruptWatch& operator=(const TInterruptWatch&) = delete;

 private:
  static void OnSignal(int);

  std::function<void()> interrupted_;
  QSocketNotifier* notifier_ = nullptr;
  struct sigaction formerInt_ {};
  struct sigaction formerTerm_ {};
};
