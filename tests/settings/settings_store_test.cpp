#include "CPort.h"
#include "IniFile.h"
#include "MemoryStorage.h"
#include "../serial/PtyPair.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A port set up as the program sets it up, and a settings file in a folder of its own.
class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    port.setObjectName(QStringLiteral("ComPort"));
    port.SetEvents(TComEvents{evRxChar});
  }

  void WriteFile(const QByteArray& content) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
  }
  QByteArray FileContent() const {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  void Restore(const QByteArray& content) {
    WriteFile(content);
    port.RestoreSettings(path);
  }
  template <typename Call>
  std::string FailureOf(Call call, int code) {
    try {
      call();
    } catch (const EComPort& e) {
      EXPECT_EQ(e.Code(), code);
      return e.what();
    }
    ADD_FAILURE() << "no EComPort raised";
    return {};
  }

  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Parvex.ini"));
  TComPort port;
};

TEST_F(SettingsStore, DefaultsGiveTheSevenLinesAndSavingTwiceTheSameFile) {
  port.SaveSettings(path);
  const QByteArray expected =
      "[ComPort]\nPort=COM1\nBaudRate=9600\nStopBits=1\nDataBits=8\nParity=None\nFlowControl=None\n";
  EXPECT_EQ(FileContent(), expected);
  port.SaveSettings(path);
  EXPECT_EQ(FileContent(), expected);
}

struct RestoreRow {
  const char* name;
  QByteArray file;
  std::function<void(TComPort&)> prepare;
  std::function<void(const TComPort&)> check;
};
void PrintTo(const RestoreRow& row, std::ostream* os) { *os << row.name; }

class RestoreRows : public SettingsStore, public ::testing::WithParamInterface<RestoreRow> {};

TEST_P(RestoreRows, GiveTheirSettings) {
  if (GetParam().prepare) GetParam().prepare(port);
  Restore(GetParam().file);
  GetParam().check(port);
}

void CustomFlags(TComPort& p) {
  p.FlowControl()->SetControlRTS(rtsEnable);
  p.FlowControl()->SetXonXoffIn(true);
}
void ExpectCustomFlags(const TComPort& p) {
  EXPECT_EQ(p.FlowControl()->ControlRTS(), rtsEnable);
  EXPECT_TRUE(p.FlowControl()->XonXoffIn());
  EXPECT_FALSE(p.FlowControl()->XonXoffOut());
  EXPECT_FALSE(p.FlowControl()->OutCTSFlow());
}

