#pragma once

#include "SerialPortWatch.h"

#include <memory>

struct udev;
struct udev_device;
struct udev_monitor;
class QSocketNotifier;

// The kernel's serial devices through libudev: what is there when it is made, then each device
// that arrives or leaves, read from the monitor's socket as the event loop finds it readable.
// A serial device is a terminal with a device behind it (USB, ACM, a UART that answered the
// kernel's probe); an adapter's maker, product and serial come from its USB device's sysfs
// attributes, which the kernel keeps with or without udevd.
class TUdevPortWatch : public TSerialPortWatch {
 public:
  // Throws EComPortExt code 23 for "EnumComPorts" when the monitor or the first look fails.
  TUdevPortWatch();

 private:
  void LookAtEveryDevice();
  void ReceiveEvents();
  void Take(udev_device* device, const char* action);

  std::unique_ptr<udev, udev* (*)(udev*)> udev_;
  std::unique_ptr<udev_monitor, udev_monitor* (*)(udev_monitor*)> monitor_;
  QSocketNotifier* notifier_ = nullptr;
};
