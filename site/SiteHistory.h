#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "ReaderFault.h"

// The journal read back as history: per reader, each write with who, when, each field from and
// to, and how it ended.

struct TFieldChange {
  std::string field;
  std::optional<std::string> before;  // nothing: not known
  std::optional<std::string> after;   // nothing: not known (a write interrupted, a read-back that failed)
};

struct THistoryEntry {
  QDateTime time;  // when the write began (its intent), or its outcome in journals without intents
  std::string user;
  std::string host;
  std::string serial;
  // "verified", "errors", "read back otherwise", "interrupted"; empty for an intent the journal
  // never closed (the program ended during the write and no apply has run since).
  std::string outcome;
  std::vector<TFieldChange> fields;
  std::vector<TReaderFault> faults;  // of an outcome "errors"
  std::string reason;               // why an outcome "interrupted"
};

struct TReaderHistory {
  std::optional<std::size_t> line;  // not in journals from before lines were numbered
  std::string port;
  int address = 0;
  std::vector<THistoryEntry> entries;  // oldest first
};

struct THistoryFilter {
  std::optional<std::string> port;  // a line of the site, by its port
  std::optional<int> address;
  std::optional<QDate> since;  // entries from this day on, in the computer's zone
};

// Every reader the journal names and passes the filter, in the order the journal first names
// them. A journal that does not exist is an empty history; one that cannot be read throws
// ESiteJournal. Lines that are not whole JSON objects (a torn tail) are passed over.
std::vector<TReaderHistory> ReadHistory(const QString& journalPath, const THistoryFilter& filter);
