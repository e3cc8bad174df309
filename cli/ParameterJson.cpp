#include "ParameterJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>
#include <QRegularExpression>
#include <QString>

#include <cmath>
#include <cstdio>
#include <optional>
#include <set>

#include "CodeTables.h"
#include "ParameterCodec.h"
#include "ReaderMessages.h"
#include "Utf8Text.h"
#include "ValueLists.h"

namespace {

QString Key(std::string_view field) { return Utf8Text(field); }

std::string IsoDate(const TCalendarDate& date) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
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

[[noreturn]] void FailField(std::string_view field, const std::string& why) {
  throw TFileError(std::string(field) + ": " + why);
}

std::string Shown(const QJsonValue& value) {
  if (value.isString()) return (QLatin1Char('\'') + value.toString() + QLatin1Char('\'')).toStdString();
  if (value.isArray() || value.isObject())
    return (value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject()))
        .toJson(QJsonDocument::Compact)
        .toStdString();
  return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).mid(1).chopped(1).toStdString();
}

int IntegerIn(std::string_view field, const QJsonValue& value, int min, int max) {
  const double number = value.toDouble();
  if (!value.isDouble() || std::floor(number) != number || number < min || number > max)
    FailField(field, Shown(value) + " is not a whole number from " + std::to_string(min) + " to " +
                         std::to_string(max));
  return static_cast<int>(number);
}

std::string NameList(std::span<const TValueName> names) {
  std::string list;
  for (const TValueName& item : names)
    list += (list.empty() ? "" : ", ") + std::to_string(item.value) + " " + std::string(item.name);
  return list;
}

// A listed value: its number, its name, or the object {value, name} that a read prints.
int ListValue(std::string_view field, const QJsonValue& value, std::span<const TValueName> names) {
  const int first = names.front().value;
  const int last = names.back().value;
  if (value.isString()) {
    const std::string name = value.toString().toStdString();
    if (const auto v = ValueOfName(names, name)) return *v;
    FailField(field, "unknown name '" + name + "' (" + NameList(names) + ")");
  }
  if (value.isObject()) {
    const QJsonObject object = value.toObject();
    const QJsonValue number = object.value("value");
    const QJsonValue name = object.value("name");
    if (number.isUndefined() && name.isUndefined()) FailField(field, "needs \"value\" or \"name\"");
    const int byNumber = number.isUndefined() ? -1 : IntegerIn(std::string(field) + ".value", number, first, last);
    const int byName = name.isUndefined() || name.isNull() ? -1 : ListValue(std::string(field) + ".name", name, names);
    if (byNumber >= 0 && byName >= 0 && byNumber != byName)
      FailField(field, "value " + std::to_string(byNumber) + " and name " + Shown(name) + " disagree");
    return byNumber >= 0 ? byNumber : byName;
  }
  return IntegerIn(field, value, first, last);
}

TCalendarDate DateValue(std::string_view field, const QJsonValue& value) {
  static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
  const auto match = iso.match(value.toString());
  if (!value.isString() || !match.hasMatch()) FailField(field, Shown(value) + " is not a date YYYY-MM-DD");
  const TCalendarDate date{match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt()};
  if (!IsCalendarDate(date)) FailField(field, Shown(value) + " is not a calendar date");
  return date;
}

std::string EntryValue(std::string_view field, const QJsonValue& value) {
  static const QRegularExpression entry(QStringLiteral("^([0-9A-Fa-f]{8})?$"));
  if (!value.isString() || !entry.match(value.toString()).hasMatch())
    FailField(field, Shown(value) + " is not 8 hex digits or \"\"");
  return value.toString().toUpper().toStdString();
}

// Every field the file gives is checked, also those its mode does not write: a bad value is a
// bad file either way. Fields left out are noted, for the check against what the mode writes.
class TFileReader {
 public:
  explicit TFileReader(const QJsonObject& object) : object_(object) {}

  template <typename Decode>
  void Take(std::string_view field, Decode decode) {
    const QJsonValue value = object_.value(Key(field));
    if (value.isUndefined() || value.isNull()) {
      missing_.insert(std::string(field));
      return;
    }
    decode(value);
  }
  bool Missing(std::string_view field) const { return missing_.count(std::string(field)) != 0; }

 private:
  const QJsonObject& object_;
  std::set<std::string> missing_;
};

