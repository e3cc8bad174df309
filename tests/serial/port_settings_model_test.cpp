#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "CPort.h"
#include "ComThread.h"
#include "PermissionHint.h"
#include "PtyPair.h"
#include "ScriptedComPlatform.h"
#include "SerialPortList.h"

namespace {

using ::testing::ElementsAre;

// ---- error texts and messages --------------------------------------------------------------

TEST(ComErrorTexts, CodesWithoutATextAreNamedByNumber) {
  for (const int code : {0, 24, -3})
    EXPECT_EQ(ComErrorText(code), QStringLiteral("Unknown Error #%1").arg(code));
}

TEST(ComPortExceptions, MessagesNameThePortInTheirTwoFormats) {
  const EComPort plain(comerr::kConnected, "COM1");
  EXPECT_STREQ(plain.what(), "COM1 Error: Cannot set property while connected");
  EXPECT_EQ(plain.Code(), 14);
  const EComPortExt ext(comerr::kOpen, ENOENT, "COM9");
  EXPECT_STREQ(ext.what(), "COM Port Error: Unable to open com port on COM9");
  EXPECT_EQ(ext.Code(), 1);
  EXPECT_EQ(ext.SystemCode(), ENOENT);
  EXPECT_EQ(SystemErrorText(EACCES).toStdString(), std::strerror(EACCES));
}

struct TPathRow {
  const char* name;
  const char* path;
};
void PrintTo(const TPathRow& row, std::ostream* out) { *out << row.name; }
class PortNames : public ::testing::TestWithParam<TPathRow> {};

TEST_P(PortNames, MapToDevicePaths) {
  EXPECT_EQ(TCustomComPort::DevicePath(GetParam().name).toStdString(), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(Table, PortNames,
                         ::testing::Values(TPathRow{"COM1", "/dev/ttyS0"}, TPathRow{"COM12", "/dev/ttyS11"},
                                           TPathRow{"/dev/pts/4", "/dev/pts/4"},
                                           TPathRow{"ttyUSB0", "/dev/ttyUSB0"}, TPathRow{"COM0", "/dev/COM0"},
                                           TPathRow{"COMX", "/dev/COMX"}, TPathRow{"COM+1", "/dev/COM+1"},
                                           TPathRow{"com1", "/dev/com1"},
                                           TPathRow{"rfc2217://gw.local:4001", "rfc2217://gw.local:4001"},
                                           TPathRow{"tcp://[fe80::1]:23", "tcp://[fe80::1]:23"}));

// ---- the machine's serial devices and the setup dialog --------------------------------------

TEST(SerialPortList, SortedWithoutRegardToCaseAndWithoutPseudoTerminals) {
  QStringList names{"stale"};
  ListSerialPorts(names);
  EXPECT_FALSE(names.contains("stale"));
  for (qsizetype i = 1; i < names.size(); ++i)
    EXPECT_LE(names[i - 1].compare(names[i], Qt::CaseInsensitive), 0);
  for (const QString& name : names) EXPECT_FALSE(name.startsWith("pts")) << name.toStdString();
}

// Only a refusal of access has a hint: the device's own group when joining it would let this
// user in, else the group that serial devices usually belong to.
TEST(PermissionHint, NamesTheGroupThatWouldLetTheUserIn) {
  for (int code : {EBUSY, ENOENT, EIO}) EXPECT_TRUE(PermissionHint(code, "/no/such/device").isEmpty()) << code;
  for (int code : {EACCES, EPERM})
    EXPECT_TRUE(PermissionHint(code, "/no/such/device").contains("member of the group dialout")) << code;

  if (getuid() != 0) GTEST_SKIP() << "only root can give a file a group it is not in";
  QTemporaryDir dir;
  const QString device = dir.filePath("ttyFAKE0");
  QFile file(device);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  const group* other = getgrnam("nogroup");
  ASSERT_NE(other, nullptr);
  ASSERT_EQ(chown(QFile::encodeName(device).constData(), static_cast<uid_t>(-1), other->gr_gid), 0);
  ASSERT_EQ(chmod(QFile::encodeName(device).constData(), 0660), 0);
  EXPECT_EQ(PermissionHint(EACCES, device).toStdString(),
            "the device belongs to the group nogroup: sudo usermod -aG nogroup $USER, then log in again");
  // A group without read and write on the device would not help.
  ASSERT_EQ(chmod(QFile::encodeName(device).constData(), 0640), 0);
  EXPECT_TRUE(PermissionHint(EACCES, device).contains("member of the group dialout"));
}

// The dialog is a widget the serial component does not link; without one installed, running it
// is a clear error rather than a crash.
TEST(SetupDialogHook, RunsTheInstalledDialogOnThePortAndFailsClearlyWithoutOne) {
  TComPort port;
  try {
    port.RunSetupDialog();
    FAIL() << "no exception";
  } catch (const std::logic_error& e) {
    EXPECT_NE(std::string(e.what()).find("no setup dialog"), std::string::npos) << e.what();
  }
  int runs = 0;
  port.SetSetupDialog([&](TCustomComPort& shown) {
    EXPECT_EQ(&shown, &port);
    ++runs;
  });
  port.RunSetupDialog();
  EXPECT_EQ(runs, 1);
}

// ---- properties on a port over the scripted device ----------------------------------------

class PortOnDouble : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    port.SetEvents({});
  }
  void OpenPort() {
    port.Open();
    ASSERT_TRUE(port.Connected());
  }
  std::shared_ptr<TScriptedComPlatform> device = std::make_shared<TScriptedComPlatform>();
  TComPort port{device};
};

// What each failing step of the port raises: its code, and the code's text in the message.
struct TFailingStep {
  const char* what;
  std::function<void(TComPort&, TScriptedComPlatform&)> fail;
  int code;
  const char* message;
};
void PrintTo(const TFailingStep& row, std::ostream* out) { *out << row.what; }
class FailingSteps : public PortOnDouble, public ::testing::WithParamInterface<TFailingStep> {};

TEST_P(FailingSteps, RaiseTheirCodeWithItsTextInTheMessage) {
  try {
    GetParam().fail(port, *device);
    FAIL() << "no exception";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Code(), GetParam().code);
    EXPECT_STREQ(e.what(), GetParam().message);
  }
}

