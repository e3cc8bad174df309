#include "PortSurvey.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStringList>

#include <cerrno>
#include <vector>

#include "CPort.h"
#include "ComPlatform.h"
#include "PermissionHint.h"
#include "SerialAdapter.h"
#include "SerialPortList.h"

namespace {

constexpr char kByIdDir[] = "/dev/serial/by-id";

TPortAccess AccessOf(int systemCode) {
  switch (systemCode) {
    case EACCES:
    case EPERM:
      return TPortAccess::PermissionDenied;
    case EBUSY:
    case EWOULDBLOCK:
      return TPortAccess::Busy;
    default:
      return TPortAccess::Unusable;
  }
}

}  // namespace

TPortProbe ProbePort(TComPlatform& platform, const QString& path) {
  std::string reason;  // only a network line has one, and the survey lists devices
  const int fd = platform.OpenDevice(path.toStdString(), reason);
  if (fd < 0) return {AccessOf(-fd), -fd};
  // No TIOCEXCL here: the flag would outlive this probe on a device another program has open.
  int rc = platform.IsTerminal(fd);
  if (rc == 0) rc = platform.Lock(fd);  // the lock goes with the close
  platform.Close(fd);
  if (rc < 0) return {AccessOf(-rc), -rc};
  return {};
}

QString AliasOf(const QString& path, const QString& byIdDir) {
  const QString target = QFileInfo(path).canonicalFilePath();
  if (target.isEmpty()) return {};
  const QFileInfoList links = QDir(byIdDir).entryInfoList(QDir::System | QDir::Files, QDir::Name);
  for (const QFileInfo& link : links)
    if (link.isSymLink() && link.canonicalFilePath() == target) return link.absoluteFilePath();
  return {};
}

std::vector<TPortDescription> SurveyPorts(TComPlatform& platform) {
  QStringList names;
  ListSerialPorts(names);
  std::vector<TPortDescription> ports;
  for (const QString& name : names) {
    const QSerialPortInfo info(name);
    TPortDescription port;
    port.path = info.systemLocation().isEmpty() ? TCustomComPort::DevicePath(name) : info.systemLocation();
    port.byId = AliasOf(port.path, QString::fromLatin1(kByIdDir));
    if (info.hasVendorIdentifier()) port.vendorId = info.vendorIdentifier();
    if (info.hasProductIdentifier()) port.productId = info.productIdentifier();
    port.manufacturer = info.manufacturer();
    port.product = info.description();
    port.serialNumber = info.serialNumber();
    port.probe = ProbePort(platform, port.path);
    ports.push_back(std::move(port));
  }
  return ports;
}

TPortDescription AdapterDescription(const TSerialAdapter& adapter) {
  TPortDescription port;
  port.path = adapter.device;
  port.byId = adapter.byId;
  port.manufacturer = adapter.manufacturer;
  port.product = adapter.product;
  port.serialNumber = adapter.serialNumber;
  return port;
}

QString PortLine(const TPortDescription& port) {
  QStringList fields{port.path};
  if (!port.byId.isEmpty()) fields << port.byId;
  if (port.vendorId && port.productId)
    fields << QStringLiteral("%1:%2").arg(*port.vendorId, 4, 16, QLatin1Char('0')).arg(*port.productId, 4, 16, QLatin1Char('0'));
  for (const QString* text : {&port.manufacturer, &port.product})
    if (!text->isEmpty()) fields << *text;
  if (!port.serialNumber.isEmpty()) fields << QStringLiteral("serial ") + port.serialNumber;
  const QString refusal = AccessText(port.probe, port.path);
  if (!refusal.isEmpty()) fields << QStringLiteral("[") + refusal + QStringLiteral("]");
  return fields.join(QStringLiteral("  "));
}

QString AccessText(const TPortProbe& probe, const QString& path) {
  switch (probe.access) {
    case TPortAccess::Free:
      return {};
    case TPortAccess::PermissionDenied:
      return QStringLiteral("permission denied; ") + PermissionHint(probe.systemCode, path);
    case TPortAccess::Busy:
      return QStringLiteral("held by another program");
    case TPortAccess::Unusable:
      return QStringLiteral("cannot be opened: ") + SystemErrorText(probe.systemCode);
  }
  return {};
}
