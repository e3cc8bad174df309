#include "ReaderText.h"

#include <QCoreApplication>
#include <QStringList>

#include <string>

#include "CodeTables.h"
#include "Overloaded.h"
#include "ParameterTable.h"

QString ReaderText(std::string_view source) {
  // A view into a table need not end in NUL; the catalogue is searched by a C string.
  return QCoreApplication::translate("Reader", std::string(source).c_str());
}

std::string ReaderTextUtf8(std::string_view source) { return ReaderText(source).toStdString(); }

QString ErrorLineText(const ErrorEntry& failure) {
  return ReaderText(CommandText(failure.command)) + QStringLiteral(" - ") + ReaderText(StatusText(failure.status));
}

QString RefusalLineText(const TRefusal& refusal) {
  QString line = ReaderText(refusal.text);
  for (const std::string& fillIn : refusal.fillIns) line = line.arg(ReaderText(fillIn));
  return line;
}

QString RefusalsText(const std::vector<TRefusal>& refusals) {
  QStringList lines;
  for (const TRefusal& refusal : refusals) lines << RefusalLineText(refusal);
  return lines.join(QStringLiteral("\r\n"));
}

std::vector<std::string> RefusalLinesUtf8(const std::vector<TRefusal>& refusals) {
  return FaultLinesUtf8(Faults(refusals), TFieldNaming::File);
}

QString FieldName(std::string_view field, TFieldNaming naming) {
  const TParameterInfo* info = ParameterOfField(field);
  if (naming == TFieldNaming::Panel && info) return ReaderText(info->caption);
  return QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size()));
}

QString FaultText(const TReaderFault& fault, TFieldNaming naming) {
  return std::visit(Overloaded{
                        [](const ErrorEntry& error) { return ErrorLineText(error); },
                        [naming](const TRefusal& refusal) {
                          if (!refusal.parameter) return RefusalLineText(refusal);
                          return FieldName(ParameterInfo(*refusal.parameter).field, naming) + QStringLiteral(": ") +
                                 RefusalLineText(refusal);
                        },
                        [](const TLineFailure& failure) { return QString::fromStdString(failure.text); },
                    },
                    fault);
}

std::vector<std::string> FaultLinesUtf8(const std::vector<TReaderFault>& faults, TFieldNaming naming) {
  std::vector<std::string> lines;
  for (const TReaderFault& fault : faults) lines.push_back(FaultText(fault, naming).toStdString());
  return lines;
}

QString ErrorMessageText(std::string_view heading, const ErrorList& errors) {
  QString text = ReaderText(heading);
  for (const ErrorEntry& failure : errors.Entries()) text += ErrorLineText(failure) + QStringLiteral("\r\n");
  return text;
}
