#include "MessageBoxes.h"

#include <QMessageBox>

namespace {
TMessageSink& Sink() {
  static TMessageSink sink;
  return sink;
}
}  // namespace

void SetMessageSink(TMessageSink sink) { Sink() = std::move(sink); }

void ShowErrorMessage(QWidget* parent, const TShownMessage& message) {
  if (Sink()) {
    Sink()(message);
    return;
  }
  QMessageBox box(QMessageBox::Critical, message.caption, message.text, QMessageBox::Ok, parent);
  box.setObjectName(QStringLiteral("ErrorMessage"));
  if (!message.detail.isEmpty()) box.setInformativeText(message.detail);
  box.exec();
}
