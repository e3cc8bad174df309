#include "ReaderCommands.h"

#include <algorithm>
#include <array>
#include <type_traits>

#include "CodeTables.h"
#include "Frame.h"

namespace sim {
namespace {

constexpr std::uint8_t kOk = frame::kSuccessStatus;

// A handler reads its request data from `in` and writes its answer data to `out`; both are
// sized by the command's table row. It returns the status.
using Handler = std::uint8_t (*)(ReaderState&, const std::uint8_t* in, std::uint8_t* out);

template <typename T, T ReaderState::*Field>
std::uint8_t ReadField(ReaderState& s, const std::uint8_t*, std::uint8_t* out) {
  const auto& value = s.*Field;
  if constexpr (std::is_same_v<T, std::uint8_t>) {
    out[0] = value;
  } else if constexpr (std::is_same_v<T, WireDate>) {
    out[0] = value.day;
    out[1] = value.month;
    out[2] = value.year;
  } else {
    std::copy(value.begin(), value.end(), out);
  }
  return kOk;
}

template <std::uint8_t ReaderState::*Field>
std::uint8_t WriteByte(ReaderState& s, const std::uint8_t* in, std::uint8_t*) {
  s.*Field = in[0];
  return kOk;
}

template <WireDate ReaderState::*Field>
std::uint8_t WriteDate(ReaderState& s, const std::uint8_t* in, std::uint8_t*) {
  const WireDate date{in[0], in[1], in[2]};
  if (!IsCalendarDate(date)) return status::WrongDate;
  s.*Field = date;
  return kOk;
}

std::uint8_t WriteMode(ReaderState& s, const std::uint8_t* in, std::uint8_t*) {
  if (in[0] > 4) return status::WrongValue;
  s.mode = in[0];
  return kOk;
}

std::uint8_t WriteCardType(ReaderState& s, const std::uint8_t* in, std::uint8_t*) {
  if (in[0] < 1 || in[0] > 2) return status::WrongValue;
  s.cardType = in[0];
  return kOk;
}

std::uint8_t WriteSector(ReaderState& s, const std::uint8_t* in, std::uint8_t*) {
  if (in[0] < 1 || in[0] > 15) return status::WrongSector;
  s.sector = in[0];
  return kOk;
}

// Key data: six key bytes, then the selector 0xAA (key A) or 0xBB (key B).
std::uint8_t KeyRefusal(const ReaderState& s, std::uint8_t selector) {
  if (s.mode == 0) return status::KeyNotInMode;
  if (selector != kKeyA && selector != kKeyB) return status::WrongKeyType;
  return kOk;
}

std::uint8_t ChangeKey(ReaderState& s, const std::uint8_t* in, std::uint8_t*) {
  const std::uint8_t status = KeyRefusal(s, in[6]);
  if (status != kOk) return status;
  Key& key = in[6] == kKeyA ? s.keyA : s.keyB;
  std::copy(in, in + key.size(), key.begin());
  return kOk;
}

std::uint8_t ChangeInitKey(ReaderState& s, const std::uint8_t* in, std::uint8_t*) {
  const std::uint8_t status = KeyRefusal(s, in[6]);
  if (status != kOk) return status;
  std::copy(in, in + s.initKey.size(), s.initKey.begin());
  s.initKeyType = in[6];
  return kOk;
}

std::uint8_t WriteBlackList(ReaderState& s, const std::uint8_t* in, std::uint8_t*) {
  if (in[4] >= kBlackListRows) return status::WrongValue;
  std::copy(in, in + 4, s.blackList[in[4]].begin());
  return kOk;
}

std::uint8_t ReadBlackList(ReaderState& s, const std::uint8_t* in, std::uint8_t* out) {
  if (in[0] >= kBlackListRows) return status::WrongValue;
  std::copy(s.blackList[in[0]].begin(), s.blackList[in[0]].end(), out);
  return kOk;
}

struct Rule {
  std::uint8_t code;
  std::size_t requestData;
  std::size_t answerData;
  Handler handle;
};

using S = ReaderState;
using Byte = std::uint8_t;
constexpr std::array<Rule, 22> kRules = {{
    {cmd::ReadSerialNumber, 0, 2, ReadField<std::array<Byte, 2>, &S::serial>},
    {cmd::ReadCashDeskNumber, 0, 4, ReadField<Entry, &S::cashDesk>},
    {cmd::ChangeKey, 7, 0, ChangeKey},
    {cmd::ChangeInitKey, 7, 0, ChangeInitKey},
    {cmd::WriteRechargeUnits, 1, 0, WriteByte<&S::rechargeUnits>},
    {cmd::ReadRechargeUnits, 0, 1, ReadField<Byte, &S::rechargeUnits>},
    {cmd::WriteMode, 1, 0, WriteMode},
    {cmd::ReadMode, 0, 1, ReadField<Byte, &S::mode>},
    {cmd::WriteCardType, 1, 0, WriteCardType},
    {cmd::ReadCardType, 0, 1, ReadField<Byte, &S::cardType>},
    {cmd::WriteCurrentDate, 3, 0, WriteDate<&S::currentDate>},
    {cmd::ReadCurrentDate, 0, 3, ReadField<WireDate, &S::currentDate>},
    {cmd::WriteEndDate, 3, 0, WriteDate<&S::endDate>},
    {cmd::ReadEndDate, 0, 3, ReadField<WireDate, &S::endDate>},
    {cmd::WriteSector, 1, 0, WriteSector},
    {cmd::ReadSector, 0, 1, ReadField<Byte, &S::sector>},
    {cmd::WriteAbonementTimeout, 1, 0, WriteByte<&S::abonementTimeout>},
    {cmd::ReadAbonementTimeout, 0, 1, ReadField<Byte, &S::abonementTimeout>},
    {cmd::WriteRelayTime, 1, 0, WriteByte<&S::relayTime>},
    {cmd::ReadRelayTime, 0, 1, ReadField<Byte, &S::relayTime>},
    {cmd::WriteBlackList, 5, 0, WriteBlackList},
    {cmd::ReadBlackList, 1, 4, ReadBlackList},
}};

const Rule* FindRule(std::uint8_t code) {
  const auto it = std::find_if(kRules.begin(), kRules.end(), [code](const Rule& r) { return r.code == code; });
  return it == kRules.end() ? nullptr : &*it;
}

}  // namespace

std::optional<std::size_t> AnswerDataSize(std::uint8_t code) {
  const Rule* rule = FindRule(code);
  if (!rule) return std::nullopt;
  return rule->answerData;
}

Answer Execute(ReaderState& state, std::uint8_t code, std::span<const std::uint8_t> data) {
  const Rule* rule = FindRule(code);
  if (!rule) return {status::WrongCommand, {}};
  Answer answer{kOk, std::vector<std::uint8_t>(rule->answerData, 0)};
  if (data.size() != rule->requestData) {
    answer.status = status::WrongFormat;
    return answer;
  }
  answer.status = rule->handle(state, data.data(), answer.data.data());
  if (answer.status != kOk) std::fill(answer.data.begin(), answer.data.end(), 0);
  return answer;
}

}  // namespace sim
