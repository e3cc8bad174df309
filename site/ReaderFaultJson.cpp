#include "ReaderFaultJson.h"

#include <QJsonDocument>
#include <QString>

#include "CodeTables.h"
#include "Overloaded.h"
#include "ParameterTable.h"

namespace {

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QJsonObject FaultJson(const TReaderFault& fault) {
  return std::visit(
      Overloaded{
          [](const ErrorEntry& error) {
            return QJsonObject{{"command", error.command},
                               {"commandName", Text(CommandName(error.command))},
                               {"status", error.status},
                               {"statusName", Text(StatusName(error.status))}};
          },
          [](const TRefusal& refusal) {
            QJsonArray fillIns;
            for (const std::string& fillIn : refusal.fillIns) fillIns.append(Text(fillIn));
            QJsonObject object{{"refusal", Text(RefusalName(refusal))}, {"fillIns", fillIns}};
            if (refusal.parameter) object.insert("field", Text(ParameterInfo(*refusal.parameter).field));
            return object;
          },
          [](const TLineFailure& failure) { return QJsonObject{{"line", Text(failure.text)}}; },
      },
      fault);
}

TReaderFault FaultFromJson(const QJsonValue& value) {
  if (value.isString()) return TLineFailure{value.toString().toStdString()};
  const QJsonObject object = value.toObject();
  if (object.contains("command"))
    return ErrorEntry{static_cast<std::uint8_t>(object["command"].toInt()), static_cast<std::uint8_t>(object["status"].toInt())};
  const std::string name = object["refusal"].toString().toStdString();
  if (const auto text = RefusalTextNamed(name)) {
    TRefusal refusal{std::nullopt, *text, {}};
    if (const TParameterInfo* info = ParameterOfField(object["field"].toString().toStdString())) refusal.parameter = info->parameter;
    for (const QJsonValue& fillIn : object["fillIns"].toArray()) refusal.fillIns.push_back(fillIn.toString().toStdString());
    return refusal;
  }
  if (object.contains("line")) return TLineFailure{object["line"].toString().toStdString()};
  return TLineFailure{QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString()};
}

}  // namespace

QJsonArray FaultsJson(const std::vector<TReaderFault>& faults) {
  QJsonArray array;
  for (const TReaderFault& fault : faults) array.append(FaultJson(fault));
  return array;
}

std::vector<TReaderFault> FaultsFromJson(const QJsonArray& faults) {
  std::vector<TReaderFault> result;
  for (const QJsonValue& fault : faults) result.push_back(FaultFromJson(fault));
  return result;
}
