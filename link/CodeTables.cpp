#include "CodeTables.h"

#include <iterator>

#include "TextMark.h"

namespace {

// The texts are the readers' own, slips included; do not "correct" them. The last row of
// each table is its fall-back.
constexpr TCodeInfo kCommandTable[] = {
    {0x70, QT_TRANSLATE_NOOP("Reader", "Чтение серийного номера")},
    {0x72, QT_TRANSLATE_NOOP("Reader", "Чтение номера кассы")},
    {0x74, QT_TRANSLATE_NOOP("Reader", "Изменение ключа")},
    {0x76, QT_TRANSLATE_NOOP("Reader", "Изменение инициализирующего ключа")},
    {0x78, QT_TRANSLATE_NOOP("Reader", "Изменение количества единиц пополнения")},
    {0x7A, QT_TRANSLATE_NOOP("Reader", "Чтение количества единиц пополнения")},
    {0x7C, QT_TRANSLATE_NOOP("Reader", "Изменение режима работы")},
    {0x7E, QT_TRANSLATE_NOOP("Reader", "Чтение режима работы")},
    {0x80, QT_TRANSLATE_NOOP("Reader", "Изменение типа карточки")},
    {0x82, QT_TRANSLATE_NOOP("Reader", "Чтение типа карточки")},
    {0x84, QT_TRANSLATE_NOOP("Reader", "Изменение текущей даты")},
    {0x86, QT_TRANSLATE_NOOP("Reader", "Чтение текущей даты")},
    {0x88, QT_TRANSLATE_NOOP("Reader", "Изменение конечной даты")},
    {0x8A, QT_TRANSLATE_NOOP("Reader", "Чтение конечной даты")},
    {0x8C, QT_TRANSLATE_NOOP("Reader", "Выбор номера сектора для записи данных")},
    {0x8E, QT_TRANSLATE_NOOP("Reader", "Чтение номера сектора, выбранного для записи данных")},
    {0x90, QT_TRANSLATE_NOOP("Reader", "Изменение таймаута прохода по карточкам \"Абонемент\"")},
    {0x92, QT_TRANSLATE_NOOP("Reader", "Чтение таймаута прохода по карточкам \"Абонемент\"")},
    {0x94, QT_TRANSLATE_NOOP("Reader", "Изменение времени работы реле")},
    {0x96, QT_TRANSLATE_NOOP("Reader", "Чтение временин работы реле")},
    {0x98, QT_TRANSLATE_NOOP("Reader", "Изменение черного списка кассовых аппаратов")},
    {0x9A, QT_TRANSLATE_NOOP("Reader", "Чтение черного списка кассовых аппаратов")},
    {0xFF, QT_TRANSLATE_NOOP("Reader", "Неизвестная команда")},
};

constexpr TCodeInfo kStatusTable[] = {
    {0x05, QT_TRANSLATE_NOOP("Reader", "несоответствие контрольной суммы")},
    {0x09, QT_TRANSLATE_NOOP("Reader", "таймаут")},
    {0x17, QT_TRANSLATE_NOOP("Reader", "доступ запрещен")},
    {0x18, QT_TRANSLATE_NOOP("Reader", "неправильный формат данных")},
    {0x19, QT_TRANSLATE_NOOP("Reader", "ошибка фрейма")},
    {0x1A, QT_TRANSLATE_NOOP("Reader", "ошибка четности")},
    {0x1B, QT_TRANSLATE_NOOP("Reader", "коллизия")},
    {0x1C, QT_TRANSLATE_NOOP("Reader", "не полный UID")},
    {0x1D, QT_TRANSLATE_NOOP("Reader", "ошибка типа")},
    {0x1E, QT_TRANSLATE_NOOP("Reader", "нет ответа")},
    {0x1F, QT_TRANSLATE_NOOP("Reader", "неправильная команда")},
    {0x20, QT_TRANSLATE_NOOP("Reader", "ошибка \"BadBitPassWrite\"")},
    {0x21, QT_TRANSLATE_NOOP("Reader", "неправильный тип ключа")},
    {0x22, QT_TRANSLATE_NOOP("Reader", "неправильной значение")},
    {0x23, QT_TRANSLATE_NOOP("Reader", "команда не может быть обработана в текущем режиме")},
    {0x24, QT_TRANSLATE_NOOP("Reader", "ключ не может быть обработан в текущем режиме")},
    {0x25, QT_TRANSLATE_NOOP("Reader", "неправильный формат даты")},
    {0x26, QT_TRANSLATE_NOOP("Reader", "неправильный номер сектора, выбранного для записи данных")},
    {0x7F, QT_TRANSLATE_NOOP("Reader", "тестовая ошибка")},
    {0xFE, QT_TRANSLATE_NOOP("Reader", "неизвестная ошибка")},
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
