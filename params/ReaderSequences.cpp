#include "ReaderSequences.h"

#include <span>
#include <stdexcept>

#include "CodeTables.h"
#include "ErrorList.h"
#include "ReaderLink.h"
#include "ReaderMessages.h"

namespace {

[[noreturn]] void NotOfKind(TParameter parameter, const char* kind) {
  throw std::invalid_argument(std::string(ParameterInfo(parameter).field) + " is not " + kind);
}

// Where a number or list value and a date stand in either record.
template <typename Record>
auto& ByteField(Record& values, TParameter parameter) {
  switch (parameter) {
    case TParameter::RechargeUnits: return values.rechargeUnits;
    case TParameter::Sector: return values.sector;
    case TParameter::AbonementTimeout: return values.abonementTimeout;
    case TParameter::RelayTime: return values.relayTime;
    default: NotOfKind(parameter, "a number");
  }
}

template <typename Record>
auto& ListField(Record& values, TParameter parameter) {
  switch (parameter) {
    case TParameter::Mode: return values.mode;
    case TParameter::CardType: return values.cardType;
    default: NotOfKind(parameter, "a listed value");
  }
}

template <typename Record>
auto& DateField(Record& values, TParameter parameter) {
  switch (parameter) {
    case TParameter::CurrentDate: return values.currentDate;
    case TParameter::EndDate: return values.endDate;
    default: NotOfKind(parameter, "a date");
  }
}

bool IsList(TParameter parameter) { return ParameterInfo(parameter).kind == TValueKind::ListItem; }

}  // namespace

std::optional<std::uint8_t> TReaderParameters::Byte(TParameter parameter) const {
  if (IsList(parameter)) return ListField(*this, parameter);
  if (!WasRead(parameter)) return std::nullopt;
  return ByteField(*this, parameter);
}

void TReaderParameters::SetByte(TParameter parameter, std::uint8_t value) {
  if (IsList(parameter))
    ListField(*this, parameter) = value;
  else
    ByteField(*this, parameter) = value;
}

TCalendarDate& TReaderParameters::Date(TParameter parameter) { return DateField(*this, parameter); }
const TCalendarDate& TReaderParameters::Date(TParameter parameter) const { return DateField(*this, parameter); }

int& TWriteValues::Byte(TParameter parameter) {
  return IsList(parameter) ? ListField(*this, parameter) : ByteField(*this, parameter);
}
int TWriteValues::Byte(TParameter parameter) const {
  return IsList(parameter) ? ListField(*this, parameter) : ByteField(*this, parameter);
}

TCalendarDate& TWriteValues::Date(TParameter parameter) { return DateField(*this, parameter); }
const TCalendarDate& TWriteValues::Date(TParameter parameter) const { return DateField(*this, parameter); }

namespace {

void MarkRead(TReaderParameters& values, TParameter parameter) {
  values.readMask |= 1u << static_cast<int>(parameter);
}

// The cash-desk number is shown once, after its request: the number read, or nothing.
void ReadHexNumber(ReaderLink& link, std::uint8_t address, const TParameterInfo& info,
                   TReaderParameters& values, const TParameterShown& shown) {
  std::vector<std::uint8_t> data;
  if (link.ReadCommand(address, info.readCode, {}, data, info.size, Sending::SendRequest)) {
    values.cashDeskNumber = HexText(data);
    MarkRead(values, info.parameter);
  }
  shown(values, info.parameter, -1);
}

// A one-byte value: its cleared value is shown before the request.
void ReadByte(ReaderLink& link, std::uint8_t address, const TParameterInfo& info,
              TReaderParameters& values, const TParameterShown& shown) {
  shown(values, info.parameter, -1);
  std::vector<std::uint8_t> data;
  if (!link.ReadCommand(address, info.readCode, {}, data, info.size, Sending::SendRequest)) return;
  values.SetByte(info.parameter, data[0]);
  MarkRead(values, info.parameter);
  shown(values, info.parameter, -1);
}

// A date is shown once, after its request: the date read, or the zero date.
void ReadDate(ReaderLink& link, ErrorList& errors, std::uint8_t address, const TParameterInfo& info,
              TReaderParameters& values, const TParameterShown& shown) {
  std::vector<std::uint8_t> data;
  if (link.ReadCommand(address, info.readCode, {}, data, info.size, Sending::SendRequest)) {
    if (const auto decoded = DecodeDate(data)) {
      values.Date(info.parameter) = *decoded;
      MarkRead(values, info.parameter);
    } else {
      errors.AddError(info.readCode, status::WrongDate);
    }
  }
  shown(values, info.parameter, -1);
}

// The list is cleared on the screen once; the rows are asked for in order up to the first
// that fails.
void ReadRows(ReaderLink& link, std::uint8_t address, const TParameterInfo& info,
              TReaderParameters& values, const TParameterShown& shown) {
  shown(values, info.parameter, -1);
  std::vector<std::uint8_t> data;
  for (std::size_t row = 0; row < kBlackListRows; ++row) {
    const std::uint8_t index[] = {static_cast<std::uint8_t>(row)};
    if (!link.ReadCommand(address, info.readCode, index, data, info.size, Sending::SendRequest)) break;
    values.blackList[row] = HexText(data);
    values.blackListRowsRead = row + 1;
    MarkRead(values, info.parameter);
    shown(values, info.parameter, static_cast<int>(row));
  }
}

std::vector<std::uint8_t> Bytes(std::span<const std::uint8_t> bytes) {
  return {bytes.begin(), bytes.end()};
}

}  // namespace

