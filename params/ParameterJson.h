#pragma once

#include <QByteArray>
#include <QJsonObject>

class QIODevice;

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "ReaderSequences.h"

// The parameters of one reader as a JSON object: what `read --json` prints and `write` takes.
// Each parameter is the field that the parameter table names; beside them the reader's address.
inline constexpr std::string_view kAddressField = "address";
// The JSON Schema an editor checks the file against, which a parameters file and a site file may
// name at their top: text the program takes and leaves alone.
inline constexpr std::string_view kSchemaField = "$schema";
// The clock's value in a plan: the computer's date at each write.
inline constexpr std::string_view kToday = "today";

// Why a parameters file cannot be written as it stands, with the values each front end words
// in its own language. Values from the file are shown as the file gives them ('4', 2.5, [..]).
namespace file_fault {
struct NotJson {
  std::string parserText;  // Qt's
  int offset;
};
struct NotObject {};
struct NotWholeNumber {
  std::string shown;
  int minimum;
  int maximum;
};
struct UnknownName {
  std::string name;
  std::string allowed;  // "0 Кассир, 1 Турникет, ..."
};
struct NeedsValueOrName {};
struct ValueAndNameDisagree {
  int value;
  std::string shownName;
};
struct NotDate {
  std::string shown;
  bool orToday;  // the clock, which may also be "today"
};
struct NotCalendarDate {
  std::string shown;
};
struct NotHexDigits {
  std::string shown;
  int digits;
};
struct NotList {
  int entries;
};
struct UnknownField {};
struct NotSchemaAddress {
  std::string shown;
};
struct TooLarge {
  qint64 kibibytes;
};
struct Unreadable {
  std::string systemText;
};
// The window's own refusals, already worded for the operator; each names its field.
struct Refused {
  std::vector<TRefusal> refusals;
};
}  // namespace file_fault

using TFileFault = std::variant<file_fault::NotJson, file_fault::NotObject, file_fault::NotWholeNumber,
                                file_fault::UnknownName, file_fault::NeedsValueOrName,
                                file_fault::ValueAndNameDisagree, file_fault::NotDate, file_fault::NotCalendarDate,
                                file_fault::NotHexDigits, file_fault::NotList, file_fault::UnknownField, file_fault::NotSchemaAddress,
                                file_fault::TooLarge, file_fault::Unreadable, file_fault::Refused>;

// A file that cannot be written as it stands. what() is the English line `parvex-cli` prints,
// led by the field; the window words field and fault itself. Exit status 2.
struct TFileError : std::runtime_error {
  TFileError(std::string field, TFileFault fault);
  std::string field;  // as the file names it: "sector", "blackList[3]", "cardType.value"; empty: the whole file
  TFileFault fault;
};

// A date as the file gives it: "2026-12-09".
std::string IsoDate(const TCalendarDate& date);

// "sector: 16 is not a whole number from 1 to 15", "not JSON: ... at offset 12".
std::string EnglishFileText(const std::string& field, const TFileFault& fault);

// The refusals, a line each led by the field it concerns.
std::string RefusalLines(const std::vector<TRefusal>& refusals);

// How a file gives the reader's clock: a report gives the date read; a plan, which is written
// again later, gives "today", so that it never sets a clock to the day it was saved.
enum class TClockAs { Read, Today };

// Values that could not be read are null; mode and card type carry their value and name. The
// address is null for values that belong to no reader (a panel without a reader selected).
QJsonObject ParametersToJson(std::optional<std::uint8_t> address, const TReaderParameters& values, TClockAs clock);

// Decodes a parameters file, a plan of the fields it names (of those its mode writes, when it names
// its mode), and checks it as the window would before sending: the shape and range of every field
// given, no field the table does not know, and the window's refusals (a date outside
// 2000..2255). Throws TFileError.
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
  // The clock: days from the date read to the one written (negative: the write sets the clock
  // back); nothing for the other fields or a clock not read.
  std::optional<int> clockShift;
  bool today = false;  // the clock written is the computer's date, planned as "today"
  bool operator==(const TReadBackDifference&) const = default;
};

// What a difference of the clock means, in English, or nothing: for a clock planned as today its
// offset from the computer's date ("clock 8 days behind"); for a date given, a write that sets the
// clock back ("sets the clock back 30 days").
std::optional<std::string> ClockNote(const TReadBackDifference& difference);

// Every planned field whose value read differs, in the order written: what a survey finds, and
// what a read-back finds after a write. A plan that leaves the mode out is taken in the mode read.
std::vector<TReadBackDifference> ReadBackMismatches(const TWriteValues& written, const TReaderParameters& read);

// The requests that bring a reader holding `found` to the plan: one for each planned field (each
// black-list row) whose value differs, in the order of a write, so the mode first.
std::vector<TWriteRequest> DifferingRequests(const TWriteValues& plan, const TReaderParameters& found);

// A field a plan names (a black-list row as "blackList[3]") with its value as a file writes it
// (the clock as "today" when planned so), in the order of a write, whatever mode the plan is for.
struct TPlannedField {
  std::string field;
  std::string value;
};
std::vector<TPlannedField> PlannedFields(const TWriteValues& plan);

// "sector: written 4, read back 5" or "sector: written 4, not read back".
std::string DifferenceLine(const TReadBackDifference& difference);

// One line per written field whose read-back differs.
std::vector<std::string> ReadBackDifferences(const TWriteValues& written, const TReaderParameters& read);
