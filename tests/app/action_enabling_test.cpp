// The two action groups and the panel follow the port: start, open, close, failure and the lock.
#include "WindowFixture.h"

#include "ErrorList.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace {

struct GroupState {
  bool portActions;    // acPortOpen, acPortSettings
  bool readerActions;  // acPortClose, acReadParameters, acWriteParameters, acWriteKeys, acClearLog,
                       // acWriteAllReaders
  bool panel;          // the mode-independent controls of the panel
};

class EnablingTest : public WindowTest {
 protected:
  // Each group must be in one state as a whole; a mixed group fails the comparison.
  GroupState State() const {
    auto all = [](std::initializer_list<QAction*> actions, bool value) {
      for (QAction* a : actions)
        if (a->isEnabled() != value) return !value;
      return value;
    };
    const bool port = form->acPortOpen->isEnabled();
    const bool reader = form->acPortClose->isEnabled();
    const bool panelOn = panel->cbReader->isEnabled();
    EXPECT_EQ(all({form->acPortOpen, form->acPortSettings}, port), port);
    EXPECT_EQ(all({form->acPortClose, form->acReadParameters, form->acWriteParameters,
                   form->acWriteKeys, form->acClearLog, form->acWriteAllReaders},
                  reader),
              reader);
    for (QWidget* w : std::initializer_list<QWidget*>{panel->lblReader, panel->leCacheNumber, panel->cbMode, panel->seCardSector,
                       panel->sgBlackList, panel->memTerminal, panel->Label2})
      EXPECT_EQ(w->isEnabled(), panelOn) << w->objectName().toStdString();
    // What the busy lock refuses is disabled while it holds, of every group; what runs stays.
    for (QAction* refused : {form->HelpAbout1, form->acSaveParameters, form->acLoadParameters, form->acSiteOpen})
      EXPECT_EQ(refused->isEnabled(), !form->Busy()) << refused->objectName().toStdString();
    EXPECT_TRUE(form->FileExit1->isEnabled());
    EXPECT_TRUE(form->acExchangeLog->isEnabled());
    return {port, reader, panelOn};
  }
};

bool operator==(const GroupState& a, const GroupState& b) {
  return a.portActions == b.portActions && a.readerActions == b.readerActions && a.panel == b.panel;
}
void PrintTo(const GroupState& s, std::ostream* os) {
  *os << "{port " << s.portActions << ", reader " << s.readerActions << ", panel " << s.panel << "}";
}

// The default line's rate and framing are what the settings file gets (window_settings_file_test).
TEST_F(EnablingTest, StartsWithItsPortClosed) {
  EXPECT_EQ(State(), (GroupState{true, false, false}));
  TComPort* port = form->ComPort;
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->objectName(), QStringLiteral("ComPort"));
  EXPECT_EQ(port->parent(), form.get());
  EXPECT_FALSE(port->Connected());
  // A converter that drives the bus on RTS or DTR must stay quiet after the open.
  EXPECT_EQ(port->FlowControl()->ControlDTR(), dtrDisable);
  EXPECT_EQ(port->FlowControl()->ControlRTS(), rtsDisable);
  EXPECT_TRUE(form->Errors().empty());
}

TEST_F(EnablingTest, OpenAndCloseThroughTheActionsFollowTheStateTable) {
  OpenPort();
  EXPECT_EQ(State(), (GroupState{false, true, true}));
  Settle();
  EXPECT_EQ(State(), (GroupState{false, true, true}));

  form->acPortClose->trigger();
  EXPECT_FALSE(form->ComPort->Connected());
  EXPECT_EQ(State(), (GroupState{true, false, false}));
  // Every control of the panel, the log and the labels included.
  for (QWidget* child : panel->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    EXPECT_FALSE(child->isEnabled()) << child->objectName().toStdString();

  // The line can be opened again after a close.
  OpenPort();
  EXPECT_EQ(State(), (GroupState{false, true, true}));
}

TEST_F(EnablingTest, OpeningAppliesTheModeRuleToThePanel) {
  OpenPort();
  EXPECT_FALSE(panel->seRecharging->isEnabled());
  EXPECT_FALSE(panel->cbCardType->isEnabled());
  EXPECT_TRUE(panel->dtpCurrentDate->isEnabled());
}

TEST_F(EnablingTest, MissingDeviceShowsThePortErrorAndKeepsThePortActions) {
  form->ComPort->SetPort(QStringLiteral("/dev/parvex-no-such-device"));
  form->acPortOpen->trigger();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("COM Port Error: Unable to open com port on ")))
      << messages[0].text.toStdString();
  EXPECT_TRUE(messages[0].detail.contains(QStringLiteral("No such file or directory")))
      << messages[0].detail.toStdString();
  EXPECT_FALSE(form->ComPort->Connected());
  Settle();
  EXPECT_EQ(State(), (GroupState{true, false, false}));
}

