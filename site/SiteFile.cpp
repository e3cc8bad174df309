#include "SiteFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <functional>
#include <set>

#include "CPort.h"
#include "LineIdentity.h"
#include "StableName.h"
#include "ParameterJson.h"
#include "SettingsValues.h"

namespace {

constexpr std::uint32_t kMaxBaud = 4000000;

struct TFaultText {
  TSiteFault fault;
  const char* english;
};

constexpr TFaultText kEnglish[] = {
    {TSiteFault::UnknownField, "unknown field"},
    {TSiteFault::Missing, "missing"},
    {TSiteFault::NotWholeNumber, "%1 is not a whole number from %2 to %3"},
    {TSiteFault::NotOneOf, "%1 is not one of %2"},
    {TSiteFault::NotHexSerial, "%1 is not 4 hex digits"},
    {TSiteFault::NotParameters, "%1 is neither a parameters file nor an object of parameters"},
    {TSiteFault::Unreadable, "cannot be read: %1"},
    {TSiteFault::ParametersRefused, ""},
    {TSiteFault::NotObject, "is not an object"},
    {TSiteFault::NotPortName, "%1 is not a port name"},
    {TSiteFault::NotList, "is not a list"},
    {TSiteFault::AddressTwice, "given twice on this line"},
    {TSiteFault::TooLarge, "not a site file: larger than %1 KiB"},
    {TSiteFault::NotJson, "not JSON: %1 at offset %2"},
    {TSiteFault::NoObject, "not a site: the file holds no JSON object"},
    {TSiteFault::NotName, "%1 is not a name"},
    {TSiteFault::PortTwice, "reaches the same device as line %1 (%2)"},
    {TSiteFault::NotSchemaAddress, "%1 is not the address of a schema"},
};

std::string EnglishLine(const QString& file, const TSitePlace& place, TSiteFault fault,
                        const std::vector<std::string>& fillIns, const std::string& parametersFile,
                        const std::optional<TFileError>& parameters) {
  std::string line = file.toStdString();
  if (place.line) {
    line += ": line " + std::to_string(*place.line);
    if (!place.port.empty()) line += " (" + place.port + ")";
  }
  if (place.reader) line += ", reader " + std::to_string(*place.reader);
  line += ": ";
  if (!place.field.empty()) line += place.field + ": ";
  if (!parametersFile.empty()) line += parametersFile + ": ";
  if (parameters) return line + parameters->what();
  const auto row = std::find_if(std::begin(kEnglish), std::end(kEnglish), [&](const TFaultText& t) { return t.fault == fault; });
  return line + FilledIn(row->english, fillIns);
}

// Where in the file the checks are; a fault found there is thrown with it.
class TPlace {
 public:
  explicit TPlace(const QString& file) : file_(file) {}
  TPlace Line(std::size_t index, const std::string& port) const {
    TPlace line = *this;
    line.place_.line = index;
    line.place_.port = port;
    return line;
  }
  TPlace Reader(int address) const {
    TPlace reader = *this;
    reader.place_.reader = address;
    return reader;
  }
  [[noreturn]] void Fail(const std::string& field, TSiteFault fault, std::vector<std::string> fillIns = {}) const {
    throw ESiteFile(file_, In(field), fault, std::move(fillIns));
  }
  // A fault of the parameters file named (empty: the object written in the site file).
  [[noreturn]] void FailParameters(const std::string& name, TSiteFault fault, std::vector<std::string> fillIns,
                                   std::optional<TFileError> refusal) const {
    throw ESiteFile(file_, In("parameters"), fault, std::move(fillIns), name, std::move(refusal));
  }

