#include "SerialPortWatch.h"

#include "UdevPortWatch.h"

#include <algorithm>

namespace {

TSerialPortWatchMaker& Maker() {
  static TSerialPortWatchMaker maker;
  return maker;
}

}  // namespace

void TSerialPortWatch::Arrive(const TSerialAdapter& adapter) {
  const auto known = std::find_if(adapters_.begin(), adapters_.end(),
                                  [&](const TSerialAdapter& a) { return a.device == adapter.device; });
  if (known != adapters_.end()) {
    *known = adapter;
    return;
  }
  adapters_.push_back(adapter);
  emit Arrived(adapter);
}

void TSerialPortWatch::Leave(const QString& device) {
  const auto known =
      std::find_if(adapters_.begin(), adapters_.end(), [&](const TSerialAdapter& a) { return a.device == device; });
  if (known == adapters_.end()) return;
  const TSerialAdapter gone = *known;
  adapters_.erase(known);
  emit Left(gone);
}

void SetSerialPortWatchMaker(TSerialPortWatchMaker maker) { Maker() = std::move(maker); }

std::unique_ptr<TSerialPortWatch> MakeSerialPortWatch() {
  if (Maker()) return Maker()();
  return std::make_unique<TUdevPortWatch>();
}
