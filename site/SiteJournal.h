#pragma once

#include <QJsonObject>
#include <QString>

#include <mutex>
#include <stdexcept>
#include <string>

#include "SiteResult.h"
#include "VerifiedWrite.h"

// The journal cannot be opened or written: what() names the file and the system's reason.
struct ESiteJournal : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// What the journal keeps of one reader written.
struct TJournalEntry {
  std::string site;
  std::string port;
  std::uint8_t address = 0;
  std::string serial;
  std::vector<TReadBackDifference> before;  // the fields the write changes: planned (written) and found (read)
  const TVerifiedWrite* outcome = nullptr;  // nothing when the line failed during the write
  std::string interruption;                 // why, then
};

// The error lines of a verified write: its refusals, the write's, then the read-back's.
std::vector<std::string> WriteErrorLines(const TVerifiedWrite& write);

// One JSON object per line, appended: who wrote which reader when, each changed field before
// and after (a clock set back with the days, "clockBackDays"), and how the write ended.
QJsonObject JournalLine(const TJournalEntry& entry);

// The apply's journal: JSON Lines appended to one file. Each line is on disk (written in one
// call and synced) before Append returns, so a kill or a power cut loses at most the reader in
// progress and never leaves half a line. Safe to share between the lines' threads.
class TSiteJournal {
 public:
  explicit TSiteJournal(const QString& path);  // throws ESiteJournal
  ~TSiteJournal();
  TSiteJournal(const TSiteJournal&) = delete;
  TSiteJournal& operator=(const TSiteJournal&) = delete;

  void Append(const QJsonObject& line);  // throws ESiteJournal

  // SITE.journal.jsonl beside SITE.json.
  static QString PathBeside(const QString& sitePath);

 private:
  [[noreturn]] void Fail(int error) const;

  std::string path_;
  int fd_ = -1;
  std::mutex mutex_;
};
