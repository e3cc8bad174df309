#pragma once

#include <QByteArray>

#include "SiteFile.h"
#include "SiteResult.h"

// A site file of what a snapshot survey found: every line with its settings, and on it every
// reader that answered and was read whole, planned or not (another reader than the one pinned
// too), pinned by the serial found and carrying its parameters inline as read, its clock as
// "today". Applying it brings the readers back to what they held.
QByteArray SnapshotFile(const TSiteFile& site, const TSiteResult& result);

// What a snapshot lacks: a reader that answered but could not be read, or a line that could not
// be surveyed whole. Both point into the run's result.
struct TSnapshotGap {
  const TLineResult* line;
  const TReaderResult* reader;  // null: the line itself
};

// Every gap of a snapshot, line by line; none when it holds every reader that answered.
std::vector<TSnapshotGap> SnapshotGaps(const TSiteResult& result);
