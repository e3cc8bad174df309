#include "CPort.h"
#include "CPortSetup.h"
#include "QtTestApp.h"
#include "SerialPortWatch.h"
#include "../serial/PtyPair.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QGroupBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QStringList kListed{"COM10", "COM2", "ttyS0", "ttyUSB0"};

// The watch that the port list made last, on the devices staged for it.
TStagedPortWatch* staged = nullptr;

void Stage(const std::vector<TSerialAdapter>& adapters) {
  SetSerialPortWatchMaker([adapters] {
    auto watch = std::make_unique<TStagedPortWatch>(adapters);
    staged = watch.get();
    return watch;
  });
}

void Stage(const QStringList& names) {
  std::vector<TSerialAdapter> adapters;
  for (const QString& name : names) adapters.push_back({.device = QStringLiteral("/dev/") + name});
  Stage(adapters);
}

// Picks an entry as the operator does, with the keyboard, so the combo box hears of it.
void Pick(TComComboBox* combo, const QString& text) {
  QTest::keyClick(combo, Qt::Key_Home);
  for (int i = 0; i < combo->count() && combo->Text() != text; ++i) QTest::keyClick(combo, Qt::Key_Down);
  ASSERT_EQ(combo->Text(), text);
}

class SetupDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    Stage(kListed);
    port.setObjectName(QStringLiteral("ComPort"));
    port.SetSetupDialog(ExecuteSetupDialog);
  }
  void TearDown() override { SetSerialPortWatchMaker({}); }

  // Runs the dialog; act sees it shown and must close it.
  void Run(std::function<void(TComSetupFrm&)> act) {
    bool acted = false;
    QTimer::singleShot(0, [&] {
      auto* form = qobject_cast<TComSetupFrm*>(QApplication::activeModalWidget());
      ASSERT_NE(form, nullptr);
      acted = true;
      act(*form);
      if (form->isVisible()) {
        ADD_FAILURE() << "the dialog is still open";
        form->done(TComSetupFrm::mrCancel);
      }
    });
    port.RunSetupDialog();
    EXPECT_TRUE(acted);
  }
  static TComComboBox* Combo(TComSetupFrm& form, int n) {
    return form.findChild<TComComboBox*>(QStringLiteral("Combo%1").arg(n));
  }
  static void Click(TComSetupFrm& form, const char* button) {
    QTest::mouseClick(form.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
  }

  TComPort port;
};

TEST_F(SetupDialog, ShowsTheCurrentValues) {
  port.SetPort(QStringLiteral("ttyUSB0"));
  port.SetBaudRate(br115200);
  port.SetDataBits(dbSeven);
  port.SetStopBits(sbTwoStopBits);
  port.Parity()->SetBits(prOdd);
  port.FlowControl()->SetFlowControl(fcSoftware);
  Run([](TComSetupFrm& form) {
    EXPECT_EQ(form.windowTitle(), "Setup");
    const QStringList shown{"ttyUSB0", "115200", "7", "2", "Odd", "Software"};
    for (int n = 1; n <= 6; ++n) EXPECT_EQ(Combo(form, n)->Text(), shown[n - 1]) << n;
    EXPECT_EQ(Combo(form, 2)->count(), 16);
    Click(form, "Button2");
  });
}

TEST_F(SetupDialog, CancelCloseBoxAndEscapeChangeNothing) {
  port.SetPort(QStringLiteral("COM2"));
  const auto changeAll = [](TComSetupFrm& form) {
    Pick(Combo(form, 1), "ttyS0");
    Pick(Combo(form, 2), "300");
    Pick(Combo(form, 3), "5");
    Pick(Combo(form, 4), "1.5");
    Pick(Combo(form, 5), "Space");
    Pick(Combo(form, 6), "Hardware");
  };
  Run([&](TComSetupFrm& form) {
    changeAll(form);
    Click(form, "Button2");
  });
  Run([&](TComSetupFrm& form) {
    changeAll(form);
    form.close();  // the window's close box
    EXPECT_FALSE(form.isVisible());
  });
  Run([&](TComSetupFrm& form) {
    changeAll(form);
    QTest::keyClick(Combo(form, 6), Qt::Key_Escape);
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    Click(form, "Button2");
  });
  EXPECT_EQ(port.Port(), "COM2");
  EXPECT_EQ(port.BaudRate(), br9600);
  EXPECT_EQ(port.DataBits(), dbEight);
  EXPECT_EQ(port.StopBits(), sbOneStopBit);
  EXPECT_EQ(port.Parity()->Bits(), prNone);
  EXPECT_EQ(port.FlowControl()->FlowControl(), fcNone);
}

