#pragma once

#include <string>
#include <string_view>

#include "ParameterCodec.h"
#include "TextMark.h"

// Every text the reader operations show, in one place, so that each front end says the same.
// The heading of an error-list message ends in CR LF; the lines follow it directly.
struct TOperationTexts {
  std::string_view caption;
  std::string_view errorsHeading;
};

namespace texts {

inline constexpr TOperationTexts kReadParameters{
    QT_TRANSLATE_NOOP("Reader", "Чтение параметров считывателя"),
    QT_TRANSLATE_NOOP("Reader", "Во время чтения параметров считывателя произошли ошибки: \r\n")};
inline constexpr TOperationTexts kWriteParameters{
    QT_TRANSLATE_NOOP("Reader", "Запись параметров считывателя"),
    QT_TRANSLATE_NOOP("Reader", "Во время записи параметров считывателя произошли ошибки: \r\n")};
inline constexpr TOperationTexts kChangeKeys{
    QT_TRANSLATE_NOOP("Reader", "Изменение ключей"),
    QT_TRANSLATE_NOOP("Reader", "Во время изменения ключей произошли ошибки: \r\n")};

inline constexpr TOperationTexts kSearchReaders{
    QT_TRANSLATE_NOOP("Reader", "Поиск считывателей"),
    QT_TRANSLATE_NOOP("Reader", "Во время поиска считывателей произошли ошибки: \r\n")};
inline constexpr std::string_view kNoReadersFound = QT_TRANSLATE_NOOP("Reader", "Считыватели не обнаружены");

inline constexpr std::string_view kNoReader = QT_TRANSLATE_NOOP("Reader", "Необходимо выбрать считыватель");
inline constexpr std::string_view kNoMode = QT_TRANSLATE_NOOP("Reader", "Необходимо выбрать режим работы считывателя");
inline constexpr std::string_view kNoCardType = QT_TRANSLATE_NOOP("Reader", "Необходимо выбрать тип карточки");
inline constexpr std::string_view kKeysNotInMode =
    QT_TRANSLATE_NOOP("Reader", "Изменение ключей возможно только в режимах \"Турникет\", \"Чтение\", \"Пополнение\" и "
                                "\"Инициализация\"");

inline constexpr std::string_view kCurrentDateName = QT_TRANSLATE_NOOP("Reader", "Текущая дата");
inline constexpr std::string_view kEndDateName = QT_TRANSLATE_NOOP("Reader", "Конечная дата");

// A planned field that the reader's mode does not use: %1 the mode's name (or its value).
inline constexpr std::string_view kNotInMode = QT_TRANSLATE_NOOP("Reader", "не используется в режиме считывателя \"%1\"");

// A picker's date that a reader cannot store: "%1 %2 не может быть записана: ..." with its
// name, the date and the first and the last date a reader stores.
inline constexpr std::string_view kDateOutOfRange =
    QT_TRANSLATE_NOOP("Reader", "%1 %2 не может быть записана: считыватель хранит даты с %3 по %4");

}  // namespace texts

// "dd.MM.yyyy"
std::string DateText(const TCalendarDate& date);