INSTANTIATE_TEST_SUITE_P(
    Values, RestoreRows,
    ::testing::Values(
        RestoreRow{"Rate19200", "[ComPort]\nBaudRate=19200\n", {},
                   [](const TComPort& p) { EXPECT_EQ(p.BaudRate(), br19200); }},
        RestoreRow{"Rate19201", "[ComPort]\nBaudRate=19201\n", [](TComPort& p) { p.SetBaudRate(br300); },
                   [](const TComPort& p) { EXPECT_EQ(p.BaudRate(), br9600); }},
        RestoreRow{"EmptyRate", "[ComPort]\nBaudRate=\n", [](TComPort& p) { p.SetBaudRate(br300); },
                   [](const TComPort& p) { EXPECT_EQ(p.BaudRate(), br9600); }},
        RestoreRow{"LowerCaseCustomWithoutRate", "[comport]\nbaudrate=custom\n",
                   [](TComPort& p) { p.SetCustomBaudRate(250000); },
                   [](const TComPort& p) {
                     EXPECT_EQ(p.BaudRate(), brCustom);
                     EXPECT_EQ(p.CustomBaudRate(), 9600);
                   }},
        RestoreRow{"CustomHexRate", "[ComPort]\nBaudRate=Custom\nCustomBaudRate=$3D090\n", {},
                   [](const TComPort& p) { EXPECT_EQ(p.CustomBaudRate(), 250000); }},
        RestoreRow{"CustomRateOverflows", "[ComPort]\nBaudRate=Custom\nCustomBaudRate=99999999999\n", {},
                   [](const TComPort& p) { EXPECT_EQ(p.CustomBaudRate(), 9600); }},
        RestoreRow{"CustomRateZero", "[ComPort]\nBaudRate=Custom\nCustomBaudRate=0\n", {},
                   [](const TComPort& p) { EXPECT_EQ(p.CustomBaudRate(), 9600); }},
        RestoreRow{"CustomRateNegative", "[ComPort]\nBaudRate=Custom\nCustomBaudRate=-300\n", {},
                   [](const TComPort& p) { EXPECT_EQ(p.CustomBaudRate(), 9600); }},
        RestoreRow{"RateIgnoredUnlessCustom", "[ComPort]\nBaudRate=300\nCustomBaudRate=1234\n", {},
                   [](const TComPort& p) { EXPECT_EQ(p.CustomBaudRate(), 9600); }},
        RestoreRow{"EvenParityCommaStopBitsNineDataBits",
                   "[ComPort]\nParity=even\nStopBits=1,5\nDataBits=9\n",
                   [](TComPort& p) {
                     p.SetStopBits(sbTwoStopBits);
                     p.SetDataBits(dbSix);
                   },
                   [](const TComPort& p) {
                     EXPECT_EQ(p.Parity()->Bits(), prEven);
                     EXPECT_EQ(p.StopBits(), sbOneStopBit);
                     EXPECT_EQ(p.DataBits(), dbEight);
                   }},
        RestoreRow{"Hardware", "[ComPort]\nFlowControl=Hardware\n",
                   [](TComPort& p) { p.FlowControl()->SetFlowControl(fcSoftware); },
                   [](const TComPort& p) {
                     EXPECT_EQ(p.FlowControl()->ControlRTS(), rtsHandshake);
                     EXPECT_TRUE(p.FlowControl()->OutCTSFlow());
                     EXPECT_FALSE(p.FlowControl()->XonXoffIn());
                     EXPECT_FALSE(p.FlowControl()->XonXoffOut());
                   }},
        RestoreRow{"CustomFlowKeepsFields", "[ComPort]\nFlowControl=Custom\n", CustomFlags, ExpectCustomFlags},
        RestoreRow{"UnknownFlowKeepsFields", "[ComPort]\nFlowControl=RTS/CTS\n", CustomFlags,
                   ExpectCustomFlags},
        RestoreRow{"OtherSectionIgnored", "[Other]\nPort=COM7\nBaudRate=300\n", {},
                   [](const TComPort& p) {
                     EXPECT_EQ(p.Port(), "COM1");
                     EXPECT_EQ(p.BaudRate(), br9600);
                   }},
        RestoreRow{"EmptyPortIsTaken", "[ComPort]\nPort=\n", {},
                   [](const TComPort& p) { EXPECT_EQ(p.Port(), ""); }},
        RestoreRow{"OverlongPortKeepsTheName", "[ComPort]\nPort=/dev/" + QByteArray(2100, 'x') + "\n", {},
                   [](const TComPort& p) { EXPECT_EQ(p.Port(), "COM1"); }},
        RestoreRow{"MissingKeysKeepSettings", "[ComPort]\nPort=ttyUSB0\n",
                   [](TComPort& p) {
                     p.SetBaudRate(br115200);
                     p.Parity()->SetBits(prMark);
                   },
                   [](const TComPort& p) {
                     EXPECT_EQ(p.Port(), "ttyUSB0");
                     EXPECT_EQ(p.BaudRate(), br115200);
                     EXPECT_EQ(p.Parity()->Bits(), prMark);
                   }},
        RestoreRow{"OnlyStoredGroupsAreRead", "[ComPort]\nEventChar=#13\nTimeouts.ReadInterval=5\n", {},
                   [](const TComPort& p) {
                     EXPECT_EQ(p.EventChar(), 0);
                     EXPECT_EQ(p.Timeouts()->ReadInterval(), -1);
                   }},
        RestoreRow{"OtherGroupsWhenStored",
                   "[ComPort]\nEventChar=#13\nDiscardNull=yes\nParity.ReplaceChar=#x\n"
                   "Buffer.InputSize=$401\nTimeouts.ReadInterval=junk\nTimeouts.WriteTotalConstant=0x10\n"
                   "FlowControl.XonChar=A\nFlowControl.ControlDTR=handshake\nFlowControl.OutDSRFlow=True\n",
                   [](TComPort& p) {
                     p.SetStoredGroups(TStoredGroups{sgBasic, sgFlowControl, sgBuffer, sgTimeouts, sgParity, sgOther});
                     p.Parity()->SetReplaceChar(7);
                   },
                   [](const TComPort& p) {
                     EXPECT_EQ(p.EventChar(), 13);
                     EXPECT_TRUE(p.DiscardNull());
                     EXPECT_EQ(p.Parity()->ReplaceChar(), 0);
                     EXPECT_EQ(p.Buffer()->InputSize(), 1024);  // 1025 loses one
                     EXPECT_EQ(p.Timeouts()->ReadInterval(), -1);
                     EXPECT_EQ(p.Timeouts()->WriteTotalConstant(), 16);
                     EXPECT_EQ(p.FlowControl()->XonChar(), 65);
                     EXPECT_EQ(p.FlowControl()->ControlDTR(), dtrHandshake);
                     EXPECT_FALSE(p.FlowControl()->OutDSRFlow());
                   }}),
    [](const ::testing::TestParamInfo<RestoreRow>& info) { return std::string(info.param.name); });

