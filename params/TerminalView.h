#pragma once

#include <QObject>

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

  // The link's log sink: replaces the last line by the rendering of raw.
  void Show(std::string_view raw);
  // Empties the view and its lines; the link's unfinished raw line is not touched, so the next
  // echo starts the log with it.
  void Clear();
  const TerminalLog& Log() const { return log_; }

 private:
  QPlainTextEdit& view_;
  TerminalLog log_;
};
