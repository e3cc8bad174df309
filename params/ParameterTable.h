#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "CodeTables.h"
#include "ParameterCodec.h"
#include "ReaderMessages.h"
#include "TextMark.h"

// The reader's parameters in one table: how each travels (command codes, data size), what it may
// hold, and in which operating modes it is written and its control enabled; beside it the modes
// with the card key each loads, and the card types. The read and write sequences, the parameter
// panel, the key dialog, the parameters file and the command line all read their rules here.

// One per row of the table, in the table's order.
enum class TParameter {
  CashDeskNumber, RechargeUnits, Mode, CardType, CurrentDate, EndDate, Sector,
  AbonementTimeout, RelayTime, BlackList
};

// What a list carries without a selection, in place of a wire value.
inline constexpr int kNoSelection = -1;

inline constexpr std::size_t kBlackListRows = 10;

namespace mode {
inline constexpr int Quillmar = 0;
inline constexpr int Turnstile = 1;
inline constexpr int Reading = 2;
inline constexpr int Recharge = 3;
inline constexpr int Initialisation = 4;
}  // namespace mode

// An item of a drop-down list: the byte it carries on the wire and its text.
struct TValueName {
  int value;
  std::string_view name;
};

inline constexpr TValueName kModeNames[] = {
    {mode::Quillmar, QT_TRANSLATE_NOOP("Reader", "Quillmar")}, {mode::Turnstile, QT_TRANSLATE_NOOP("Reader", "Турникет")}, {mode::Reading, QT_TRANSLATE_NOOP("Reader", "Чтение")},
    {mode::Recharge, QT_TRANSLATE_NOOP("Reader", "Пополнение")}, {mode::Initialisation, QT_TRANSLATE_NOOP("Reader", "Инициализация")},
};
// No card type carries 0.
inline constexpr TValueName kCardTypeNames[] = {{1, QT_TRANSLATE_NOOP("Reader", "Пополняемая")}, {2, QT_TRANSLATE_NOOP("Reader", "Абонемент")}};

constexpr std::optional<std::string_view> NameOfValue(std::span<const TValueName> list, int value) {
  for (const TValueName& item : list)
    if (item.value == value) return item.name;
  return std::nullopt;
}

constexpr std::optional<int> ValueOfName(std::span<const TValueName> list, std::string_view name) {
  for (const TValueName& item : list)
    if (item.name == name) return item.value;
  return std::nullopt;
}

// "0 Quillmar, 1 Турникет, ...": the list for a message that names the values it takes.
inline std::string ListText(std::span<const TValueName> list) {
  std::string text;
  for (const TValueName& item : list)
    text += (text.empty() ? "" : ", ") + std::to_string(item.value) + " " + std::string(item.name);
  return text;
}

// A number and the unit it is counted in, when it has one: "10 s".
inline std::string WithUnit(std::string number, std::string_view unit) {
  if (!unit.empty()) number.append(" ").append(unit);
  return number;
}

// The modes in which a parameter is written and its control enabled. With no mode selected,
// a parameter of every mode or of all modes but one stays enabled, one of a single mode not.
class TModeRule {
 public:
  enum class TKind { EveryMode, OnlyIn, AllModesBut };

  static constexpr TModeRule EveryMode() { return {TKind::EveryMode, kNoSelection}; }
  static constexpr TModeRule OnlyIn(int mode) { return {TKind::OnlyIn, mode}; }
  static constexpr TModeRule AllModesBut(int mode) { return {TKind::AllModesBut, mode}; }

  constexpr bool Applies(int mode) const {
    switch (kind_) {
      case TKind::OnlyIn: return mode == mode_;
      case TKind::AllModesBut: return mode != mode_;
      case TKind::EveryMode: break;
    }
    return true;
  }
  constexpr TKind Kind() const { return kind_; }
  constexpr int Mode() const { return mode_; }  // the one mode named, for OnlyIn and AllModesBut

 private:
  constexpr TModeRule(TKind kind, int mode) : kind_(kind), mode_(mode) {}
  TKind kind_;
  int mode_;
};

// How a value is held and shown.
enum class TValueKind {
  HexNumber,  // four bytes shown as 8 hex digits, first byte first: read only
  Number,     // one unsigned byte within the range
  ListItem,   // one byte naming an item of the parameter's list
  Date,       // day, month, year - 2000; the range gives the years
  HexRows,    // one 4-byte entry per row, the row index travelling with it
};

struct TValueRange {
  int minimum;
  int maximum;
};

constexpr TValueRange RangeOf(std::span<const TValueName> list) {
  return {list.front().value, list.back().value};
}

