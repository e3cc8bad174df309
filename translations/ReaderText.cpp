#include "ReaderText.h"

#include <QCoreApplication>
#include <QStringList>

#include <string>

#include "CodeTables.h"

QString ReaderText(std::string_view source) {
  // A view into a table need not end in NUL; the catalogue is searched by a C string.
  return QCoreApplication::translate("Reader", std::string(source).c_str());
}

std::string ReaderTextUtf8(std::string_view source) { return ReaderText(source).toStdString(); }

QString ErrorLineText(const ErrorEntry& failure) {
  return ReaderText(CommandText(failure.command)) + QStringLiteral(" - ") + ReaderText(StatusText(failure.status));
}

std::vector<std::string> ErrorLinesUtf8(const ErrorList& errors) {
  std::vector<std::string> lines;
  for (const ErrorEntry& failure : errors.Entries()) lines.push_back(ErrorLineText(failure).toStdString());
  return lines;
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
  std::vector<std::string> lines;
  for (const TRefusal& refusal : refusals)
    lines.push_back((refusal.parameter ? std::string(ParameterInfo(*refusal.parameter).field) + ": " : std::string()) +
                    RefusalLineText(refusal).toStdString());
  return lines;
}

QString ErrorMessageText(std::string_view heading, const ErrorList& errors) {
  QString text = ReaderText(heading);
  for (const ErrorEntry& failure : errors.Entries()) text += ErrorLineText(failure) + QStringLiteral("\r\n");
  return text;
}
