#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>
#include <string_view>

#include "TerminalText.h"

class QPlainTextEdit;

// The terminal log on a text view: applies each change of the log's last line as an edit of the
// view's last block, so an echo costs what it adds, not the size of the log. Keeps the end in
// view, a fixed-pitch system font and at most terminal::kMaxLogLines lines.
class TTerminalView : public QObject {
  Q_OBJECT

 public:
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

 private:
  void DropOldestLines();

  QPlainTextEdit& view_;
  TerminalLog log_;
  struct TPending {
    qsizetype keep;  // characters of the view's last line that stay
    QString text;    // what follows them
  };
  std::optional<TPending> pending_;
  QTimer refresh_;
};
