#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>

#include "BlackListEditor.h"
#include "ParameterPanel.h"
#include "QtTestApp.h"

namespace {

// The parameter panel as a window of its own, active, with the focus in the black list.
class BlackListEditing : public ::testing::Test {
 protected:
  void SetUp() override {
    panel.show();
    panel.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    grid->setFocus();
    grid->setCurrentCell(0, 0);
    QApplication::processEvents();
  }

  QString Cell(int row) const { return grid->item(row, 0)->text(); }
  QLineEdit* OpenEditor() const {
    return qobject_cast<QLineEdit*>(QApplication::focusWidget());
  }
  // Keys go where the focus is, as the operator's keyboard sends them.
  void Type(const QString& text) {
    for (QChar c : text) QTest::keyClicks(QApplication::focusWidget(), QString(c));
    QApplication::processEvents();
  }
  void Press(Qt::Key key) {
    QTest::keyClick(QApplication::focusWidget(), key);
    QApplication::processEvents();
  }
  void ClickCell(int row) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualItemRect(grid->item(row, 0)).center());
    QApplication::processEvents();
  }

  TParameterPanel panel;
  QTableWidget* grid = panel.sgBlackList;
  TBlackListEditor* editor = panel.BlackListEditor;
};

TEST_F(BlackListEditing, TypedTextIsNormalisedByEnter) {
  grid->setCurrentCell(1, 0);
  Type("ab");
  ASSERT_NE(OpenEditor(), nullptr);
  EXPECT_EQ(OpenEditor()->displayText(), "AB______");  // upper case as typed
  EXPECT_EQ(editor->FEditRow, 1);
  Press(Qt::Key_Return);
  EXPECT_EQ(Cell(1), "AB000000");
  EXPECT_FALSE(editor->Editing());
  EXPECT_EQ(Cell(2), "");  // only the row typed into is touched...
  EXPECT_EQ(Cell(0), "00000000");  // ...and row 0, the edit row before any typing, by the move
}

TEST_F(BlackListEditing, EnterOpensTheEditorOnTheCurrentCell) {
  grid->item(2, 0)->setText("0012AB9F");
  grid->setCurrentCell(2, 0);
  Press(Qt::Key_Return);
  ASSERT_TRUE(editor->Editing());
  ASSERT_NE(OpenEditor(), nullptr);
  EXPECT_EQ(OpenEditor()->displayText(), "0012AB9F");
  Press(Qt::Key_End);
  Press(Qt::Key_Backspace);
  Press(Qt::Key_Backspace);
  Press(Qt::Key_Return);
  EXPECT_EQ(Cell(2), "0012AB00");
}

TEST_F(BlackListEditing, LeavingTheCellReplacesWhatIsNoHexDigit) {
  grid->setCurrentCell(3, 0);
  Type("C1G");
  EXPECT_EQ(Cell(3), "");  // the cell takes the text only when the editor closes
  ClickCell(6);
  EXPECT_EQ(Cell(3), "C1000000");
  EXPECT_EQ(Cell(6), "");
}

TEST_F(BlackListEditing, MaskTakesEightLettersOrDigitsAtMost) {
  Type("a-1 b2c3d4e5");
  ASSERT_NE(OpenEditor(), nullptr);
  EXPECT_EQ(TBlackListEditor::EditorText(OpenEditor()), "A1B2C3D4");
}

TEST_F(BlackListEditing, EmptyEditRowBecomesZerosWhenTheGridLosesTheFocus) {
  panel.leCacheNumber->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(Cell(0), "00000000");
}

TEST_F(BlackListEditing, DisablingThePanelWhileTypingNormalisesFirst) {
  grid->setCurrentCell(4, 0);
  Type("7f");
  panel.EnableControls(false);
  EXPECT_EQ(Cell(4), "7F000000");
}

// Tab goes on to the log and Shift+Tab back to the cash-desk number, from the grid and from an
// open cell alike; the cell is committed and normalised first, and no other row is opened.
TEST_F(BlackListEditing, TabAndShiftTabLeaveTheGridWithTheCellNormalised) {
  grid->setCurrentCell(4, 0);
  Type("7f");
  ASSERT_TRUE(editor->Editing());
  Press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(panel.memTerminal));
  EXPECT_FALSE(editor->Editing());
  EXPECT_EQ(Cell(4), "7F000000");
  EXPECT_EQ(Cell(5), "");

  grid->setFocus();
  grid->setCurrentCell(6, 0);
  Type("c");
  ASSERT_TRUE(editor->Editing());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
  QApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(panel.leCacheNumber));
  EXPECT_FALSE(editor->Editing());
  EXPECT_EQ(Cell(6), "C0000000");

  grid->setFocus();
  Press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(panel.memTerminal));
}

TEST_F(BlackListEditing, DeleteClearsExactlyTheSelectedRows) {
  for (int row = 0; row < 10; ++row) grid->item(row, 0)->setText("ABCDEF01");
  grid->setCurrentCell(3, 0);
  grid->setRangeSelected(QTableWidgetSelectionRange(3, 0, 6, 0), true);
  Press(Qt::Key_Delete);
  EXPECT_FALSE(editor->Editing());
  for (int row = 0; row < 10; ++row)
    EXPECT_EQ(Cell(row), row >= 3 && row <= 6 ? "00000000" : "ABCDEF01") << row;
}

TEST_F(BlackListEditing, DeleteInsideTheEditorDeletesACharacterOnly) {
  for (int row = 0; row < 10; ++row) grid->item(row, 0)->setText("ABCDEF01");
  grid->setCurrentCell(5, 0);
  Press(Qt::Key_Return);
  ASSERT_TRUE(editor->Editing());
  Press(Qt::Key_Home);
  Press(Qt::Key_Delete);
  EXPECT_TRUE(editor->Editing());
  EXPECT_EQ(TBlackListEditor::EditorText(OpenEditor()), "_BCDEF01");
  for (int row = 0; row < 10; ++row) EXPECT_EQ(Cell(row), "ABCDEF01") << row;
  Press(Qt::Key_Return);
  EXPECT_EQ(Cell(5), "0BCDEF01");  // the gap's placeholder counts as a 0
}

}  // namespace
