#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "CodeTables.h"
#include "DemoLine.h"
#include "ErrorList.h"
#include "Frame.h"
#include "ReaderMessages.h"
#include "ReaderSequences.h"
#include "SimHost.h"

namespace sim {
// gtest finds a printer beside its type.
void PrintTo(const WireDate& date, std::ostream* os) {
  *os << int{date.day} << '.' << int{date.month} << '.' << int{date.year};
}
}  // namespace sim

namespace {

using Bytes = std::vector<std::uint8_t>;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr std::uint8_t kAddress = 1;

// The first demo reader (cash desk 0000012A, dates 31.12.2009 and 29.02.2012) on a line of
// its own, reached through the real link.
class Sequences : public ::testing::Test {
 protected:
  Sequences() : reader(host.line.AddReader(sim::DemoReaders().front())) {}

  TReadOutcome Read(std::optional<std::uint8_t> address = kAddress) {
    return ReadParameters(host.link, host.errors, address,
                          [this](const TReaderParameters&, TParameter p, int row) {
                            shown.push_back({p, row, host.written.size()});
                          });
  }

  struct Shown {
    TParameter parameter;
    int row;
    std::size_t sentBefore;  // requests written when the value reached the screen
    bool operator==(const Shown&) const = default;
  };

  SimHost host;
  sim::Reader& reader;
  std::vector<Shown> shown;
};

// ---- reading ----------------------------------------------------------------------------

TEST_F(Sequences, FullReadGivesTheReadersStateInTheFixedOrder) {
  const TReadOutcome outcome = Read();
  const TReaderParameters& v = outcome.values;
  EXPECT_TRUE(outcome.refusal.empty());
  EXPECT_TRUE(host.errors.empty()) << ::testing::PrintToString(host.errors.Lines());
  EXPECT_EQ(v.cashDeskNumber, "0000012A");
  EXPECT_EQ(v.rechargeUnits, 5);
  EXPECT_EQ(v.mode, 1);
  EXPECT_EQ(v.cardType, 2);
  EXPECT_EQ(v.currentDate, (TCalendarDate{2009, 12, 31}));
  EXPECT_EQ(v.endDate, (TCalendarDate{2012, 2, 29}));
  EXPECT_EQ(v.sector, 4);
  EXPECT_EQ(v.abonementTimeout, 10);
  EXPECT_EQ(v.relayTime, 3);
  EXPECT_THAT(v.blackList, ElementsAre("0012AB9F", "ABCDEF01", "0A0B0C0D", "00000000", "00000000",
                                       "00000000", "00000000", "00000000", "00000000", "00000000"));
  EXPECT_EQ(v.blackListRowsRead, 10u);

  std::vector<std::uint8_t> expected{0x72, 0x7A, 0x7E, 0x82, 0x86, 0x8A, 0x8E, 0x92, 0x96};
  expected.insert(expected.end(), 10, 0x9A);
  EXPECT_EQ(host.Codes(), expected);
  for (std::uint8_t row = 0; row < 10; ++row) EXPECT_EQ(host.DataOf(0x9A)[row], Bytes{row});
}

// Lists, spins and the grid show their cleared value before their request goes out; the
// cash-desk number and the dates change once, after theirs.
TEST_F(Sequences, ClearedValuesReachTheScreenBeforeTheirRequest) {
  Read();
  using P = TParameter;
  const std::vector<Shown> head{
      {P::CashDeskNumber, -1, 1},  {P::RechargeUnits, -1, 1}, {P::RechargeUnits, -1, 2},
      {P::Mode, -1, 2},            {P::Mode, -1, 3},          {P::CardType, -1, 3},
      {P::CardType, -1, 4},        {P::CurrentDate, -1, 5},   {P::EndDate, -1, 6},
      {P::Sector, -1, 6},          {P::Sector, -1, 7},        {P::AbonementTimeout, -1, 7},
      {P::AbonementTimeout, -1, 8}, {P::RelayTime, -1, 8},    {P::RelayTime, -1, 9},
      {P::BlackList, -1, 9},       {P::BlackList, 0, 10}};
  ASSERT_GE(shown.size(), head.size());
  EXPECT_EQ(std::vector<Shown>(shown.begin(), shown.begin() + head.size()), head);
  EXPECT_EQ(shown.back(), (Shown{P::BlackList, 9, 19}));
}

TEST_F(Sequences, SilentReaderGivesTenLinesAndClearedValues) {
  reader.faults.silent = true;
  const TReaderParameters v = Read().values;
  ASSERT_EQ(host.errors.Lines().size(), 10u);
  EXPECT_EQ(host.errors.Lines().front(), "Чтение номера кассы - таймаут");
  EXPECT_EQ(host.errors.Lines().back(), "Чтение черного списка кассовых аппаратов - таймаут");
  EXPECT_EQ(host.written.size(), 30u);  // ten requests, three sendings each
  EXPECT_EQ(v.readMask, 0u);
  EXPECT_EQ(v.cashDeskNumber, "");
  EXPECT_FALSE(v.mode);
  EXPECT_FALSE(v.cardType);
  EXPECT_EQ(v.currentDate, kZeroDate);
  EXPECT_EQ(v.endDate, kZeroDate);
  EXPECT_EQ(v.sector, 0);
  EXPECT_THAT(v.blackList, ::testing::Each(""));
}

TEST_F(Sequences, BlackListStopsAtItsFirstFailedRow) {
  host.deafTo = [](const Bytes& frame) {
    const FrameView request(frame);
    return request.Code() == cmd::ReadBlackList && request.RequestData()[0] >= 3;
  };
  const TReaderParameters v = Read().values;
  EXPECT_THAT(host.errors.Lines(),
              ElementsAre("Чтение черного списка кассовых аппаратов - таймаут"));
  EXPECT_EQ(v.blackListRowsRead, 3u);
  EXPECT_EQ(v.blackList[2], "0A0B0C0D");
  for (std::size_t row = 3; row < 10; ++row) EXPECT_EQ(v.blackList[row], "") << row;
  EXPECT_EQ(host.DataOf(cmd::ReadBlackList).back(), Bytes{3});  // row 4 never asked
}

TEST_F(Sequences, RejectedRowZeroLeavesTheWholeListEmpty) {
  reader.faults.statusFor[cmd::ReadBlackList] = 0x17;
  const TReaderParameters v = Read().values;
  EXPECT_THAT(host.errors.Lines(),
              ElementsAre("Чтение черного списка кассовых аппаратов - доступ запрещен"));
  EXPECT_EQ(host.DataOf(cmd::ReadBlackList).size(), 1u);
  EXPECT_FALSE(v.WasRead(TParameter::BlackList));
}

class BrokenDate : public Sequences, public ::testing::WithParamInterface<sim::WireDate> {};

TEST_P(BrokenDate, GivesTheDateLineAndTheZeroDate) {
  reader.state.currentDate = GetParam();
  const TReaderParameters v = Read().values;
  EXPECT_THAT(host.errors.Lines(), ElementsAre("Чтение текущей даты - неправильный формат даты"));
  EXPECT_EQ(v.currentDate, kZeroDate);
  EXPECT_FALSE(v.WasRead(TParameter::CurrentDate));
  EXPECT_EQ(v.endDate, (TCalendarDate{2012, 2, 29}));  // the next step runs on

  host.errors.ClearErrors();
  reader.state.currentDate = {1, 1, 10};
  reader.state.endDate = GetParam();
  Read();
  EXPECT_THAT(host.errors.Lines(), ElementsAre("Чтение конечной даты - неправильный формат даты"));
}

INSTANTIATE_TEST_SUITE_P(Bytes, BrokenDate,
                         ::testing::Values(sim::WireDate{29, 2, 13}, sim::WireDate{0, 1, 10},
                                           sim::WireDate{0x31, 0x12, 0x09}));

TEST_F(Sequences, UnknownModeAndCardTypeBytesComeBackAsTheyAre) {
  reader.state.mode = 5;
  reader.state.cardType = 0;
  const TReaderParameters v = Read().values;
  EXPECT_TRUE(host.errors.empty());
  EXPECT_EQ(v.mode, 5);
  EXPECT_EQ(v.cardType, 0);
}

TEST_F(Sequences, WrongLengthIsReportedForEveryRead) {
  reader.faults.wrongLength = true;
  Read();
  ASSERT_EQ(host.errors.Lines().size(), 10u);
  EXPECT_EQ(host.errors.Lines()[2], "Чтение режима работы - неправильный формат данных");
}

TEST_F(Sequences, ReadWithoutReaderIsRefusedAndSendsNothing) {
  host.errors.AddError(cmd::ReadMode, 0x09);  // left over from an earlier operation
  const TReadOutcome outcome = Read(std::nullopt);
  EXPECT_EQ(outcome.refusal, "Необходимо выбрать считыватель");
  EXPECT_TRUE(host.written.empty());
  EXPECT_TRUE(host.errors.empty());
  EXPECT_TRUE(shown.empty());
}

// ---- writing ----------------------------------------------------------------------------

TWriteValues Values(int mode) {
  TWriteValues v;
  v.mode = mode;
  v.cardType = 2;
  v.rechargeUnits = 10;
  v.currentDate = {2015, 6, 1};
  v.endDate = {2030, 1, 31};
  v.sector = 4;
  v.abonementTimeout = 7;
  v.relayTime = 2;
  v.blackList[2] = "0A0B0C0D";
  v.blackList[4] = "FFEEDDCC";
  return v;
}

struct ModeRow {
  int mode;
  std::vector<std::uint8_t> head;  // codes before the ten black-list rows
};

void PrintTo(const ModeRow& r, std::ostream* os) { *os << "mode " << r.mode; }

class WriteInMode : public Sequences, public ::testing::WithParamInterface<ModeRow> {};

TEST_P(WriteInMode, SendsTheModesCommandsAndReadsBackWhatWasWritten) {
  const TWriteValues values = Values(GetParam().mode);
  EXPECT_TRUE(WriteParameters(host.link, host.errors, kAddress, values).refusals.empty());
  EXPECT_TRUE(host.errors.empty()) << ::testing::PrintToString(host.errors.Lines());
  std::vector<std::uint8_t> expected = GetParam().head;
  expected.insert(expected.end(), 10, cmd::WriteBlackList);
  EXPECT_EQ(host.Codes(), expected);
  EXPECT_EQ(host.DataOf(cmd::WriteMode).front(), Bytes{static_cast<std::uint8_t>(GetParam().mode)});

  const TReaderParameters back = Read().values;
  EXPECT_EQ(back.mode, GetParam().mode);
  EXPECT_EQ(back.sector, 4);
  EXPECT_EQ(back.abonementTimeout, 7);
  EXPECT_EQ(back.relayTime, 2);
  EXPECT_THAT(back.blackList, ElementsAre("00000000", "00000000", "0A0B0C0D", "00000000",
                                          "FFEEDDCC", "00000000", "00000000", "00000000",
                                          "00000000", "00000000"));
  const bool dates = GetParam().mode != mode::Reading;
  const TCalendarDate current = dates ? values.currentDate : TCalendarDate{2009, 12, 31};
  const TCalendarDate end = dates ? values.endDate : TCalendarDate{2012, 2, 29};
  EXPECT_EQ(back.currentDate, current);
  EXPECT_EQ(back.endDate, end);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, WriteInMode,
    ::testing::Values(ModeRow{0, {0x7C, 0x84, 0x88, 0x8C, 0x90, 0x94}},
                      ModeRow{1, {0x7C, 0x84, 0x88, 0x8C, 0x90, 0x94}},
                      ModeRow{2, {0x7C, 0x8C, 0x90, 0x94}},
                      ModeRow{3, {0x7C, 0x78, 0x80, 0x84, 0x88, 0x8C, 0x90, 0x94}},
                      ModeRow{4, {0x7C, 0x84, 0x88, 0x8C, 0x90, 0x94}}));

TEST_F(Sequences, RechargeModeWriteCarriesEveryByte) {
  WriteParameters(host.link, host.errors, kAddress, Values(mode::Recharge));
  EXPECT_EQ(host.DataOf(0x7C), (std::vector<Bytes>{{0x03}}));
  EXPECT_EQ(host.DataOf(0x78), (std::vector<Bytes>{{0x0A}}));
  EXPECT_EQ(host.DataOf(0x80), (std::vector<Bytes>{{0x02}}));
  EXPECT_EQ(host.DataOf(0x84), (std::vector<Bytes>{{0x01, 0x06, 0x0F}}));
  EXPECT_EQ(host.DataOf(0x88), (std::vector<Bytes>{{0x1F, 0x01, 0x1E}}));
  EXPECT_EQ(host.DataOf(0x8C), (std::vector<Bytes>{{0x04}}));
  const auto rows = host.DataOf(0x98);
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows[2], (Bytes{0x0A, 0x0B, 0x0C, 0x0D, 0x02}));
  EXPECT_EQ(rows[4], (Bytes{0xFF, 0xEE, 0xDD, 0xCC, 0x04}));
  EXPECT_EQ(rows[5], (Bytes{0x00, 0x00, 0x00, 0x00, 0x05}));  // empty row after a filled one
  EXPECT_EQ(reader.state.rechargeUnits, 10);
  EXPECT_EQ(reader.state.cardType, 2);
}