void OpenThen(TComPort& port, TScriptedComPlatform& device, TCall call, const std::function<void()>& step) {
  port.Open();
  device.FailCall(call, EPERM);  // not one of a vanished device, which some steps pass over
  step();
}

INSTANTIATE_TEST_SUITE_P(
    Table, FailingSteps,
    ::testing::Values(
        TFailingStep{"open", [](TComPort& p, TScriptedComPlatform& d) { d.FailCall(TCall::OpenDevice, ENOENT); p.Open(); },
                     comerr::kOpen, "COM Port Error: Unable to open com port on COM1"},
        TFailingStep{"line settings",
                     [](TComPort& p, TScriptedComPlatform& d) { OpenThen(p, d, TCall::SetAttributes, [&] { p.SetBaudRate(br19200); }); },
                     comerr::kLineSettings, "COM Port Error: SetCommState function failed on COM1"},
        TFailingStep{"write",
                     [](TComPort& p, TScriptedComPlatform& d) { OpenThen(p, d, TCall::Write, [&] { p.Write("x", 1); }); },
                     comerr::kWrite, "COM Port Error: WriteFile function failed on COM1"},
        TFailingStep{"read",
                     [](TComPort& p, TScriptedComPlatform& d) {
                       p.Timeouts()->SetReadTotalConstant(50);
                       char byte;
                       OpenThen(p, d, TCall::Poll, [&] { p.Read(&byte, 1); });
                     },
                     comerr::kRead, "COM Port Error: ReadFile function failed on COM1"},
        TFailingStep{"purge",
                     [](TComPort& p, TScriptedComPlatform& d) { OpenThen(p, d, TCall::Flush, [&] { p.DiscardOutput(); }); },
                     comerr::kPurge, "COM Port Error: PurgeComm function failed on COM1"},
        TFailingStep{"queued input",
                     [](TComPort& p, TScriptedComPlatform& d) { OpenThen(p, d, TCall::InputQueued, [&] { p.QueuedInputCount(); }); },
                     comerr::kClearError, "COM Port Error: ClearCommError function failed on COM1"},
        TFailingStep{"modem lines",
                     [](TComPort& p, TScriptedComPlatform& d) { OpenThen(p, d, TCall::GetModemLines, [&] { p.LineSignals(); }); },
                     comerr::kModemStatus, "COM Port Error: GetCommModemStatus function failed on COM1"},
        TFailingStep{"sync method while open",
                     [](TComPort& p, TScriptedComPlatform&) {
                       p.Open();
                       p.SetSyncMethod(smNone);
                     },
                     comerr::kConnected, "COM1 Error: Cannot set property while connected"},
        TFailingStep{"settings saved into a folder",
                     [](TComPort& p, TScriptedComPlatform&) { p.SaveSettings(QDir::tempPath()); },
                     comerr::kStoreSettings, "COM1 Error: Failed to store settings"},
        TFailingStep{"settings restored from a folder",
                     [](TComPort& p, TScriptedComPlatform&) { p.RestoreSettings(QDir::tempPath()); },
                     comerr::kLoadSettings, "COM1 Error: Failed to load settings"}));