struct TParameterInfo {
  TParameter parameter;
  std::string_view field;    // its name in a parameters file
  std::string_view caption;  // its label on the parameter panel
  TValueKind kind;
  std::uint8_t readCode;
  std::optional<std::uint8_t> writeCode;  // nothing: the reader's own, never written
  std::size_t size;                       // data bytes of one value (one row) on the wire
  TValueRange range;                      // numbers, list values, and the years of dates
  std::string_view unit;                  // of a number, when it has one
  TModeRule usedIn;
};

// In the order of a read.
inline constexpr std::array<TParameterInfo, 10> kParameterTable{{
    {TParameter::CashDeskNumber, "cashDeskNumber", QT_TRANSLATE_NOOP("Reader", "Номер кассы"), TValueKind::HexNumber,
     cmd::ReadCashDeskNumber, std::nullopt, 4, {}, {}, TModeRule::EveryMode()},
    {TParameter::RechargeUnits, "rechargeUnits", QT_TRANSLATE_NOOP("Reader", "Пополнение"), TValueKind::Number,
     cmd::ReadRechargeUnits, cmd::WriteRechargeUnits, 1, {0, 255}, {}, TModeRule::OnlyIn(mode::Recharge)},
    {TParameter::Mode, "mode", QT_TRANSLATE_NOOP("Reader", "Режим работы"), TValueKind::ListItem, cmd::ReadMode, cmd::WriteMode, 1,
     RangeOf(kModeNames), {}, TModeRule::EveryMode()},
    {TParameter::CardType, "cardType", QT_TRANSLATE_NOOP("Reader", "Тип карточки"), TValueKind::ListItem, cmd::ReadCardType,
     cmd::WriteCardType, 1, RangeOf(kCardTypeNames), {}, TModeRule::OnlyIn(mode::Recharge)},
    {TParameter::CurrentDate, "currentDate", texts::kCurrentDateName, TValueKind::Date, cmd::ReadCurrentDate,
     cmd::WriteCurrentDate, 3, {kFirstWireYear, kLastWireYear}, {}, TModeRule::AllModesBut(mode::Reading)},
    {TParameter::EndDate, "endDate", texts::kEndDateName, TValueKind::Date, cmd::ReadEndDate, cmd::WriteEndDate, 3,
     {kFirstWireYear, kLastWireYear}, {}, TModeRule::AllModesBut(mode::Reading)},
    // The caption's first letter is the Latin capital C.
    {TParameter::Sector, "sector", QT_TRANSLATE_NOOP("Reader", "Cектор"), TValueKind::Number, cmd::ReadSector, cmd::WriteSector, 1,
     {1, 15}, {}, TModeRule::EveryMode()},
    {TParameter::AbonementTimeout, "abonementTimeout", QT_TRANSLATE_NOOP("Reader", "Таймаут абонемента (сек)"), TValueKind::Number,
     cmd::ReadAbonementTimeout, cmd::WriteAbonementTimeout, 1, {0, 255}, "s", TModeRule::EveryMode()},
    {TParameter::RelayTime, "relayTime", QT_TRANSLATE_NOOP("Reader", "Время реле (сек)"), TValueKind::Number, cmd::ReadRelayTime,
     cmd::WriteRelayTime, 1, {0, 255}, "s", TModeRule::EveryMode()},
    {TParameter::BlackList, "blackList", QT_TRANSLATE_NOOP("Reader", "Черный список"), TValueKind::HexRows, cmd::ReadBlackList,
     cmd::WriteBlackList, 4, {}, {}, TModeRule::EveryMode()},
}};

static_assert([] {
  for (std::size_t i = 0; i < kParameterTable.size(); ++i)
    if (static_cast<std::size_t>(kParameterTable[i].parameter) != i) return false;
  return true;
}(), "the table's rows stand in the order of TParameter");

static_assert([] {
  for (const TParameterInfo& info : kParameterTable) {
    switch (info.kind) {
      case TValueKind::Number:
      case TValueKind::ListItem:
        if (info.size != 1) return false;
        break;
      case TValueKind::Date:
        if (info.size != std::tuple_size_v<TWireDate>) return false;
        break;
      case TValueKind::HexNumber:
      case TValueKind::HexRows:
        if (info.size != std::tuple_size_v<TEntryBytes>) return false;
        break;
    }
  }
  return true;
}(), "each row's size is that of its kind's encoding");

// A set of parameters, a bit per TParameter.
constexpr unsigned ParameterBit(TParameter parameter) { return 1u << static_cast<int>(parameter); }
inline constexpr unsigned kEveryParameter = (1u << kParameterTable.size()) - 1;

// The reader's clock (it decides whether a subscription card is still valid): the one date a
// plan may give as the day of the write.
inline constexpr TParameter kClock = TParameter::CurrentDate;

