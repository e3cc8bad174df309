#pragma once

// Proof that no further report is on its way after a line failed: the port is closed, so its
// event thread has been joined; the busy lock is released; and every event posted before that
// has been delivered. A second report could only have come from one of those.

#include "SDIMAIN.h"

#include <QCoreApplication>
#include <QTest>

#include "CPort.h"

inline bool AwaitThePortSettledClosed(const TParvexForm& form) {
  if (!QTest::qWaitFor([&] { return !form.ComPort->Connected() && !form.Busy(); }, 10000)) return false;
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  return true;
}
