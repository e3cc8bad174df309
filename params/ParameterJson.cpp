#include "ParameterJson.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>
#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <optional>
#include <utility>
#include <variant>

#include "Overloaded.h"
#include "ParameterCodec.h"
#include "ParameterTable.h"
#include "Utf8Text.h"

namespace {

QString Key(std::string_view field) { return Utf8Text(field); }

std::string RowField(std::string_view field, std::size_t row) {
  return std::string(field) + "[" + std::to_string(row) + "]";
}

QJsonValue NamedValue(std::optional<std::uint8_t> value, std::span<const TValueName> names) {
  if (!value) return QJsonValue::Null;
  QJsonObject object{{"value", static_cast<int>(*value)}};
  const auto name = NameOfValue(names, *value);
  object.insert("name", name ? QJsonValue(Key(*name)) : QJsonValue(QJsonValue::Null));
  return object;
}

template <typename T>
QJsonValue IfRead(const TReaderParameters& values, TParameter parameter, const T& value) {
  return values.WasRead(parameter) ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
}

QJsonValue JsonValue(const TReaderParameters& values, const TParameterInfo& info, TClockAs clock) {
  const TParameter parameter = info.parameter;
  if (parameter == kClock && clock == TClockAs::Today) return Key(kToday);
  switch (info.kind) {
    case TValueKind::HexNumber:
      return IfRead(values, parameter, QString::fromStdString(values.cashDeskNumber));
    case TValueKind::Number: {
      const auto byte = values.Byte(parameter);
      return byte ? QJsonValue(int{*byte}) : QJsonValue(QJsonValue::Null);
    }
    case TValueKind::ListItem:
      return NamedValue(values.Byte(parameter), ListOf(parameter));
    case TValueKind::Date:
      return IfRead(values, parameter, QString::fromStdString(IsoDate(values.Date(parameter))));
    case TValueKind::HexRows: {
      QJsonArray rows;
      for (std::size_t row = 0; row < kBlackListRows; ++row)
        rows.append(row < values.blackListRowsRead ? QJsonValue(QString::fromStdString(values.blackList[row]))
                                                   : QJsonValue(QJsonValue::Null));
      return rows;
    }
  }
  return QJsonValue::Null;
}

[[noreturn]] void FailField(std::string_view field, TFileFault fault) {
  throw TFileError(std::string(field), std::move(fault));
}

std::string Shown(const QJsonValue& value) {
  if (value.isString()) return (QLatin1Char('\'') + value.toString() + QLatin1Char('\'')).toStdString();
  if (value.isArray() || value.isObject())
    return (value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject()))
        .toJson(QJsonDocument::Compact)
        .toStdString();
  return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).mid(1).chopped(1).toStdString();
}

int IntegerIn(std::string_view field, const QJsonValue& value, TValueRange range) {
  const double number = value.toDouble();
  if (!value.isDouble() || std::floor(number) != number || number < range.minimum || number > range.maximum)
    FailField(field, file_fault::NotWholeNumber{Shown(value), range.minimum, range.maximum});
  return static_cast<int>(number);
}

// A listed value: its number, its name, or the object {value, name} that a read prints.
int ListValue(std::string_view field, const QJsonValue& value, const TParameterInfo& info) {
  const std::span<const TValueName> names = ListOf(info.parameter);
  if (value.isString()) {
    const std::string name = value.toString().toStdString();
    if (const auto v = ValueOfName(names, name)) return *v;
    FailField(field, file_fault::UnknownName{name, ListText(names)});
  }
  if (value.isObject()) {
    const QJsonObject object = value.toObject();
    const QJsonValue number = object.value("value");
    const QJsonValue name = object.value("name");
    if (number.isUndefined() && name.isUndefined()) FailField(field, file_fault::NeedsValueOrName{});
    const int byNumber = number.isUndefined() ? -1 : IntegerIn(std::string(field) + ".value", number, info.range);
    const int byName = name.isUndefined() || name.isNull() ? -1 : ListValue(std::string(field) + ".name", name, info);
    if (byNumber >= 0 && byName >= 0 && byNumber != byName)
      FailField(field, file_fault::ValueAndNameDisagree{byNumber, Shown(name)});
    return byNumber >= 0 ? byNumber : byName;
  }
  return IntegerIn(field, value, info.range);
}

