#include "ReaderSequences.h"

#include <span>

#include "CodeTables.h"
#include "ErrorList.h"
#include "ReaderLink.h"
#include "ReaderMessages.h"

namespace {

void MarkRead(TReaderParameters& values, TParameter parameter) {
  values.readMask |= 1u << static_cast<int>(parameter);
}

// One read step of a byte-sized parameter: its cleared value is shown before the request.
template <typename Field>
void ReadByteParameter(ReaderLink& link, std::uint8_t address, std::uint8_t code,
                       TReaderParameters& values, TParameter parameter, Field field,
                       const TParameterShown& shown) {
  shown(values, parameter, -1);
  std::vector<std::uint8_t> data;
  if (!link.ReadCommand(address, code, {}, data, 1, TSending::SendRequest)) return;
  field(values, data[0]);
  MarkRead(values, parameter);
  shown(values, parameter, -1);
}

// A date is shown once, after its request: the date read, or the zero date.
void ReadDate(ReaderLink& link, ErrorList& errors, std::uint8_t address, std::uint8_t code,
              TReaderParameters& values, TParameter parameter, TCalendarDate& date,
              const TParameterShown& shown) {
  date = kZeroDate;
  std::vector<std::uint8_t> data;
  if (link.ReadCommand(address, code, {}, data, 3, TSending::SendRequest)) {
    if (const auto decoded = DecodeDate(data)) {
      date = *decoded;
      MarkRead(values, parameter);
    } else {
      errors.AddError(code, status::WrongDate);
    }
  }
  shown(values, parameter, -1);
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
  const std::uint8_t to = *address;
  TReaderParameters& values = outcome.values;
  std::vector<std::uint8_t> data;

  if (link.ReadCommand(to, cmd::ReadCashDeskNumber, {}, data, 4, TSending::SendRequest)) {
    values.cashDeskNumber = HexText(data);
    MarkRead(values, TParameter::CashDeskNumber);
  }
  shown(values, TParameter::CashDeskNumber, -1);

  ReadByteParameter(link, to, cmd::ReadRechargeUnits, values, TParameter::RechargeUnits,
                    [](TReaderParameters& v, std::uint8_t b) { v.rechargeUnits = b; }, shown);
  ReadByteParameter(link, to, cmd::ReadMode, values, TParameter::Mode,
                    [](TReaderParameters& v, std::uint8_t b) { v.mode = b; }, shown);
  ReadByteParameter(link, to, cmd::ReadCardType, values, TParameter::CardType,
                    [](TReaderParameters& v, std::uint8_t b) { v.cardType = b; }, shown);
  ReadDate(link, errors, to, cmd::ReadCurrentDate, values, TParameter::CurrentDate,
           values.currentDate, shown);
  ReadDate(link, errors, to, cmd::ReadEndDate, values, TParameter::EndDate, values.endDate,
           shown);
  ReadByteParameter(link, to, cmd::ReadSector, values, TParameter::Sector,
                    [](TReaderParameters& v, std::uint8_t b) { v.sector = b; }, shown);
  ReadByteParameter(link, to, cmd::ReadAbonementTimeout, values, TParameter::AbonementTimeout,
                    [](TReaderParameters& v, std::uint8_t b) { v.abonementTimeout = b; }, shown);
  ReadByteParameter(link, to, cmd::ReadRelayTime, values, TParameter::RelayTime,
                    [](TReaderParameters& v, std::uint8_t b) { v.relayTime = b; }, shown);

  shown(values, TParameter::BlackList, -1);
  for (std::size_t row = 0; row < kBlackListRows; ++row) {
    const std::uint8_t index[] = {static_cast<std::uint8_t>(row)};
    if (!link.ReadCommand(to, cmd::ReadBlackList, index, data, 4, TSending::SendRequest)) break;
    values.blackList[row] = HexText(data);
    values.blackListRowsRead = row + 1;
    MarkRead(values, TParameter::BlackList);
    shown(values, TParameter::BlackList, static_cast<int>(row));
  }
  return outcome;
}

std::optional<std::string> WriteRefusal(std::optional<std::uint8_t> address,
                                        const TWriteValues& values) {
  if (!address) return std::string(texts::kNoReader);
  if (values.mode == kNoSelection) return std::string(texts::kNoMode);
  if (values.mode == mode::Recharge && values.cardType == kNoSelection)
    return std::string(texts::kNoCardType);
  if (values.mode == mode::Reading) return std::nullopt;  // its dates are not written
  // A year byte holds only 2000..2255; anything else would reach the reader as another date.
  std::string lines;
  const std::pair<std::string_view, const TCalendarDate&> dates[] = {
      {texts::kCurrentDateName, values.currentDate}, {texts::kEndDateName, values.endDate}};
  for (const auto& [name, date] : dates) {
    if (FitsWire(date)) continue;
    if (!lines.empty()) lines += "\r\n";
    lines += DateOutOfRangeLine(name, date);
  }
  if (lines.empty()) return std::nullopt;
  return lines;
}

std::vector<TWriteRequest> WriteRequests(const TWriteValues& values) {
  const auto byte = [](std::uint8_t code, int value) {
    return TWriteRequest{code, {static_cast<std::uint8_t>(value)}};
  };
  std::vector<TWriteRequest> requests;
  requests.push_back(byte(cmd::WriteMode, values.mode));
  if (values.mode == mode::Recharge) {
    requests.push_back(byte(cmd::WriteRechargeUnits, values.rechargeUnits));
    requests.push_back(byte(cmd::WriteCardType, values.cardType));
  }
  if (values.mode != mode::Reading) {
    requests.push_back({cmd::WriteCurrentDate, Bytes(EncodeDate(values.currentDate))});
    requests.push_back({cmd::WriteEndDate, Bytes(EncodeDate(values.endDate))});
  }
  requests.push_back(byte(cmd::WriteSector, values.sector));
  requests.push_back(byte(cmd::WriteAbonementTimeout, values.abonementTimeout));
  requests.push_back(byte(cmd::WriteRelayTime, values.relayTime));
  for (std::size_t row = 0; row < kBlackListRows; ++row) {
    std::vector<std::uint8_t> data = Bytes(EntryBytes(values.blackList[row]));
    data.push_back(static_cast<std::uint8_t>(row));
    requests.push_back({cmd::WriteBlackList, std::move(data), true});
  }
  return requests;
}

namespace {

void SendAll(ReaderLink& link, std::uint8_t address, const std::vector<TWriteRequest>& requests) {
  for (const TWriteRequest& request : requests) {
    if (!link.WriteCommand(address, request.code, request.data) && request.stopsOnFailure) break;
  }
}

}  // namespace

TWriteOutcome WriteParameters(ReaderLink& link, ErrorList& errors,
                              std::optional<std::uint8_t> address, const TWriteValues& values) {
  errors.ClearErrors();
  if (auto refusal = WriteRefusal(address, values)) return {std::move(*refusal)};
  SendAll(link, *address, WriteRequests(values));
  return {};
}

bool ModeHasKey(int mode) { return mode >= mode::Turnstile && mode <= mode::Initialisation; }

std::optional<TWriteRequest> KeyRequest(int mode, const TKeyTexts& keys) {
  switch (mode) {
    case mode::Turnstile:
    case mode::Reading:
      return TWriteRequest{cmd::ChangeKey, Bytes(KeyData(keys.keyA, kKeySelectorA))};
    case mode::Recharge:
      return TWriteRequest{cmd::ChangeKey, Bytes(KeyData(keys.keyB, kKeySelectorB))};
    case mode::Initialisation: {
      const std::uint8_t selector = keys.oldKeyType == "A" ? kKeySelectorA : kKeySelectorB;
      return TWriteRequest{cmd::ChangeInitKey, Bytes(KeyData(keys.oldKey, selector))};
    }
    default:
      return std::nullopt;
  }
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