TEST_F(SetupDialog, OkAppliesEveryChoice) {
  port.FlowControl()->SetXonXoffIn(true);
  port.FlowControl()->SetXonXoffOut(true);
  Run([](TComSetupFrm& form) {
    Pick(Combo(form, 1), "COM10");
    Pick(Combo(form, 2), "57600");
    Pick(Combo(form, 3), "6");
    Pick(Combo(form, 4), "2");
    Pick(Combo(form, 5), "Mark");
    Pick(Combo(form, 6), "Hardware");
    Click(form, "Button1");
  });
  EXPECT_EQ(port.Port(), "COM10");
  EXPECT_EQ(port.BaudRate(), br57600);
  EXPECT_EQ(port.DataBits(), dbSix);
  EXPECT_EQ(port.StopBits(), sbTwoStopBits);
  EXPECT_EQ(port.Parity()->Bits(), prMark);
  EXPECT_EQ(port.FlowControl()->ControlRTS(), rtsHandshake);
  EXPECT_TRUE(port.FlowControl()->OutCTSFlow());
  EXPECT_FALSE(port.FlowControl()->XonXoffIn());
  EXPECT_FALSE(port.FlowControl()->XonXoffOut());
}

TEST_F(SetupDialog, EnterClosesWithOk) {
  Run([](TComSetupFrm& form) {
    Pick(Combo(form, 5), "Even");
    QTest::keyClick(Combo(form, 5), Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
  });
  EXPECT_EQ(port.Parity()->Bits(), prEven);
}

TEST_F(SetupDialog, NameDifferingInCaseTakesTheListsCase) {
  port.SetPort(QStringLiteral("ttyusb0"));
  Run([](TComSetupFrm& form) {
    EXPECT_EQ(Combo(form, 1)->Text(), "ttyUSB0");
    Click(form, "Button1");
  });
  EXPECT_EQ(port.Port(), "ttyUSB0");
}

TEST_F(SetupDialog, UnlistedNameIsKeptByOk) {
  port.SetPort(QStringLiteral("/dev/pts/7"));
  Run([](TComSetupFrm& form) {
    EXPECT_EQ(Combo(form, 1)->currentIndex(), -1);
    EXPECT_EQ(Combo(form, 1)->Text(), "/dev/pts/7");
    Click(form, "Button1");
  });
  EXPECT_EQ(port.Port(), "/dev/pts/7");
}

// A network line typed into the port's list is taken by OK as typed, shown the next time, and
// saved as typed; the list stays the machine's devices.
TEST_F(SetupDialog, TypedNetworkLineIsKeptShownAndSavedAsTyped) {
  const QString line = QStringLiteral("rfc2217://[fd00::20]:4001");
  port.SetPort(QStringLiteral("COM2"));
  Run([&](TComSetupFrm& form) {
    TComComboBox* combo = Combo(form, 1);
    EXPECT_TRUE(combo->toolTip().contains("tcp://HOST:PORT")) << combo->toolTip().toStdString();
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), line);
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);  // Enter ends the typing and presses OK
    EXPECT_FALSE(form.isVisible());
  });
  EXPECT_EQ(port.Port(), line);
  Run([&](TComSetupFrm& form) {
    EXPECT_EQ(Combo(form, 1)->Text(), line);
    EXPECT_EQ(Combo(form, 1)->count(), kListed.size());
    Click(form, "Button1");
  });
  EXPECT_EQ(port.Port(), line);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Parvex.ini"));
  port.SaveSettings(path);
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains("\nPort=" + line.toUtf8() + "\n"));
}

const QString kFtdiById = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3X7Q-if00-port0");
const TSerialAdapter kFtdi{.device = QStringLiteral("/dev/ttyUSB0"), .byId = kFtdiById,
                           .manufacturer = QStringLiteral("FTDI"), .product = QStringLiteral("FT232R USB UART"),
                           .serialNumber = QStringLiteral("A10K3X7Q")};
const TSerialAdapter kBoard{.device = QStringLiteral("/dev/ttyACM0"), .product = QStringLiteral("STM32 Virtual ComPort")};
const QString kFtdiText = QStringLiteral("FTDI FT232R USB UART, серийный номер A10K3X7Q");

QStringList Entries(const QComboBox& combo) {
  QStringList entries;
  for (int i = 0; i < combo.count(); ++i) entries << combo.itemText(i);
  return entries;
}

QString AdapterShown(TComSetupFrm& form) { return form.findChild<QLabel*>(QStringLiteral("lbAdapter"))->text(); }

