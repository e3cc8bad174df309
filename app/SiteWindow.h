#pragma once

#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "LineRun.h"
#include "SiteFile.h"
#include "SiteHistory.h"
#include "SiteResult.h"
#include "SiteDiscovery.h"
#include "SiteRun.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TSiteJournal;

// The site in a window of its own beside the main window: every line and its readers against
// the plan, brought to it by runs on the site library's line threads while the window stays
// responsive. A run's results stay until the next one.
class TSiteWindow : public QWidget {
  Q_OBJECT

 public:
  explicit TSiteWindow(QWidget* parent);
  ~TSiteWindow() override;

  // Reads and checks a site file and shows its plan. A refused file is one message naming the
  // file, the line and the field; the window keeps what it showed. False then.
  bool OpenSite(const QString& path);
  void Survey();
  // Asks first, naming the readers it will write, line by line, and writes only those, where they
  // still differ; a row says why one of them is not written. Without a survey shown, it surveys
  // first and asks after.
  void Apply();
  // Asks for the file to write, surveys, and writes what it found there whole.
  void Snapshot();
  // Searches every adapter plugged in at each rate, all at once, showing each as it goes, and
  // writes what answered to path as a new site file, which it then opens.
  void Discover(const QString& path);
  // Every line finishes the reader in progress and goes to no further one.
  void Cancel();
  // The table as CSV, to a file the operator picks.
  void SaveReport();

  // A toolbar of the main window's site actions, whose shortcuts then act in this window too.
  void AddToolBar(const QList<QAction*>& actions);

  bool HasSite() const { return site_ != nullptr; }
  bool Running() const { return run_ != nullptr || discovery_ != nullptr; }
  // The site files opened last, newest first.
  const QStringList& RecentSites() const { return recent_; }

  QTreeWidget* tvSite;
  QPlainTextEdit* memReaderDetails;
  QCheckBox* cbAttentionOnly;
  QLabel* lblTotals;
  QPushButton* btnCancelRun;
  QPushButton* btnSaveReport;

 signals:
  // A run started or ended, or another site (or recent list) came: what can be used changed.
  void StateChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // What a line has done of the step its run is in.
  struct TLineProgress {
    bool writing = false;
    bool awaitingAdapter = false;
    int done = 0;
    int total = 0;
  };

  void Start(TSiteTask task);
  void RunEnded();
  void DiscoveryEnded();
  // Writes the snapshot the run took, and tells what it lacks.
  void SaveSnapshot();
  void AskAndApply();
  void ShowProgress(const TReaderProgress& progress);
  void ShowPlan();
  void ShowResult();
  void ShowLineProgress(std::size_t line);
  void ShowDetails();
  void LoadHistory();
  void ApplyFilter();
  QTreeWidgetItem* ReaderItem(std::size_t line, std::uint8_t address);
  // text, and beneath it the lines named in the order adapters were plugged in.
  QString WithPluggingOrder(const QString& text) const;
  // The serial a reader was agreed to be written with; null when it was not agreed to.
  const std::string* ApprovedSerial(std::size_t line, std::uint8_t address) const;
  void Remember(const QString& sitePath);
  void RestoreLayout();
  void SaveLayout() const;

  std::unique_ptr<TSiteFile> site_;
  std::optional<TSiteResult> result_;
  std::vector<TReaderHistory> history_;  // the journal as read when the site was last shown
  std::unique_ptr<TSiteJournal> journal_;
  std::unique_ptr<TSiteRun> run_;
  std::optional<TApproval> approved_;
  std::unique_ptr<TSiteDiscovery> discovery_;
  QString discoveryPath_;  // what the operator agreed to write, after an apply's question
  TSiteTask task_ = TSiteTask::Survey;
  std::vector<TLineProgress> progress_;
  QString snapshotPath_;
  bool applyAfterSurvey_ = false;
  bool closeWhenEnded_ = false;
  QStringList recent_;
};