TEST_F(PortOnDouble, StartsWithTheDefaultsOfTheSettingsModel) {
  EXPECT_EQ(port.Port(), "COM1");
  EXPECT_EQ(port.BaudRate(), br9600);
  EXPECT_EQ(port.CustomBaudRate(), 9600);
  EXPECT_EQ(TComPort().Events(), kAllComEvents);
  EXPECT_EQ(port.SyncMethod(), smThreadSync);
  EXPECT_EQ(port.StoredGroups(), TStoredGroups{sgBasic});
  EXPECT_EQ(port.Timeouts()->ReadInterval(), -1);
  EXPECT_EQ(port.Timeouts()->WriteTotalMultiplier(), 100);
  EXPECT_EQ(port.Timeouts()->WriteTotalConstant(), 1000);
  EXPECT_EQ(port.Buffer()->InputSize(), 1024);
  EXPECT_EQ(port.Buffer()->OutputSize(), 1024);
  EXPECT_EQ(port.FlowControl()->XonChar(), 0x11);
  EXPECT_EQ(port.FlowControl()->XoffChar(), 0x13);
  EXPECT_EQ(port.FlowControl()->FlowControl(), fcNone);
  EXPECT_FALSE(port.Connected());
}

TEST_F(PortOnDouble, BufferSizesDropAnOddUnitWhenPositive) {
  struct {
    int written, stored;
  } rows[] = {{1025, 1024}, {1024, 1024}, {1, 0}, {0, 0}, {-3, -3}};
  for (const auto& row : rows) {
    port.Buffer()->SetInputSize(row.written);
    port.Buffer()->SetOutputSize(row.written);
    EXPECT_EQ(port.Buffer()->InputSize(), row.stored) << row.written;
    EXPECT_EQ(port.Buffer()->OutputSize(), row.stored) << row.written;
  }
}

TEST_F(PortOnDouble, CompositeFlowControlReadsFromTheFlags) {
  TComFlowControl& flow = *port.FlowControl();
  flow.SetControlRTS(rtsHandshake);
  flow.SetOutCTSFlow(true);
  EXPECT_EQ(flow.FlowControl(), fcHardware);
  flow.SetXonXoffIn(true);
  EXPECT_EQ(flow.FlowControl(), fcCustom);
  flow.SetControlRTS(rtsDisable);
  flow.SetOutCTSFlow(false);
  flow.SetXonXoffOut(true);
  EXPECT_EQ(flow.FlowControl(), fcSoftware);
  flow.SetXonXoffIn(false);
  EXPECT_EQ(flow.FlowControl(), fcCustom);
  flow.SetXonXoffOut(false);
  flow.SetOutDSRFlow(true);  // takes no part in the composite
  flow.SetControlDTR(dtrEnable);
  EXPECT_EQ(flow.FlowControl(), fcNone);
  flow.SetControlRTS(rtsEnable);
  EXPECT_EQ(flow.FlowControl(), fcCustom);
}

TEST_F(PortOnDouble, CompositeFlowControlWriteResetsTheHandshakesFirst) {
  TComFlowControl& flow = *port.FlowControl();
  flow.SetFlowControl(fcHardware);
  EXPECT_EQ(flow.ControlRTS(), rtsHandshake);
  EXPECT_TRUE(flow.OutCTSFlow());
  flow.SetFlowControl(fcSoftware);
  EXPECT_EQ(flow.ControlRTS(), rtsDisable);
  EXPECT_FALSE(flow.OutCTSFlow());
  EXPECT_TRUE(flow.XonXoffIn() && flow.XonXoffOut());
  flow.SetFlowControl(fcCustom);
  EXPECT_EQ(flow.FlowControl(), fcSoftware);
  flow.SetFlowControl(fcNone);
  EXPECT_FALSE(flow.XonXoffIn() || flow.XonXoffOut());
}

