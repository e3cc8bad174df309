#pragma once

#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ComTypes.h"
#include "ParameterJson.h"
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

// The lines that name their adapter in the order adapters were plugged in (/dev/ttyUSB…) while a
// name that stays reaches the same adapter: each line's index with that name.
std::vector<std::pair<std::size_t, std::string>> LinesInPluggingOrder(const TSiteFile& site);

// What is wrong in a site file; each front end has its own words for it. The fill-ins each fault
// takes are named beside it.
enum class TSiteFault {
  UnknownField,
  Missing,
  NotWholeNumber,     // the value shown, the least, the greatest
  NotOneOf,           // the value shown, the values allowed
  NotHexSerial,       // the value shown
  NotParameters,      // the value shown
  Unreadable,         // the system's reason
  ParametersRefused,  // none: the parameters file's own refusal is kept beside
  NotObject,
  NotPortName,        // the value shown
  NotList,
  AddressTwice,
  TooLarge,           // the limit in KiB
  NotJson,            // the parser's text, the offset
  NoObject,
  NotName,            // the value shown
  PortTwice,          // the earlier line's index and port
  NotSchemaAddress,   // the value shown
};

// Where in the file a fault is: its line (index, and port once known), its reader (address), the
// field.
struct TSitePlace {
  std::optional<std::size_t> line;
  std::string port;
  std::optional<int> reader;
  std::string field;
};

// A site file that cannot be used. what() is the English line parvex-cli prints: the file, the line
// (index and port), the reader (address) and the field, then why.
struct ESiteFile : std::runtime_error {
  ESiteFile(const QString& file, TSitePlace place, TSiteFault fault, std::vector<std::string> fillIns,
            std::string parametersFile = {}, std::optional<TFileError> parameters = {});
  QString file;
  TSitePlace place;
  TSiteFault fault;
  std::vector<std::string> fillIns;
  std::string parametersFile;            // the parameters file at fault, as the site file names it
  std::optional<TFileError> parameters;  // that file's own refusal
};

// format with each %1..%9 replaced by its fill-in in one pass, so a fill-in that holds "%2" stays
// as it is.
std::string FilledIn(std::string_view format, const std::vector<std::string>& fillIns);

// People write a site in a few kilobytes; a file over this is not one.
inline constexpr qint64 kMaxSiteFileBytes = 1024 * 1024;

// Reads and checks the whole site, parameters files (relative to the site file) included.
TSiteFile LoadSiteFile(const QString& path);

// The line's settings as the site file writes them, without its readers.
QJsonObject SiteLineJson(const TSiteLine& line);
// "0007", as the search prints it.
std::string SerialText(std::uint8_t high, std::uint8_t low);
