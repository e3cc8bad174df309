#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// The progress of a write to every reader, in its own window, modal to the main window: which
// reader of how many is being written. Cancel (also Escape and the close box) asks the run to
// stop once the reader being written is done; the window stays until the run ends.
class TfrmWriteAllProgress : public QDialog {
  Q_OBJECT

 public:
  TfrmWriteAllProgress(int readerCount, QWidget* parent);

  // index counts from 0; entry is the reader's text in the selector.
  void ShowReader(int index, const QString& entry);
  bool CancelRequested() const { return cancelRequested_; }

  QLabel* lblReader;
  QProgressBar* pbReaders;
  QLabel* lblCancel;
  QPushButton* btnCancel;

 protected:
  void reject() override;

 private:
  int readerCount_;
  bool cancelRequested_ = false;
};
