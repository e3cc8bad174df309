#pragma once

#include <QByteArray>
#include <QJsonObject>

#include <cstdint>
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

// Values that could not be read are null; mode and card type carry their value and name.
QJsonObject ParametersToJson(std::uint8_t address, const TReaderParameters& values);

// Decodes a parameters file and checks it as the window would before sending: the shape and
// range of every field given, every field the file's mode writes, and the window's refusals
// (no mode, mode 3 without a card type, a date outside 2000..2255). Throws TFileError.
TWriteValues WriteValuesFromJson(const QByteArray& text);

// One line per written field whose read-back differs ("sector: written 4, read back 5").
std::vector<std::string> ReadBackDifferences(const TWriteValues& written, const TReaderParameters& read);
