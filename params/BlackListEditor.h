#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QKeyEvent;
class QLineEdit;
class QTableWidget;
class QWidget;

// How the black-list grid is edited: cells take up to eight letters or digits, upper case as
// typed, and the row last typed into (FEditRow) is brought to eight hexadecimal digits when
// Enter is pressed, another cell is chosen or the grid loses the focus. Tab and Shift+Tab leave
// the grid, also from the cell editor. Delete outside the cell editor clears the selected rows. Installed on the grid, whose child it becomes.
class TBlackListEditor : public QObject {
  Q_OBJECT

 public:
  explicit TBlackListEditor(QTableWidget* grid);

  // Up to eight letters or digits, each optional, upper case; '_' marks the empty places
  // while editing and is not part of the text.
  static constexpr char kEditMask[] = ">nnnnnnnn;_";
  static constexpr int kEntryLength = 8;

  QString sgBlackListGetEditMask(int column, int row) const;
  // The operator changed a cell's text in the editor; the cell takes it when the editor closes.
  void sgBlackListSetEditText(int column, int row, const QString& text);
  void sgBlackListSelectCell(int column, int row);
  void sgBlackListExit();
  void sgBlackListKeyPress(QChar key);
  void sgBlackListKeyUp(int key);

  // The text an editor holds as a cell's text: what it shows, without the trailing blanks.
  static QString EditorText(const QLineEdit* editor);

  bool Editing() const;  // the cell editor is open
  int FEditRow = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class TBlackListCellDelegate;
  void EditorOpened(QLineEdit* editor, int row);
  void EditorClosed();
  void NormalizeEditRow();
  void ClearSelectedRows();
  // Tab or Shift+Tab from the cell editor, once it has closed: the focus leaves the grid.
  void PassFocusOn(const QKeyEvent& tab);
  bool InGrid(const QWidget* widget) const;

  QTableWidget* grid_;
  QPointer<QLineEdit> editor_;
  int editorRow_ = -1;
};
