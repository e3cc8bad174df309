#pragma once

#include "SerialAdapter.h"

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

// The machine's serial adapters, kept current while the watch exists: each one that arrives or
// leaves is told as it happens.
class TSerialPortWatch : public QObject {
  Q_OBJECT

 public:
  // In the order they arrived.
  const std::vector<TSerialAdapter>& Adapters() const { return adapters_; }

 signals:
  void Arrived(const TSerialAdapter& adapter);
  // As it was known while it was there.
  void Left(const TSerialAdapter& adapter);

 protected:
  TSerialPortWatch() = default;
  // An adapter already known by its device is described anew, without a word: a device told
  // twice (found by the first look and announced again) arrives once.
  void Arrive(const TSerialAdapter& adapter);
  // A device that is not known is no adapter of the list: nothing to tell.
  void Leave(const QString& device);

 private:
  std::vector<TSerialAdapter> adapters_;
};

// A watch on the adapters it is given: for the machines without them (tests, pictures).
class TStagedPortWatch : public TSerialPortWatch {
 public:
  explicit TStagedPortWatch(const std::vector<TSerialAdapter>& present = {}) {
    for (const TSerialAdapter& adapter : present) Arrive(adapter);
  }
  using TSerialPortWatch::Arrive;
  using TSerialPortWatch::Leave;
};

// What the port lists follow: the kernel's serial devices (TUdevPortWatch), unless replaced by
// a maker of staged adapters. An empty function restores the kernel's. Making the kernel's
// watch throws EComPortExt code 23 for "EnumComPorts" when the devices cannot be read.
using TSerialPortWatchMaker = std::function<std::unique_ptr<TSerialPortWatch>()>;
void SetSerialPortWatchMaker(TSerialPortWatchMaker maker);
std::unique_ptr<TSerialPortWatch> MakeSerialPortWatch();