void TakeBlackList(std::string_view field, const QJsonValue& value, TWriteValues& values) {
  const QJsonArray rows = value.toArray();
  if (!value.isArray() || rows.size() != static_cast<qsizetype>(kBlackListRows))
    FailField(field, "needs a list of " + std::to_string(kBlackListRows) + " entries");
  for (std::size_t row = 0; row < kBlackListRows; ++row)
    values.blackList[row] =
        EntryValue(std::string(field) + "[" + std::to_string(row) + "]", rows[static_cast<qsizetype>(row)]);
}

// The window's refusal, led by the fields it concerns.
std::string RefusalMessage(const TWriteValues& values, const std::string& refusal) {
  if (values.mode == kNoSelection) return std::string(kModeField) + ": " + refusal;
  if (values.mode == mode::Recharge && values.cardType == kNoSelection)
    return std::string(kCardTypeField) + ": " + refusal;
  std::string message;
  const std::tuple<std::string_view, std::string_view, const TCalendarDate&> dates[] = {
      {kCurrentDateField, texts::kCurrentDateName, values.currentDate},
      {kEndDateField, texts::kEndDateName, values.endDate}};
  for (const auto& [field, name, date] : dates) {
    if (FitsWire(date)) continue;
    if (!message.empty()) message += "\n";
    message += std::string(field) + ": " + DateOutOfRangeLine(name, date);
  }
  return message.empty() ? refusal : message;
}

}  // namespace

QJsonObject ParametersToJson(std::uint8_t address, const TReaderParameters& values) {
  QJsonArray blackList;
  for (std::size_t row = 0; row < kBlackListRows; ++row)
    blackList.append(row < values.blackListRowsRead ? QJsonValue(QString::fromStdString(values.blackList[row]))
                                                    : QJsonValue(QJsonValue::Null));
  return {
      {Key(kAddressField), address},
      {Key(kCashDeskField), IfRead(values, TParameter::CashDeskNumber, QString::fromStdString(values.cashDeskNumber))},
      {Key(kRechargeField), IfRead(values, TParameter::RechargeUnits, values.rechargeUnits)},
      {Key(kModeField), NamedValue(values.mode, kModeNames)},
      {Key(kCardTypeField), NamedValue(values.cardType, kCardTypeNames)},
      {Key(kCurrentDateField), IfRead(values, TParameter::CurrentDate, QString::fromStdString(IsoDate(values.currentDate)))},
      {Key(kEndDateField), IfRead(values, TParameter::EndDate, QString::fromStdString(IsoDate(values.endDate)))},
      {Key(kSectorField), IfRead(values, TParameter::Sector, values.sector)},
      {Key(kAbonementField), IfRead(values, TParameter::AbonementTimeout, values.abonementTimeout)},
      {Key(kRelayField), IfRead(values, TParameter::RelayTime, values.relayTime)},
      {Key(kBlackListField), blackList},
  };
}

std::string_view FieldOfCommand(std::uint8_t writeCode) {
  switch (writeCode) {
    case cmd::WriteMode: return kModeField;
    case cmd::WriteRechargeUnits: return kRechargeField;
    case cmd::WriteCardType: return kCardTypeField;
    case cmd::WriteCurrentDate: return kCurrentDateField;
    case cmd::WriteEndDate: return kEndDateField;
    case cmd::WriteSector: return kSectorField;
    case cmd::WriteAbonementTimeout: return kAbonementField;
    case cmd::WriteRelayTime: return kRelayField;
    case cmd::WriteBlackList: return kBlackListField;
    default: return {};
  }
}

