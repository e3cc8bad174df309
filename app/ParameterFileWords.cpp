#include "ParameterFileWords.h"

#include "Overloaded.h"
#include "ReaderText.h"
#include "Utf8Text.h"

#include <QCoreApplication>

#include <variant>

namespace {

// The window's own refusals, a line each led by the field it concerns.
QString RefusedText(const std::vector<TRefusal>& refusals) {
  QStringList lines;
  for (const TRefusal& refusal : refusals) {
    const QString field =
        refusal.parameter ? Utf8Text(ParameterInfo(*refusal.parameter).field) + QStringLiteral(": ") : QString();
    lines << field + RefusalLineText(refusal);
  }
  return lines.join(QLatin1Char('\n'));
}

}  // namespace

QString FileFaultText(const std::string& field, const TFileFault& fault) {
  using namespace file_fault;
  const QString why = std::visit(
      Overloaded{
          [](const NotJson& f) {
            return QCoreApplication::translate("ParameterFile", "не JSON: %1 (позиция %2)")
                .arg(Utf8Text(f.parserText))
                .arg(f.offset);
          },
          [](const NotObject&) {
            return QCoreApplication::translate("ParameterFile", "не JSON: ожидается объект {...}");
          },
          [](const NotWholeNumber& f) {
            return QCoreApplication::translate("ParameterFile", "%1 — не целое число от %2 до %3")
                .arg(Utf8Text(f.shown))
                .arg(f.minimum)
                .arg(f.maximum);
          },
          [](const UnknownName& f) {
            return QCoreApplication::translate("ParameterFile", "нет такого имени '%1' (допустимы: %2)")
                .arg(Utf8Text(f.name), Utf8Text(f.allowed));
          },
          [](const NeedsValueOrName&) {
            return QCoreApplication::translate("ParameterFile", "нужно поле \"value\" или \"name\"");
          },
          [](const ValueAndNameDisagree& f) {
            return QCoreApplication::translate("ParameterFile", "значение %1 и имя %2 не совпадают")
                .arg(f.value)
                .arg(Utf8Text(f.shownName));
          },
          [](const NotDate& f) {
            return (f.orToday ? QCoreApplication::translate("ParameterFile", "%1 — не дата вида ГГГГ-ММ-ДД и не \"today\"")
                              : QCoreApplication::translate("ParameterFile", "%1 — не дата вида ГГГГ-ММ-ДД"))
                .arg(Utf8Text(f.shown));
          },
          [](const NotCalendarDate& f) {
            return QCoreApplication::translate("ParameterFile", "%1 — такой даты нет в календаре")
                .arg(Utf8Text(f.shown));
          },
          [](const NotHexDigits& f) {
            return QCoreApplication::translate("ParameterFile", "%1 — не %2 шестнадцатеричных цифр и не \"\"")
                .arg(Utf8Text(f.shown))
                .arg(f.digits);
          },
          [](const NotList& f) {
            return QCoreApplication::translate("ParameterFile", "нужен список из %n записей", nullptr, f.entries);
          },
          [](const UnknownField&) { return QCoreApplication::translate("ParameterFile", "неизвестное поле"); },
          [](const NotSchemaAddress& f) {
            return QCoreApplication::translate("ParameterFile", "%1 — не адрес схемы").arg(Utf8Text(f.shown));
          },
          [](const TooLarge& f) {
            return QCoreApplication::translate("ParameterFile", "файл больше %1 КиБ — это не файл параметров")
                .arg(f.kibibytes);
          },
          [](const Unreadable& f) {
            return QCoreApplication::translate("ParameterFile", "файл не читается: %1").arg(Utf8Text(f.systemText));
          },
          [](const Refused& f) { return RefusedText(f.refusals); },
      },
      fault);
  return field.empty() ? why : Utf8Text(field) + QStringLiteral(": ") + why;
}

QString DifferenceText(const TReadBackDifference& difference) {
  const QString read =
      difference.read ? QCoreApplication::translate("ParameterFile", "прочитано %1").arg(Utf8Text(*difference.read))
                      : QCoreApplication::translate("ParameterFile", "не прочитано");
  return QCoreApplication::translate("ParameterFile", "%1: записано %2, %3")
      .arg(Utf8Text(difference.field), Utf8Text(difference.written), read);
}
