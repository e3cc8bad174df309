#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "QtTestApp.h"
#include "WriteKeysForm.h"

namespace {

struct Call {
  QString keyA, keyB, oldKey, oldKeyType;
};

// The dialog with a key change that records its calls and a runner that holds one busy flag
// and swallows exceptions, as the window's does.
class KeyDialog : public ::testing::Test {
 protected:
  KeyDialog()
      : dialog(
            [this](const QString& a, const QString& b, const QString& old, const QString& type) {
              calls.push_back({a, b, old, type});
              if (duringChange) duringChange();
              if (fail) throw std::runtime_error("key change failed");
            },
            [this](const std::function<void()>& body) {
              if (busy) return false;
              busy = true;
              bool ran = true;
              try {
                body();
              } catch (...) {
                ran = false;
              }
              busy = false;
              return ran;
            }) {}

  void Show(std::uint8_t mode) {
    dialog.SetupForMode(mode);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  }
  // Key events carrying their text, as a keyboard layout sends them (Cyrillic included).
  void Type(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->setCursorPosition(0);
    for (QChar c : text) {
      const int key = c.unicode() < 0x80 ? int(c.toUpper().unicode()) : int(Qt::Key_unknown);
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
      QApplication::sendEvent(field, &press);
      QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
      QApplication::sendEvent(field, &release);
    }
  }

