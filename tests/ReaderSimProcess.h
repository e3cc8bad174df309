#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include "BuiltProgram.h"

// reader-sim in its own process (READER_SIM_PATH); the device is the first line it prints.
// Stopping it closes the device's far end, as pulling a USB adapter does.
class ReaderSim {
 public:
  explicit ReaderSim(const QStringList& args) {
    process_.start(BuiltProgram(READER_SIM_PATH), args);
    if (process_.waitForStarted() && process_.waitForReadyRead())
      device_ = QString::fromUtf8(process_.readLine()).trimmed();
  }
  ~ReaderSim() { Stop(); }
  ReaderSim(const ReaderSim&) = delete;
  ReaderSim& operator=(const ReaderSim&) = delete;
  const QString& Device() const { return device_; }
  void Stop() {
    process_.terminate();
    process_.waitForFinished();
  }

 private:
  QProcess process_;
  QString device_;
};