 private:
  TSitePlace In(const std::string& field) const {
    TSitePlace at = place_;
    at.field = field;
    return at;
  }
  QString file_;
  TSitePlace place_;
};

std::string Shown(const QJsonValue& value) {
  if (value.isString()) {
    std::string quoted(1, '\'');
    quoted += value.toString().toStdString();
    return quoted += '\'';
  }
  QJsonArray wrapper{value};
  const QByteArray text = QJsonDocument(wrapper).toJson(QJsonDocument::Compact);
  return text.mid(1, text.size() - 2).toStdString();
}

// Refuses fields the object does not know: a misspelt field would otherwise be silently unused.
void CheckKnownFields(const QJsonObject& object, std::initializer_list<const char*> known, const TPlace& place) {
  for (auto it = object.begin(); it != object.end(); ++it) {
    const std::string field = it.key().toStdString();
    if (std::find_if(known.begin(), known.end(), [&](const char* k) { return field == k; }) == known.end())
      place.Fail(field, TSiteFault::UnknownField);
  }
}

QJsonValue Required(const QJsonObject& object, const char* field, const TPlace& place) {
  if (!object.contains(QLatin1String(field))) place.Fail(field, TSiteFault::Missing);
  return object.value(QLatin1String(field));
}

long WholeNumber(const QJsonValue& value, const char* field, long min, long max, const TPlace& place) {
  const double number = value.toDouble(std::nan(""));
  if (!value.isDouble() || std::floor(number) != number || number < min || number > max)
    place.Fail(field, TSiteFault::NotWholeNumber, {Shown(value), std::to_string(min), std::to_string(max)});
  return static_cast<long>(number);
}

// A port setting by the text the setup dialog shows for it: 8, "8", 1.5, "Even", "even".
template <typename Enum>
Enum SettingValue(const QJsonObject& object, const char* field, Enum fallback, const TPlace& place) {
  if (!object.contains(QLatin1String(field))) return fallback;
  const QJsonValue value = object.value(QLatin1String(field));
  const QByteArray text = value.isString() ? value.toString().toUtf8()
                          : value.isDouble() ? QByteArray::number(value.toDouble())
                                             : QByteArray();
  const int index = FindText(TEnumTexts<Enum>::texts, text);
  if (index < 0) {
    std::string allowed;
    for (const char* option : TEnumTexts<Enum>::texts) allowed += (allowed.empty() ? "" : ", ") + std::string(option);
    place.Fail(field, TSiteFault::NotOneOf, {Shown(value), allowed});
  }
  return static_cast<Enum>(index);
}

std::string SerialField(const QJsonValue& value, const TPlace& place) {
  const QString text = value.toString();
  const bool hex = value.isString() && text.size() == 4 && std::all_of(text.begin(), text.end(), [](QChar c) {
                     return c.unicode() < 128 && std::isxdigit(c.unicode());
                   });
  if (!hex) place.Fail("serial", TSiteFault::NotHexSerial, {Shown(value)});
  return text.toUpper().toStdString();
}

TWriteValues PlanOf(const QJsonValue& value, const QDir& folder, const TPlace& place) {
  if (value.isObject()) {
    try {
      return WriteValuesFromJson(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    } catch (const TFileError& e) {
      place.FailParameters({}, TSiteFault::ParametersRefused, {}, e);
    }
  }
  if (!value.isString() || value.toString().isEmpty())
    place.Fail("parameters", TSiteFault::NotParameters, {Shown(value)});
  const std::string name = value.toString().toStdString();
  QFile file(folder.filePath(value.toString()));
  if (!file.open(QIODevice::ReadOnly))
    place.FailParameters(name, TSiteFault::Unreadable, {file.errorString().toStdString()}, std::nullopt);
  try {
    return WriteValuesFromDevice(file);
  } catch (const TFileError& e) {
    place.FailParameters(name, TSiteFault::ParametersRefused, {}, e);
  }
}

TPlannedReader ReaderOf(const QJsonValue& value, const QDir& folder, const TPlace& linePlace, std::size_t index) {
  if (!value.isObject()) linePlace.Fail("readers[" + std::to_string(index) + "]", TSiteFault::NotObject);
  const QJsonObject object = value.toObject();
  TPlannedReader reader;
  reader.address = static_cast<std::uint8_t>(WholeNumber(Required(object, "address", linePlace), "address", 1, 254, linePlace));
  const TPlace place = linePlace.Reader(reader.address);
  CheckKnownFields(object, {"address", "serial", "parameters"}, place);
  if (object.contains(QLatin1String("serial"))) reader.serial = SerialField(object.value(QLatin1String("serial")), place);
  reader.plan = PlanOf(Required(object, "parameters", place), folder, place);
  return reader;
}

TSiteLine LineOf(const QJsonValue& value, const QDir& folder, const TPlace& site, std::size_t index) {
  if (!value.isObject()) site.Line(index, {}).Fail({}, TSiteFault::NotObject);
  const QJsonObject object = value.toObject();
  const QJsonValue port = object.value(QLatin1String("port"));
  const TPlace portless = site.Line(index, {});
  if (!port.isString() || port.toString().isEmpty())
    object.contains(QLatin1String("port")) ? portless.Fail("port", TSiteFault::NotPortName, {Shown(port)})
                                           : portless.Fail("port", TSiteFault::Missing);
  TSiteLine line;
  line.port = port.toString().toStdString();
  const TPlace place = site.Line(index, line.port);
  CheckKnownFields(object, {"port", "baud", "dataBits", "parity", "stopBits", "readers"}, place);
  if (object.contains(QLatin1String("baud")))
    line.baud = static_cast<std::uint32_t>(WholeNumber(object.value(QLatin1String("baud")), "baud", 1, kMaxBaud, place));
  line.dataBits = SettingValue(object, "dataBits", dbEight, place);
  line.parity = SettingValue(object, "parity", prNone, place);
  line.stopBits = SettingValue(object, "stopBits", sbOneStopBit, place);
  const QJsonValue readers = Required(object, "readers", place);
  if (!readers.isArray()) place.Fail("readers", TSiteFault::NotList);
  std::set<int> addresses;
  const QJsonArray list = readers.toArray();
  for (qsizetype i = 0; i < list.size(); ++i) {
    TPlannedReader reader = ReaderOf(list[i], folder, place, static_cast<std::size_t>(i));
    if (!addresses.insert(reader.address).second) place.Reader(reader.address).Fail("address", TSiteFault::AddressTwice);
    line.readers.push_back(std::move(reader));
  }
  return line;
}

// Two lines on one device would race for it, and one would survey the other's readers against
// its own plan: COM1 and /dev/ttyS0, a by-id link and its ttyUSB, tcp:// and rfc2217:// to one
// gateway's port.
void CheckOwnDevice(const TSiteLine& line, const std::vector<TSiteLine>& earlier, const TPlace& place) {
  for (std::size_t i = 0; i < earlier.size(); ++i)
    if (ReachSameDevice(QString::fromStdString(earlier[i].port), QString::fromStdString(line.port)))
      place.Fail("port", TSiteFault::PortTwice, {std::to_string(i), earlier[i].port});
}

QByteArray ReadBounded(const QString& path, const TPlace& place) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) place.Fail({}, TSiteFault::Unreadable, {file.errorString().toStdString()});
  const QByteArray text = file.read(kMaxSiteFileBytes + 1);
  if (text.size() > kMaxSiteFileBytes)
    place.Fail({}, TSiteFault::TooLarge, {std::to_string(kMaxSiteFileBytes / 1024)});
  return text;
}

}  // namespace

