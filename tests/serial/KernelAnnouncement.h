#pragma once

#include "SerialPortWatch.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

// The kernel announces a device again, as when it is plugged in ("add") or pulled ("remove"),
// when the action is written into its uevent file; only root may, and a sandbox may forbid it.
// Returns 0, or the errno of the refusal.
inline int AnnounceAgain(const QString& device, const char* action) {
  const QString uevent = QStringLiteral("/sys/class/tty/%1/uevent").arg(QFileInfo(device).fileName());
  const int fd = ::open(uevent.toLocal8Bit().constData(), O_WRONLY | O_CLOEXEC);
  const int rc = fd >= 0 && ::write(fd, action, std::strlen(action)) == static_cast<ssize_t>(std::strlen(action)) ? 0 : errno;
  if (fd >= 0) ::close(fd);
  return rc;
}

// Runs the event loop until the watch tells of the device with this signal; nothing when it has
// not within the bound, which only keeps a broken watch from hanging the run.
template <typename Signal>
std::optional<TSerialAdapter> WaitToBeTold(TSerialPortWatch& watch, Signal told, const QString& device) {
  std::optional<TSerialAdapter> heard;
  QEventLoop loop;
  QObject::connect(&watch, told, &loop, [&](const TSerialAdapter& adapter) {
    if (adapter.device != device) return;
    heard = adapter;
    loop.quit();
  });
  QTimer::singleShot(10000, &loop, &QEventLoop::quit);
  loop.exec();
  return heard;
}
