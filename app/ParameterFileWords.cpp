#include "ParameterFileWords.h"

#include <variant>

#include "Overloaded.h"
#include "Utf8Text.h"

QString RussianFileText(const std::string& field, const TFileFault& fault) {
  using namespace file_fault;
  const QString why = std::visit(
      Overloaded{
          [](const NotJson& f) {
            return QStringLiteral("не JSON: %1 (позиция %2)").arg(Utf8Text(f.parserText)).arg(f.offset);
          },
          [](const NotObject&) { return QStringLiteral("не JSON: ожидается объект {...}"); },
          [](const NotWholeNumber& f) {
            return QStringLiteral("%1 — не целое число от %2 до %3")
                .arg(Utf8Text(f.shown))
                .arg(f.minimum)
                .arg(f.maximum);
          },
          [](const UnknownName& f) {
            return QStringLiteral("нет такого имени '%1' (допустимы: %2)").arg(Utf8Text(f.name), Utf8Text(f.allowed));
          },
          [](const NeedsValueOrName&) { return QStringLiteral("нужно поле \"value\" или \"name\""); },
          [](const ValueAndNameDisagree& f) {
            return QStringLiteral("значение %1 и имя %2 не совпадают").arg(f.value).arg(Utf8Text(f.shownName));
          },
          [](const NotDate& f) { return QStringLiteral("%1 — не дата вида ГГГГ-ММ-ДД").arg(Utf8Text(f.shown)); },
          [](const NotCalendarDate& f) {
            return QStringLiteral("%1 — такой даты нет в календаре").arg(Utf8Text(f.shown));
          },
          [](const NotHexDigits& f) {
            return QStringLiteral("%1 — не %2 шестнадцатеричных цифр и не \"\"").arg(Utf8Text(f.shown)).arg(f.digits);
          },
          [](const NotList& f) { return QStringLiteral("нужен список из %1 записей").arg(f.entries); },
          [](const Missing& f) { return QStringLiteral("нет значения, а режим %1 его записывает").arg(f.mode); },
          [](const TooLarge& f) {
            return QStringLiteral("файл больше %1 КиБ — это не файл параметров").arg(f.kibibytes);
          },
          [](const Unreadable& f) { return QStringLiteral("файл не читается: %1").arg(Utf8Text(f.systemText)); },
          // The window's own refusals are already its words.
          [](const Refused& f) { return Utf8Text(RefusalLines(f.refusals)); },
      },
      fault);
  return field.empty() ? why : Utf8Text(field) + QStringLiteral(": ") + why;
}

QString RussianDifferenceText(const TReadBackDifference& difference) {
  const QString read = difference.read ? QStringLiteral("прочитано %1").arg(Utf8Text(*difference.read))
                                       : QStringLiteral("не прочитано");
  return QStringLiteral("%1: записано %2, %3").arg(Utf8Text(difference.field), Utf8Text(difference.written), read);
}
