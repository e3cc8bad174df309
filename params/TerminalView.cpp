#include "TerminalView.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

TTerminalView::TTerminalView(QPlainTextEdit& view) : QObject(&view), view_(view) {
  view_.setReadOnly(true);
  view_.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  view_.setLineWrapMode(QPlainTextEdit::NoWrap);
  view_.setUndoRedoEnabled(false);  // the undo stack would keep every echo ever shown
  view_.setMaximumBlockCount(static_cast<int>(terminal::kMaxLogLines));
}

void TTerminalView::Show(std::string_view raw) {
  const LogEdit edit = log_.Show(raw);
  QTextCursor cursor(view_.document());
  cursor.movePosition(QTextCursor::End);
  // On the last line one raw byte is one character, and every character of the rendering is
  // a single UTF-16 unit, so keep counts positions in the block.
  const QTextBlock last = cursor.block();
  const int keep = static_cast<int>(edit.keep);
  if (keep < last.length() - 1) {
    cursor.setPosition(last.position() + keep, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
  }
  if (!edit.text.empty()) {
    cursor.insertText(QString::fromUtf8(edit.text.data(), static_cast<qsizetype>(edit.text.size())));
  }
  QScrollBar* bar = view_.verticalScrollBar();
  bar->setValue(bar->maximum());
}

void TTerminalView::Clear() {
  view_.clear();
  log_.Clear();
}