struct SilentRow {
  int mode;
  std::size_t lines;
};

void PrintTo(const SilentRow& r, std::ostream* os) { *os << "mode " << r.mode; }

class SilentWrite : public Sequences, public ::testing::WithParamInterface<SilentRow> {};

// Every command before the black list is sent whatever became of the one before it.
TEST_P(SilentWrite, GivesOneLinePerCommandAndOneForRowZero) {
  reader.faults.silent = true;
  WriteParameters(host.link, host.errors, kAddress, Values(GetParam().mode));
  EXPECT_EQ(host.errors.Lines().size(), GetParam().lines);
  EXPECT_EQ(host.errors.Lines().back(),
            "Изменение черного списка кассовых аппаратов - таймаут");
  EXPECT_EQ(host.DataOf(cmd::WriteBlackList).size(), 3u);  // row 0, three sendings
}

INSTANTIATE_TEST_SUITE_P(Modes, SilentWrite,
                         ::testing::Values(SilentRow{0, 7}, SilentRow{2, 5}, SilentRow{3, 9}));

TEST_F(Sequences, RejectedRowZeroEndsTheWrite) {
  reader.faults.statusFor[cmd::WriteBlackList] = 0x22;
  WriteParameters(host.link, host.errors, kAddress, Values(mode::Turnstile));
  EXPECT_THAT(host.errors.Lines(),
              ElementsAre("Изменение черного списка кассовых аппаратов - неправильной значение"));
  EXPECT_EQ(host.DataOf(cmd::WriteBlackList).size(), 1u);
}

