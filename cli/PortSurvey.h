#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <vector>

class TComPlatform;
struct TSerialAdapter;

// Whether this user may open a device right now, found by the port's own exclusive open.
enum class TPortAccess { Free, PermissionDenied, Busy, Unusable };

struct TPortProbe {
  TPortAccess access = TPortAccess::Free;
  int systemCode = 0;  // errno of the refusal
};

struct TPortDescription {
  QString path;    // /dev/ttyUSB0
  QString byId;    // the alias under /dev/serial/by-id, empty without one
  std::optional<quint16> vendorId;
  std::optional<quint16> productId;
  QString manufacturer;
  QString product;
  QString serialNumber;
  TPortProbe probe;
};

// Opens and locks the device as the port does, without the exclusive-use flag and without
// touching its settings, and lets go at once: a device another program holds stays as it was.
TPortProbe ProbePort(TComPlatform& platform, const QString& path);

// Maps each device path to its alias in byIdDir (symbolic links to the devices).
QString AliasOf(const QString& path, const QString& byIdDir);

// Every serial device of the machine, in the order of the setup dialog's list.
std::vector<TPortDescription> SurveyPorts(TComPlatform& platform);

// An adapter that a watch tells of (TSerialPortWatch), without USB ids and not probed.
TPortDescription AdapterDescription(const TSerialAdapter& adapter);

// One line: path, alias, USB ids, maker, product, serial number, and the refusal if any.
QString PortLine(const TPortDescription& port);

// The refusal in words, with the group hint for a permission problem; empty when free.
QString AccessText(const TPortProbe& probe, const QString& path);