TEST_F(SettingsStore, EveryGroupRoundTripsThroughTheFile) {
  const TStoredGroups all{sgBasic, sgFlowControl, sgBuffer, sgTimeouts, sgParity, sgOther};
  port.SetStoredGroups(all);
  port.SetPort(QStringLiteral("/dev/serial/by-id/usb-\xD0\xA4-if00"));
  port.SetBaudRate(brCustom);
  port.SetCustomBaudRate(250000);
  port.SetStopBits(sbTwoStopBits);
  port.SetDataBits(dbSeven);
  port.SetEventChar(200);
  port.SetDiscardNull(true);
  port.Parity()->SetBits(prSpace);
  port.Parity()->SetCheck(true);
  port.Parity()->SetReplaceChar('#');
  port.Buffer()->SetOutputSize(4096);
  port.Timeouts()->SetReadTotalConstant(-7);
  port.FlowControl()->SetControlRTS(rtsToggle);
  port.FlowControl()->SetOutDSRFlow(true);
  port.FlowControl()->SetXoffChar(0);
  port.SaveSettings(path);

  TComPort back;
  back.setObjectName(QStringLiteral("ComPort"));
  back.SetStoredGroups(all);
  back.RestoreSettings(path);
  EXPECT_EQ(back.Port(), port.Port());
  EXPECT_EQ(back.BaudRate(), brCustom);
  EXPECT_EQ(back.CustomBaudRate(), 250000);
  EXPECT_EQ(back.StopBits(), sbTwoStopBits);
  EXPECT_EQ(back.DataBits(), dbSeven);
  EXPECT_EQ(back.EventChar(), 200);
  EXPECT_TRUE(back.DiscardNull());
  EXPECT_EQ(back.Parity()->Bits(), prSpace);
  EXPECT_TRUE(back.Parity()->Check());
  EXPECT_EQ(back.Parity()->ReplaceChar(), '#');
  EXPECT_EQ(back.Buffer()->OutputSize(), 4096);
  EXPECT_EQ(back.Timeouts()->ReadTotalConstant(), -7);
  EXPECT_EQ(back.Timeouts()->ReadInterval(), -1);
  EXPECT_EQ(back.FlowControl()->ControlRTS(), rtsToggle);
  EXPECT_TRUE(back.FlowControl()->OutDSRFlow());
  EXPECT_EQ(back.FlowControl()->XoffChar(), 0);
  EXPECT_EQ(back.FlowControl()->XonChar(), 17);
}

