#include "TerminalView.h"

#include "Utf8Text.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace {
// The view catches up at most this often: applying and painting every chunk of a fast line
// would lay out the visible lines once per chunk, slower than the line itself. Far below what
// an eye notices.
constexpr int kRefreshMs = 25;
}  // namespace

TTerminalView::TTerminalView(QPlainTextEdit& view) : QObject(&view), view_(view) {
  refresh_.setSingleShot(true);
  refresh_.setInterval(kRefreshMs);
  connect(&refresh_, &QTimer::timeout, this, &TTerminalView::Apply);
  view_.setReadOnly(true);
  view_.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  view_.setLineWrapMode(QPlainTextEdit::NoWrap);
  view_.setUndoRedoEnabled(false);  // the undo stack would keep every echo ever shown
}

void TTerminalView::Show(std::string_view raw) {
  const LogEdit edit = log_.Show(raw);
  const QString text = Utf8Text(edit.text);
  // On the last line one raw byte is one character, and every character of the rendering is a
  // single UTF-16 unit, so keep counts positions in the line.
  const qsizetype keep = static_cast<qsizetype>(edit.keep);
  if (!pending_) {
    pending_ = TPending{keep, text};
    refresh_.start();
    return;
  }
  // The new edit's line is the one the pending edit leaves last: fold the two into one.
  const qsizetype lastBreak = pending_->text.lastIndexOf(QLatin1Char('\n'));
  if (lastBreak >= 0) {
    pending_->text.truncate(lastBreak + 1 + keep);
  } else if (keep <= pending_->keep) {
    pending_->keep = keep;
    pending_->text.clear();
  } else {
    pending_->text.truncate(keep - pending_->keep);
  }
  pending_->text += text;
}

void TTerminalView::Apply() {
  if (!pending_) return;
  const TPending edit = std::move(*pending_);
  pending_.reset();
  refresh_.stop();
  QTextCursor cursor(view_.document());
  cursor.movePosition(QTextCursor::End);
  const QTextBlock last = cursor.block();
  if (edit.keep < last.length() - 1) {
    cursor.setPosition(last.position() + static_cast<int>(edit.keep), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
  }
  if (!edit.text.isEmpty()) cursor.insertText(edit.text);
  DropOldestLines();
  QScrollBar* bar = view_.verticalScrollBar();
  bar->setValue(bar->maximum());
}

// The document's own block limit removes the oldest lines by moving a cursor over them one by
// one, which lays out every line it drops; one selection from the start does not.
void TTerminalView::DropOldestLines() {
  QTextDocument* document = view_.document();
  const int excess = document->blockCount() - static_cast<int>(terminal::kMaxLogLines);
  if (excess <= 0) return;
  QTextCursor cursor(document);
  cursor.setPosition(document->findBlockByNumber(excess).position(), QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
}

void TTerminalView::Clear() {
  pending_.reset();
  refresh_.stop();
  view_.clear();
  log_.Clear();
}
