#pragma once

#include <QByteArray>
#include <QJsonObject>

class QIODevice;

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "ReaderSequences.h"

// The parameters of one reader as a JSON object: what `read --json` prints and `write` takes.
// Each parameter is the field that the parameter table names; beside them the reader's address.
inline constexpr std::string_view kAddressField = "address";

// A file that cannot be written as it stands; the message starts with the field. Exit status 2.
struct TFileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Values that could not be read are null; mode and card type carry their value and name. The
// address is null for values that belong to no reader (a panel without a reader selected).
QJsonObject ParametersToJson(std::optional<std::uint8_t> address, const TReaderParameters& values);

// Decodes a parameters file and checks it as the window would before sending: the shape and
// range of every field given, every field the file's mode writes, and the window's refusals
// (no mode, mode 3 without a card type, a date outside 2000..2255). Throws TFileError.
TWriteValues WriteValuesFromJson(const QByteArray& text);

// A parameters file is a few hundred bytes; anything much larger is not one, and a device that
// never ends (/dev/zero) must not be read without end.
inline constexpr qint64 kMaxParameterFileBytes = 64 * 1024;

// Reads an open file, at most kMaxParameterFileBytes, and decodes it as WriteValuesFromJson.
TWriteValues WriteValuesFromDevice(QIODevice& file);

// A written field that read back otherwise: its field name (a black-list row as
// "blackList[3]") and both values as the file writes them.
struct TReadBackDifference {
  std::string field;
  std::string written;
  std::optional<std::string> read;  // nothing when the read-back did not get it
  bool operator==(const TReadBackDifference&) const = default;
};

// Every written field whose read-back differs, in the order written.
std::vector<TReadBackDifference> ReadBackMismatches(const TWriteValues& written, const TReaderParameters& read);

// "sector: written 4, read back 5" or "sector: written 4, not read back".
std::string DifferenceLine(const TReadBackDifference& difference);

// One line per written field whose read-back differs.
std::vector<std::string> ReadBackDifferences(const TWriteValues& written, const TReaderParameters& read);
