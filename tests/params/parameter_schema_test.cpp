// The JSON Schema that editors check parameters files against says what the parameter table
// says: the same fields, each with the table's range, list or form.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <set>
#include <string>

#include "ParameterJson.h"
#include "ParameterTable.h"
#include "QtTestApp.h"
#include "Utf8Text.h"

namespace {

QJsonObject LoadSchema() {
  QFile file(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QString::fromUtf8(PARAMETERS_SCHEMA_PATH));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
  return QJsonDocument::fromJson(file.readAll()).object();
}

// Every value a keyword takes anywhere under a schema: in anyOf's alternatives, in the
// {value, name} form of a listed value, in a list's rows.
void Collect(const QJsonValue& schema, const QString& keyword, QJsonArray& found) {
  for (const QJsonValue& item : schema.toArray()) Collect(item, keyword, found);
  const QJsonObject object = schema.toObject();
  for (auto it = object.begin(); it != object.end(); ++it)
    it.key() == keyword ? found.append(it.value()) : Collect(it.value(), keyword, found);
}

QJsonArray Keyword(const QJsonValue& schema, const char* keyword) {
  QJsonArray found;
  Collect(schema, QString::fromLatin1(keyword), found);
  return found;
}

// Whether the field's one pattern takes the text.
bool Takes(const QJsonValue& field, const std::string& text) {
  const QJsonArray patterns = Keyword(field, "pattern");
  EXPECT_EQ(patterns.size(), 1);
  return QRegularExpression(patterns.first().toString()).match(QString::fromStdString(text)).hasMatch();
}

TEST(ParametersSchema, NamesTheTableFieldsAndRefusesOthersAsTheFileDoes) {
  const QJsonObject schema = LoadSchema();
  std::set<std::string> named, fields{std::string(kAddressField), std::string(kSchemaField)};
  for (const QString& key : schema["properties"].toObject().keys()) named.insert(key.toStdString());
  for (const TParameterInfo& info : kParameterTable) fields.insert(std::string(info.field));
  EXPECT_EQ(named, fields);
  EXPECT_EQ(schema["additionalProperties"], QJsonValue(false));
}

TEST(ParametersSchema, GivesEachFieldTheTableRangeListOrForm) {
  const QJsonObject properties = LoadSchema()["properties"].toObject();
  for (const TParameterInfo& info : kParameterTable) {
    SCOPED_TRACE(info.field);
    const QJsonValue field = properties[Utf8Text(info.field)];
    const TValueRange range = info.range;
    const std::string digits(2 * info.size, 'F');  // a hex value, a black-list row
    switch (info.kind) {
      case TValueKind::Number:
        EXPECT_EQ(field["minimum"].toInt(-1), range.minimum);
        EXPECT_EQ(field["maximum"].toInt(-1), range.maximum);
        break;
      case TValueKind::ListItem: {  // by number or name, alone or as {value, name}: the list's
        QJsonArray values, names;
        for (const TValueName& item : ListOf(info.parameter)) {
          values.append(item.value);
          names.append(Utf8Text(item.name));
        }
        bool byNumber = false, byName = false;
        for (const QJsonValue& offered : Keyword(field, "enum")) {
          QJsonArray list;
          for (const QJsonValue& value : offered.toArray())
            if (!value.isNull()) list.append(value);  // null: the name of a value read that has none
          byNumber |= list == values;
          byName |= list == names;
          EXPECT_TRUE(list == values || list == names) << QJsonDocument(list).toJson(QJsonDocument::Compact).toStdString();
        }
        EXPECT_TRUE(byNumber && byName);
        break;
      }
      case TValueKind::Date:
        EXPECT_TRUE(Takes(field, std::to_string(range.minimum) + "-01-01"));
        EXPECT_TRUE(Takes(field, std::to_string(range.maximum) + "-12-31"));
        EXPECT_FALSE(Takes(field, std::to_string(range.minimum - 1) + "-12-31"));
        EXPECT_FALSE(Takes(field, std::to_string(range.maximum + 1) + "-01-01"));
        EXPECT_EQ(Keyword(field, "const").contains(Utf8Text(kToday)), info.parameter == kClock);
        break;
      case TValueKind::HexRows:
        EXPECT_TRUE(Takes(field, ""));
        EXPECT_EQ(field["minItems"].toInt(), static_cast<int>(kBlackListRows));
        EXPECT_EQ(field["maxItems"].toInt(), static_cast<int>(kBlackListRows));
        [[fallthrough]];
      case TValueKind::HexNumber:
        EXPECT_TRUE(Takes(field, digits));
        EXPECT_FALSE(Takes(field, digits + "F"));
        EXPECT_FALSE(Takes(field, digits.substr(1)));
        break;
    }
  }
}

}  // namespace