TEST_F(PortOnDouble, WritesApplyOnceWhenTheValueChangesOrAWholeObjectIsAssigned) {
  OpenPort();
  const int base = device->Count(TCall::SetAttributes);
  port.SetBaudRate(br9600);
  port.Parity()->SetBits(prNone);
  port.FlowControl()->SetXonChar(0x11);
  EXPECT_EQ(device->Count(TCall::SetAttributes), base);
  port.SetBaudRate(br19200);
  EXPECT_EQ(device->Count(TCall::SetAttributes), base + 1);
  port.FlowControl()->SetFlowControl(fcCustom);  // nothing changed, still applied
  EXPECT_EQ(device->Count(TCall::SetAttributes), base + 2);
  TComParity parity;
  parity.SetBits(prOdd);
  parity.SetCheck(true);
  port.SetParity(parity);
  EXPECT_EQ(device->Count(TCall::SetAttributes), base + 3);
  EXPECT_EQ(port.Parity()->Bits(), prOdd);
  EXPECT_TRUE(port.Parity()->Check());
  EXPECT_TRUE(device->attributes.c_iflag & INPCK);
  TComTimeouts timeouts;
  EXPECT_THROW(port.Parity()->Assign(static_cast<const TComPersistent&>(timeouts)), std::invalid_argument);
  EXPECT_EQ(device->Count(TCall::SetAttributes), base + 3);
}

TEST_F(PortOnDouble, BracketedChangesReachTheDeviceOnceAtTheOutermostEnd) {
  OpenPort();
  const int base = device->Count(TCall::SetAttributes);
  port.EndChanges();  // without a matching begin: nothing
  EXPECT_EQ(device->Count(TCall::SetAttributes), base);
  port.BeginChanges();
  port.BeginChanges();
  port.SetBaudRate(br57600);
  port.SetDataBits(dbSeven);
  port.Parity()->SetBits(prEven);
  port.EndChanges();
  EXPECT_EQ(device->Count(TCall::SetAttributes), base);
  port.EndChanges();
  EXPECT_EQ(device->Count(TCall::SetAttributes), base + 1);
  EXPECT_EQ(cfgetospeed(&device->attributes), B57600);
  EXPECT_EQ(device->attributes.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
  EXPECT_EQ(device->attributes.c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB));
}

TEST_F(PortOnDouble, LineSettingsMapToTermios) {
  port.Parity()->SetBits(prMark);
  port.SetDataBits(dbFive);
  port.SetStopBits(sbOne5StopBits);
  port.FlowControl()->SetFlowControl(fcHardware);
  port.FlowControl()->SetControlDTR(dtrEnable);
  OpenPort();
  const termios& t = device->attributes;
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS5));
  EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), static_cast<tcflag_t>(PARENB | PARODD | CMSPAR));
  EXPECT_TRUE(t.c_cflag & CSTOPB);
  EXPECT_TRUE(t.c_cflag & CRTSCTS);
  EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | PARMRK));
  EXPECT_EQ(device->modemLines & (TIOCM_DTR | TIOCM_RTS), TIOCM_DTR);
  port.Parity()->SetBits(prSpace);
  EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), static_cast<tcflag_t>(PARENB | CMSPAR));
}

TEST_F(PortOnDouble, RatesWithoutAConstantGoThroughTheCustomSpeed) {
  port.SetBaudRate(brCustom);
  port.SetCustomBaudRate(31250);
  OpenPort();
  EXPECT_EQ(device->customSpeed, 31250);
  port.SetBaudRate(br256000);
  EXPECT_EQ(device->customSpeed, 256000);
  port.SetBaudRate(br115200);
  EXPECT_EQ(cfgetospeed(&device->attributes), B115200);
  EXPECT_EQ(device->Count(TCall::SetCustomSpeed), 2);
}

struct TRefusedRow {
  const char* what;
  std::function<void(TComPort&)> set;
};
void PrintTo(const TRefusedRow& row, std::ostream* out) { *out << row.what; }
class RefusedSettings : public PortOnDouble, public ::testing::WithParamInterface<TRefusedRow> {};

