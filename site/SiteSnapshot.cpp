#include "SiteSnapshot.h"

#include <QJsonArray>
#include <QJsonDocument>

#include "ParameterJson.h"

namespace {

QJsonObject ReaderJson(const TReaderResult& reader) {
  QJsonObject parameters = ParametersToJson(std::nullopt, *reader.values, TClockAs::Today);
  parameters.remove(QString::fromUtf8(kAddressField.data(), static_cast<qsizetype>(kAddressField.size())));
  return {{"address", reader.address},
          {"serial", QString::fromStdString(*reader.serial)},
          {"parameters", parameters}};
}

}  // namespace

QByteArray SnapshotFile(const TSiteFile& site, const TSiteResult& result) {
  QJsonArray lines;
  for (const TLineResult& lineResult : result.lines) {
    QJsonObject line = SiteLineJson(site.lines[lineResult.index]);
    QJsonArray readers;
    for (const TReaderResult& reader : lineResult.readers)
      if (reader.values && reader.serial) readers.append(ReaderJson(reader));
    line.insert("readers", readers);
    lines.append(line);
  }
  const QJsonObject document{{"site", QString::fromStdString(site.name)}, {"lines", lines}};
  return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

std::vector<TSnapshotGap> SnapshotGaps(const TSiteResult& result) {
  std::vector<TSnapshotGap> gaps;
  for (const TLineResult& line : result.lines) {
    if (line.status != TLineStatus::Done) gaps.push_back({&line, nullptr});
    for (const TReaderResult& reader : line.readers)
      if (reader.serial && !reader.values) gaps.push_back({&line, &reader});  // answered, not read
  }
  return gaps;
}
