#include "TerminalView.h"

#include "ExchangeText.h"
#include "Utf8Text.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QFontDatabase>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusTipEvent>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>

namespace {
// The view catches up at most this often: applying and painting every chunk of a fast line
// would lay out the visible lines once per chunk, slower than the line itself. Far below what
// an eye notices.
constexpr int kRefreshMs = 25;
// With HEX on, the bytes of short lines (a modem's "OK") start in one column.
constexpr int kHexColumn = 24;

QAction* MenuAction(QObject* owner, const char* name, const QString& caption, const QString& hint, bool checkable) {
  auto* action = new QAction(caption, owner);
  action->setObjectName(QString::fromLatin1(name));
  action->setStatusTip(hint);
  action->setCheckable(checkable);
  return action;
}
}  // namespace

TTerminalView::TTerminalView(QPlainTextEdit& view)
    : QObject(&view), view_(view), clock_([] { return QDateTime::currentMSecsSinceEpoch(); }) {
  refresh_.setSingleShot(true);
  refresh_.setInterval(kRefreshMs);
  connect(&refresh_, &QTimer::timeout, this, &TTerminalView::Apply);
  view_.setReadOnly(true);
  view_.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  view_.setLineWrapMode(QPlainTextEdit::NoWrap);
  view_.setUndoRedoEnabled(false);  // the undo stack would keep every echo ever shown

  acLogTime = MenuAction(this, "acLogTime", tr("Время"), tr("Показывать время прихода каждой строки"), true);
  acLogHex = MenuAction(this, "acLogHex", QStringLiteral("HEX"), tr("Показывать байты каждой строки в шестнадцатеричном виде"), true);
  acSaveLog = MenuAction(this, "acSaveLog", tr("Сохранить журнал…"), tr("Сохранить журнал в текстовый файл"), false);
  connect(acLogTime, &QAction::toggled, this, &TTerminalView::Rerender);
  connect(acLogHex, &QAction::toggled, this, &TTerminalView::Rerender);
  view_.setContextMenuPolicy(Qt::CustomContextMenu);
  connect(&view_, &QWidget::customContextMenuRequested, this, &TTerminalView::ShowContextMenu);
}

void TTerminalView::ShowContextMenu(const QPoint& at) {
  const std::unique_ptr<QMenu> menu(view_.createStandardContextMenu(at));
  menu->addSeparator();
  menu->addActions({acLogTime, acLogHex, acSaveLog});
  // A context menu is a window of its own: its hints stop there unless sent on to the log, whose
  // window shows them in its status bar as it does for the menu bar's items.
  connect(menu.get(), &QMenu::hovered, this, [this](QAction* action) { action->showStatusText(&view_); });
  menu->exec(view_.viewport()->mapToGlobal(at));
  QStatusTipEvent cleared{QString()};
  QCoreApplication::sendEvent(&view_, &cleared);
}

bool TTerminalView::Decorated() const { return acLogTime->isChecked() || acLogHex->isChecked(); }

QString TTerminalView::LineText(std::size_t index) const {
  QString text = Utf8Text(log_.Lines()[index]);
  const LogLineSource& source = log_.sources()[index];
  if (!Decorated() || source.raw.empty()) return text;  // an empty last line waits for its first byte
  if (acLogHex->isChecked()) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(source.raw.data());
    text = text.leftJustified(kHexColumn) + QStringLiteral("  ") +
           QString::fromStdString(HexFrame(std::span(bytes, source.raw.size())));
  }
  if (acLogTime->isChecked())
    text = QDateTime::fromMSecsSinceEpoch(source.startMs).toString(QStringLiteral("hh:mm:ss.zzz  ")) + text;
  return text;
}

QString TTerminalView::Text() const {
  QStringList lines;
  for (std::size_t i = 0; i < log_.Lines().size(); ++i) lines << LineText(i);
  return lines.join(QLatin1Char('\n'));
}

void TTerminalView::Show(std::string_view raw) {
  const LogEdit edit = log_.Show(raw, clock_());
  QString text;
  qsizetype keep = 0;
  if (Decorated()) {
    // A decoration depends on the whole line: the last line is shown anew with the lines it
    // opened.
    const std::size_t changed = std::count(edit.text.begin(), edit.text.end(), '\n') + 1;
    const std::size_t count = log_.Lines().size();
    QStringList lines;
    for (std::size_t i = count - std::min(changed, count); i < count; ++i) lines << LineText(i);
    text = lines.join(QLatin1Char('\n'));
  } else {
    text = Utf8Text(edit.text);
    // On the last line one raw byte is one character, and every character of the rendering is
    // a single UTF-16 unit, so keep counts positions in the line.
    keep = static_cast<qsizetype>(edit.keep);
  }
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

void TTerminalView::Rerender() {
  pending_.reset();
  refresh_.stop();
  view_.setPlainText(Text());
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