TEST_P(RefusedSettings, RaiseCode7AndLeaveThePortClosed) {
  GetParam().set(port);
  try {
    port.Open();
    FAIL() << "opened with " << GetParam().what;
  } catch (const EComPortExt& e) {
    EXPECT_EQ(e.Code(), comerr::kLineSettings);
  }
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(device->OpenHandles(), 0);
  EXPECT_EQ(device->Count(TCall::SetAttributes), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedSettings,
    ::testing::Values(
        TRefusedRow{"5 data bits, 2 stop bits", [](TComPort& p) { p.SetDataBits(dbFive); p.SetStopBits(sbTwoStopBits); }},
        TRefusedRow{"8 data bits, 1.5 stop bits", [](TComPort& p) { p.SetStopBits(sbOne5StopBits); }},
        TRefusedRow{"output DSR flow", [](TComPort& p) { p.FlowControl()->SetOutDSRFlow(true); }},
        TRefusedRow{"DTR handshake", [](TComPort& p) { p.FlowControl()->SetControlDTR(dtrHandshake); }},
        TRefusedRow{"DSR sensitivity", [](TComPort& p) { p.FlowControl()->SetDSRSensitivity(true); }},
        TRefusedRow{"CTS flow alone", [](TComPort& p) { p.FlowControl()->SetOutCTSFlow(true); }},
        TRefusedRow{"RTS handshake alone", [](TComPort& p) { p.FlowControl()->SetControlRTS(rtsHandshake); }}));

// RTS toggle is the kernel's RS-485 mode, asked for only while it is chosen: RTS on while
// sending, nothing else, no delays; cleared when it is left and at close. RTS is the driver's
// meanwhile and is not written by hand.
TEST_F(PortOnDouble, RtsToggleIsTheKernelsRs485ModeOnlyWhileChosen) {
  OpenPort();
  EXPECT_TRUE(device->rs485Requests.empty());  // a pty refuses the mode: never asked for unchosen
  port.FlowControl()->SetControlRTS(rtsToggle);
  EXPECT_EQ(port.FlowControl()->FlowControl(), fcCustom);
  ASSERT_EQ(device->rs485Requests.size(), 1u);
  const serial_rs485& on = device->rs485Requests[0];
  EXPECT_EQ(on.flags, static_cast<__u32>(SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND));
  EXPECT_EQ(on.delay_rts_before_send, 0u);
  EXPECT_EQ(on.delay_rts_after_send, 0u);
  const std::size_t rtsWrites = device->modemLineLevels.size();
  port.SetBaudRate(br19200);
  EXPECT_EQ(device->modemLineLevels.size(), rtsWrites + 1);  // DTR only
  EXPECT_EQ(device->rs485Requests.size(), 1u);
  port.FlowControl()->SetControlRTS(rtsDisable);
  ASSERT_EQ(device->rs485Requests.size(), 2u);
  EXPECT_EQ(device->rs485Requests[1].flags, 0u);
  port.FlowControl()->SetControlRTS(rtsToggle);
  port.Close();
  ASSERT_EQ(device->rs485Requests.size(), 4u);
  EXPECT_EQ(device->rs485Requests[3].flags, 0u);
}

TEST_F(PortOnDouble, RtsToggleOnADriverWithoutRs485RaisesCode7AndLeavesThePortClosed) {
  device->FailCall(TCall::SetRs485, ENOTTY);
  port.FlowControl()->SetControlRTS(rtsToggle);
  try {
    port.Open();
    FAIL() << "opened without the RS-485 mode";
  } catch (const EComPortExt& e) {
    EXPECT_EQ(e.Code(), comerr::kLineSettings);
    EXPECT_EQ(e.SystemCode(), ENOTTY);
  }
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(device->OpenHandles(), 0);
}

TEST_F(PortOnDouble, RefusedChangeOnAnOpenPortKeepsTheValueAndTheDevice) {
  OpenPort();
  const termios before = device->attributes;
  EXPECT_THROW(port.SetStopBits(sbOne5StopBits), EComPortExt);
  EXPECT_EQ(port.StopBits(), sbOne5StopBits);
  EXPECT_EQ(std::memcmp(&before, &device->attributes, sizeof before), 0);
  EXPECT_TRUE(port.Connected());
}

TEST_F(PortOnDouble, SyncMethodIsRefusedWhileOpen) {
  port.SetSyncMethod(smNone);
  OpenPort();
  try {
    port.SetSyncMethod(smThreadSync);
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Code(), comerr::kConnected);
    EXPECT_EQ(std::string(e.what()).rfind("COM1 Error: ", 0), 0u);
  }
  EXPECT_EQ(port.SyncMethod(), smNone);
}