TReadOutcome ReadParameters(ReaderLink& link, ErrorList& errors,
                            std::optional<std::uint8_t> address, const TParameterShown& shown) {
  errors.ClearErrors();
  TReadOutcome outcome;
  if (!address) {
    outcome.refusal = texts::kNoReader;
    return outcome;
  }
  TReaderParameters& values = outcome.values;
  for (const TParameterInfo& info : kParameterTable) {
    switch (info.kind) {
      case TValueKind::HexNumber: ReadHexNumber(link, *address, info, values, shown); break;
      case TValueKind::Number:
      case TValueKind::ListItem: ReadByte(link, *address, info, values, shown); break;
      case TValueKind::Date: ReadDate(link, errors, *address, info, values, shown); break;
      case TValueKind::HexRows: ReadRows(link, *address, info, values, shown); break;
    }
  }
  return outcome;
}

namespace {

TRefusal DateOutOfRange(TParameter picker, const TCalendarDate& date) {
  return {picker,
          texts::kDateOutOfRange,
          {std::string(ParameterInfo(picker).caption), DateText(date), DateText({kFirstWireYear, 1, 1}),
           DateText({kLastWireYear, 12, 31})}};
}

std::string_view NoSelectionText(TParameter list) {
  return list == TParameter::Mode ? texts::kNoMode : texts::kNoCardType;
}

}  // namespace

TWriteValues OnDay(TWriteValues values, const TCalendarDate& today) {
  if (values.clockToday) values.currentDate = today;
  values.clockToday = false;
  return values;
}

TWriteValues ForReader(TWriteValues plan, const TReaderParameters& found) {
  if (!plan.Plans(TParameter::Mode)) plan.mode = found.mode ? int{*found.mode} : kNoSelection;
  return plan;
}

std::vector<TRefusal> WriteRefusals(std::optional<std::uint8_t> address, const TWriteValues& planned) {
  const TWriteValues values = OnDay(planned, LocalDate());
  if (!address) return {{std::nullopt, texts::kNoReader, {}}};
  // The mode is checked first, as without it nothing else is known to be written.
  for (const TParameter parameter : kWriteOrder) {
    const TParameterInfo& info = ParameterInfo(parameter);
    if (info.kind == TValueKind::ListItem && values.Plans(parameter) && info.usedIn.Applies(values.mode) &&
        values.Byte(parameter) == kNoSelection)
      return {{parameter, NoSelectionText(parameter), {}}};
  }
  std::vector<TRefusal> refusals;
  // A plan that names its mode leaves out what that mode does not write; one that takes the
  // reader's must not plan a field the reader would not use.
  if (!values.Plans(TParameter::Mode) && values.mode != kNoSelection) {
    const auto name = NameOfValue(kModeNames, values.mode);
    const std::string mode = name ? std::string(*name) : std::to_string(values.mode);
    for (const TParameter parameter : kWriteOrder)
      if (values.Plans(parameter) && !ParameterInfo(parameter).usedIn.Applies(values.mode))
        refusals.push_back({parameter, texts::kNotInMode, {mode}});
  }
  // A year byte holds only 2000..2255; anything else would reach the reader as another date.
  for (const TParameter parameter : kWriteOrder) {
    const TParameterInfo& info = ParameterInfo(parameter);
    if (info.kind != TValueKind::Date || !values.Plans(parameter) || !info.usedIn.Applies(values.mode)) continue;
    const TCalendarDate& date = values.Date(parameter);
    if (!FitsWire(date)) refusals.push_back(DateOutOfRange(parameter, date));
  }
  return refusals;
}

