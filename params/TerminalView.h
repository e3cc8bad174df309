#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

#include "TerminalText.h"

class QAction;
class QPlainTextEdit;
class QPoint;

// The terminal log on a text view: applies each change of the log's last line as an edit of the
// view's last block, so an echo costs what it adds, not the size of the log. Keeps the end in
// view, a fixed-pitch system font and at most terminal::kMaxLogLines lines.
//
// The view's context menu adds to the text view's own items "Время" (each line with the time its
// first byte arrived) and "HEX" (each line's bytes, its break included, in hex beside its text),
// both off at first, and "Сохранить журнал…", which is the window's to carry out. Each line keeps
// its bytes and time, so switching either on or off shows the whole log again in the new form.
class TTerminalView : public QObject {
  Q_OBJECT

 public:
  using TClock = std::function<qint64()>;  // milliseconds since the epoch

  explicit TTerminalView(QPlainTextEdit& view);

  // The link's log sink: replaces the last line by the rendering of raw. The view follows a
  // moment later, with every change since folded into one edit: a burst of chunks then costs
  // one insertion and one layout, not one per chunk.
  void Show(std::string_view raw);
  // Brings the view up to date now.
  void Apply();
  // Empties the view and its lines; the link's unfinished raw line is not touched, so the next
  // echo starts the log with it.
  void Clear();
  const TerminalLog& Log() const { return log_; }

  // The log as the view shows it, every line ended by a line feed but the unfinished last one.
  QString Text() const;
  // Where the time of a line comes from; the local clock unless a test gives another.
  void SetClock(TClock clock) { clock_ = std::move(clock); }

  // The context menu's own items, named acLogTime, acLogHex and acSaveLog.
  QAction* acLogTime;
  QAction* acLogHex;
  QAction* acSaveLog;

 private:
  void DropOldestLines();
  void ShowContextMenu(const QPoint& at);
  bool Decorated() const;
  QString LineText(std::size_t index) const;
  // Shows every line again, in the form the options now ask for.
  void Rerender();

  QPlainTextEdit& view_;
  TerminalLog log_;
  TClock clock_;
  struct TPending {
    qsizetype keep;  // characters of the view's last line that stay
    QString text;    // what follows them
  };
  std::optional<TPending> pending_;
  QTimer refresh_;
};
