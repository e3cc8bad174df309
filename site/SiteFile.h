#pragma once

#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ComTypes.h"
#include "ReaderSequences.h"

// A site: every line of readers with its port settings, and what each reader on it should hold.
// Written by people and kept in version control; read whole and checked before anything is sent.

struct TPlannedReader {
  std::uint8_t address = 0;
  std::optional<std::string> serial;  // 4 upper-case hex digits, as the search shows them
  TWriteValues plan;
};

struct TSiteLine {
  std::string port;  // any name the port takes: a device, COMn, rfc2217://, tcp://
  std::uint32_t baud = 9600;
  TDataBits dataBits = dbEight;
  TParityBits parity = prNone;
  TStopBits stopBits = sbOneStopBit;
  std::vector<TPlannedReader> readers;
};

struct TSiteFile {
  QString path;
  std::string name;
  std::vector<TSiteLine> lines;
};

// A site file that cannot be used: one line naming the file, the line (index and port), the
// reader (address) and the field.
struct ESiteFile : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// People write a site in a few kilobytes; a file over this is not one.
inline constexpr qint64 kMaxSiteFileBytes = 1024 * 1024;

// Reads and checks the whole site, parameters files (relative to the site file) included.
TSiteFile LoadSiteFile(const QString& path);

// The line's settings as the site file writes them, without its readers.
QJsonObject SiteLineJson(const TSiteLine& line);
// "0007", as the search prints it.
std::string SerialText(std::uint8_t high, std::uint8_t low);
