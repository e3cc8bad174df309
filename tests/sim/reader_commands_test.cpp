// A reader's answers byte for byte: reads return its state, writes store it, refusals carry
// the reader's status and leave the state alone.
#include <gtest/gtest.h>

#include "CodeTables.h"
#include "ReaderCommands.h"
#include "ResponseFrame.h"
#include "SimTestSupport.h"

using namespace simtest;
using sim::ReaderState;

namespace {

class ReaderCommandsTest : public ::testing::Test {
 protected:
  ReaderCommandsTest() {
    sim::Reader reader;
    reader.address = 1;
    reader.state.serial = {0x12, 0x34};
    reader.state.mode = 1;
    line.AddReader(reader);
  }
  ReaderState& State() { return line.FindReader(1)->state; }
  Bytes Ask(std::uint8_t code, Bytes data = {}) { return Exchange(line, Request(1, code, data)); }
  // The reader's answer to a request with this code.
  static Bytes Answer(std::uint8_t code, const Bytes& data, std::uint8_t status) {
    return AnswerFrame(1, code, data, status);
  }
  sim::ReaderSimulator line;
};

TEST_F(ReaderCommandsTest, AnswersTheKnownFramesExactly) {
  EXPECT_EQ(Exchange(line, Bytes{0xFF, 0x05, 0x70, 0x4E, 0x01}),
            (Bytes{0x01, 0x08, 0x71, 0x12, 0x34, 0xFF, 0x89, 0xEE}));
  EXPECT_EQ(Exchange(line, Bytes{0x01, 0x06, 0x7C, 0x02, 0xA9, 0x62}), (Bytes{0x01, 0x06, 0x7D, 0xFF, 0xA4, 0xE1}));
  EXPECT_EQ(State().mode, 2);
  line.FindReader(1)->faults.statusFor[cmd::WriteMode] = 0x23;
  EXPECT_EQ(Exchange(line, Bytes{0x01, 0x06, 0x7C, 0x02, 0xA9, 0x62}), (Bytes{0x01, 0x06, 0x7D, 0x23, 0xAE, 0x10}));
}

TEST_F(ReaderCommandsTest, ReadsReturnTheStateInWireOrder) {
  ReaderState& s = State();
  s.cashDesk = {0x00, 0x00, 0x01, 0x2A};
  s.rechargeUnits = 200;
  s.cardType = 2;
  s.currentDate = {31, 12, 9};
  s.endDate = {29, 2, 12};
  s.sector = 15;
  s.abonementTimeout = 7;
  s.relayTime = 255;
  s.blackList[9] = {0xAB, 0xCD, 0xEF, 0x01};
  EXPECT_EQ(Ask(cmd::ReadCashDeskNumber), Answer(cmd::ReadCashDeskNumber, {0x00, 0x00, 0x01, 0x2A}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadRechargeUnits), Answer(cmd::ReadRechargeUnits, {200}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadMode), Answer(cmd::ReadMode, {1}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadCardType), Answer(cmd::ReadCardType, {2}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadCurrentDate), Answer(cmd::ReadCurrentDate, {0x1F, 0x0C, 0x09}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadEndDate), Answer(cmd::ReadEndDate, {0x1D, 0x02, 0x0C}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadSector), Answer(cmd::ReadSector, {15}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadAbonementTimeout), Answer(cmd::ReadAbonementTimeout, {7}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadRelayTime), Answer(cmd::ReadRelayTime, {255}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadBlackList, {9}), Answer(cmd::ReadBlackList, {0xAB, 0xCD, 0xEF, 0x01}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadBlackList, {0}), Answer(cmd::ReadBlackList, {0, 0, 0, 0}, 0xFF));
}

TEST_F(ReaderCommandsTest, WritesAreAcknowledgedAndReadBack) {
  const Bytes ack = Answer(cmd::WriteMode, {}, 0xFF);
  EXPECT_EQ(Ask(cmd::WriteMode, {3}), ack);
  EXPECT_EQ(Ask(cmd::WriteRechargeUnits, {10}).size(), 6u);
  EXPECT_EQ(Ask(cmd::WriteCardType, {2}).size(), 6u);
  EXPECT_EQ(Ask(cmd::WriteCurrentDate, {0x1D, 0x02, 0x0C}).size(), 6u);
  EXPECT_EQ(Ask(cmd::WriteEndDate, {0x1F, 0x0C, 0xFF}).size(), 6u);
  EXPECT_EQ(Ask(cmd::WriteSector, {4}).size(), 6u);
  EXPECT_EQ(Ask(cmd::WriteAbonementTimeout, {0}).size(), 6u);
  EXPECT_EQ(Ask(cmd::WriteRelayTime, {9}).size(), 6u);
  EXPECT_EQ(Ask(cmd::WriteBlackList, {0x0A, 0x0B, 0x0C, 0x0D, 0x02}).size(), 6u);

  EXPECT_EQ(Ask(cmd::ReadMode), Answer(cmd::ReadMode, {3}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadRechargeUnits), Answer(cmd::ReadRechargeUnits, {10}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadCardType), Answer(cmd::ReadCardType, {2}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadCurrentDate), Answer(cmd::ReadCurrentDate, {0x1D, 0x02, 0x0C}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadEndDate), Answer(cmd::ReadEndDate, {0x1F, 0x0C, 0xFF}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadSector), Answer(cmd::ReadSector, {4}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadAbonementTimeout), Answer(cmd::ReadAbonementTimeout, {0}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadRelayTime), Answer(cmd::ReadRelayTime, {9}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadBlackList, {2}), Answer(cmd::ReadBlackList, {0x0A, 0x0B, 0x0C, 0x0D}, 0xFF));
  EXPECT_EQ(Ask(cmd::ReadBlackList, {1}), Answer(cmd::ReadBlackList, {0, 0, 0, 0}, 0xFF));
}

TEST_F(ReaderCommandsTest, KeysGoWhereTheirSelectorSays) {
  EXPECT_EQ(Ask(cmd::ChangeKey, {1, 2, 3, 4, 5, 6, 0xAA}), Answer(cmd::ChangeKey, {}, 0xFF));
  EXPECT_EQ(Ask(cmd::ChangeKey, {7, 8, 9, 10, 11, 12, 0xBB}), Answer(cmd::ChangeKey, {}, 0xFF));
  EXPECT_EQ(Ask(cmd::ChangeInitKey, {0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xBB}), Answer(cmd::ChangeInitKey, {}, 0xFF));
  EXPECT_EQ(State().keyA, (sim::Key{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(State().keyB, (sim::Key{7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(State().initKey, (sim::Key{0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6}));
  EXPECT_EQ(State().initKeyType, sim::kKeyB);
}

struct Refusal {
  const char* what;
  std::uint8_t mode;  // the reader's mode before the request
  std::uint8_t code;
  Bytes data;
  std::uint8_t status;
  std::size_t answerData;  // zero bytes before the status
};
void PrintTo(const Refusal& row, std::ostream* os) { *os << row.what; }

class RefusalTest : public ReaderCommandsTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusalTest, AnswersTheStatusAndChangesNothing) {
  const Refusal& r = GetParam();
  State().mode = r.mode;
  const ReaderState before = State();
  EXPECT_EQ(Ask(r.code, r.data), Answer(r.code, Bytes(r.answerData, 0), r.status));
  EXPECT_EQ(State(), before);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRefusal, RefusalTest,
    ::testing::Values(
        Refusal{"DateFeb29InCommonYear", 1, cmd::WriteCurrentDate, {0x1D, 0x02, 0x0D}, status::WrongDate, 0},
        Refusal{"DateDayZero", 1, cmd::WriteEndDate, {0x00, 0x01, 0x0A}, status::WrongDate, 0},
        Refusal{"DateBcdLooking", 1, cmd::WriteCurrentDate, {0x31, 0x12, 0x09}, status::WrongDate, 0},
        Refusal{"DateMonth13", 1, cmd::WriteEndDate, {0x01, 0x0D, 0x0A}, status::WrongDate, 0},
        Refusal{"SectorZero", 1, cmd::WriteSector, {0}, status::WrongSector, 0},
        Refusal{"Sector16", 1, cmd::WriteSector, {16}, status::WrongSector, 0},
        Refusal{"Mode5", 1, cmd::WriteMode, {5}, status::WrongValue, 0},
        Refusal{"CardTypeZero", 1, cmd::WriteCardType, {0}, status::WrongValue, 0},
        Refusal{"CardType3", 1, cmd::WriteCardType, {3}, status::WrongValue, 0},
        Refusal{"BlackListRow10Write", 1, cmd::WriteBlackList, {1, 2, 3, 4, 10}, status::WrongValue, 0},
        Refusal{"BlackListRow10Read", 1, cmd::ReadBlackList, {10}, status::WrongValue, 4},
        Refusal{"KeySelectorUnknown", 1, cmd::ChangeKey, {1, 2, 3, 4, 5, 6, 0xAB}, status::WrongKeyType, 0},
        Refusal{"InitKeySelectorUnknown", 4, cmd::ChangeInitKey, {1, 2, 3, 4, 5, 6, 0x00}, status::WrongKeyType, 0},
        Refusal{"KeyInMode0", 0, cmd::ChangeKey, {1, 2, 3, 4, 5, 6, 0xAA}, status::KeyNotInMode, 0},
        Refusal{"InitKeyInMode0", 0, cmd::ChangeInitKey, {1, 2, 3, 4, 5, 6, 0xBB}, status::KeyNotInMode, 0},
        Refusal{"UnknownCommand", 1, 0x9C, {}, status::WrongCommand, 0},
        Refusal{"ResponseCodeAsRequest", 1, 0x71, {}, status::WrongCommand, 0},
        Refusal{"ReadWithData", 1, cmd::ReadMode, {1}, status::WrongFormat, 1},
        Refusal{"ReadBlackListWithoutRow", 1, cmd::ReadBlackList, {}, status::WrongFormat, 4},
        Refusal{"WriteWithoutData", 1, cmd::WriteMode, {}, status::WrongFormat, 0},
        Refusal{"DateOneByteShort", 1, cmd::WriteCurrentDate, {1, 1}, status::WrongFormat, 0},
        Refusal{"KeyOneByteShort", 1, cmd::ChangeKey, {1, 2, 3, 4, 5, 0xAA}, status::WrongFormat, 0}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(CalendarDateTest, KnowsLeapYearsOverTheWholeYearByteRange) {
  EXPECT_TRUE(sim::IsCalendarDate({29, 2, 0}));     // 2000: divisible by 400
  EXPECT_FALSE(sim::IsCalendarDate({29, 2, 100}));  // 2100: by 100, not by 400
  EXPECT_TRUE(sim::IsCalendarDate({29, 2, 204}));   // 2204
  EXPECT_TRUE(sim::IsCalendarDate({31, 12, 255}));
  EXPECT_FALSE(sim::IsCalendarDate({31, 4, 10}));
  EXPECT_FALSE(sim::IsCalendarDate({1, 0, 10}));
}

}  // namespace
