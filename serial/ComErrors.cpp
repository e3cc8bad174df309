#include "ComErrors.h"

#include <cerrno>
#include <cstring>

namespace {

struct TErrorText {
  int code;
  const char* text;
};
constexpr TErrorText kErrorTexts[] = {
    {comerr::kOpen, "Unable to open com port"},
    {comerr::kWrite, "WriteFile function failed"},
    {comerr::kRead, "ReadFile function failed"},
    {4, "Invalid Async parameter"},
    {comerr::kPurge, "PurgeComm function failed"},
    {6, "Unable to get async status"},
    {comerr::kLineSettings, "SetCommState function failed"},
    {comerr::kTimeouts, "SetCommTimeouts failed"},
    {comerr::kQueueSizes, "SetupComm function failed"},
    {comerr::kClearError, "ClearCommError function failed"},
    {comerr::kModemStatus, "GetCommModemStatus function failed"},
    {12, "EscapeCommFunction function failed"},
    {13, "TransmitCommChar function failed"},
    {comerr::kConnected, "Cannot set property while connected"},
    {15, "EnumPorts function failed"},
    {comerr::kStoreSettings, "Failed to store settings"},
    {comerr::kLoadSettings, "Failed to load settings"},
    {18, "Link (un)registration failed"},
    {19, "Cannot change led state if ComPort is selected"},
    {20, "Cannot wait for event if event thread is created"},
    {21, "WaitForEvent method failed"},
    {22, "A component is linked to OnRxBuf event"},
    {comerr::kRegistry, "Registry error"},
};

}  // namespace

QString ComErrorText(int code) {
  for (const TErrorText& row : kErrorTexts)
    if (row.code == code) return QString::fromLatin1(row.text);
  return QStringLiteral("Unknown Error #%1").arg(code);
}

QString SystemErrorText(int systemCode) { return QString::fromLocal8Bit(std::strerror(systemCode)); }

// A device that has vanished answers every call with one of these.
bool DeviceVanished(int systemCode) { return systemCode == EIO || systemCode == ENXIO || systemCode == ENODEV; }

EComPort::EComPort(int code, const QString& portName)
    : EComPort(code, TMessage{(portName + QStringLiteral(" Error: ") + ComErrorText(code)).toStdString()}) {}

EComPort::EComPort(int code, TMessage message) : std::runtime_error(message.text), code_(code) {}

EComPortExt::EComPortExt(int code, int systemCode, const QString& portName, const QString& reason)
    : EComPort(code, TMessage{(QStringLiteral("COM Port Error: ") + ComErrorText(code) + QStringLiteral(" on ") +
                               portName)
                                  .toStdString()}),
      systemCode_(systemCode),
      portName_(portName),
      reason_(reason) {}

QString EComPortExt::Reason() const { return reason_.isEmpty() ? SystemErrorText(systemCode_) : reason_; }
