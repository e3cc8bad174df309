#include "CodeTables.h"

#include <iterator>

#include "TextMark.h"

namespace {

// The texts are the readers' own, slips included; do not "correct" them. The last row of
// each table is its fall-back; no request has the command table's 0xFF.
constexpr TCodeInfo kCommandTable[] = {
    {cmd::ReadSerialNumber, "ReadSerialNumber", QT_TRANSLATE_NOOP("Reader", "Чтение серийного номера")},
    {cmd::ReadCashDeskNumber, "ReadCashDeskNumber", QT_TRANSLATE_NOOP("Reader", "Чтение номера кассы")},
    {cmd::ChangeKey, "ChangeKey", QT_TRANSLATE_NOOP("Reader", "Изменение ключа")},
    {cmd::ChangeInitKey, "ChangeInitKey", QT_TRANSLATE_NOOP("Reader", "Изменение инициализирующего ключа")},
    {cmd::WriteRechargeUnits, "WriteRechargeUnits", QT_TRANSLATE_NOOP("Reader", "Изменение количества единиц пополнения")},
    {cmd::ReadRechargeUnits, "ReadRechargeUnits", QT_TRANSLATE_NOOP("Reader", "Чтение количества единиц пополнения")},
    {cmd::WriteMode, "WriteMode", QT_TRANSLATE_NOOP("Reader", "Изменение режима работы")},
    {cmd::ReadMode, "ReadMode", QT_TRANSLATE_NOOP("Reader", "Чтение режима работы")},
    {cmd::WriteCardType, "WriteCardType", QT_TRANSLATE_NOOP("Reader", "Изменение типа карточки")},
    {cmd::ReadCardType, "ReadCardType", QT_TRANSLATE_NOOP("Reader", "Чтение типа карточки")},
    {cmd::WriteCurrentDate, "WriteCurrentDate", QT_TRANSLATE_NOOP("Reader", "Изменение текущей даты")},
    {cmd::ReadCurrentDate, "ReadCurrentDate", QT_TRANSLATE_NOOP("Reader", "Чтение текущей даты")},
    {cmd::WriteEndDate, "WriteEndDate", QT_TRANSLATE_NOOP("Reader", "Изменение конечной даты")},
    {cmd::ReadEndDate, "ReadEndDate", QT_TRANSLATE_NOOP("Reader", "Чтение конечной даты")},
    {cmd::WriteSector, "WriteSector", QT_TRANSLATE_NOOP("Reader", "Выбор номера сектора для записи данных")},
    {cmd::ReadSector, "ReadSector", QT_TRANSLATE_NOOP("Reader", "Чтение номера сектора, выбранного для записи данных")},
    {cmd::WriteAbonementTimeout, "WriteAbonementTimeout", QT_TRANSLATE_NOOP("Reader", "Изменение таймаута прохода по карточкам \"Абонемент\"")},
    {cmd::ReadAbonementTimeout, "ReadAbonementTimeout", QT_TRANSLATE_NOOP("Reader", "Чтение таймаута прохода по карточкам \"Абонемент\"")},
    {cmd::WriteRelayTime, "WriteRelayTime", QT_TRANSLATE_NOOP("Reader", "Изменение времени работы реле")},
    {cmd::ReadRelayTime, "ReadRelayTime", QT_TRANSLATE_NOOP("Reader", "Чтение временин работы реле")},
    {cmd::WriteBlackList, "WriteBlackList", QT_TRANSLATE_NOOP("Reader", "Изменение черного списка кассовых аппаратов")},
    {cmd::ReadBlackList, "ReadBlackList", QT_TRANSLATE_NOOP("Reader", "Чтение черного списка кассовых аппаратов")},
    {0xFF, "Unknown", QT_TRANSLATE_NOOP("Reader", "Неизвестная команда")},
};

constexpr TCodeInfo kStatusTable[] = {
    {status::ChecksumMismatch, "ChecksumMismatch", QT_TRANSLATE_NOOP("Reader", "несоответствие контрольной суммы")},
    {status::Timeout, "Timeout", QT_TRANSLATE_NOOP("Reader", "таймаут")},
    {status::AccessDenied, "AccessDenied", QT_TRANSLATE_NOOP("Reader", "доступ запрещен")},
    {status::WrongFormat, "WrongFormat", QT_TRANSLATE_NOOP("Reader", "неправильный формат данных")},
    {status::FrameError, "FrameError", QT_TRANSLATE_NOOP("Reader", "ошибка фрейма")},
    {status::ParityError, "ParityError", QT_TRANSLATE_NOOP("Reader", "ошибка четности")},
    {status::Collision, "Collision", QT_TRANSLATE_NOOP("Reader", "коллизия")},
    {status::IncompleteUid, "IncompleteUid", QT_TRANSLATE_NOOP("Reader", "не полный UID")},
    {status::TypeError, "TypeError", QT_TRANSLATE_NOOP("Reader", "ошибка типа")},
    {status::NoAnswer, "NoAnswer", QT_TRANSLATE_NOOP("Reader", "нет ответа")},
    {status::WrongCommand, "WrongCommand", QT_TRANSLATE_NOOP("Reader", "неправильная команда")},
    {status::BadBitPassWrite, "BadBitPassWrite", QT_TRANSLATE_NOOP("Reader", "ошибка \"BadBitPassWrite\"")},
    {status::WrongKeyType, "WrongKeyType", QT_TRANSLATE_NOOP("Reader", "неправильный тип ключа")},
    {status::WrongValue, "WrongValue", QT_TRANSLATE_NOOP("Reader", "неправильной значение")},
    {status::CommandNotInMode, "CommandNotInMode", QT_TRANSLATE_NOOP("Reader", "команда не может быть обработана в текущем режиме")},
    {status::KeyNotInMode, "KeyNotInMode", QT_TRANSLATE_NOOP("Reader", "ключ не может быть обработан в текущем режиме")},
    {status::WrongDate, "WrongDate", QT_TRANSLATE_NOOP("Reader", "неправильный формат даты")},
    {status::WrongSector, "WrongSector", QT_TRANSLATE_NOOP("Reader", "неправильный номер сектора, выбранного для записи данных")},
    {status::TestError, "TestError", QT_TRANSLATE_NOOP("Reader", "тестовая ошибка")},
    {status::Unknown, "Unknown", QT_TRANSLATE_NOOP("Reader", "неизвестная ошибка")},
};

template <std::size_t N>
const TCodeInfo& Lookup(const TCodeInfo (&table)[N], std::uint8_t code) {
  for (const TCodeInfo& entry : table)
    if (entry.code == code) return entry;
  return std::end(table)[-1];
}

}  // namespace

std::string_view CommandText(std::uint8_t code) { return Lookup(kCommandTable, code).text; }
std::string_view StatusText(std::uint8_t code) { return Lookup(kStatusTable, code).text; }
std::string_view CommandName(std::uint8_t code) { return Lookup(kCommandTable, code).name; }
std::string_view StatusName(std::uint8_t code) { return Lookup(kStatusTable, code).name; }
