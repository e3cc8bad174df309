#include "BlackListEditor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include "QtHexText.h"

namespace {

constexpr QChar kBlank = u'_';
constexpr QChar kCarriageReturn = u'\r';

bool IsEnter(const QKeyEvent* event) {
  return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

bool IsTab(const QKeyEvent* event) {
  return (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) &&
         !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

}  // namespace

// The cell editor: a masked line edit that reports each change of its text and hands the
// text to the cell only when it closes, so that typing keeps its cursor and placeholders.
class TBlackListCellDelegate : public QStyledItemDelegate {
 public:
  explicit TBlackListCellDelegate(TBlackListEditor* owner)
      : QStyledItemDelegate(owner), owner_(owner) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex& index) const override {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    editor->setInputMask(owner_->sgBlackListGetEditMask(index.column(), index.row()));
    const int column = index.column();
    const int row = index.row();
    connect(editor, &QLineEdit::textEdited, owner_, [this, editor, column, row] {
      owner_->sgBlackListSetEditText(column, row, TBlackListEditor::EditorText(editor));
    });
    owner_->EditorOpened(editor, row);
    return editor;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    auto* line = static_cast<QLineEdit*>(editor);
    line->setText(index.data(Qt::EditRole).toString());
    line->selectAll();
  }

  void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
    owner_->EditorClosed();
    QStyledItemDelegate::destroyEditor(editor, index);
  }

  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override {
    model->setData(index, TBlackListEditor::EditorText(static_cast<QLineEdit*>(editor)),
                   Qt::EditRole);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      // Enter normalises first; the delegate then closes the editor with the normalised text.
      if (IsEnter(key)) owner_->sgBlackListKeyPress(kCarriageReturn);
      // Tab leaves the grid instead of opening the next row: the cell takes the editor's text,
      // and leaving the grid normalises it.
      if (IsTab(key)) {
        auto* editor = static_cast<QWidget*>(watched);
        emit commitData(editor);
        emit closeEditor(editor, NoHint);
        owner_->PassFocusOn(*key);
        return true;
      }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
  }

 private:
  TBlackListEditor* owner_;
};

TBlackListEditor::TBlackListEditor(QTableWidget* grid) : QObject(grid), grid_(grid) {
  // Tab and Shift+Tab go on to the next control, not to the next cell.
  grid_->setTabKeyNavigation(false);
  grid_->setItemDelegate(new TBlackListCellDelegate(this));
  grid_->installEventFilter(this);
  connect(grid_, &QTableWidget::currentCellChanged, this,
          [this](int row, int column) { sgBlackListSelectCell(column, row); });
  // A click on the current cell selects it again without changing it.
  connect(grid_, &QTableWidget::cellPressed, this,
          [this](int row, int column) { sgBlackListSelectCell(column, row); });
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
    if (InGrid(old) && !InGrid(now)) sgBlackListExit();
  });
}

QString TBlackListEditor::sgBlackListGetEditMask(int, int) const {
  return QString::fromLatin1(kEditMask);
}

void TBlackListEditor::sgBlackListSetEditText(int, int row, const QString&) { FEditRow = row; }

void TBlackListEditor::sgBlackListSelectCell(int, int) { NormalizeEditRow(); }

void TBlackListEditor::sgBlackListExit() { NormalizeEditRow(); }

void TBlackListEditor::sgBlackListKeyPress(QChar key) {
  if (key == kCarriageReturn) NormalizeEditRow();
}

void TBlackListEditor::sgBlackListKeyUp(int key) {
  if (!Editing() && key == Qt::Key_Delete) ClearSelectedRows();
}

QString TBlackListEditor::EditorText(const QLineEdit* editor) {
  QString text = editor->displayText();
  while (text.endsWith(kBlank)) text.chop(1);
  return text;
}

bool TBlackListEditor::Editing() const { return !editor_.isNull(); }

void TBlackListEditor::EditorOpened(QLineEdit* editor, int row) {
  editor_ = editor;
  editorRow_ = row;
}

void TBlackListEditor::EditorClosed() {
  editor_ = nullptr;
  editorRow_ = -1;
}

void TBlackListEditor::NormalizeEditRow() {
  if (FEditRow < 0 || FEditRow >= grid_->rowCount()) return;
  const bool open = Editing() && editorRow_ == FEditRow;
  QTableWidgetItem* cell = grid_->item(FEditRow, 0);
  const QString text = open ? EditorText(editor_) : cell->text();
  const QString normal = NormalizeHexText(text, kEntryLength);
  cell->setText(normal);
  // An open editor hands its text to the cell when it closes: it must hand over this one.
  if (open) editor_->setText(normal);
}

void TBlackListEditor::ClearSelectedRows() {
  const QList<QTableWidgetSelectionRange> ranges = grid_->selectedRanges();
  if (ranges.isEmpty()) return;
  const QTableWidgetSelectionRange& range = ranges.front();
  for (int row = range.topRow(); row <= range.bottomRow(); ++row)
    grid_->item(row, 0)->setText(QStringLiteral("00000000"));
}

void TBlackListEditor::PassFocusOn(const QKeyEvent& tab) {
  // The grid, without tab navigation of its own, hands the focus on as any control does.
  QKeyEvent again(QEvent::KeyPress, tab.key(), tab.modifiers(), tab.text());
  QCoreApplication::sendEvent(grid_, &again);
}

bool TBlackListEditor::InGrid(const QWidget* widget) const {
  return widget && (widget == grid_ || grid_->isAncestorOf(widget));
}

bool TBlackListEditor::eventFilter(QObject* watched, QEvent* event) {
  if (watched != grid_ || Editing()) return false;
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (IsEnter(key)) {
      sgBlackListKeyPress(kCarriageReturn);
      grid_->edit(grid_->currentIndex());
      return true;
    }
    // Delete acts on release; pressed, it must not open the cell editor.
    return key->key() == Qt::Key_Delete;
  }
  if (event->type() == QEvent::KeyRelease) sgBlackListKeyUp(static_cast<QKeyEvent*>(event)->key());
  return false;
}
