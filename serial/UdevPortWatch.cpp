#include "UdevPortWatch.h"

#include "CPort.h"
#include "StableName.h"

#include <QSocketNotifier>

#include <libudev.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr char kTerminals[] = "tty";

[[noreturn]] void FailToWatch(int systemCode) {
  throw EComPortExt(comerr::kRegistry, systemCode, QStringLiteral("EnumComPorts"));
}

// udevd announces a device once its rules have run (its /dev/serial/by-id link made); without
// udevd nobody relays the kernel's own announcement, so it is listened to directly.
const char* EventSource() { return ::access("/run/udev/control", F_OK) == 0 ? "udev" : "kernel"; }

QString Attribute(udev_device* device, const char* name) {
  const char* value = device ? udev_device_get_sysattr_value(device, name) : nullptr;
  return value ? QString::fromUtf8(value) : QString();
}

// A terminal with a device behind it. The serial core gives every UART it reserved a terminal,
// found or not; one whose probe found nothing has type 0 (PORT_UNKNOWN).
bool IsSerialDevice(udev_device* terminal) {
  if (!udev_device_get_devnode(terminal)) return false;
  const std::string behind = std::string(udev_device_get_syspath(terminal)) + "/device";
  if (::access(behind.c_str(), F_OK) != 0) return false;
  const char* uartType = udev_device_get_sysattr_value(terminal, "type");
  return !uartType || std::strcmp(uartType, "0") != 0;
}

TSerialAdapter Describe(udev_device* terminal) {
  TSerialAdapter adapter;
  const std::string device = udev_device_get_devnode(terminal);
  adapter.device = QString::fromStdString(device);
  adapter.byId = QString::fromStdString(StableNameFor(device).value_or(std::string()));
  udev_device* usb = udev_device_get_parent_with_subsystem_devtype(terminal, "usb", "usb_device");
  adapter.manufacturer = Attribute(usb, "manufacturer");
  adapter.product = Attribute(usb, "product");
  adapter.serialNumber = Attribute(usb, "serial");
  return adapter;
}

}  // namespace

TUdevPortWatch::TUdevPortWatch() : udev_(udev_new(), udev_unref), monitor_(nullptr, udev_monitor_unref) {
  if (!udev_) FailToWatch(errno);
  monitor_.reset(udev_monitor_new_from_netlink(udev_.get(), EventSource()));
  if (!monitor_) FailToWatch(errno);
  int rc = udev_monitor_filter_add_match_subsystem_devtype(monitor_.get(), kTerminals, nullptr);
  if (rc >= 0) rc = udev_monitor_enable_receiving(monitor_.get());
  if (rc < 0) FailToWatch(-rc);
  // Listening before the first look: a device that arrives in between is told, not lost.
  notifier_ = new QSocketNotifier(udev_monitor_get_fd(monitor_.get()), QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TUdevPortWatch::ReceiveEvents);
  LookAtEveryDevice();
}

void TUdevPortWatch::LookAtEveryDevice() {
  std::unique_ptr<udev_enumerate, udev_enumerate* (*)(udev_enumerate*)> look(udev_enumerate_new(udev_.get()),
                                                                            udev_enumerate_unref);
  if (!look) FailToWatch(errno);
  int rc = udev_enumerate_add_match_subsystem(look.get(), kTerminals);
  if (rc >= 0) rc = udev_enumerate_scan_devices(look.get());
  if (rc < 0) FailToWatch(-rc);
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(look.get())) {
    udev_device* device = udev_device_new_from_syspath(udev_.get(), udev_list_entry_get_name(entry));
    if (!device) continue;  // gone since the scan
    Take(device, "add");
    udev_device_unref(device);
  }
}

void TUdevPortWatch::ReceiveEvents() {
  while (udev_device* device = udev_monitor_receive_device(monitor_.get())) {
    const char* action = udev_device_get_action(device);
    if (action) Take(device, action);
    udev_device_unref(device);
  }
}

// What a device's sysfs says is read only while it is there: a device that left is known by
// its name alone.
void TUdevPortWatch::Take(udev_device* device, const char* action) {
  if (std::strcmp(action, "add") == 0 && IsSerialDevice(device)) {
    Arrive(Describe(device));
  } else if (std::strcmp(action, "remove") == 0) {
    if (const char* node = udev_device_get_devnode(device)) Leave(QString::fromUtf8(node));
  }
}
