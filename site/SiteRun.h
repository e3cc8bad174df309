#pragma once

#include <QObject>

#include <atomic>
#include <memory>
#include <vector>

#include "LineRun.h"
#include "SiteFile.h"
#include "SiteResult.h"

class QThread;

// The readers an apply of this survey would write: each that differs, by the serial it answered.
TApproval DifferingReaders(const TSiteResult& survey);
class TSiteJournal;

// A run over a whole site: every line on a thread of its own with its own port, no line waiting
// for another. The owner's thread is never held: progress and the end arrive as signals (queued
// to the owner's thread), and Join, once Finished has come, only collects the threads.
class TSiteRun : public QObject {
  Q_OBJECT

 public:
  // site, journal (Apply only; may be null otherwise) and approved must outlive the run. An apply
  // with approved readers writes those only (see TLineJob).
  TSiteRun(const TSiteFile& site, TSiteTask task, TSiteJournal* journal, const TApproval* approved = nullptr,
           QObject* parent = nullptr);
  // Cancels and joins a run still going.
  ~TSiteRun() override;

  // Before Start: how long a line whose adapter is pulled waits for it (default 30 s; 0: not at all).
  void SetAdapterWait(std::chrono::seconds wait) { adapterWait_ = wait; }
  void Start();
  // Any thread: each line finishes the reader in progress and goes to no further one.
  void Cancel() { cancel_ = true; }
  // Waits for every line and returns what they found and did.
  TSiteResult Join();

 signals:
  void Progress(const TReaderProgress& progress);
  void Finished();  // every line has ended

 private:
  void LineEnded();

  const TSiteFile& site_;
  TSiteTask task_;
  TSiteJournal* journal_;
  const TApproval* approved_;
  std::atomic<bool> cancel_{false};
  std::chrono::seconds adapterWait_{30};
  std::atomic<std::size_t> running_{0};
  std::vector<std::unique_ptr<TLineJob>> jobs_;
  std::vector<TLineResult> results_;
  std::vector<std::unique_ptr<QThread>> threads_;
};
