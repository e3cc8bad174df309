// parvex-cli ports --watch in-process, on staged adapters: the list, then a line for each
// adapter that arrives or leaves, until an interrupt ends the watch.
#include <gtest/gtest.h>

#include <QTimer>

#include <csignal>
#include <sstream>

#include "CliCommands.h"
#include "ComErrors.h"
#include "CoreTestApp.h"
#include "SerialPortWatch.h"

namespace {

class PortsWatch : public ::testing::Test {
 protected:
  void TearDown() override { SetSerialPortWatchMaker({}); }
  std::ostringstream out, err;
};

TEST_F(PortsWatch, TellsEachAdapterThatArrivesOrLeavesUntilInterrupted) {
  const TSerialAdapter ftdi{.device = QStringLiteral("/dev/ttyUSB7"), .byId = QStringLiteral("/dev/serial/by-id/usb-FTDI"),
                            .manufacturer = QStringLiteral("FTDI"), .product = QStringLiteral("FT232R USB UART"),
                            .serialNumber = QStringLiteral("A10K3X7Q")};
  SetSerialPortWatchMaker([&ftdi] {
    auto watch = std::make_unique<TStagedPortWatch>();
    QTimer::singleShot(0, watch.get(), [&ftdi, staged = watch.get()] {
      staged->Arrive(ftdi);
      staged->Leave(ftdi.device);
      std::raise(SIGINT);
    });
    return watch;
  });
  EXPECT_EQ(RunCli({"ports", "--watch"}, out, err), 0);
  const std::string line = "/dev/ttyUSB7  /dev/serial/by-id/usb-FTDI  FTDI  FT232R USB UART  serial A10K3X7Q";
  // Not there to be opened: the arrival tells why, as the list does.
  const std::size_t arrived = out.str().find("arrived  " + line + "  [cannot be opened: ");
  EXPECT_NE(arrived, std::string::npos) << out.str();
  EXPECT_NE(out.str().find("left  " + line + "\n", arrived), std::string::npos) << out.str();
  EXPECT_EQ(err.str(), "");
}

TEST_F(PortsWatch, AWatchThatCannotBeMadeIsThePortsErrorWithTheSystemsReason) {
  SetSerialPortWatchMaker([]() -> std::unique_ptr<TSerialPortWatch> {
    throw EComPortExt(comerr::kRegistry, EMFILE, QStringLiteral("EnumComPorts"));
  });
  EXPECT_EQ(RunCli({"ports", "--watch"}, out, err), 3);
  EXPECT_NE(err.str().find("EnumComPorts"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find(std::strerror(EMFILE)), std::string::npos) << err.str();
  EXPECT_EQ(out.str(), "");
}

}  // namespace