ESiteFile::ESiteFile(const QString& file, TSitePlace place, TSiteFault fault, std::vector<std::string> fillIns,
                     std::string parametersFile, std::optional<TFileError> parameters)
    : std::runtime_error(EnglishLine(file, place, fault, fillIns, parametersFile, parameters)),
      file(file),
      place(std::move(place)),
      fault(fault),
      fillIns(std::move(fillIns)),
      parametersFile(std::move(parametersFile)),
      parameters(std::move(parameters)) {}

std::string FilledIn(std::string_view format, const std::vector<std::string>& fillIns) {
  std::string text;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    const bool mark = c == '%' && i + 1 < format.size() && format[i + 1] >= '1' && format[i + 1] <= '9';
    const std::size_t n = mark ? static_cast<std::size_t>(format[i + 1] - '1') : 0;
    if (mark && n < fillIns.size()) {
      text += fillIns[n];
      ++i;
    } else {
      text += c;
    }
  }
  return text;
}

TSiteFile LoadSiteFile(const QString& path) {
  const TPlace place(path);
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(ReadBounded(path, place), &error);
  if (error.error != QJsonParseError::NoError)
    place.Fail({}, TSiteFault::NotJson, {error.errorString().toStdString(), std::to_string(error.offset)});
  if (!document.isObject()) place.Fail({}, TSiteFault::NoObject);
  const QJsonObject object = document.object();
  CheckKnownFields(object, {kSchemaField.data(), "site", "lines"}, place);
  if (const QJsonValue schema = object.value(QLatin1String(kSchemaField.data(), static_cast<qsizetype>(kSchemaField.size()))); !schema.isUndefined() && !schema.isString())
    place.Fail(std::string(kSchemaField), TSiteFault::NotSchemaAddress, {Shown(schema)});

  TSiteFile site;
  site.path = path;
  const QJsonValue name = Required(object, "site", place);
  if (!name.isString()) place.Fail("site", TSiteFault::NotName, {Shown(name)});
  site.name = name.toString().toStdString();
  const QJsonValue lines = Required(object, "lines", place);
  if (!lines.isArray()) place.Fail("lines", TSiteFault::NotList);
  const QDir folder = QFileInfo(path).absoluteDir();
  const QJsonArray list = lines.toArray();
  for (qsizetype i = 0; i < list.size(); ++i) {
    TSiteLine line = LineOf(list[i], folder, place, static_cast<std::size_t>(i));
    CheckOwnDevice(line, site.lines, place.Line(static_cast<std::size_t>(i), line.port));
    site.lines.push_back(std::move(line));
  }
  return site;
}

QJsonObject SiteLineJson(const TSiteLine& line) {
  return {{"port", QString::fromStdString(line.port)},
          {"baud", static_cast<qint64>(line.baud)},
          {"dataBits", QString::fromLatin1(EnumText(line.dataBits)).toInt()},
          {"parity", QString::fromLatin1(EnumText(line.parity))},
          {"stopBits", QString::fromLatin1(EnumText(line.stopBits)).toDouble()}};
}

std::string SerialText(std::uint8_t high, std::uint8_t low) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X", high, low);
  return text;
}

std::vector<std::pair<std::size_t, std::string>> LinesInPluggingOrder(const TSiteFile& site) {
  std::vector<std::pair<std::size_t, std::string>> lines;
  for (std::size_t i = 0; i < site.lines.size(); ++i)
    if (auto stable = StableNameFor(TCustomComPort::DevicePath(QString::fromStdString(site.lines[i].port)).toStdString()))
      lines.emplace_back(i, std::move(*stable));
  return lines;
}