// RTS toggle is chosen in the file as the settings model has it; the composite reads Custom.
TEST_F(SettingsStore, RtsToggleIsKeptWithTheBasicSettings) {
  port.FlowControl()->SetControlRTS(rtsToggle);
  port.SaveSettings(path);
  EXPECT_TRUE(FileContent().contains("\nFlowControl=Custom\nFlowControl.ControlRTS=Toggle\n")) << FileContent().toStdString();
  TComPort back;
  back.setObjectName(QStringLiteral("ComPort"));
  back.RestoreSettings(path);
  EXPECT_EQ(back.FlowControl()->ControlRTS(), rtsToggle);
  EXPECT_EQ(back.FlowControl()->FlowControl(), fcCustom);

  // Any other RTS setting is the composite's: the line left in the file no longer says Toggle,
  // and what it says is not taken from here.
  back.FlowControl()->SetFlowControl(fcHardware);
  back.SaveSettings(path);
  EXPECT_TRUE(FileContent().contains("\nFlowControl=Hardware\nFlowControl.ControlRTS=Handshake\n"))
      << FileContent().toStdString();
  TComPort again;
  again.setObjectName(QStringLiteral("ComPort"));
  again.RestoreSettings(path);
  EXPECT_EQ(again.FlowControl()->FlowControl(), fcHardware);
}

TEST_F(SettingsStore, UnnamedCombinationIsSavedAsCustomAndRestoredUnchanged) {
  CustomFlags(port);
  port.SaveSettings(path);
  EXPECT_TRUE(FileContent().contains("\nFlowControl=Custom\n"));
  TComPort back;
  back.setObjectName(QStringLiteral("ComPort"));
  CustomFlags(back);
  back.RestoreSettings(path);
  ExpectCustomFlags(back);
}

TEST_F(SettingsStore, PortWithAnotherNameUsesItsOwnSection) {
  port.setObjectName(QStringLiteral("Spare"));
  WriteFile("[ComPort]\nPort=COM3\n[Spare]\nPort=COM4\n");
  port.RestoreSettings(path);
  EXPECT_EQ(port.Port(), "COM4");
  port.SetPort(QStringLiteral("COM5"));
  port.SaveSettings(path);
  EXPECT_TRUE(FileContent().startsWith("[ComPort]\nPort=COM3\n[Spare]\nPort=COM5\n"));
}

TEST_F(SettingsStore, OtherProgramsLinesSurviveASave) {
  const QByteArray other = "; \xE7\xE0\xEC\xE5\xF2\xEA\xE0\r\n[Viewer]\r\nFont=\xCA\xF3\xF0\xFC\xE5\xF0\r\n";
  WriteFile(other + "[ComPort]\r\nPort=COM9\r\nLegacy=1\r\n");
  port.SaveSettings(path);
  EXPECT_EQ(FileContent(), other +
                               "[ComPort]\r\nPort=COM1\r\nLegacy=1\r\nBaudRate=9600\r\nStopBits=1\r\n"
                               "DataBits=8\r\nParity=None\r\nFlowControl=None\r\n");
}

TEST_F(SettingsStore, SaveFailuresAreCode16AndLeaveFileAndPort) {
  port.SetBaudRate(br19200);
  ASSERT_TRUE(QDir().mkdir(path));
  EXPECT_EQ(FailureOf([&] { port.SaveSettings(path); }, 16), "COM1 Error: Failed to store settings");
  EXPECT_EQ(FailureOf([&] { port.SaveSettings(dir.filePath("no/such/folder/Parvex.ini")); }, 16),
            "COM1 Error: Failed to store settings");
  EXPECT_EQ(port.BaudRate(), br19200);
}