TEST_F(Sequences, FailedModeDoesNotStopTheOtherParameters) {
  reader.faults.statusFor[cmd::WriteMode] = 0x23;
  WriteParameters(host.link, host.errors, kAddress, Values(mode::Turnstile));
  EXPECT_THAT(host.errors.Lines(),
              ElementsAre("Изменение режима работы - команда не может быть обработана в текущем режиме"));
  EXPECT_EQ(host.written.size(), 16u);
}

struct RefusalRow {
  const char* name;
  std::optional<std::uint8_t> address;
  TWriteValues values;
  std::string text;
};

TWriteValues With(TWriteValues v, void (*change)(TWriteValues&)) {
  change(v);
  return v;
}

void PrintTo(const RefusalRow& r, std::ostream* os) { *os << r.name; }

class WriteRefused : public Sequences, public ::testing::WithParamInterface<RefusalRow> {};

TEST_P(WriteRefused, ShowsWhyAndSendsNothing) {
  const TWriteOutcome outcome =
      WriteParameters(host.link, host.errors, GetParam().address, GetParam().values);
  EXPECT_EQ(RefusalText(outcome.refusals), GetParam().text);
  EXPECT_TRUE(host.written.empty());
  EXPECT_TRUE(host.errors.empty());
}

const std::string kZeroDateLine =
    "Текущая дата 30.12.1899 не может быть записана: считыватель хранит даты с 01.01.2000 по 31.12.2255";

