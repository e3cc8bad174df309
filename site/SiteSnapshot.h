#pragma once

#include <QByteArray>

#include "SiteFile.h"
#include "SiteResult.h"

// A site file of what a snapshot survey found: every line with its settings, and on it every
// reader that answered and was read whole, planned or not, pinned by its serial and carrying its
// parameters inline as read, its clock as "today". Applying it brings the readers back to what
// they held. Readers that
// did not answer or could not be read are left out (the run's result tells them).
QByteArray SnapshotFile(const TSiteFile& site, const TSiteResult& result);