TCalendarDate DateValue(std::string_view field, const QJsonValue& value, bool orToday) {
  static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
  const auto match = iso.match(value.toString());
  if (!value.isString() || !match.hasMatch()) FailField(field, file_fault::NotDate{Shown(value), orToday});
  const TCalendarDate date{match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt()};
  if (!IsCalendarDate(date)) FailField(field, file_fault::NotCalendarDate{Shown(value)});
  return date;
}

std::string EntryValue(std::string_view field, const QJsonValue& value) {
  static const QRegularExpression entry(QStringLiteral("^([0-9A-Fa-f]{%1})?$").arg(kEntryDigits));
  if (!value.isString() || !entry.match(value.toString()).hasMatch())
    FailField(field, file_fault::NotHexDigits{Shown(value), static_cast<int>(kEntryDigits)});
  return value.toString().toUpper().toStdString();
}

void TakeRows(std::string_view field, const QJsonValue& value, TWriteValues& values) {
  const QJsonArray rows = value.toArray();
  if (!value.isArray() || rows.size() != static_cast<qsizetype>(kBlackListRows))
    FailField(field, file_fault::NotList{static_cast<int>(kBlackListRows)});
  for (std::size_t row = 0; row < kBlackListRows; ++row)
    values.blackList[row] = EntryValue(RowField(field, row), rows[static_cast<qsizetype>(row)]);
}

void TakeValue(const TParameterInfo& info, const QJsonValue& value, TWriteValues& values) {
  switch (info.kind) {
    case TValueKind::Number: values.Byte(info.parameter) = IntegerIn(info.field, value, info.range); break;
    case TValueKind::ListItem: values.Byte(info.parameter) = ListValue(info.field, value, info); break;
    case TValueKind::Date:
      if (info.parameter == kClock && value.toString() == Key(kToday))
        values.clockToday = true;
      else
        values.Date(info.parameter) = DateValue(info.field, value, info.parameter == kClock);
      break;
    case TValueKind::HexRows: TakeRows(info.field, value, values); break;
    case TValueKind::HexNumber: break;  // never written: not a field a write takes
  }
}

// A misspelt field would otherwise leave its parameter silently as the reader holds it.
void CheckKnownFields(const QJsonObject& object) {
  for (auto it = object.begin(); it != object.end(); ++it) {
    const std::string field = it.key().toStdString();
    const bool known = field == kAddressField || field == kSchemaField || ParameterOfField(field);
    if (!known) FailField(field, file_fault::UnknownField{});
  }
  const QJsonValue schema = object.value(Key(kSchemaField));
  if (!schema.isUndefined() && !schema.isString()) FailField(kSchemaField, file_fault::NotSchemaAddress{Shown(schema)});
}

}  // namespace

std::string IsoDate(const TCalendarDate& date) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

std::string EnglishFileText(const std::string& field, const TFileFault& fault) {
  using namespace file_fault;
  using std::to_string;
  const std::string why = std::visit(
      Overloaded{
          [](const NotJson& f) { return "not JSON: " + f.parserText + " at offset " + to_string(f.offset); },
          [](const NotObject&) { return std::string("not JSON: expected an object {...}"); },
          [](const NotWholeNumber& f) {
            return f.shown + " is not a whole number from " + to_string(f.minimum) + " to " + to_string(f.maximum);
          },
          [](const UnknownName& f) { return "unknown name '" + f.name + "' (" + f.allowed + ")"; },
          [](const NeedsValueOrName&) { return std::string(R"(needs "value" or "name")"); },
          [](const ValueAndNameDisagree& f) {
            return "value " + to_string(f.value) + " and name " + f.shownName + " disagree";
          },
          [](const NotDate& f) { return f.shown + " is not a date YYYY-MM-DD" + (f.orToday ? R"( or "today")" : ""); },
          [](const NotCalendarDate& f) { return f.shown + " is not a calendar date"; },
          [](const NotHexDigits& f) { return f.shown + " is not " + to_string(f.digits) + R"( hex digits or "")"; },
          [](const NotList& f) { return "needs a list of " + to_string(f.entries) + " entries"; },
          [](const UnknownField&) { return std::string("unknown field"); },
          [](const NotSchemaAddress& f) { return f.shown + " is not the address of a schema"; },
          [](const TooLarge& f) { return "not a parameters file: larger than " + to_string(f.kibibytes) + " KiB"; },
          [](const Unreadable& f) { return "cannot be read: " + f.systemText; },
          [](const Refused& f) { return RefusalLines(f.refusals); },
      },
      fault);
  return field.empty() ? why : field + ": " + why;
}

