#pragma once

#include <QString>

// A serial device of the machine as its port lists show it.
struct TSerialAdapter {
  QString device = {};        // /dev/ttyUSB0
  QString byId = {};          // the /dev/serial/by-id link to it, which stays whichever socket it is in; empty without one
  QString manufacturer = {};  // of a USB adapter, as it tells them; empty otherwise
  QString product = {};
  QString serialNumber = {};

  bool operator==(const TSerialAdapter&) const = default;
};