// The list follows adapters plugged and pulled while the dialog is open; the choice stays, also
// when its adapter is pulled, and each adapter is offered by the name that stays too.
TEST_F(SetupDialog, PortListFollowsTheAdaptersAndKeepsTheChoice) {
  Stage({{.device = QStringLiteral("/dev/ttyS0")}, kFtdi});
  port.SetPort(QStringLiteral("ttyUSB0"));
  Run([](TComSetupFrm& form) {
    TComComboBox* combo = Combo(form, 1);
    EXPECT_EQ(Entries(*combo), QStringList({"ttyS0", "ttyUSB0", kFtdiById}));
    EXPECT_EQ(combo->itemData(2, kAdapterRole).toString(), kFtdiText);
    EXPECT_EQ(AdapterShown(form), kFtdiText);
    // The open list shows each adapter beside its short name, whole.
    QStyleOptionViewItem entry;
    entry.initFrom(combo->view());
    const int whole = combo->view()->fontMetrics().horizontalAdvance(QStringLiteral("ttyUSB0   ") + kFtdiText);
    EXPECT_GE(combo->view()->itemDelegate()->sizeHint(entry, combo->model()->index(1, 0)).width(), whole);
    EXPECT_GE(combo->view()->minimumWidth(), whole);

    staged->Arrive(kBoard);
    EXPECT_EQ(Entries(*combo), QStringList({"ttyACM0", "ttyS0", "ttyUSB0", kFtdiById}));
    EXPECT_EQ(combo->Text(), "ttyUSB0");
    Pick(combo, kFtdiById);
    EXPECT_EQ(AdapterShown(form), kFtdiText);

    staged->Leave(kFtdi.device);
    EXPECT_EQ(Entries(*combo), QStringList({"ttyACM0", "ttyS0"}));
    EXPECT_EQ(combo->Text(), kFtdiById);
    EXPECT_EQ(AdapterShown(form), "");
    Pick(combo, "ttyACM0");
    EXPECT_EQ(AdapterShown(form), "STM32 Virtual ComPort");
    staged->Arrive(kFtdi);
    EXPECT_EQ(combo->Text(), "ttyACM0");
    Pick(combo, kFtdiById);
    Click(form, "Button1");
  });
  EXPECT_EQ(port.Port(), kFtdiById);
}

TEST_F(SetupDialog, CustomRateAndCustomFlowSurviveOk) {
  port.SetBaudRate(brCustom);
  port.SetCustomBaudRate(250000);
  port.FlowControl()->SetControlRTS(rtsToggle);
  port.FlowControl()->SetXonXoffOut(true);
  Run([](TComSetupFrm& form) {
    EXPECT_EQ(Combo(form, 2)->Text(), "Custom");
    EXPECT_EQ(Combo(form, 6)->Text(), "Custom");
    Click(form, "Button1");
  });
  EXPECT_EQ(port.BaudRate(), brCustom);
  EXPECT_EQ(port.CustomBaudRate(), 250000);
  EXPECT_EQ(port.FlowControl()->ControlRTS(), rtsToggle);
  EXPECT_TRUE(port.FlowControl()->XonXoffOut());
}

// A choice the open port cannot take leaves as the port's exception, and the bracket of changes
// is closed all the same, so later settings still reach the device at once.
TEST_F(SetupDialog, FailedApplyOnAnOpenPortLeavesItUsable) {
  Stage(QStringList{"parvex-no-such-device"});
  TPtyPair pty;
  ASSERT_FALSE(pty.Name().empty());
  const QString device = QString::fromStdString(pty.Name());
  port.SetPort(device);
  port.Open();
  QTimer::singleShot(0, [] {
    auto* form = qobject_cast<TComSetupFrm*>(QApplication::activeModalWidget());
    ASSERT_NE(form, nullptr);
    Pick(Combo(*form, 1), "parvex-no-such-device");
    Click(*form, "Button1");
  });
  EXPECT_THROW(port.RunSetupDialog(), EComPortExt);
  EXPECT_FALSE(port.Connected());
  port.SetPort(device);
  port.Open();
  port.SetBaudRate(br57600);
  termios t = pty.Attributes();
  EXPECT_EQ(cfgetospeed(&t), B57600);
  port.Close();
}

TEST_F(SetupDialog, PortListFailureLeavesBeforeTheDialogShows) {
  SetSerialPortWatchMaker([]() -> std::unique_ptr<TSerialPortWatch> {
    throw EComPortExt(comerr::kRegistry, 2, QStringLiteral("EnumComPorts"));
  });
  try {
    port.RunSetupDialog();
    FAIL() << "no exception";
  } catch (const EComPortExt& e) {
    EXPECT_EQ(e.Code(), 23);
    EXPECT_STREQ(e.what(), "COM Port Error: Registry error on EnumComPorts");
  }
}

