#pragma once

#include <QWidget>

class QPushButton;
class QTableView;
class TExchangeLogModel;

// The exchange log in a window of its own beside the main window: it stays open while the
// operator works, follows the newest row unless the operator has scrolled up, and saves the
// rows as CSV.
class TExchangeLogWindow : public QWidget {
  Q_OBJECT

 public:
  TExchangeLogWindow(TExchangeLogModel& model, QWidget* parent);

  // Asks for a file and writes the rows there as CSV; a failure is one message.
  void SaveRows();

  QTableView* tvExchanges;
  QPushButton* btnClearExchanges;
  QPushButton* btnSaveExchanges;

 private:
  void SizeColumns();

  TExchangeLogModel& model_;
  bool followNewest_ = true;  // the view was at its end when rows were about to come
};