TEST_F(SettingsStore, UnreadableFileIsNeitherOverwrittenNorRead) {
  TMemoryStorage storage;
  storage.files[path] = "[Other]\nKeep=1\n[ComPort]\nPort=COM8\n";
  storage.failLoad = true;
  SetDefaultIniStorage(&storage);
  EXPECT_EQ(FailureOf([&] { port.SaveSettings(path); }, 16), "COM1 Error: Failed to store settings");
  EXPECT_EQ(storage.replaces, 0);
  EXPECT_EQ(FailureOf([&] { port.RestoreSettings(path); }, 17), "COM1 Error: Failed to load settings");
  SetDefaultIniStorage(nullptr);
  EXPECT_EQ(port.Port(), "COM1");
}

TEST_F(SettingsStore, FailedReplaceKeepsTheOldFileWhole) {
  TMemoryStorage storage;
  storage.files[path] = "[ComPort]\nPort=COM8\n";
  storage.failReplace = true;
  SetDefaultIniStorage(&storage);
  port.SetBaudRate(br300);
  EXPECT_EQ(FailureOf([&] { port.SaveSettings(path); }, 16), "COM1 Error: Failed to store settings");
  SetDefaultIniStorage(nullptr);
  EXPECT_EQ(storage.files[path], "[ComPort]\nPort=COM8\n");
}

TEST_F(SettingsStore, DirectoryInPlaceOfTheFileIsCode17) {
  ASSERT_TRUE(QDir().mkdir(path));
  EXPECT_EQ(FailureOf([&] { port.RestoreSettings(path); }, 17), "COM1 Error: Failed to load settings");
}

TEST_F(SettingsStore, MissingFileKeepsSettingsButResetsACustomRate) {
  port.SetBaudRate(brCustom);
  port.SetCustomBaudRate(250000);
  port.SetPort(QStringLiteral("ttyS3"));
  port.RestoreSettings(path);
  EXPECT_EQ(port.Port(), "ttyS3");
  EXPECT_EQ(port.BaudRate(), brCustom);
  EXPECT_EQ(port.CustomBaudRate(), 9600);
  EXPECT_FALSE(QFile::exists(path));
}

TEST_F(SettingsStore, BinaryGarbageChangesNothingItDoesNotName) {
  QByteArray garbage(10 * 1024 * 1024, '\0');
  std::uint32_t x = 99;
  for (char& c : garbage) {
    x = x * 1664525u + 1013904223u;
    c = static_cast<char>(x >> 24);
  }
  garbage.replace('[', '(');  // no section at all, so nothing may change
  Restore(garbage);
  EXPECT_EQ(port.Port(), "COM1");
  EXPECT_EQ(port.BaudRate(), br9600);
}

// On an open port the settings reach the device once, at the end; a failure on the way is
// code 17 named after the port as it was then, and the bracket of changes is closed all the same.
TEST_F(SettingsStore, OpenPortFailureIsCode17AndLeavesThePortUsable) {
  TPtyPair pty;
  ASSERT_FALSE(pty.Name().empty());
  const QString device = QString::fromStdString(pty.Name());
  port.SetPort(device);
  port.Open();
  Restore("[ComPort]\nBaudRate=19200\n");
  termios t = pty.Attributes();
  EXPECT_EQ(cfgetospeed(&t), B19200);

  EXPECT_EQ(FailureOf([&] { Restore("[ComPort]\nPort=/dev/parvex-no-such-device\nBaudRate=38400\n"); }, 17),
            "/dev/parvex-no-such-device Error: Failed to load settings");
  EXPECT_FALSE(port.Connected());

  port.SetPort(device);
  port.Open();
  port.SetBaudRate(br57600);  // applied at once only if no bracket was left open
  t = pty.Attributes();
  EXPECT_EQ(cfgetospeed(&t), B57600);
  port.Close();
}

}  // namespace
