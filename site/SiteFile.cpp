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
#include "ParameterJson.h"
#include "SettingsValues.h"

namespace {

constexpr std::uint32_t kMaxBaud = 4000000;

// Where in the file a fault is, as its message leads with it.
class TPlace {
 public:
  explicit TPlace(const QString& file) : text_(file.toStdString()) {}
  TPlace Line(std::size_t index, const std::string& port) const {
    return TPlace(text_ + ": line " + std::to_string(index) + (port.empty() ? "" : " (" + port + ")"));
  }
  TPlace Reader(int address) const { return TPlace(text_ + ", reader " + std::to_string(address)); }
  [[noreturn]] void Fail(const std::string& field, const std::string& why) const {
    throw ESiteFile(text_ + ": " + (field.empty() ? "" : field + ": ") + why);
  }

 private:
  explicit TPlace(std::string text) : text_(std::move(text)) {}
  std::string text_;
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
      place.Fail(field, "unknown field");
  }
}

QJsonValue Required(const QJsonObject& object, const char* field, const TPlace& place) {
  if (!object.contains(QLatin1String(field))) place.Fail(field, "missing");
  return object.value(QLatin1String(field));
}

long WholeNumber(const QJsonValue& value, const char* field, long min, long max, const TPlace& place) {
  const double number = value.toDouble(std::nan(""));
  if (!value.isDouble() || std::floor(number) != number || number < min || number > max)
    place.Fail(field, Shown(value) + " is not a whole number from " + std::to_string(min) + " to " + std::to_string(max));
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
    place.Fail(field, Shown(value) + " is not one of " + allowed);
  }
  return static_cast<Enum>(index);
}

std::string SerialField(const QJsonValue& value, const TPlace& place) {
  const QString text = value.toString();
  const bool hex = value.isString() && text.size() == 4 && std::all_of(text.begin(), text.end(), [](QChar c) {
                     return c.unicode() < 128 && std::isxdigit(c.unicode());
                   });
  if (!hex) place.Fail("serial", Shown(value) + " is not 4 hex digits");
  return text.toUpper().toStdString();
}

TWriteValues PlanOf(const QJsonValue& value, const QDir& folder, const TPlace& place) {
  if (value.isObject()) {
    try {
      return WriteValuesFromJson(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    } catch (const TFileError& e) {
      place.Fail("parameters", e.what());
    }
  }
  if (!value.isString() || value.toString().isEmpty())
    place.Fail("parameters", Shown(value) + " is neither a parameters file nor an object of parameters");
  const std::string name = value.toString().toStdString();
  QFile file(folder.filePath(value.toString()));
  if (!file.open(QIODevice::ReadOnly)) place.Fail("parameters", name + ": cannot be read: " + file.errorString().toStdString());
  try {
    return WriteValuesFromDevice(file);
  } catch (const TFileError& e) {
    place.Fail("parameters", name + ": " + e.what());
  }
}

TPlannedReader ReaderOf(const QJsonValue& value, const QDir& folder, const TPlace& linePlace, std::size_t index) {
  if (!value.isObject()) linePlace.Fail("readers[" + std::to_string(index) + "]", "is not an object");
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
  if (!value.isObject()) site.Line(index, {}).Fail({}, "is not an object");
  const QJsonObject object = value.toObject();
  const QJsonValue port = object.value(QLatin1String("port"));
  const TPlace portless = site.Line(index, {});
  if (!port.isString() || port.toString().isEmpty())
    portless.Fail("port", object.contains(QLatin1String("port")) ? Shown(port) + " is not a port name" : "missing");
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
  if (!readers.isArray()) place.Fail("readers", "is not a list");
  std::set<int> addresses;
  const QJsonArray list = readers.toArray();
  for (qsizetype i = 0; i < list.size(); ++i) {
    TPlannedReader reader = ReaderOf(list[i], folder, place, static_cast<std::size_t>(i));
    if (!addresses.insert(reader.address).second) place.Reader(reader.address).Fail("address", "given twice on this line");
    line.readers.push_back(std::move(reader));
  }
  return line;
}

QByteArray ReadBounded(const QString& path, const TPlace& place) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) place.Fail({}, "cannot be read: " + file.errorString().toStdString());
  const QByteArray text = file.read(kMaxSiteFileBytes + 1);
  if (text.size() > kMaxSiteFileBytes)
    place.Fail({}, "not a site file: larger than " + std::to_string(kMaxSiteFileBytes / 1024) + " KiB");
  return text;
}

}  // namespace

TSiteFile LoadSiteFile(const QString& path) {
  const TPlace place(path);
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(ReadBounded(path, place), &error);
  if (error.error != QJsonParseError::NoError)
    place.Fail({}, "not JSON: " + error.errorString().toStdString() + " at offset " + std::to_string(error.offset));
  if (!document.isObject()) place.Fail({}, "not a site: the file holds no JSON object");
  const QJsonObject object = document.object();
  CheckKnownFields(object, {"site", "lines"}, place);

  TSiteFile site;
  site.path = path;
  const QJsonValue name = Required(object, "site", place);
  if (!name.isString()) place.Fail("site", Shown(name) + " is not a name");
  site.name = name.toString().toStdString();
  const QJsonValue lines = Required(object, "lines", place);
  if (!lines.isArray()) place.Fail("lines", "is not a list");
  const QDir folder = QFileInfo(path).absoluteDir();
  std::set<QString> devices;
  const QJsonArray list = lines.toArray();
  for (qsizetype i = 0; i < list.size(); ++i) {
    TSiteLine line = LineOf(list[i], folder, place, static_cast<std::size_t>(i));
    // COM1 and /dev/ttyS0 are one device: two lines on it would fight over it.
    if (!devices.insert(TCustomComPort::DevicePath(QString::fromStdString(line.port))).second)
      place.Line(static_cast<std::size_t>(i), line.port).Fail("port", "the same port as an earlier line");
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
