#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <cstddef>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "SiteResult.h"
#include "VerifiedWrite.h"

// The journal cannot be opened or written: what() names the file and the system's reason.
struct ESiteJournal : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// What the journal keeps of one reader written.
struct TJournalEntry {
  std::string site;
  std::size_t line = 0;
  std::string port;
  std::uint8_t address = 0;
  std::string serial;
  std::vector<TReadBackDifference> before;  // the fields the write changes: planned (written) and found (read)
  const TVerifiedWrite* outcome = nullptr;  // nothing when the line failed during the write
  std::string interruption;                 // why, then
};

// The faults of a verified write: its refusals, the write's, then the read-back's.
std::vector<TReaderFault> WriteFaults(const TVerifiedWrite& write);

// Two JSON objects a reader written, each one line, appended. Before its first request, the
// intent: who is about to write which reader, each field with its value found and the one
// planned ("intent"). After the read-back, the outcome: each changed field before and after (a
// clock set back with the days, "clockBackDays") and how the write ended ("outcome").
QJsonObject IntentLine(const TJournalEntry& entry);
QJsonObject JournalLine(const TJournalEntry& entry);

// A write the journal announced and never closed: the program ended during it (a kill, a crash,
// a power cut), and the reader may hold part of its plan.
struct TInterruptedWrite {
  QDateTime time;
  std::string user;
  std::string host;
  std::optional<std::size_t> line;  // not in journals from before lines were numbered
  std::string port;
  int address = 0;
  std::vector<std::string> fields;
};

// "interrupted while writing on 2026-12-09 12:03 by operator@desk: line 2, reader 7, fields
// relayTime, sector", the time in the computer's zone.
std::string InterruptedWriteText(const TInterruptedWrite& write);

// The apply's journal: JSON Lines appended to one file. Each line is on disk (written in one
// call and synced) before Append returns; a line cut short is taken back, so a kill, a power cut
// or a full disk never leaves half a line to glue the next one onto. Safe to share between the
// lines' threads. An apply holds the journal for its whole run; the first to open it (when no
// other apply holds it) mends what an earlier run left: a torn last line is cut off, and every
// intent without its outcome is closed as interrupted and reported.
class TSiteJournal {
 public:
  explicit TSiteJournal(const QString& path);  // throws ESiteJournal
  ~TSiteJournal();
  TSiteJournal(const TSiteJournal&) = delete;
  TSiteJournal& operator=(const TSiteJournal&) = delete;

  // Throws ESiteJournal; once one has failed the journal stays failed, and every later append
  // throws the first failure: a run must stop writing readers it cannot record.
  void Append(const QJsonObject& line);
  bool Failed() const;
  std::string Failure() const;

  // What the open mended: the bytes of a torn last line, and the writes found interrupted.
  std::size_t TornBytes() const { return tornBytes_; }
  const std::vector<TInterruptedWrite>& Interrupted() const { return interrupted_; }
  const std::string& Path() const { return path_; }

  // SITE.journal.jsonl beside SITE.json.
  static QString PathBeside(const QString& sitePath);

 private:
  void Mend();
  void CloseInterrupted(const std::string& text);
  void AppendLocked(const QJsonObject& line);
  [[noreturn]] void Fail(int error);

  std::string path_;
  int fd_ = -1;
  bool regular_ = false;
  std::size_t tornBytes_ = 0;
  std::vector<TInterruptedWrite> interrupted_;
  mutable std::mutex mutex_;
  std::optional<std::string> failure_;
};