TEST_F(SetupDialog, LayoutTextsAndTabOrder) {
  TComSetupFrm form;
  EXPECT_EQ(form.size(), QSize(231, 246));
  auto* group = form.findChild<QGroupBox*>(QStringLiteral("GroupBox1"));
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->geometry(), QRect(8, 8, 217, 169));
  EXPECT_EQ(group->title(), " Settings ");
  const QStringList labels{"Port", "Baud rate", "Data bits", "Stop bits", "Parity", "Flow control"};
  QList<QWidget*> tabStops;
  for (int n = 1; n <= 6; ++n) {
    auto* label = group->findChild<QLabel*>(QStringLiteral("Label%1").arg(n));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), labels[n - 1]);
    EXPECT_EQ(label->pos(), QPoint(8, 24 * n));
    TComComboBox* combo = Combo(form, n);
    EXPECT_EQ(combo->parentWidget(), group);
    EXPECT_EQ(combo->geometry(), QRect(80, 16 + 24 * (n - 1), 129, 21));
    EXPECT_EQ(combo->isEditable(), n == 1) << n;  // a network line is typed into the port's list
    tabStops.append(combo);
  }
  auto* ok = form.findChild<QPushButton*>(QStringLiteral("Button1"));
  auto* cancel = form.findChild<QPushButton*>(QStringLiteral("Button2"));
  EXPECT_EQ(ok->text(), "OK");
  EXPECT_EQ(cancel->text(), "Cancel");
  EXPECT_EQ(ok->geometry(), QRect(70, 214, 75, 25));
  EXPECT_EQ(cancel->geometry(), QRect(150, 214, 75, 25));
  EXPECT_TRUE(ok->isDefault());
  tabStops << ok << cancel;
  // The focus chain, read from the first list, holds the eight controls in this order.
  QList<QWidget*> chain;
  QWidget* w = tabStops.front();
  do {
    if (tabStops.contains(w)) chain.append(w);
    w = w->nextInFocusChain();
  } while (w != tabStops.front());
  EXPECT_EQ(chain, tabStops);
  EXPECT_EQ(Combo(form, 1)->count(), kListed.size());
}

// The bound combo box on its own.
class ComComboBox : public ::testing::Test {
 protected:
  void SetUp() override { Stage(kListed); }
  void TearDown() override { SetSerialPortWatchMaker({}); }
};

TEST_F(ComComboBox, ListsFollowThePropertyAndTextSelectsOnlyListedEntries) {
  TComComboBox combo;
  EXPECT_EQ(combo.count(), 0);
  EXPECT_EQ(combo.Text(), "");
  combo.SetComProperty(cpParity);
  EXPECT_EQ(combo.count(), 5);
  EXPECT_EQ(combo.Text(), "None");
  combo.SetText(QStringLiteral("Even"));
  EXPECT_EQ(combo.Text(), "Even");
  combo.SetText(QStringLiteral("even"));
  combo.SetText(QStringLiteral("Parity"));
  EXPECT_EQ(combo.Text(), "Even");
  combo.SetComProperty(cpNone);
  EXPECT_EQ(combo.count(), 0);
}

TEST_F(ComComboBox, AutoApplyAndTheDestroyedPort) {
  TComComboBox combo;
  combo.SetComProperty(cpStopBits);
  int changes = 0;
  QObject::connect(&combo, &TComComboBox::Change, [&] { ++changes; });
  {
    TComPort port;
    port.SetStopBits(sbTwoStopBits);
    combo.SetComPort(&port);
    EXPECT_EQ(combo.Text(), "2");
    combo.SetAutoApply(true);
    Pick(&combo, "1.5");
    EXPECT_EQ(port.StopBits(), sbOne5StopBits);
    EXPECT_GT(changes, 0);

    // Showing the port's value is not a pick: the name keeps its own case.
    TComComboBox names;
    names.SetComProperty(cpPort);
    names.SetAutoApply(true);
    port.SetPort(QStringLiteral("ttyusb0"));
    names.SetComPort(&port);
    EXPECT_EQ(names.Text(), "ttyUSB0");
    EXPECT_EQ(port.Port(), "ttyusb0");
  }
  EXPECT_EQ(combo.ComPort(), nullptr);
  EXPECT_EQ(combo.Text(), "1");
  combo.ApplyToPort();  // nothing bound: nothing to write to
}

// A name being typed is neither lost, nor moved from under the cursor, nor left untaken when the
// list changes under it.
TEST_F(ComComboBox, TypingGoesOnWhileTheListChanges) {
  TComPort port;
  TComComboBox names;
  names.SetComProperty(cpPort);
  names.SetComPort(&port);
  names.SetAutoApply(true);
  names.lineEdit()->selectAll();
  QTest::keyClicks(names.lineEdit(), QStringLiteral("gw:4001"));
  QTest::keyClick(names.lineEdit(), Qt::Key_Home);
  staged->Arrive(kBoard);
  QTest::keyClicks(names.lineEdit(), QStringLiteral("tcp://"));
  staged->Leave(kBoard.device);
  QTest::keyClick(names.lineEdit(), Qt::Key_Return);
  EXPECT_EQ(port.Port(), "tcp://gw:4001");
}

}  // namespace
