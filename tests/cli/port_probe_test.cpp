// The ports listing: a device is probed with the port's own open and lock, the reason for a
// refusal is told, and a device another program holds is left exactly as it was.
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include "../serial/PtyPair.h"
#include "../serial/ScriptedComPlatform.h"
#include "ComPlatform.h"
#include "PortSurvey.h"

namespace {

struct ProbeCase {
  TCall failing;
  int error;
  TPortAccess access;
  std::string text;
};
void PrintTo(const ProbeCase& row, std::ostream* os) { *os << row.text; }

class ScriptedProbe : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(ScriptedProbe, TellsTheReasonAndLeavesNothingOpen) {
  TScriptedComPlatform platform;
  platform.FailCall(GetParam().failing, GetParam().error);
  const TPortProbe probe = ProbePort(platform, "/dev/ttyUSB0");
  EXPECT_EQ(probe.access, GetParam().access);
  EXPECT_EQ(probe.systemCode, GetParam().error);
  EXPECT_NE(AccessText(probe, "/dev/ttyUSB0").toStdString().find(GetParam().text), std::string::npos);
  EXPECT_EQ(platform.OpenHandles(), 0);
  // The exclusive-use flag would stay on a device another program has open.
  EXPECT_EQ(platform.Count(TCall::SetExclusive), 0);
}

INSTANTIATE_TEST_SUITE_P(Refusals, ScriptedProbe,
                         ::testing::Values(ProbeCase{TCall::OpenDevice, EACCES, TPortAccess::PermissionDenied,
                                                     "permission denied"},
                                           ProbeCase{TCall::OpenDevice, EBUSY, TPortAccess::Busy,
                                                     "held by another program"},
                                           ProbeCase{TCall::Lock, EWOULDBLOCK, TPortAccess::Busy,
                                                     "held by another program"},
                                           ProbeCase{TCall::IsTerminal, ENOTTY, TPortAccess::Unusable,
                                                     "cannot be opened"},
                                           ProbeCase{TCall::OpenDevice, ENXIO, TPortAccess::Unusable,
                                                     "cannot be opened"}));

TEST(PortProbe, AFreeDeviceIsOpenedLockedAndClosedWithoutItsSettingsTouched) {
  TScriptedComPlatform platform;
  const TPortProbe probe = ProbePort(platform, "/dev/ttyS0");
  EXPECT_EQ(probe.access, TPortAccess::Free);
  EXPECT_TRUE(AccessText(probe, "/dev/ttyS0").isEmpty());
  EXPECT_EQ(platform.Count(TCall::Lock), 1);
  EXPECT_EQ(platform.Count(TCall::SetAttributes), 0);
  EXPECT_EQ(platform.Count(TCall::SetModemLines), 0);
  EXPECT_EQ(platform.OpenHandles(), 0);
}

TEST(PortProbe, ADeviceHeldByAnotherProgramIsBusyAndKeepsItsLockAndSettings) {
  TPtyPair pty;
  const int holder = open(pty.Name().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  termios before{};
  tcgetattr(holder, &before);

  EXPECT_EQ(ProbePort(*SystemComPlatform(), QString::fromStdString(pty.Name())).access, TPortAccess::Busy);

  termios after{};
  tcgetattr(holder, &after);
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
  const int other = open(pty.Name().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(other, 0);
  EXPECT_NE(flock(other, LOCK_EX | LOCK_NB), 0);  // the holder still has the line
  close(other);
  close(holder);
}

TEST(PortProbe, AFreePseudoTerminalCanBeTakenAgainAfterTheProbe) {
  TPtyPair pty;
  EXPECT_EQ(ProbePort(*SystemComPlatform(), QString::fromStdString(pty.Name())).access, TPortAccess::Free);
  const int fd = open(pty.Name().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
  close(fd);
}

TEST(PortProbe, PlainFileIsNoSerialDevice) {
  QTemporaryDir dir;
  QFile file(dir.filePath("notatty"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  EXPECT_EQ(ProbePort(*SystemComPlatform(), file.fileName()).access, TPortAccess::Unusable);
}

TEST(PortAlias, FoundAmongTheLinksOfTheByIdFolder) {
  QTemporaryDir dir;
  TPtyPair pty;
  const QString device = QString::fromStdString(pty.Name());
  ASSERT_TRUE(QFile::link(dir.filePath("unrelated-target"), dir.filePath("usb-Other_if00")));
  ASSERT_TRUE(QFile::link(device, dir.filePath("usb-FTDI_FT232R_A10K1234-if00-port0")));
  EXPECT_EQ(AliasOf(device, dir.path()), dir.filePath("usb-FTDI_FT232R_A10K1234-if00-port0"));
  EXPECT_TRUE(AliasOf("/dev/null", dir.path()).isEmpty());
  EXPECT_TRUE(AliasOf(device, dir.filePath("missing")).isEmpty());
}

TEST(PortLine, ShowsWhatIsKnownAndTheRefusal) {
  TPortDescription port;
  port.path = "/dev/ttyUSB0";
  port.byId = "/dev/serial/by-id/usb-FTDI_FT232R_A10K1234-if00-port0";
  port.vendorId = 0x0403;
  port.productId = 0x6001;
  port.manufacturer = "FTDI";
  port.product = "FT232R USB UART";
  port.serialNumber = "A10K1234";
  port.probe = {TPortAccess::Busy, EBUSY};
  EXPECT_EQ(PortLine(port).toStdString(),
            "/dev/ttyUSB0  /dev/serial/by-id/usb-FTDI_FT232R_A10K1234-if00-port0  0403:6001  FTDI  "
            "FT232R USB UART  serial A10K1234  [held by another program]");
  TPortDescription onboard;
  onboard.path = "/dev/ttyS0";
  EXPECT_EQ(PortLine(onboard).toStdString(), "/dev/ttyS0");
}

}  // namespace