TFileError::TFileError(std::string field_, TFileFault fault_)
    : std::runtime_error(EnglishFileText(field_, fault_)), field(std::move(field_)), fault(std::move(fault_)) {}

std::string RefusalLines(const std::vector<TRefusal>& refusals) {
  std::string message;
  for (const TRefusal& refusal : refusals) {
    if (!message.empty()) message += "\n";
    if (refusal.parameter) message += std::string(ParameterInfo(*refusal.parameter).field) + ": ";
    message += RefusalLine(refusal);
  }
  return message;
}

QJsonObject ParametersToJson(std::optional<std::uint8_t> address, const TReaderParameters& values, TClockAs clock) {
  QJsonObject object{{Key(kAddressField), address ? QJsonValue(int{*address}) : QJsonValue(QJsonValue::Null)}};
  for (const TParameterInfo& info : kParameterTable) object.insert(Key(info.field), JsonValue(values, info, clock));
  return object;
}

TWriteValues WriteValuesFromJson(const QByteArray& text) {
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(text, &error);
  if (error.error != QJsonParseError::NoError)
    throw TFileError({}, file_fault::NotJson{error.errorString().toStdString(), error.offset});
  if (!document.isObject()) throw TFileError({}, file_fault::NotObject{});

  const QJsonObject object = document.object();
  CheckKnownFields(object);
  TWriteValues values;
  values.planned = 0;
  for (const TParameter parameter : kFileOrder) {
    const TParameterInfo& info = ParameterInfo(parameter);
    const QJsonValue value = object.value(Key(info.field));
    if (!info.writeCode || value.isUndefined() || value.isNull()) continue;  // left as the reader holds it
    TakeValue(info, value, values);
    values.planned |= ParameterBit(parameter);
  }
  // A file that names its mode plans only what that mode writes; a value it gives for another
  // field has been checked all the same, as a bad value is a bad file either way.
  if (values.Plans(TParameter::Mode))
    for (const TParameterInfo& info : kParameterTable)
      if (!info.usedIn.Applies(values.mode)) values.planned &= ~ParameterBit(info.parameter);
  // Any address will do: the reader is known, and only the values are checked here.
  if (const auto refusals = WriteRefusals(std::uint8_t{0}, values); !refusals.empty())
    throw TFileError({}, file_fault::Refused{refusals});
  return values;
}

TWriteValues WriteValuesFromDevice(QIODevice& file) {
  const QByteArray text = file.read(kMaxParameterFileBytes + 1);
  if (text.size() > kMaxParameterFileBytes)
    throw TFileError({}, file_fault::TooLarge{kMaxParameterFileBytes / 1024});
  return WriteValuesFromJson(text);
}

