// The watch on the kernel's serial devices, fed by the kernel itself: a device announced again
// through its uevent file is a real event through the real monitor.
#include "CoreTestApp.h"
#include "KernelAnnouncement.h"
#include "UdevPortWatch.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

bool Lists(const TSerialPortWatch& watch, const QString& device) {
  const auto& adapters = watch.Adapters();
  return std::any_of(adapters.begin(), adapters.end(), [&](const TSerialAdapter& a) { return a.device == device; });
}

TEST(KernelDeviceWatch, ListsTerminalsWithADeviceBehindThemAndNotTheConsoles) {
  const TUdevPortWatch watch;
  for (const TSerialAdapter& adapter : watch.Adapters()) {
    struct stat node {};
    EXPECT_EQ(::stat(adapter.device.toLocal8Bit().constData(), &node), 0) << adapter.device.toStdString();
    EXPECT_TRUE(S_ISCHR(node.st_mode)) << adapter.device.toStdString();
  }
  for (const char* virtualTerminal : {"/dev/tty", "/dev/tty1", "/dev/console", "/dev/ptmx"})
    EXPECT_FALSE(Lists(watch, QString::fromLatin1(virtualTerminal))) << virtualTerminal;
}

// A device pulled and plugged in again, as the kernel announces it: told as it happens, and the
// list follows; its description is read again on arrival.
TEST(KernelDeviceWatch, ADevicePulledAndPluggedInIsToldAndListed) {
  TUdevPortWatch watch;
  if (::geteuid() != 0) GTEST_SKIP() << "only root may make the kernel announce a device again";
  if (watch.Adapters().empty()) GTEST_SKIP() << "this machine has no serial device";
  const TSerialAdapter device = watch.Adapters().front();
  if (const int refusal = AnnounceAgain(device.device, "remove"))
    GTEST_SKIP() << "the kernel may not announce " << device.device.toStdString() << " here: " << std::strerror(refusal);
  // Announced pulled, it is announced back, whatever the test finds.
  const std::unique_ptr<const QString, void (*)(const QString*)> plugBack(
      &device.device, [](const QString* pulled) { AnnounceAgain(*pulled, "add"); });

  const std::optional<TSerialAdapter> left = WaitToBeTold(watch, &TSerialPortWatch::Left, device.device);
  ASSERT_TRUE(left.has_value()) << "not told that " << device.device.toStdString() << " left";
  EXPECT_EQ(*left, device);
  EXPECT_FALSE(Lists(watch, device.device));

  ASSERT_EQ(AnnounceAgain(device.device, "add"), 0);
  const std::optional<TSerialAdapter> arrived = WaitToBeTold(watch, &TSerialPortWatch::Arrived, device.device);
  ASSERT_TRUE(arrived.has_value()) << "not told that " << device.device.toStdString() << " arrived";
  EXPECT_EQ(*arrived, device);
  EXPECT_TRUE(Lists(watch, device.device));
}

}  // namespace