  TfrmWriteKeys dialog;
  std::vector<Call> calls;
  std::function<void()> duringChange;
  bool fail = false;
  bool busy = false;
};

TEST_F(KeyDialog, IsBuiltAsTheOperatorKnowsIt) {
  EXPECT_EQ(dialog.objectName(), "frmWriteKeys");
  EXPECT_EQ(dialog.windowTitle(), "Изменение ключей");
  EXPECT_EQ(dialog.cbOldKeyType->count(), 2);
  EXPECT_EQ(dialog.cbOldKeyType->itemText(0), "A");
  EXPECT_EQ(dialog.cbOldKeyType->itemText(1), "B");
  EXPECT_EQ(dialog.cbOldKeyType->currentText(), "A");
  EXPECT_TRUE(dialog.btnOK->isDefault());
  EXPECT_EQ(dialog.btnCancel->text(), "Отмена");
  EXPECT_EQ(dialog.eKeyA->width(), 417);
  EXPECT_EQ(dialog.eOldKey->width(), 189);
  EXPECT_EQ(dialog.cbOldKeyType->width(), 216);
  EXPECT_EQ(TfrmWriteKeys::KeyText(dialog.eKeyA), "000000000000");  // empty shows as zeros
}

struct LayoutRow {
  std::uint8_t mode;
  const char* panel;
};

void PrintTo(const LayoutRow& r, std::ostream* os) { *os << "mode " << int{r.mode}; }

class KeyDialogLayout : public KeyDialog, public ::testing::WithParamInterface<LayoutRow> {};

TEST_P(KeyDialogLayout, ShowsExactlyOneKeyPanelAboveTheButtons) {
  Show(GetParam().mode);
  int shown = 0;
  for (QWidget* panel : {dialog.pnlKeyA, dialog.pnlKeyB, dialog.pnlOldKey}) {
    if (!panel->isVisible()) continue;
    ++shown;
    EXPECT_EQ(panel->objectName(), GetParam().panel);
    EXPECT_EQ(panel->geometry(), QRect(0, 0, 433, 72));
  }
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(dialog.pnlButtons->isVisible());
  EXPECT_EQ(dialog.pnlButtons->geometry(), QRect(0, 72, 433, 63));
  EXPECT_EQ(dialog.size(), QSize(433, 135));  // hidden panels take no room
}

INSTANTIATE_TEST_SUITE_P(Modes, KeyDialogLayout,
                         ::testing::Values(LayoutRow{1, "pnlKeyA"}, LayoutRow{2, "pnlKeyA"},
                                           LayoutRow{3, "pnlKeyB"}, LayoutRow{4, "pnlOldKey"}));

TEST_F(KeyDialog, RelayingOutForAnotherModeKeepsOnePanel) {
  Show(4);
  dialog.SetupForMode(1);
  EXPECT_TRUE(dialog.pnlKeyA->isVisible());
  EXPECT_FALSE(dialog.pnlOldKey->isVisible());
  EXPECT_EQ(dialog.size(), QSize(433, 135));
}

struct TypingRow {
  const char* typed;
  const char* key;
};

void PrintTo(const TypingRow& r, std::ostream* os) { *os << '"' << r.typed << '"'; }

class KeyTyping : public KeyDialog, public ::testing::WithParamInterface<TypingRow> {};

// Only hex digits go in, so what the field shows is the key that is sent.
TEST_P(KeyTyping, FieldTakesHexDigitsOnly) {
  Show(1);
  Type(dialog.eKeyA, QString::fromUtf8(GetParam().typed));
  EXPECT_EQ(TfrmWriteKeys::KeyText(dialog.eKeyA), GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KeyTyping,
    ::testing::Values(TypingRow{"a1b2c3d4e5f6", "A1B2C3D4E5F6"},
                      TypingRow{"A0B0", "A0B000000000"},  // typed zeros stay in place
                      TypingRow{"G1", "100000000000"},
                      TypingRow{"АВ", "000000000000"},  // Cyrillic look-alikes
                      TypingRow{"12 34-56", "123456000000"},
                      TypingRow{"0123456789abcdef", "0123456789AB"}));

TEST_F(KeyDialog, OkHandsOverEveryFieldNormalised) {
  Show(4);
  dialog.eKeyA->setText("a1b2c3d4e5f6");
  dialog.eKeyB->setText("B1");
  Type(dialog.eOldKey, "c1c2");
  dialog.cbOldKeyType->setCurrentIndex(1);
  QTest::keyClick(dialog.eOldKey, Qt::Key_Return);  // the default button
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].keyA, "A1B2C3D4E5F6");
  EXPECT_EQ(calls[0].keyB, "B10000000000");
  EXPECT_EQ(calls[0].oldKey, "C1C200000000");
  EXPECT_EQ(calls[0].oldKeyType, "B");
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(KeyDialog, FailedKeyChangeKeepsTheDialogOpenAndOkRepeatsIt) {
  Show(1);
  Type(dialog.eKeyA, "a1a2");
  fail = true;
  dialog.btnOK->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(TfrmWriteKeys::KeyText(dialog.eKeyA), "A1A200000000");
  fail = false;
  dialog.btnOK->click();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].keyA, "A1A200000000");
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(KeyDialog, EscapeAndCancelCloseWithoutAKeyChange) {
  Show(3);
  QTest::keyClick(dialog.eKeyB, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  Show(3);
  dialog.btnCancel->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_TRUE(calls.empty());
}

// Enter presses the button that has the focus; with the focus elsewhere it presses OK.
TEST_F(KeyDialog, EnterPressesTheFocusedButtonAndOkOtherwise) {
  Show(1);
  dialog.btnCancel->setFocus();
  QTest::keyClick(dialog.btnCancel, Qt::Key_Return);
  EXPECT_TRUE(calls.empty());
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);

  Show(1);
  dialog.btnCancel->setFocus();
  dialog.eKeyA->setFocus();
  QTest::keyClick(dialog.eKeyA, Qt::Key_Return);
  EXPECT_EQ(calls.size(), 1u);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

// While the key change waits for the reader nothing in the dialog starts another one or
// closes it behind the operator's back.
TEST_F(KeyDialog, NothingStartsOrClosesWhileTheKeyChangeWaits) {
  Show(2);
  duringChange = [this] {
    dialog.btnOK->click();
    QTest::keyClick(dialog.eKeyA, Qt::Key_Return);
    QTest::keyClick(dialog.eKeyA, Qt::Key_Escape);
    dialog.btnCancel->click();
    dialog.close();
    EXPECT_TRUE(dialog.isVisible());
  };
  dialog.btnOK->click();
  EXPECT_EQ(calls.size(), 1u);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

}  // namespace