namespace {

std::string WrittenDate(const std::vector<std::uint8_t>& data) {
  const auto date = DecodeDate(data);
  return date ? IsoDate(*date) : HexText(data);
}

TReadBackDifference Compare(const TWriteRequest& request, const TParameterInfo& info, const TReaderParameters& read) {
  const std::string field(info.field);
  switch (info.kind) {
    case TValueKind::Number:
    case TValueKind::ListItem: {
      const auto back = read.Byte(info.parameter);
      return {field, std::to_string(request.data.at(0)), back ? std::optional(std::to_string(*back)) : std::nullopt, {}, false};
    }
    case TValueKind::Date: {
      TReadBackDifference difference{field, WrittenDate(request.data), std::nullopt, {}, false};
      if (!read.WasRead(info.parameter)) return difference;
      const TCalendarDate& back = read.Date(info.parameter);
      difference.read = IsoDate(back);
      if (const auto written = DecodeDate(request.data); written && info.parameter == kClock)
        difference.clockShift = DayNumber(*written) - DayNumber(back);
      return difference;
    }
    case TValueKind::HexRows: {
      const std::size_t row = request.data.at(info.size);
      const std::vector<std::uint8_t> entry(request.data.begin(), request.data.begin() + static_cast<long>(info.size));
      std::optional<std::string> back;
      if (row < read.blackListRowsRead) back = read.blackList[row];
      return {RowField(field, row), HexText(entry), back, {}, false};
    }
    case TValueKind::HexNumber:
      break;  // never written
  }
  return {field, HexText(request.data), std::nullopt, {}, false};
}

std::string Days(int count) { return std::to_string(count) + (count == 1 ? " day" : " days"); }

}  // namespace

std::vector<TReadBackDifference> ReadBackMismatches(const TWriteValues& written, const TReaderParameters& read) {
  std::vector<TReadBackDifference> differences;
  for (const TWriteRequest& request : WriteRequests(ForReader(written, read))) {
    const TParameterInfo& info = *ParameterOfWriteCode(request.code);
    TReadBackDifference c = Compare(request, info, read);
    c.today = info.parameter == kClock && written.clockToday;
    if (c.read != c.written) differences.push_back(std::move(c));
  }
  return differences;
}

std::vector<TPlannedField> PlannedFields(const TWriteValues& plan) {
  std::vector<TPlannedField> fields;
  for (const TParameter parameter : kWriteOrder) {
    if (!plan.Plans(parameter)) continue;
    const TParameterInfo& info = ParameterInfo(parameter);
    const std::string field(info.field);
    switch (info.kind) {
      case TValueKind::Number:
      case TValueKind::ListItem:
        fields.push_back({field, std::to_string(plan.Byte(parameter))});
        break;
      case TValueKind::Date:
        fields.push_back({field, parameter == kClock && plan.clockToday ? std::string(kToday) : IsoDate(plan.Date(parameter))});
        break;
      case TValueKind::HexRows:
        for (std::size_t row = 0; row < kBlackListRows; ++row)
          fields.push_back({RowField(field, row), HexText(EntryBytes(plan.blackList[row]))});
        break;
      case TValueKind::HexNumber:
        break;  // never written
    }
  }
  return fields;
}

std::vector<TWriteRequest> DifferingRequests(const TWriteValues& plan, const TReaderParameters& found) {
  std::vector<TWriteRequest> requests;
  for (const TWriteRequest& request : WriteRequests(ForReader(plan, found))) {
    const TReadBackDifference c = Compare(request, *ParameterOfWriteCode(request.code), found);
    if (c.read != c.written) requests.push_back(request);
  }
  return requests;
}

std::optional<std::string> ClockNote(const TReadBackDifference& d) {
  if (!d.clockShift || *d.clockShift == 0) return std::nullopt;
  const int shift = *d.clockShift;
  if (d.today) return "clock " + Days(std::abs(shift)) + (shift > 0 ? " behind" : " ahead");
  if (shift < 0) return "sets the clock back " + Days(-shift);
  return std::nullopt;
}

std::string DifferenceLine(const TReadBackDifference& d) {
  return d.field + ": written " + d.written + ", " + (d.read ? "read back " + *d.read : "not read back");
}

std::vector<std::string> ReadBackDifferences(const TWriteValues& written, const TReaderParameters& read) {
  std::vector<std::string> lines;
  for (const TReadBackDifference& difference : ReadBackMismatches(written, read))
    lines.push_back(DifferenceLine(difference));
  return lines;
}