// A serial device without its hardware fails the open with EIO or ENXIO, as a socket does
// with ENXIO: the port was never open, so nothing vanished and the panel stays as it was.
TEST_F(EnablingTest, DeviceThatCannotBeOpenedLeavesThePanelAsItWas) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QByteArray path = dir.filePath(QStringLiteral("ttyS1")).toLocal8Bit();
  const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(socket, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(static_cast<std::size_t>(path.size()), sizeof address.sun_path);
  std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
  ASSERT_EQ(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

  form->EnableParameterPanel(true);  // as an open that found no reader leaves it
  form->ComPort->SetPort(QString::fromLocal8Bit(path));
  form->acPortOpen->trigger();
  ::close(socket);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].detail.contains(QStringLiteral("No such device or address")))
      << messages[0].detail.toStdString();
  EXPECT_EQ(State(), (GroupState{true, false, true}));
  Settle();
  EXPECT_EQ(State(), (GroupState{true, false, true}));
}

TEST_F(EnablingTest, OpenWithNoReaderClosesAgainWithThePanelEnabled) {
  PseudoTerminal silent;
  form->ComPort->SetPort(silent.path());
  form->acPortOpen->trigger();
  EXPECT_FALSE(form->ComPort->Connected());
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_EQ(State(), (GroupState{true, false, true}));
  Settle();
  EXPECT_EQ(State(), (GroupState{true, false, true}));
}

TEST_F(EnablingTest, ClearLogEmptiesTheTerminalOnly) {
  OpenPort();
  panel->memTerminal->setPlainText(QStringLiteral("OK\nREADY"));
  panel->seRelayTime->setValue(7);
  form->acClearLog->trigger();
  EXPECT_TRUE(panel->memTerminal->toPlainText().isEmpty());
  EXPECT_EQ(panel->seRelayTime->value(), 7);
  EXPECT_TRUE(form->ComPort->Connected());
}

TEST_F(EnablingTest, IdleUpdateFollowsAPortClosedByOtherMeans) {
  OpenPort();
  form->ComPort->SetConnected(false);
  QTest::keyClick(form.get(), Qt::Key_Shift);
  Settle();
  EXPECT_TRUE(form->acPortOpen->isEnabled());
  EXPECT_FALSE(form->acPortClose->isEnabled());
}

TEST_F(EnablingTest, LockDisablesEverythingUntilReleasedAndIdleLeavesItAlone) {
  OpenPort();
  {
    TParvexForm::TBusyLock lock(*form);
    EXPECT_TRUE(form->Busy());
    EXPECT_EQ(State(), (GroupState{false, false, false}));
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    // A wait inside the operation runs the event loop; the idle update must not undo the lock.
    QTest::keyClick(form.get(), Qt::Key_Shift);
    Settle();
    EXPECT_EQ(State(), (GroupState{false, false, false}));
  }
  EXPECT_FALSE(form->Busy());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  Settle();
  EXPECT_EQ(State(), (GroupState{false, true, true}));
}

TEST_F(EnablingTest, LockIsReleasedWhenTheOperationLeavesByAnException) {
  OpenPort();
  const bool completed = form->Guard([&] {
    TParvexForm::TBusyLock lock(*form);
    throw std::runtime_error("line failed");
  });
  EXPECT_FALSE(completed);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, QStringLiteral("line failed"));
  EXPECT_FALSE(form->Busy());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(panel->cbMode->isEnabled());
}

// The lock takes the focus out of the panel, so a half-edited value is settled before it is read.
TEST_F(EnablingTest, LockSettlesASpinBeingEdited) {
  ShowActive();
  OpenPort();
  panel->seCardSector->setValue(9);
  panel->seCardSector->setFocus();
  panel->seCardSector->selectAll();
  QTest::keyClick(panel->seCardSector, Qt::Key_Backspace);
  TParvexForm::TBusyLock lock(*form);
  EXPECT_FALSE(panel->seCardSector->hasFocus());
  EXPECT_EQ(panel->seCardSector->value(), 1);
  EXPECT_EQ(panel->seCardSector->text(), QStringLiteral("1"));
}

}  // namespace