constexpr const TParameterInfo& ParameterInfo(TParameter parameter) {
  return kParameterTable[static_cast<std::size_t>(parameter)];
}

// The row of a parameters file's field; nothing for a name no row has.
constexpr const TParameterInfo* ParameterOfField(std::string_view field) {
  for (const TParameterInfo& info : kParameterTable)
    if (info.field == field) return &info;
  return nullptr;
}

// The row whose write command this is; nothing for a code that writes no parameter.
constexpr const TParameterInfo* ParameterOfWriteCode(std::uint8_t code) {
  for (const TParameterInfo& info : kParameterTable)
    if (info.writeCode == code) return &info;
  return nullptr;
}

// The items of a listed parameter (mode, card type); empty for the others.
constexpr std::span<const TValueName> ListOf(TParameter parameter) {
  switch (parameter) {
    case TParameter::Mode: return kModeNames;
    case TParameter::CardType: return kCardTypeNames;
    default: return {};
  }
}

namespace parameter_table_detail {
constexpr std::size_t CountWritten() {
  std::size_t count = 0;
  for (const TParameterInfo& info : kParameterTable) count += info.writeCode.has_value();
  return count;
}
}  // namespace parameter_table_detail

// The written parameters in the order a write sends them: the mode first, since it decides how
// the reader takes the rest, then the others in the table's order.
inline constexpr auto kWriteOrder = [] {
  std::array<TParameter, parameter_table_detail::CountWritten()> order{};
  std::size_t next = 0;
  order[next++] = TParameter::Mode;
  for (const TParameterInfo& info : kParameterTable)
    if (info.writeCode && info.parameter != TParameter::Mode) order[next++] = info.parameter;
  return order;
}();

// The order in which a parameters file and the command line present them: the reader's own
// number, the mode with what it alone governs, then the rest as read.
inline constexpr std::array<TParameter, kParameterTable.size()> kFileOrder{
    TParameter::CashDeskNumber, TParameter::Mode,    TParameter::CardType,         TParameter::RechargeUnits,
    TParameter::CurrentDate,    TParameter::EndDate, TParameter::Sector,           TParameter::AbonementTimeout,
    TParameter::RelayTime,      TParameter::BlackList,
};

static_assert([] {
  for (const TParameterInfo& info : kParameterTable) {
    std::size_t found = 0;
    for (const TParameter parameter : kFileOrder) found += parameter == info.parameter;
    if (found != 1) return false;
  }
  return true;
}(), "the file's order names every parameter once");

// The card keys a reader holds: A reads a card and counts its passes down, B recharges it, and
// the initialising key is the one a reader gives new cards, of the type chosen with it.
enum class TCardKey { None, KeyA, KeyB, InitialisingKey };

// The key each mode loads: the key its cards are worked with.
constexpr TCardKey ModeKey(int mode) {
  switch (mode) {
    case mode::Turnstile:
    case mode::Reading: return TCardKey::KeyA;
    case mode::Recharge: return TCardKey::KeyB;
    case mode::Initialisation: return TCardKey::InitialisingKey;
    default: return TCardKey::None;
  }
}

// Keys can be changed only in the modes that use one.
constexpr bool ModeHasKey(int mode) { return ModeKey(mode) != TCardKey::None; }

// The types of the initialising key, each with the selector byte that names it in a key command.
struct TKeyType {
  std::string_view name;
  std::uint8_t selector;
};
inline constexpr TKeyType kKeyTypes[] = {{"A", kKeySelectorA}, {"B", kKeySelectorB}};

// The selector of the named key type; any other text counts as the last type, as the dialog's
// list offers only these.
constexpr std::uint8_t KeyTypeSelector(std::string_view type) {
  for (const TKeyType& item : kKeyTypes)
    if (item.name == type) return item.selector;
  return std::end(kKeyTypes)[-1].selector;
}

// How each key is loaded: its command and its selector byte. The initialising key has no
// selector of its own: the type chosen with it decides.
struct TKeyInfo {
  TCardKey key;
  std::uint8_t code;
  std::optional<std::uint8_t> selector;
};
inline constexpr TKeyInfo kKeyTable[] = {
    {TCardKey::KeyA, cmd::ChangeKey, kKeySelectorA},
    {TCardKey::KeyB, cmd::ChangeKey, kKeySelectorB},
    {TCardKey::InitialisingKey, cmd::ChangeInitKey, std::nullopt},
};

constexpr const TKeyInfo* KeyInfo(TCardKey key) {
  for (const TKeyInfo& info : kKeyTable)
    if (info.key == key) return &info;
  return nullptr;
}
