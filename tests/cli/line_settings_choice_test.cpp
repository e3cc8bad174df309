// Which line settings a command uses: Parvex.ini of the current folder through the port's own
// settings store, the defaults without it, and --port and --baud over both; and what is said
// when the port will not open.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <string>

#include "CliSession.h"

namespace {

// Runs each case in a folder of its own, as a command runs in the operator's folder.
class LineSettingsChoice : public ::testing::Test {
 protected:
  LineSettingsChoice() : previous_(QDir::currentPath()) { QDir::setCurrent(folder_.path()); }
  ~LineSettingsChoice() override { QDir::setCurrent(previous_); }

  void WriteIni(const QByteArray& text) {
    QFile ini(folder_.filePath("Parvex.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(text);
  }

 private:
  QTemporaryDir folder_;
  QString previous_;
};

TEST_F(LineSettingsChoice, WithoutFileOrOptionsTheWindowsDefaultsHold) {
  TComPort port;
  ConfigurePort(port, ParseCliOptions({"search"}));
  EXPECT_EQ(port.Port(), "COM1");
  EXPECT_EQ(port.BaudRate(), br9600);
  EXPECT_EQ(port.Events(), TComEvents{evRxChar});
}

TEST_F(LineSettingsChoice, TheSettingsFileIsReadAndOptionsOverrideIt) {
  WriteIni("[ComPort]\r\nPort=ttyUSB3\r\nBaudRate=19200\r\nParity=Even\r\n");
  {
    TComPort port;
    ConfigurePort(port, ParseCliOptions({"search"}));
    EXPECT_EQ(port.Port(), "ttyUSB3");
    EXPECT_EQ(port.BaudRate(), br19200);
    EXPECT_EQ(port.Parity()->Bits(), prEven);
  }
  TComPort port;
  ConfigurePort(port, ParseCliOptions({"search", "--port", "/dev/ttyACM0", "--baud", "115200"}));
  EXPECT_EQ(port.Port(), "/dev/ttyACM0");
  EXPECT_EQ(port.BaudRate(), br115200);
  EXPECT_EQ(port.Parity()->Bits(), prEven);  // what the options do not name stays as the file says
}

TEST_F(LineSettingsChoice, ARateWithoutItsOwnValueBecomesACustomRate) {
  TComPort port;
  ConfigurePort(port, ParseCliOptions({"search", "--baud", "250000"}));
  EXPECT_EQ(port.BaudRate(), brCustom);
  EXPECT_EQ(port.CustomBaudRate(), 250000);
}

struct OpenFailure {
  int systemCode;
  std::string says;
};
void PrintTo(const OpenFailure& row, std::ostream* os) { *os << "errno " << row.systemCode; }

class PortOpenFailure : public ::testing::TestWithParam<OpenFailure> {};

TEST_P(PortOpenFailure, GivesThePortsTextAndTheSystemsReason) {
  const EComPortExt error(comerr::kOpen, GetParam().systemCode, "/dev/ttyUSB0");
  const std::string text = PortFailureText(error, "/dev/ttyUSB0");
  EXPECT_EQ(text.rfind(error.what(), 0), 0u) << text;
  EXPECT_NE(text.find(GetParam().says), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Reasons, PortOpenFailure,
                         ::testing::Values(OpenFailure{ENOENT, "No such file or directory"},
                                           OpenFailure{EBUSY, "held by another program"},
                                           OpenFailure{EACCES, "Permission denied"}));

}  // namespace
