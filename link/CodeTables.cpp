#include "CodeTables.h"

#include <iterator>

#include "TextMark.h"

namespace {

// The texts are the readers' own, slips included; do not "correct" them. The last row of
// each table is its fall-back; no request has the command table's 0xFF.
constexpr TCodeInfo kCommandTable[] = {
    {cmd::ReadSerialNumber, QT_TRANSLATE_NOOP("Reader", "Чтение серийного номера")},
    {cmd::ReadCashDeskNumber, QT_TRANSLATE_NOOP("Reader", "Чтение номера кассы")},
    {cmd::ChangeKey, QT_TRANSLATE_NOOP("Reader", "Изменение ключа")},
    {cmd::ChangeInitKey, QT_TRANSLATE_NOOP("Reader", "Изменение инициализирующего ключа")},
    {cmd::WriteRechargeUnits, QT_TRANSLATE_NOOP("Reader", "Изменение количества единиц пополнения")},
    {cmd::ReadRechargeUnits, QT_TRANSLATE_NOOP("Reader", "Чтение количества единиц пополнения")},
    {cmd::WriteMode, QT_TRANSLATE_NOOP("Reader", "Изменение режима работы")},
    {cmd::ReadMode, QT_TRANSLATE_NOOP("Reader", "Чтение режима работы")},
    {cmd::WriteCardType, QT_TRANSLATE_NOOP("Reader", "Изменение типа карточки")},
    {cmd::ReadCardType, QT_TRANSLATE_NOOP("Reader", "Чтение типа карточки")},
    {cmd::WriteCurrentDate, QT_TRANSLATE_NOOP("Reader", "Изменение текущей даты")},
    {cmd::ReadCurrentDate, QT_TRANSLATE_NOOP("Reader", "Чтение текущей даты")},
    {cmd::WriteEndDate, QT_TRANSLATE_NOOP("Reader", "Изменение конечной даты")},
    {cmd::ReadEndDate, QT_TRANSLATE_NOOP("Reader", "Чтение конечной даты")},
    {cmd::WriteSector, QT_TRANSLATE_NOOP("Reader", "Выбор номера сектора для записи данных")},
    {cmd::ReadSector, QT_TRANSLATE_NOOP("Reader", "Чтение номера сектора, выбранного для записи данных")},
    {cmd::WriteAbonementTimeout, QT_TRANSLATE_NOOP("Reader", "Изменение таймаута прохода по карточкам \"Абонемент\"")},
    {cmd::ReadAbonementTimeout, QT_TRANSLATE_NOOP("Reader", "Чтение таймаута прохода по карточкам \"Абонемент\"")},
    {cmd::WriteRelayTime, QT_TRANSLATE_NOOP("Reader", "Изменение времени работы реле")},
    {cmd::ReadRelayTime, QT_TRANSLATE_NOOP("Reader", "Чтение временин работы реле")},
    {cmd::WriteBlackList, QT_TRANSLATE_NOOP("Reader", "Изменение черного списка кассовых аппаратов")},
    {cmd::ReadBlackList, QT_TRANSLATE_NOOP("Reader", "Чтение черного списка кассовых аппаратов")},
    {0xFF, QT_TRANSLATE_NOOP("Reader", "Неизвестная команда")},
};

constexpr TCodeInfo kStatusTable[] = {
    {status::ChecksumMismatch, QT_TRANSLATE_NOOP("Reader", "несоответствие контрольной суммы")},
    {status::Timeout, QT_TRANSLATE_NOOP("Reader", "таймаут")},
    {status::AccessDenied, QT_TRANSLATE_NOOP("Reader", "доступ запрещен")},
    {status::WrongFormat, QT_TRANSLATE_NOOP("Reader", "неправильный формат данных")},
    {status::FrameError, QT_TRANSLATE_NOOP("Reader", "ошибка фрейма")},
    {status::ParityError, QT_TRANSLATE_NOOP("Reader", "ошибка четности")},
    {status::Collision, QT_TRANSLATE_NOOP("Reader", "коллизия")},
    {status::IncompleteUid, QT_TRANSLATE_NOOP("Reader", "не полный UID")},
    {status::TypeError, QT_TRANSLATE_NOOP("Reader", "ошибка типа")},
    {status::NoAnswer, QT_TRANSLATE_NOOP("Reader", "нет ответа")},
    {status::WrongCommand, QT_TRANSLATE_NOOP("Reader", "неправильная команда")},
    {status::BadBitPassWrite, QT_TRANSLATE_NOOP("Reader", "ошибка \"BadBitPassWrite\"")},
    {status::WrongKeyType, QT_TRANSLATE_NOOP("Reader", "неправильный тип ключа")},
    {status::WrongValue, QT_TRANSLATE_NOOP("Reader", "неправильной значение")},
    {status::CommandNotInMode, QT_TRANSLATE_NOOP("Reader", "команда не может быть обработана в текущем режиме")},
    {status::KeyNotInMode, QT_TRANSLATE_NOOP("Reader", "ключ не может быть обработан в текущем режиме")},
    {status::WrongDate, QT_TRANSLATE_NOOP("Reader", "неправильный формат даты")},
    {status::WrongSector, QT_TRANSLATE_NOOP("Reader", "неправильный номер сектора, выбранного для записи данных")},
    {status::TestError, QT_TRANSLATE_NOOP("Reader", "тестовая ошибка")},
    {status::Unknown, QT_TRANSLATE_NOOP("Reader", "неизвестная ошибка")},
};

template <std::size_t N>
std::string_view Lookup(const TCodeInfo (&table)[N], std::uint8_t code) {
  for (const TCodeInfo& entry : table)
    if (entry.code == code) return entry.text;
  return std::end(table)[-1].text;
}

}  // namespace

std::string_view CommandText(std::uint8_t code) { return Lookup(kCommandTable, code); }
std::string_view StatusText(std::uint8_t code) { return Lookup(kStatusTable, code); }