TEST_F(PortOnDouble, OpenAndCloseNotifyInTheirOrder) {
  std::vector<std::string> log;
  auto note = [&log](const char* what) { return [&log, what](QObject*) { log.push_back(what); }; };
  auto signal = [&log](const char* what) {
    return [&log, what](QObject*, bool on) { log.push_back(std::string(what) + (on ? "+" : "-")); };
  };
  port.SetOnBeforeOpen(note("before-open"));
  port.SetOnAfterOpen(note("after-open"));
  port.SetOnBeforeClose(note("before-close"));
  port.SetOnAfterClose(note("after-close"));
  port.SetOnCTSChange(signal("cts"));
  port.SetOnDSRChange(signal("dsr"));
  port.SetOnRLSDChange(signal("rlsd"));
  device->modemLines = TIOCM_CTS | TIOCM_CAR;
  port.SetEvents({evRxChar});
  port.Open();
  port.Close();
  EXPECT_THAT(log, ElementsAre("before-open", "after-open", "cts+", "dsr-", "rlsd+", "cts-", "dsr-", "rlsd-",
                               "before-close", "after-close"));
  EXPECT_EQ(device->OpenHandles(), 0);
}

TEST_F(PortOnDouble, DeviceWithoutModemLinesOpensAndOtherQueryFailuresClose) {
  device->FailCall(TCall::GetModemLines, ENOTTY);
  OpenPort();
  EXPECT_TRUE(port.LineSignals().empty());
  port.Close();

  auto failing = std::make_shared<TScriptedComPlatform>();
  failing->FailCall(TCall::GetModemLines, EIO);
  TComPort other(failing);
  bool afterClose = false;
  other.SetOnAfterClose([&](QObject*) { afterClose = true; });
  try {
    other.Open();
    FAIL();
  } catch (const EComPortExt& e) {
    EXPECT_EQ(e.Code(), comerr::kModemStatus);
  }
  EXPECT_FALSE(other.Connected());
  EXPECT_TRUE(afterClose);
  EXPECT_EQ(failing->OpenHandles(), 0);
}

TEST_F(PortOnDouble, CloseCompletesWhenThePurgeFails) {
  bool afterClose = false;
  port.SetOnAfterClose([&](QObject*) { afterClose = true; });
  port.SetEvents({evRxChar});
  OpenPort();
  device->FailCall(TCall::Flush, EIO);  // the device has vanished: nothing to report
  EXPECT_NO_THROW(port.Close());
  EXPECT_FALSE(port.Connected());
  EXPECT_TRUE(afterClose);
  EXPECT_EQ(device->OpenHandles(), 0);

  auto refusing = std::make_shared<TScriptedComPlatform>();
  TComPort other(refusing);
  other.Open();
  refusing->FailCall(TCall::Flush, EPERM);
  try {
    other.Close();
    FAIL();
  } catch (const EComPortExt& e) {
    EXPECT_EQ(e.Code(), comerr::kPurge);
  }
  EXPECT_FALSE(other.Connected());
  EXPECT_EQ(refusing->OpenHandles(), 0);
}

TEST_F(PortOnDouble, PortWrittenWhileOpenReopensAndKeepsANameThatFails) {
  OpenPort();
  port.SetPort("ttyUSB3");
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(device->Count(TCall::OpenDevice), 2);
  device->FailCall(TCall::OpenDevice, ENOENT);
  try {
    port.SetPort("ttyUSB4");
    FAIL();
  } catch (const EComPortExt& e) {
    EXPECT_EQ(e.SystemCode(), ENOENT);
    EXPECT_STREQ(e.what(), "COM Port Error: Unable to open com port on ttyUSB4");
  }
  EXPECT_EQ(port.Port(), "ttyUSB4");
  EXPECT_FALSE(port.Connected());
  port.SetPort("ttyUSB4");  // same text: nothing happens
  EXPECT_EQ(device->Count(TCall::OpenDevice), 3);
}

