// Shortcuts act for the whole window, also from edit fields, and never during a locked operation.
#include "WindowFixture.h"

#include <QClipboard>
#include <QDialog>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>

#include <functional>
#include <string>

namespace {

class ShortcutTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ShowActive();
  }
  static void Press(QWidget* target, Qt::Key key) {
    QTest::keyClick(target, key, Qt::ControlModifier);
  }
  QWidget* Focused() const { return QApplication::focusWidget(); }
};

struct FocusCase {
  const char* name;
  std::function<QWidget*(TParameterPanel*)> focus;  // gives the widget that has the focus
};
void PrintTo(const FocusCase& row, std::ostream* os) { *os << row.name; }

class FocusedShortcutTest : public ShortcutTest, public ::testing::WithParamInterface<FocusCase> {
 protected:
  QWidget* FocusInPanel() {
    QWidget* target = GetParam().focus(panel);
    target->setFocus();
    Settle();
    return Focused();
  }
};

TEST_P(FocusedShortcutTest, CtrlCClosesThePortInsteadOfCopying) {
  OpenPort();
  QApplication::clipboard()->setText(QStringLiteral("untouched"));
  panel->leCacheNumber->setText(QStringLiteral("0A0B0C0D"));
  panel->leCacheNumber->selectAll();
  QWidget* target = FocusInPanel();
  ASSERT_NE(target, nullptr);
  Press(target, Qt::Key_C);
  EXPECT_FALSE(form->ComPort->Connected());
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("untouched"));
}

TEST_P(FocusedShortcutTest, CtrlXClearsTheLogInsteadOfCutting) {
  OpenPort();
  panel->memTerminal->setPlainText(QStringLiteral("noise"));
  QWidget* target = FocusInPanel();
  ASSERT_NE(target, nullptr);
  Press(target, Qt::Key_X);
  EXPECT_TRUE(panel->memTerminal->toPlainText().isEmpty());
  EXPECT_TRUE(form->ComPort->Connected());
}

TEST_P(FocusedShortcutTest, CtrlKStartsTheKeyChange) {
  OpenPort();
  QWidget* target = FocusInPanel();
  ASSERT_NE(target, nullptr);
  // The key change opens its modal dialog; it is closed again as soon as it shows.
  QString shown;
  QTimer closer;
  closer.setInterval(5);
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      shown = dialog->objectName();
      dialog->reject();
    }
  });
  closer.start();
  Press(target, Qt::Key_K);
  EXPECT_FALSE(shown.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    EditFields, FocusedShortcutTest,
    ::testing::Values(
        FocusCase{"CashDeskEdit", [](TParameterPanel* p) -> QWidget* { return p->leCacheNumber; }},
        FocusCase{"SpinEdit", [](TParameterPanel* p) -> QWidget* { return p->seRelayTime; }},
        FocusCase{"DatePicker", [](TParameterPanel* p) -> QWidget* { return p->dtpEndDate; }},
        FocusCase{"BlackListCellEditor",
                  [](TParameterPanel* p) -> QWidget* {
                    p->sgBlackList->setCurrentCell(2, 0);
                    p->sgBlackList->editItem(p->sgBlackList->item(2, 0));
                    return QApplication::focusWidget() ? QApplication::focusWidget()
                                                       : p->sgBlackList;
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShortcutTest, WithThePortClosedEditFieldsCopyAndCutAsUsual) {
  // An open attempt that found no reader leaves the panel enabled with the port closed.
  PseudoTerminal silent;
  form->ComPort->SetPort(silent.path());
  form->acPortOpen->trigger();
  ASSERT_FALSE(form->ComPort->Connected());
  ASSERT_TRUE(panel->leCacheNumber->isEnabled());
  QSignalSpy closes(form->acPortClose, &QAction::triggered);
  panel->leCacheNumber->setText(QStringLiteral("0A0B0C0D"));
  panel->leCacheNumber->setFocus();
  panel->leCacheNumber->selectAll();
  Press(panel->leCacheNumber, Qt::Key_C);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("0A0B0C0D"));
  Press(panel->leCacheNumber, Qt::Key_X);
  EXPECT_TRUE(panel->leCacheNumber->text().isEmpty());
  EXPECT_EQ(closes.count(), 0);
}

TEST_F(ShortcutTest, ReaderShortcutsDoNothingWithThePortClosed) {
  QSignalSpy reads(form->acReadParameters, &QAction::triggered);
  QSignalSpy writes(form->acWriteParameters, &QAction::triggered);
  QSignalSpy keys(form->acWriteKeys, &QAction::triggered);
  QSignalSpy closes(form->acPortClose, &QAction::triggered);
  for (Qt::Key key : {Qt::Key_R, Qt::Key_W, Qt::Key_K, Qt::Key_C}) Press(form.get(), key);
  Settle();
  EXPECT_EQ(reads.count() + writes.count() + keys.count() + closes.count(), 0);
  EXPECT_FALSE(form->ComPort->Connected());
  EXPECT_TRUE(form->acPortOpen->isEnabled());
}

TEST_F(ShortcutTest, CtrlOOpensThePort) {
  form->ComPort->SetPort(QString::fromStdString(line.DevicePath()));
  Press(form.get(), Qt::Key_O);
  EXPECT_TRUE(form->ComPort->Connected());
  EXPECT_TRUE(panel->cbMode->isEnabled());
}

TEST_F(ShortcutTest, ShortcutDuringALockedOperationStartsNothing) {
  OpenPort();
  TParvexForm::TBusyLock lock(*form);
  Press(form.get(), Qt::Key_C);
  Press(form.get(), Qt::Key_R);
  Settle();
  EXPECT_TRUE(form->ComPort->Connected());
  EXPECT_FALSE(form->acPortClose->isEnabled());
}

// Open first waits for a quiet line; a key pressed then (which brings the idle update) and
// Ctrl+C must not close the port before the broadcast.
TEST_F(ShortcutTest, ShortcutDuringTheQuietTimeAfterTheOpenStartsNothing) {
  form->ComPort->SetPort(QString::fromStdString(line.DevicePath()));
  bool pressed = false;
  QTimer::singleShot(0, form.get(), [&] {
    QTest::keyClick(form.get(), Qt::Key_Shift);
    Settle();
    Press(form.get(), Qt::Key_C);
    pressed = true;
  });
  form->acPortOpen->trigger();
  EXPECT_TRUE(pressed);
  EXPECT_TRUE(messages.empty()) << messages.front().text.toStdString();
  EXPECT_TRUE(form->ComPort->Connected());
  EXPECT_EQ(panel->cbReader->count(), 1);
}

// The key dialog's sequence holds only the busy flag; the actions stay enabled, yet nothing runs.
TEST_F(ShortcutTest, BusyFlagAloneHoldsOffAnEnabledAction) {
  OpenPort();
  panel->memTerminal->setPlainText(QStringLiteral("noise"));
  TParvexForm::TBusyLock lock(*form, TParvexForm::TBusyLock::Scope::CursorOnly);
  ASSERT_TRUE(form->acPortClose->isEnabled());
  Press(form.get(), Qt::Key_C);
  Press(form.get(), Qt::Key_X);
  form->acPortClose->trigger();
  EXPECT_TRUE(form->ComPort->Connected());
  EXPECT_EQ(panel->memTerminal->toPlainText(), QStringLiteral("noise"));
}

}  // namespace
