#pragma once

#include <atomic>
#include <chrono>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "SiteFile.h"
#include "SiteResult.h"

class TSiteJournal;

enum class TSiteTask {
  Survey,    // search every line and read every planned reader found
  Apply,     // survey, then write its plan to every reader that differs
  Snapshot,  // survey, and read the unplanned readers too, keeping every value read
};

// A reader the operator agreed to write: where it is and the serial it answered with then.
struct TApprovedReader {
  std::size_t line = 0;
  std::uint8_t address = 0;
  std::string serial;
  auto operator<=>(const TApprovedReader&) const = default;
};
using TApproval = std::set<TApprovedReader>;

// One line's share of a run and what it may reach of the rest.
struct TLineJob {
  const TSiteFile& site;
  std::size_t index;
  TSiteTask task;
  TSiteJournal* journal;              // Apply only
  // Apply: only these are written, and only where they still differ; null: every one that differs.
  const TApproval* approved;
  const std::atomic<bool>& cancel;    // checked between two readers
  // How long the line waits for its adapter to come back when it is pulled; zero: not at all.
  std::chrono::seconds adapterWait;
  std::function<void(const TReaderProgress&)> progress;  // called on the line's thread
};

// Opens the job's line, surveys it and, for Apply, writes it; all on the calling thread, whose
// event loop carries the port's events (a QThread's, or the application's). Never throws: a port
// that fails ends the line with its message.
TLineResult RunLine(const TLineJob& job);