// The exclusive flag outlives our descriptor while anyone else keeps the terminal open, and only
// root opens past it: every way out of an open port clears it. A line another program locks keeps
// its flag untouched.
TEST(ExclusiveUse, EndsWithThePortOnEveryPath) {
  TestApp();
  struct {
    const char* path;
    std::optional<TCall> failing;
    int error;
    bool touched;
  } rows[] = {{"close", std::nullopt, 0, true},
              {"line locked by another program", TCall::Lock, EWOULDBLOCK, false},
              {"settings refused", TCall::SetAttributes, EINVAL, true},
              {"event thread cannot start", TCall::CreateEvent, EMFILE, true},
              {"line signals cannot be read", TCall::GetModemLines, EIO, true}};
  for (const auto& row : rows) {
    auto device = std::make_shared<TScriptedComPlatform>();
    TComPort port(device);
    port.SetEvents({evRxChar});
    if (row.failing) {
      device->FailCall(*row.failing, row.error);
      EXPECT_THROW(port.Open(), EComPortExt) << row.path;
    } else {
      port.Open();
      EXPECT_TRUE(device->exclusive);
      port.Close();
    }
    EXPECT_FALSE(device->exclusive) << row.path;
    EXPECT_EQ(device->Count(TCall::SetExclusive), row.touched ? 1 : 0) << row.path;
    EXPECT_EQ(device->Count(TCall::ClearExclusive), row.touched ? 1 : 0) << row.path;
    EXPECT_EQ(device->OpenHandles(), 0) << row.path;
  }
}

// open(2) raises DTR and RTS. Those the settings hold low drop before any other setting, those
// held high never drop, and RTS under the driver's handshake is left to the driver.
TEST(ModemLinesAtOpen, LinesHeldLowDropFirstAndNoOtherLineMoves) {
  TestApp();
  struct {
    TDTRFlowControl dtr;
    TFlowControl flow;
    TRTSFlowControl rts;
    int high;
  } rows[] = {{dtrDisable, fcNone, rtsDisable, 0},
              {dtrEnable, fcNone, rtsDisable, TIOCM_DTR},
              {dtrDisable, fcNone, rtsEnable, TIOCM_RTS},
              {dtrDisable, fcHardware, rtsHandshake, TIOCM_RTS}};
  for (const auto& row : rows) {
    auto device = std::make_shared<TScriptedComPlatform>();
    device->modemLines = TIOCM_DTR | TIOCM_RTS;
    TComPort port(device);
    port.SetEvents({});
    port.FlowControl()->SetFlowControl(row.flow);
    port.FlowControl()->SetControlRTS(row.rts);
    port.FlowControl()->SetControlDTR(row.dtr);
    port.Open();
    const std::vector<TCall> calls = device->Calls();
    const auto position = [&calls](auto match) { return std::find_if(calls.begin(), calls.end(), match) - calls.begin(); };
    EXPECT_LT(position([](TCall c) { return c == TCall::SetModemLines; }),
              position([](TCall c) { return c == TCall::GetAttributes || c == TCall::SetAttributes; }))
        << row.dtr << row.rts;
    ASSERT_FALSE(device->modemLineLevels.empty());
    EXPECT_EQ(device->modemLineLevels.front(), row.high) << row.dtr << row.rts;
    for (int level : device->modemLineLevels) EXPECT_EQ(level & row.high, row.high) << row.dtr << row.rts;
    EXPECT_EQ(device->modemLines, row.high);
  }
}

