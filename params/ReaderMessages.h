#pragma once

#include <string>
#include <string_view>

#include "ParameterCodec.h"

// Every text the reader operations show, in one place, so that each front end says the same.
// The heading of an error-list message ends in CR LF; the lines follow it directly.
struct TOperationTexts {
  std::string_view caption;
  std::string_view errorsHeading;
};

namespace texts {

inline constexpr TOperationTexts kReadParameters{
    "Чтение параметров считывателя",
    "Во время чтения параметров считывателя произошли ошибки: \r\n"};
inline constexpr TOperationTexts kWriteParameters{
    "Запись параметров считывателя",
    "Во время записи параметров считывателя произошли ошибки: \r\n"};
inline constexpr TOperationTexts kChangeKeys{
    "Изменение ключей",
    "Во время изменения ключей произошли ошибки: \r\n"};

inline constexpr TOperationTexts kSearchReaders{
    "Поиск считывателей",
    "Во время поиска считывателей произошли ошибки: \r\n"};
inline constexpr std::string_view kNoReadersFound = "Считыватели не обнаружены";

inline constexpr std::string_view kNoReader = "Необходимо выбрать считыватель";
inline constexpr std::string_view kNoMode = "Необходимо выбрать режим работы считывателя";
inline constexpr std::string_view kNoCardType = "Необходимо выбрать тип карточки";
inline constexpr std::string_view kKeysNotInMode =
    "Изменение ключей возможно только в режимах \"Турникет\", \"Чтение\", \"Пополнение\" и "
    "\"Инициализация\"";

inline constexpr std::string_view kCurrentDateName = "Текущая дата";
inline constexpr std::string_view kEndDateName = "Конечная дата";

}  // namespace texts

// "dd.MM.yyyy"
std::string DateText(const TCalendarDate& date);

// One line per picker whose date a reader cannot store, naming the date and the range.
std::string DateOutOfRangeLine(std::string_view pickerName, const TCalendarDate& date);