INSTANTIATE_TEST_SUITE_P(
    Checks, WriteRefused,
    ::testing::Values(
        RefusalRow{"NoReader", std::nullopt, Values(1), "Необходимо выбрать считыватель"},
        RefusalRow{"NoMode", kAddress, Values(kNoSelection),
                   "Необходимо выбрать режим работы считывателя"},
        RefusalRow{"NoCardType", kAddress,
                   With(Values(mode::Recharge), [](TWriteValues& v) { v.cardType = kNoSelection; }),
                   "Необходимо выбрать тип карточки"},
        // A failed read leaves the zero date; it must not reach the reader as 2155.
        RefusalRow{"ZeroDate", kAddress,
                   With(Values(mode::Turnstile), [](TWriteValues& v) { v.currentDate = kZeroDate; }),
                   kZeroDateLine},
        RefusalRow{"BothDates", kAddress,
                   With(Values(mode::Quillmar),
                        [](TWriteValues& v) {
                          v.currentDate = kZeroDate;
                          v.endDate = {2256, 1, 1};
                        }),
                   kZeroDateLine + "\r\n" +
                       "Конечная дата 01.01.2256 не может быть записана: считыватель хранит даты с 01.01.2000 по "
                       "31.12.2255"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Sequences, ReadingModeDoesNotCheckTheDatesItLeavesOut) {
  TWriteValues v = Values(mode::Reading);
  v.currentDate = kZeroDate;
  v.endDate = {1999, 12, 31};
  EXPECT_TRUE(WriteParameters(host.link, host.errors, kAddress, v).refusals.empty());
  EXPECT_EQ(host.written.size(), 14u);
}

TEST_F(Sequences, EdgesOfTheWireYearsAreWritten) {
  TWriteValues v = Values(mode::Turnstile);
  v.currentDate = {2000, 1, 1};
  v.endDate = {2255, 12, 31};
  EXPECT_TRUE(WriteParameters(host.link, host.errors, kAddress, v).refusals.empty());
  EXPECT_EQ(host.DataOf(0x84), (std::vector<Bytes>{{0x01, 0x01, 0x00}}));
  EXPECT_EQ(host.DataOf(0x88), (std::vector<Bytes>{{0x1F, 0x0C, 0xFF}}));
}

// ---- key change -------------------------------------------------------------------------

const TKeyTexts kKeys{"A1A2A3A4A5A6", "B1B2B3B4B5B6", "C1C2C3C4C5C6", "B"};

struct KeyRow {
  int mode;
  std::string oldKeyType;
  std::uint8_t code;
  Bytes data;
};

void PrintTo(const KeyRow& r, std::ostream* os) { *os << "mode " << r.mode << ' ' << r.oldKeyType; }

class KeyChange : public Sequences, public ::testing::WithParamInterface<KeyRow> {};

TEST_P(KeyChange, SetsTheModeThenSendsItsKey) {
  TKeyTexts keys = kKeys;
  keys.oldKeyType = GetParam().oldKeyType;
  EXPECT_TRUE(ChangeReaderKeys(host.link, host.errors, kAddress, GetParam().mode, keys).refusal.empty());
  EXPECT_TRUE(host.errors.empty()) << ::testing::PrintToString(host.errors.Lines());
  EXPECT_THAT(host.Codes(), ElementsAre(cmd::WriteMode, GetParam().code));
  EXPECT_EQ(host.DataOf(cmd::WriteMode).front(), Bytes{static_cast<std::uint8_t>(GetParam().mode)});
  EXPECT_EQ(host.DataOf(GetParam().code).front(), GetParam().data);
  EXPECT_EQ(reader.state.mode, GetParam().mode);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, KeyChange,
    ::testing::Values(KeyRow{1, "A", 0x74, {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xAA}},
                      KeyRow{2, "B", 0x74, {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xAA}},
                      KeyRow{3, "A", 0x74, {0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xBB}},
                      KeyRow{4, "B", 0x76, {0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xBB}},
                      KeyRow{4, "A", 0x76, {0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xAA}}));

TEST_F(Sequences, KeysReachTheReader) {
  ChangeReaderKeys(host.link, host.errors, kAddress, mode::Recharge, kKeys);
  EXPECT_EQ(reader.state.keyB, (sim::Key{0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6}));
  ChangeReaderKeys(host.link, host.errors, kAddress, mode::Initialisation, kKeys);
  EXPECT_EQ(reader.state.initKey, (sim::Key{0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6}));
  EXPECT_EQ(reader.state.initKeyType, 0xBB);
}

TEST_F(Sequences, SilentReaderGetsNoKeyAfterItsModeFailed) {
  reader.faults.silent = true;
  ChangeReaderKeys(host.link, host.errors, kAddress, mode::Turnstile, kKeys);
  EXPECT_THAT(host.errors.Lines(), ElementsAre("Изменение режима работы - таймаут"));
  EXPECT_THAT(host.Codes(), ElementsAre(cmd::WriteMode, cmd::WriteMode, cmd::WriteMode));
}

TEST_F(Sequences, FailedKeyCommandIsReportedAfterTheModeWasSet) {
  reader.faults.statusFor[cmd::ChangeInitKey] = 0x21;
  ChangeReaderKeys(host.link, host.errors, kAddress, mode::Initialisation, kKeys);
  EXPECT_THAT(host.errors.Lines(),
              ElementsAre("Изменение инициализирующего ключа - неправильный тип ключа"));
  EXPECT_EQ(reader.state.mode, mode::Initialisation);
}

TEST_F(Sequences, KeyChangeRefusalsSendNothing) {
  EXPECT_EQ(ChangeReaderKeys(host.link, host.errors, std::nullopt, 1, kKeys).refusal,
            "Необходимо выбрать считыватель");
  EXPECT_EQ(ChangeReaderKeys(host.link, host.errors, kAddress, kNoSelection, kKeys).refusal,
            "Необходимо выбрать режим работы считывателя");
  EXPECT_TRUE(host.written.empty());
}

TEST(KeyModes, OnlyModesOneToFourHaveAKey) {
  EXPECT_FALSE(ModeHasKey(kNoSelection));
  EXPECT_FALSE(ModeHasKey(mode::Quillmar));
  for (int m = 1; m <= 4; ++m) EXPECT_TRUE(ModeHasKey(m)) << m;
  EXPECT_FALSE(ModeHasKey(5));
  EXPECT_FALSE(KeyRequest(mode::Quillmar, kKeys));
}

}  // namespace
