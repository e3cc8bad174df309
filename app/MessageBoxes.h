#pragma once

#include <QString>

#include <functional>

class QWidget;

// What one message box says.
struct TShownMessage {
  QString caption;
  QString text;
  QString detail;  // the box's informative text; may be empty
};

// Every message box of the program goes through ShowErrorMessage, so that a test can take the
// messages instead of answering modal boxes. An empty sink restores the boxes.
using TMessageSink = std::function<void(const TShownMessage&)>;
void SetMessageSink(TMessageSink sink);

// One modal box with the error icon and an OK button, or the sink's call.
void ShowErrorMessage(QWidget* parent, const TShownMessage& message);

// Whether the operator goes on with what the question names: a modal box with Yes and No (No the
// default), or the answer of what a test put in its place. An empty answerer restores the boxes.
using TQuestionAnswerer = std::function<bool(const TShownMessage&)>;
void SetQuestionAnswerer(TQuestionAnswerer answerer);
bool AskToProceed(QWidget* parent, const TShownMessage& question);
