#include "PortFailure.h"

#include <cerrno>

#include "CPort.h"
#include "PermissionHint.h"

std::string PortFailureText(const EComPort& error, const QString& devicePath) {
  std::string text = error.what();
  const auto* ext = dynamic_cast<const EComPortExt*>(&error);
  if (!ext) return text;
  const std::string where = devicePath.isEmpty() ? "" : devicePath.toStdString() + ": ";
  text += " (" + where + ext->Reason().toStdString() + ")";
  if (ext->SystemCode() == EBUSY) text += "; the port is held by another program";
  const QString hint = PermissionHint(ext->SystemCode(), devicePath);
  if (!hint.isEmpty()) text += "; " + hint.toStdString();
  return text;
}
