#pragma once

#include <QString>

#include <stdexcept>
#include <string>

// The serial port's failures: its error codes with their fixed texts, and the exceptions that
// carry them with the port's name and the system's reason. The component and its device share them.

// Component error codes; their texts come from ComErrorText.
namespace comerr {
inline constexpr int kOpen = 1;
inline constexpr int kWrite = 2;
inline constexpr int kRead = 3;
inline constexpr int kPurge = 5;
inline constexpr int kLineSettings = 7;
inline constexpr int kTimeouts = 8;
inline constexpr int kQueueSizes = 9;
inline constexpr int kClearError = 10;
inline constexpr int kModemStatus = 11;
inline constexpr int kConnected = 14;
inline constexpr int kStoreSettings = 16;
inline constexpr int kLoadSettings = 17;
inline constexpr int kRegistry = 23;
}  // namespace comerr

QString ComErrorText(int code);           // the fixed English text, else "Unknown Error #N"
QString SystemErrorText(int systemCode);  // the system's own text for an errno value
bool DeviceVanished(int systemCode);      // the errno values of a device that has gone away

class EComPort : public std::runtime_error {  // what(): the message, UTF-8
 public:
  EComPort(int code, const QString& portName);  // "<port> Error: <code text>"
  int Code() const { return code_; }

 protected:
  struct TMessage {
    std::string text;
  };
  EComPort(int code, TMessage message);

 private:
  int code_;
};

class EComPortExt : public EComPort {
 public:
  // "COM Port Error: <text> on <port>"; reason: the system's own words where errno's text would
  // mislead (a host name not found), else empty.
  EComPortExt(int code, int systemCode, const QString& portName, const QString& reason = {});
  int SystemCode() const { return systemCode_; }
  QString Reason() const;  // the system's reason: the given words, else errno's text
  const QString& PortName() const { return portName_; }

 private:
  int systemCode_;
  QString portName_;
  QString reason_;
};
