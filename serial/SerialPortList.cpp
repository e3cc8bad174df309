#include "SerialPortList.h"

#include "CPort.h"

#include <QSerialPortInfo>

#include <dirent.h>

#include <algorithm>
#include <cerrno>

namespace {

// The kernel's list of terminals, which the serial device list is drawn from.
constexpr char kTerminalClass[] = "/sys/class/tty";

}  // namespace

void ListSerialPorts(QStringList& strings) {
  // QSerialPortInfo answers an unreadable device list with an empty one; tell that apart from a
  // machine that simply has no serial device.
  DIR* dir = opendir(kTerminalClass);
  if (!dir) throw EComPortExt(comerr::kRegistry, errno, QStringLiteral("EnumComPorts"));
  closedir(dir);

  QStringList names;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) names.append(info.portName());
  std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
  });
  strings = names;
}
