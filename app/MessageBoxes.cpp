#include "MessageBoxes.h"

#include <QMessageBox>

namespace {
TMessageSink& Sink() {
  static TMessageSink sink;
  return sink;
}
TQuestionAnswerer& Answerer() {
  static TQuestionAnswerer answerer;
  return answerer;
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

void SetQuestionAnswerer(TQuestionAnswerer answerer) { Answerer() = std::move(answerer); }

bool AskToProceed(QWidget* parent, const TShownMessage& question) {
  if (Answerer()) return Answerer()(question);
  QMessageBox box(QMessageBox::Question, question.caption, question.text, QMessageBox::Yes | QMessageBox::No, parent);
  box.setObjectName(QStringLiteral("QuestionMessage"));
  box.setDefaultButton(QMessageBox::No);
  if (!question.detail.isEmpty()) box.setInformativeText(question.detail);
  return box.exec() == QMessageBox::Yes;
}
