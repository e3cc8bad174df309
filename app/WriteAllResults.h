#pragma once

#include <QDialog>
#include <QString>

#include <optional>
#include <vector>

#include "VerifiedWrite.h"

class QLabel;
class QPushButton;
class QTreeWidget;

// How one reader of a write to every reader came out.
struct TReaderWriteReport {
  QString reader;                         // its text in the selector
  std::optional<TVerifiedWrite> outcome;  // nothing: the run was cancelled before it
};

// The outcome of a write to every reader, in its own window: one row per reader, with its
// error lines or the fields that read back otherwise beneath it. Not modal, so that it can be
// kept open beside the main window.
class TfrmWriteAllResults : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmWriteAllResults(QWidget* parent);

  void ShowReports(const std::vector<TReaderWriteReport>& reports);

  QLabel* lblSummary;
  QTreeWidget* tvResults;
  QPushButton* btnClose;
};
