#include "ExceptionGuard.h"

#include "Abort.h"
#include "CPort.h"
#include "MessageBoxes.h"
#include "PermissionHint.h"

#include <QApplication>

namespace {

// The system's text, and below it, as a sentence of its own, what to do about a refused device.
QString PortFailureDetail(const EComPortExt& error) {
  QString detail = error.Reason();
  QString hint = PermissionHint(error.SystemCode(), TCustomComPort::DevicePath(error.PortName()));
  if (hint.isEmpty()) return detail;
  hint[0] = hint[0].toUpper();
  return detail + QStringLiteral("\n\n") + hint + QLatin1Char('.');
}

}  // namespace

std::optional<TErrorReport> DescribeError(const std::exception& error) {
  if (dynamic_cast<const EAbort*>(&error)) return std::nullopt;
  TErrorReport report{QString::fromUtf8(error.what()), {}};
  if (const auto* port = dynamic_cast<const EComPortExt*>(&error)) report.detail = PortFailureDetail(*port);
  return report;
}

std::optional<TErrorReport> DescribeException(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return DescribeError(e);
  } catch (...) {
    return TErrorReport{QStringLiteral("Unknown exception"), {}};
  }
}

void ShowErrorReport(QWidget* parent, const TErrorReport& report) {
  ShowErrorMessage(parent, {QApplication::applicationDisplayName(), report.text, report.detail});
}

void ReportException(QWidget* parent, std::exception_ptr error) {
  // Showing the box may itself fail (out of memory); nothing may escape into the event loop.
  try {
    if (const auto report = DescribeException(error)) ShowErrorReport(parent, *report);
  } catch (...) {
  }
}

void ReportError(QWidget* parent, const std::exception& error) {
  try {
    if (const auto report = DescribeError(error)) ShowErrorReport(parent, *report);
  } catch (...) {
  }
}