std::vector<TWriteRequest> WriteRequests(const TWriteValues& planned) {
  const TWriteValues values = OnDay(planned, LocalDate());
  std::vector<TWriteRequest> requests;
  for (const TParameter parameter : kWriteOrder) {
    const TParameterInfo& info = ParameterInfo(parameter);
    if (!values.Plans(parameter) || !info.usedIn.Applies(values.mode)) continue;
    const std::uint8_t code = *info.writeCode;
    switch (info.kind) {
      case TValueKind::Number:
      case TValueKind::ListItem:
        requests.push_back({code, {static_cast<std::uint8_t>(values.Byte(parameter))}});
        break;
      case TValueKind::Date:
        requests.push_back({code, Bytes(EncodeDate(values.Date(parameter)))});
        break;
      case TValueKind::HexRows:
        // A failed row ends the write: the reader took the rows before it and no more.
        for (std::size_t row = 0; row < kBlackListRows; ++row) {
          std::vector<std::uint8_t> data = Bytes(EntryBytes(values.blackList[row]));
          data.push_back(static_cast<std::uint8_t>(row));
          requests.push_back({code, std::move(data), true});
        }
        break;
      case TValueKind::HexNumber:
        break;  // never written: the table gives it no write command
    }
  }
  return requests;
}

void SendRequests(ReaderLink& link, ErrorList& errors, std::uint8_t address, const std::vector<TWriteRequest>& requests) {
  errors.ClearErrors();
  for (const TWriteRequest& request : requests) {
    if (!link.WriteCommand(address, request.code, request.data) && request.stopsOnFailure) break;
  }
}

std::string RefusalLine(const TRefusal& refusal) {
  std::string line;
  const std::string_view text = refusal.text;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    const bool fillIn = text[i] == '%' && next >= '1' && static_cast<std::size_t>(next - '1') < refusal.fillIns.size();
    if (!fillIn) {
      line += text[i];
      continue;
    }
    line += refusal.fillIns[static_cast<std::size_t>(next - '1')];
    ++i;
  }
  return line;
}

std::string RefusalText(const std::vector<TRefusal>& refusals) {
  std::string text;
  for (const TRefusal& refusal : refusals) text += (text.empty() ? "" : "\r\n") + RefusalLine(refusal);
  return text;
}

TWriteOutcome WriteParameters(ReaderLink& link, ErrorList& errors,
                              std::optional<std::uint8_t> address, const TWriteValues& values) {
  errors.ClearErrors();
  if (auto refusals = WriteRefusals(address, values); !refusals.empty()) return {std::move(refusals)};
  SendRequests(link, errors, *address, WriteRequests(values));
  return {};
}

namespace {

const std::string& KeyTextOf(const TKeyTexts& keys, TCardKey key) {
  switch (key) {
    case TCardKey::KeyA: return keys.keyA;
    case TCardKey::KeyB: return keys.keyB;
    default: return keys.oldKey;
  }
}

}  // namespace

std::optional<TWriteRequest> KeyRequest(int mode, const TKeyTexts& keys) {
  const TCardKey key = ModeKey(mode);
  const TKeyInfo* info = KeyInfo(key);
  if (!info) return std::nullopt;
  const std::uint8_t selector = info->selector.value_or(KeyTypeSelector(keys.oldKeyType));
  return TWriteRequest{info->code, Bytes(KeyData(KeyTextOf(keys, key), selector))};
}

TKeyChangeOutcome ChangeReaderKeys(ReaderLink& link, ErrorList& errors,
                                   std::optional<std::uint8_t> address, int mode,
                                   const TKeyTexts& keys) {
  errors.ClearErrors();
  if (!address) return {std::string(texts::kNoReader)};
  if (mode == kNoSelection) return {std::string(texts::kNoMode)};
  if (!link.WriteByteCommand(*address, cmd::WriteMode, static_cast<std::uint8_t>(mode))) return {};
  // The key command's own failure shows through the error list.
  if (const auto request = KeyRequest(mode, keys)) link.WriteCommand(*address, request->code, request->data);
  return {};
}
