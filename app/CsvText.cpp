#include "CsvText.h"

#include <algorithm>

namespace {

QString CsvField(const QString& text) {
  static const QString kSpecial = QStringLiteral(",\"\r\n");
  if (std::none_of(text.begin(), text.end(), [](QChar c) { return kSpecial.contains(c); })) return text;
  QString quoted = text;
  quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace

QString CsvLine(const QStringList& fields) {
  QStringList quoted;
  for (const QString& field : fields) quoted << CsvField(field);
  return quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}
