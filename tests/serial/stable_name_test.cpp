// The stable name of an adapter named in plugging order: the by-id link to the same device.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>

#include "PtyPair.h"
#include "StableName.h"

namespace {

TEST(StableName, IsTheByIdLinkToTheSameDeviceOnlyForANameInPluggingOrder) {
  TPtyPair adapter, other;
  QTemporaryDir dir;
  const std::filesystem::path root = dir.path().toStdString();
  std::filesystem::create_directories(root / "by-id");
  // The kernel's names, as links to the pseudo-terminals standing in for two adapters.
  std::filesystem::create_symlink(adapter.Name(), root / "ttyUSB0");
  std::filesystem::create_symlink(other.Name(), root / "by-id" / "usb-FTDI_FT232R_OTHER-if00-port0");
  std::filesystem::create_symlink(adapter.Name(), root / "by-id" / "usb-FTDI_FT232R_A1B2C3-if00-port0");
  const std::string byId = (root / "by-id").string();

  EXPECT_EQ(StableNameFor((root / "ttyUSB0").string(), byId), (root / "by-id" / "usb-FTDI_FT232R_A1B2C3-if00-port0").string());
  EXPECT_EQ(StableNameFor(adapter.Name(), byId), std::nullopt) << "a name that does not follow the plugging order";
  EXPECT_EQ(StableNameFor((root / "ttyACM3").string(), byId), std::nullopt) << "no such device";
  EXPECT_EQ(StableNameFor((root / "ttyUSB0").string(), (root / "none").string()), std::nullopt) << "no by-id folder";
}

}  // namespace