TEST_F(PortOnDouble, ReadReturnsWhatWasReallyRead) {
  OpenPort();
  std::uint8_t buffer[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
  EXPECT_EQ(port.Read(buffer, 0), 0);
  EXPECT_EQ(port.Read(buffer, -4), 0);
  EXPECT_EQ(buffer[0], 0x11);
  EXPECT_EQ(port.Read(buffer, 5), 0);
  EXPECT_EQ(buffer[0], 0xFF);
  device->Feed({1, 2, 3});
  EXPECT_EQ(port.Read(buffer, 5), 3);
  EXPECT_THAT(std::vector<std::uint8_t>(buffer, buffer + 4), ElementsAre(1, 2, 3, 0x44));
  port.SetDiscardNull(true);
  device->Feed({0, 7, 0, 0, 8});
  EXPECT_EQ(port.Read(buffer, 8), 2);
  EXPECT_EQ(buffer[0], 7);
  EXPECT_EQ(buffer[1], 8);
  device->FailCall(TCall::Read, EIO);  // a failing device is not a quiet line
  try {
    port.Read(buffer, 4);
    FAIL() << "a read error passed for an empty line";
  } catch (const EComPortExt& e) {
    EXPECT_EQ(e.Code(), comerr::kRead);
    EXPECT_EQ(e.SystemCode(), EIO);
  }
}

TEST_F(PortOnDouble, WriteCutByItsTimeOutReturnsTheShorterCount) {
  port.Timeouts()->SetWriteTotalMultiplier(0);
  port.Timeouts()->SetWriteTotalConstant(1);
  OpenPort();
  device->writeRoom = 3;
  const std::uint8_t frame[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(port.Write(frame, 6), 3);
  device->FailCall(TCall::Write, EIO);
  try {
    port.Write(frame, 6);
    FAIL();
  } catch (const EComPortExt& e) {
    EXPECT_EQ(e.Code(), comerr::kWrite);
    EXPECT_EQ(e.SystemCode(), EIO);
  }
}

TEST_F(PortOnDouble, QueriesRaiseTheirCodes) {
  OpenPort();
  EXPECT_TRUE(port.LineErrors().empty());  // no error counters: none recorded
  device->FailCall(TCall::InputQueued, EIO);
  try {
    port.QueuedInputCount();
    FAIL();
  } catch (const EComPortExt& e) {
    EXPECT_EQ(e.Code(), comerr::kClearError);
  }
}

TEST_F(PortOnDouble, LineErrorsComeFromTheDriverCountersAndTheQueryClearsThem) {
  device->hasCounters = true;
  OpenPort();
  EXPECT_TRUE(port.LineErrors().empty());
  device->counters.frame = 2;
  device->counters.parity = 1;
  device->counters.bufOverrun = 1;
  EXPECT_EQ(port.LineErrors(), (TComErrors{ceFrame, ceRxOver}));  // parity only when checked
  EXPECT_TRUE(port.LineErrors().empty());
  port.Parity()->SetCheck(true);
  device->counters.parity = 2;
  device->counters.brk = 1;
  device->counters.overrun = 5;
  EXPECT_EQ(port.LineErrors(), (TComErrors{ceRxParity, ceBreak, ceOverrun}));
  device->FailCall(TCall::GetCounters, EIO);
  EXPECT_THROW(port.LineErrors(), EComPortExt);
}

TEST(EventMask, ConvertsBothWaysAndIgnoresForeignFlags) {
  EXPECT_EQ(EventsToMask(kAllComEvents), 0x05FFu);
  EXPECT_EQ(EventsToMask({evRxChar}), 0x0001u);
  EXPECT_EQ(EventsToMask({evTxEmpty, evRxFlag, evRing}), 0x0106u);
  EXPECT_EQ(MaskToEvents(0x05FF), kAllComEvents);
  EXPECT_EQ(MaskToEvents(0x0200 | 0x0800 | 0x0020), TComEvents{evRLSD});
  for (TComEvent e : kDeliveryOrder) EXPECT_EQ(MaskToEvents(EventFlag(e)), TComEvents{e});
}

TEST_F(PortOnDouble, EventThreadThatCannotStartLeavesThePortClosed) {
  port.SetEvents({evRxChar});
  device->FailCall(TCall::CreateEvent, EMFILE);
  EXPECT_THROW(port.Open(), EComPortExt);
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(device->OpenHandles(), 0);
}

// Every call of a whole session failing in turn: each failure is an EComPort or handled, and
// nothing stays open or hangs.
TEST(PortCallFailures, EveryFailingCallLeavesNothingOpen) {
  TestApp();
  auto session = [](TComPort& port) {
    const std::uint8_t frame[4] = {1, 2, 3, 4};
    std::uint8_t buffer[4];
    port.Open();
    port.Write(frame, 4);
    port.Read(buffer, 4);
    port.QueuedInputCount();
    port.LineErrors();
    port.SetBaudRate(br19200);
    port.Close();
  };
  auto clean = std::make_shared<TScriptedComPlatform>();
  {
    TComPort port(clean);
    port.SetEvents({});
    session(port);
  }
  const int calls = clean->CallCount();
  ASSERT_GT(calls, 10);
  for (int n = 0; n < calls; ++n) {
    for (bool from : {false, true}) {
      auto device = std::make_shared<TScriptedComPlatform>();
      device->Feed({9, 9});
      if (from) device->FailFrom(n, EIO);
      else device->FailNth(n, EIO);
      {
        TComPort port(device);
        port.SetEvents({});
        try {
          session(port);
        } catch (const EComPort&) {
        }
        try {
          port.Close();
        } catch (const EComPort&) {
        }
        EXPECT_FALSE(port.Connected()) << n;
      }
      EXPECT_EQ(device->OpenHandles(), 0) << "call " << n << (from ? " onwards" : "");
      EXPECT_TRUE(!device->exclusive || device->Failed(TCall::ClearExclusive)) << "call " << n
                                                                                << (from ? " onwards" : "");
    }
  }
}

}  // namespace