TWriteValues WriteValuesFromJson(const QByteArray& text) {
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(text, &error);
  if (error.error != QJsonParseError::NoError)
    throw TFileError("not JSON: " + error.errorString().toStdString() + " at offset " + std::to_string(error.offset));
  if (!document.isObject()) throw TFileError("not JSON: expected an object {...}");

  const QJsonObject object = document.object();
  TWriteValues values;
  TFileReader file(object);
  file.Take(kModeField, [&](const QJsonValue& v) { values.mode = ListValue(kModeField, v, kModeNames); });
  file.Take(kCardTypeField, [&](const QJsonValue& v) { values.cardType = ListValue(kCardTypeField, v, kCardTypeNames); });
  file.Take(kRechargeField, [&](const QJsonValue& v) { values.rechargeUnits = IntegerIn(kRechargeField, v, 0, 255); });
  file.Take(kCurrentDateField, [&](const QJsonValue& v) { values.currentDate = DateValue(kCurrentDateField, v); });
  file.Take(kEndDateField, [&](const QJsonValue& v) { values.endDate = DateValue(kEndDateField, v); });
  file.Take(kSectorField, [&](const QJsonValue& v) { values.sector = IntegerIn(kSectorField, v, 1, 15); });
  file.Take(kAbonementField, [&](const QJsonValue& v) { values.abonementTimeout = IntegerIn(kAbonementField, v, 0, 255); });
  file.Take(kRelayField, [&](const QJsonValue& v) { values.relayTime = IntegerIn(kRelayField, v, 0, 255); });
  file.Take(kBlackListField, [&](const QJsonValue& v) { TakeBlackList(kBlackListField, v, values); });

  // What the mode writes decides what must be there; the mode and the card type have the
  // window's own refusals.
  if (values.mode != kNoSelection) {
    for (const TWriteRequest& request : WriteRequests(values)) {
      const std::string_view field = FieldOfCommand(request.code);
      if (field != kCardTypeField && file.Missing(field))
        FailField(field, "missing; mode " + std::to_string(values.mode) + " writes it");
    }
  }
  // Any address will do: the reader is known, and only the values are checked here.
  if (const auto refusal = WriteRefusal(std::uint8_t{0}, values)) throw TFileError(RefusalMessage(values, *refusal));
  return values;
}

namespace {

struct TComparison {
  std::string field;
  std::string written;
  std::optional<std::string> read;  // nothing when the read-back did not get it
};

std::optional<std::string> ByteIfRead(const TReaderParameters& v, TParameter p, int value) {
  if (!v.WasRead(p)) return std::nullopt;
  return std::to_string(value);
}

std::optional<std::string> DateIfRead(const TReaderParameters& v, TParameter p, const TCalendarDate& date) {
  if (!v.WasRead(p)) return std::nullopt;
  return IsoDate(date);
}

std::string WrittenDate(const std::vector<std::uint8_t>& data) {
  const auto date = DecodeDate(data);
  return date ? IsoDate(*date) : HexText(data);
}

TComparison Compare(const TWriteRequest& request, const TReaderParameters& read) {
  const std::string field(FieldOfCommand(request.code));
  const std::string byte = std::to_string(request.data.empty() ? 0 : request.data[0]);
  const auto optionalByte = [](const std::optional<std::uint8_t>& v) -> std::optional<std::string> {
    if (!v) return std::nullopt;
    return std::to_string(*v);
  };
  switch (request.code) {
    case cmd::WriteMode: return {field, byte, optionalByte(read.mode)};
    case cmd::WriteCardType: return {field, byte, optionalByte(read.cardType)};
    case cmd::WriteRechargeUnits: return {field, byte, ByteIfRead(read, TParameter::RechargeUnits, read.rechargeUnits)};
    case cmd::WriteSector: return {field, byte, ByteIfRead(read, TParameter::Sector, read.sector)};
    case cmd::WriteAbonementTimeout:
      return {field, byte, ByteIfRead(read, TParameter::AbonementTimeout, read.abonementTimeout)};
    case cmd::WriteRelayTime: return {field, byte, ByteIfRead(read, TParameter::RelayTime, read.relayTime)};
    case cmd::WriteCurrentDate:
      return {field, WrittenDate(request.data), DateIfRead(read, TParameter::CurrentDate, read.currentDate)};
    case cmd::WriteEndDate:
      return {field, WrittenDate(request.data), DateIfRead(read, TParameter::EndDate, read.endDate)};
    case cmd::WriteBlackList: {
      const std::size_t row = request.data.at(4);
      const std::vector<std::uint8_t> entry(request.data.begin(), request.data.begin() + 4);
      std::optional<std::string> back;
      if (row < read.blackListRowsRead) back = read.blackList[row];
      return {field + "[" + std::to_string(row) + "]", HexText(entry), back};
    }
    default:
      return {field, byte, std::nullopt};
  }
}

}  // namespace

std::vector<std::string> ReadBackDifferences(const TWriteValues& written, const TReaderParameters& read) {
  std::vector<std::string> lines;
  for (const TWriteRequest& request : WriteRequests(written)) {
    const TComparison c = Compare(request, read);
    if (c.read == c.written) continue;
    lines.push_back(c.field + ": written " + c.written + ", " + (c.read ? "read back " + *c.read : "not read back"));
  }
  return lines;
}
