#pragma once

#include <QString>

#include <exception>
#include <optional>
#include <utility>

class QWidget;

// What the operator is shown for an exception that left an entry point.
struct TErrorReport {
  QString text;    // the exception's message
  QString detail;  // the system's own error text, with a hint where one helps
};

// Nothing for the silent abort; otherwise the message and, for a port failure, the system's text.
std::optional<TErrorReport> DescribeError(const std::exception& error);
std::optional<TErrorReport> DescribeException(std::exception_ptr error);

// One error message box; the program goes on.
void ShowErrorReport(QWidget* parent, const TErrorReport& report);

void ReportException(QWidget* parent, std::exception_ptr error);
void ReportError(QWidget* parent, const std::exception& error);

// Every entry point the toolkit calls runs its body through here: Qt cannot carry an exception
// through its event loop. Returns false when the body ended by an exception.
template <typename Body>
bool Guarded(QWidget* parent, Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
    return true;
  } catch (...) {
    ReportException(parent, std::current_exception());
    return false;
  }
}
