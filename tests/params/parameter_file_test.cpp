// The parameters file: what a read prints can be written back unchanged, a bad file is refused
// with the field it concerns and the window's own texts, and a read-back names what differs.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QDate>
#include <QJsonObject>

#include <string>

#include "CodeTables.h"
#include "ParameterJson.h"
#include "ReaderMessages.h"

namespace {

TReaderParameters ReadOfMode3() {
  TReaderParameters v;
  v.cashDeskNumber = "0000012A";
  v.rechargeUnits = 10;
  v.mode = 3;
  v.cardType = 2;
  v.currentDate = {2009, 12, 31};
  v.endDate = {2255, 12, 31};
  v.sector = 4;
  v.abonementTimeout = 30;
  v.relayTime = 3;
  v.blackList = {"0012AB9F", "ABCDEF01", "00000000", "00000000", "00000000",
                 "00000000", "00000000", "00000000", "00000000", "FFFFFFFF"};
  v.blackListRowsRead = 10;
  v.readMask = ~0u;
  return v;
}

QByteArray Text(const QJsonObject& object) { return QJsonDocument(object).toJson(); }

TEST(ParameterFile, ReadOutputNamesModeAndCardTypeAndUsesIsoDates) {
  const QJsonObject json = ParametersToJson(5, ReadOfMode3(), TClockAs::Read);
  EXPECT_EQ(json["address"].toInt(), 5);
  EXPECT_EQ(json["mode"].toObject()["value"].toInt(), 3);
  EXPECT_EQ(json["mode"].toObject()["name"].toString(), QString::fromUtf8("Пополнение"));
  EXPECT_EQ(json["cardType"].toObject()["name"].toString(), QString::fromUtf8("Абонемент"));
  EXPECT_EQ(json["currentDate"].toString(), "2009-12-31");
  EXPECT_EQ(json["blackList"].toArray().size(), 10);
  EXPECT_EQ(json["blackList"].toArray()[9].toString(), "FFFFFFFF");
}

TEST(ParameterFile, WhatFailedToReadIsNullNotAValue) {
  TReaderParameters v;  // a reader that answered nothing
  v.mode = std::nullopt;
  const QJsonObject json = ParametersToJson(5, v, TClockAs::Read);
  for (const char* field : {"cashDeskNumber", "rechargeUnits", "mode", "cardType", "currentDate", "endDate", "sector",
                            "abonementTimeout", "relayTime"})
    EXPECT_TRUE(json[field].isNull()) << field;
  EXPECT_TRUE(json["blackList"].toArray()[0].isNull());
  // A mode byte outside the list keeps its value, without a name.
  v.mode = 7;
  EXPECT_TRUE(ParametersToJson(5, v, TClockAs::Read)["mode"].toObject()["name"].isNull());
}

TEST(ParameterFile, ReadOutputWritesBackAsTheSameValues) {
  const TWriteValues w = WriteValuesFromJson(Text(ParametersToJson(5, ReadOfMode3(), TClockAs::Read)));
  EXPECT_EQ(w.mode, 3);
  EXPECT_EQ(w.cardType, 2);
  EXPECT_EQ(w.rechargeUnits, 10);
  EXPECT_EQ(w.currentDate, (TCalendarDate{2009, 12, 31}));
  EXPECT_EQ(w.endDate, (TCalendarDate{2255, 12, 31}));
  EXPECT_EQ(w.sector, 4);
  EXPECT_EQ(w.abonementTimeout, 30);
  EXPECT_EQ(w.relayTime, 3);
  EXPECT_EQ(w.blackList, ReadOfMode3().blackList);
  EXPECT_TRUE(ReadBackDifferences(w, ReadOfMode3()).empty());
}

TEST(ParameterFile, ModeAndCardTypeMayBeGivenByNumberOrName) {
  const TWriteValues w = WriteValuesFromJson(
      R"({"mode":"Пополнение","cardType":"Пополняемая","rechargeUnits":0,"currentDate":"2000-01-01",
          "endDate":"2000-01-02","sector":1,"abonementTimeout":0,"relayTime":0,
          "blackList":["","","","","","","","","","abcdef01"]})");
  EXPECT_EQ(w.mode, 3);
  EXPECT_EQ(w.cardType, 1);
  EXPECT_EQ(w.blackList[9], "ABCDEF01");
  EXPECT_EQ(w.blackList[0], "");
}

// A plan is the fields it names; one that names its mode plans only what that mode writes.
TEST(ParameterFile, APlanIsTheFieldsItNames) {
  EXPECT_EQ(WriteValuesFromJson(R"({"relayTime": 3, "abonementTimeout": 7, "address": 4})").planned,
            ParameterBit(TParameter::RelayTime) | ParameterBit(TParameter::AbonementTimeout));
  EXPECT_EQ(WriteValuesFromJson(R"({"mode": 2, "currentDate": "2020-01-01", "sector": 4})").planned,
            ParameterBit(TParameter::Mode) | ParameterBit(TParameter::Sector));
  // The schema an editor checks the file against plans nothing.
  EXPECT_EQ(WriteValuesFromJson(R"({"$schema": "file:///usr/share/parvex/schema/parvex-parameters.schema.json", "sector": 4})").planned,
            ParameterBit(TParameter::Sector));
}

struct PlanRow {
  const char* name;
  const char* plan;
  std::uint8_t foundMode;            // of a reader that otherwise holds ReadOfMode3()
  std::vector<std::uint8_t> writes;  // the codes sent to it
  std::vector<std::string> refusals;
};
void PrintTo(const PlanRow& row, std::ostream* os) { *os << row.name; }

class PlanAgainstReader : public ::testing::TestWithParam<PlanRow> {};

TEST_P(PlanAgainstReader, WritesThePlannedFieldsThatDifferOrRefusesTheReader) {
  const TWriteValues plan = WriteValuesFromJson(GetParam().plan);
  TReaderParameters found = ReadOfMode3();
  found.mode = GetParam().foundMode;
  std::vector<std::uint8_t> codes;
  for (const TWriteRequest& request : DifferingRequests(plan, found)) codes.push_back(request.code);
  EXPECT_EQ(codes, GetParam().writes);
  std::vector<std::string> refusals;
  for (const TRefusal& refusal : WriteRefusals(5, ForReader(plan, found))) refusals.push_back(RefusalLine(refusal));
  EXPECT_EQ(refusals, GetParam().refusals);
}

INSTANTIATE_TEST_SUITE_P(
    Plans, PlanAgainstReader,
    ::testing::Values(
        PlanRow{"Holds", R"({"relayTime": 3, "sector": 4})", 3, {}, {}},
        PlanRow{"OneField", R"({"relayTime": 5, "sector": 4})", 3, {cmd::WriteRelayTime}, {}},
        PlanRow{"ModeFirst", R"({"relayTime": 5, "mode": 1})", 3, {cmd::WriteMode, cmd::WriteRelayTime}, {}},
        PlanRow{"OneRow", R"({"blackList": ["0012AB9F", "ABCDEF01", "", "", "", "", "", "", "", "00000001"]})", 3,
                {cmd::WriteBlackList}, {}},
        PlanRow{"FieldTheModePlannedDoesNotWrite", R"({"mode": 2, "cardType": 1})", 3, {cmd::WriteMode}, {}},
        PlanRow{"FieldTheReadersModeDoesNotUse", R"({"cardType": 1})", 1, {},
                {"не используется в режиме считывателя \"Турникет\""}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadFile {
  const char* json;
  std::string field;  // the message starts with it
  std::string says;   // and contains this
};
void PrintTo(const BadFile& row, std::ostream* os) { *os << row.field << ": " << row.says; }

class RefusedFile : public ::testing::TestWithParam<BadFile> {};

TEST_P(RefusedFile, NamesTheField) {
  try {
    WriteValuesFromJson(GetParam().json);
    FAIL() << "accepted";
  } catch (const TFileError& e) {
    const std::string message = e.what();
    EXPECT_EQ(message.rfind(GetParam().field, 0), 0u) << message;
    EXPECT_NE(message.find(GetParam().says), std::string::npos) << message;
  }
}

#define REST_OF_MODE2 R"("sector":1,"abonementTimeout":0,"relayTime":0,"blackList":["","","","","","","","","",""])"
#define DATES R"("currentDate":"2020-05-01","endDate":"2021-05-01",)"

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedFile,
    ::testing::Values(
        BadFile{R"({"mode":2, )", "not JSON", "offset"},
        BadFile{R"([1,2])", "not JSON", "object"},
        BadFile{R"({"mode":"Лифт",)" REST_OF_MODE2 "}", "mode", "Лифт"},
        BadFile{R"({"mode":5,)" REST_OF_MODE2 "}", "mode", "0 to 4"},
        BadFile{R"({"mode":2.5,)" REST_OF_MODE2 "}", "mode", "2.5"},
        BadFile{R"({"mode":{"value":2,"name":"Турникет"},)" REST_OF_MODE2 "}", "mode", "disagree"},
        BadFile{R"({"mode":3,"cardType":3,"rechargeUnits":1,)" DATES REST_OF_MODE2 "}", "cardType", "1 to 2"},
        BadFile{R"({"mode":3,"cardType":1,"rechargeUnits":256,)" DATES REST_OF_MODE2 "}", "rechargeUnits", "0 to 255"},
        BadFile{R"({"mode":1,"currentDate":"2013-02-29","endDate":"2021-05-01",)" REST_OF_MODE2 "}", "currentDate",
                "not a calendar date"},
        BadFile{R"({"mode":1,"currentDate":"31.12.2009","endDate":"2021-05-01",)" REST_OF_MODE2 "}", "currentDate",
                "YYYY-MM-DD"},
        BadFile{R"({"mode":1,"currentDate":"2020-05-01","endDate":"2256-01-01",)" REST_OF_MODE2 "}", "endDate",
                "Конечная дата 01.01.2256 не может быть записана"},
        BadFile{R"({"mode":0,"currentDate":"1999-12-31","endDate":"2020-01-01",)" REST_OF_MODE2 "}", "currentDate",
                "Текущая дата 31.12.1999"},
        BadFile{R"({"mode":2,"sector":0,"abonementTimeout":0,"relayTime":0,"blackList":["","","","","","","","","",""]})",
                "sector", "1 to 15"},
        BadFile{R"({"mode":2,"sector":"4","abonementTimeout":0,"relayTime":0,"blackList":["","","","","","","","","",""]})",
                "sector", "'4'"},
        BadFile{R"({"mode":2,"sector":1,"abonementTimeout":0,"relayTime":-1,"blackList":["","","","","","","","","",""]})",
                "relayTime", "0 to 255"},
        BadFile{R"({"mode":2,"sector":1,"abonementTimeout":0,"relayTime":0,"blackList":["","",""]})", "blackList",
                "10 entries"},
        BadFile{R"({"mode":2,"sector":1,"abonementTimeout":0,"relayTime":0,"blackList":["","","","","","","","","","12AB"]})",
                "blackList[9]", "8 hex digits"},
        BadFile{R"({"mode":2,"sectr":1})", "sectr", "unknown field"},
        BadFile{R"({"$schema":5,"sector":1})", "$schema", "5 is not the address of a schema"},
        // A field the mode does not write is still checked: a wrong value is a wrong file.
        BadFile{R"({"mode":2,"currentDate":"2020-13-01",)" REST_OF_MODE2 "}", "currentDate", "not a calendar date"}));

TEST(ReadBack, NamesEachWrittenFieldThatDiffers) {
  TWriteValues w = WriteValuesFromJson(Text(ParametersToJson(5, ReadOfMode3(), TClockAs::Read)));
  TReaderParameters back = ReadOfMode3();
  back.sector = 5;
  back.blackList[2] = "0A0B0C0D";
  back.endDate = {2255, 12, 30};
  back.cashDeskNumber = "FFFFFFFF";  // never written, so never compared
  EXPECT_EQ(ReadBackDifferences(w, back),
            (std::vector<std::string>{"endDate: written 2255-12-31, read back 2255-12-30",
                                      "sector: written 4, read back 5",
                                      "blackList[2]: written 00000000, read back 0A0B0C0D"}));
}

TEST(ReadBack, WhatTheModeDoesNotWriteIsNotCompared) {
  TWriteValues w = WriteValuesFromJson(Text(ParametersToJson(5, ReadOfMode3(), TClockAs::Read)));
  w.mode = 2;  // no dates, no card type, no recharge units
  TReaderParameters back = ReadOfMode3();
  back.mode = 2;
  back.cardType = 1;
  back.rechargeUnits = 0;
  back.currentDate = {2001, 1, 1};
  EXPECT_TRUE(ReadBackDifferences(w, back).empty());
}

TEST(ReadBack, AValueTheReadBackMissedIsReportedAsSuch) {
  TWriteValues w = WriteValuesFromJson(Text(ParametersToJson(5, ReadOfMode3(), TClockAs::Read)));
  TReaderParameters back = ReadOfMode3();
  back.readMask &= ~(1u << static_cast<int>(TParameter::RelayTime));
  back.blackListRowsRead = 9;
  EXPECT_EQ(ReadBackDifferences(w, back),
            (std::vector<std::string>{"relayTime: written 3, not read back", "blackList[9]: written FFFFFFFF, not read back"}));
}

// The clock planned as "today" takes the day of the write; a plan saves it so, a report as read.
TEST(Clock, TodayIsTheDayOfTheWriteAndWhatAPlanSaves) {
  const TWriteValues w = WriteValuesFromJson(R"({"mode":1,"currentDate":"today","endDate":"2030-01-01",)" REST_OF_MODE2 "}");
  EXPECT_EQ(OnDay(w, {2026, 12, 9}).currentDate, (TCalendarDate{2026, 12, 9}));
  EXPECT_EQ(ParametersToJson(5, ReadOfMode3(), TClockAs::Today)["currentDate"].toString(), "today");
  EXPECT_THROW(WriteValuesFromJson(R"({"mode":1,"currentDate":"today","endDate":"today",)" REST_OF_MODE2 "}"), TFileError);
}

struct ClockRow {
  const char* name;
  bool today;
  TCalendarDate planned;  // unless today
  TCalendarDate found;
  std::optional<std::string> note;
};
void PrintTo(const ClockRow& row, std::ostream* os) { *os << row.name; }

class ClockDifference : public ::testing::TestWithParam<ClockRow> {};

TEST_P(ClockDifference, SaysHowTheClockStandsOrIsSetBack) {
  TWriteValues w = WriteValuesFromJson(Text(ParametersToJson(5, ReadOfMode3(), TClockAs::Read)));
  w.clockToday = GetParam().today;
  w.currentDate = GetParam().planned;
  TReaderParameters back = ReadOfMode3();
  back.currentDate = GetParam().found;
  const auto differences = ReadBackMismatches(w, back);
  ASSERT_EQ(differences.size(), 1u);
  EXPECT_EQ(ClockNote(differences[0]), GetParam().note);
}

TCalendarDate DaysFromToday(qint64 days) {
  const QDate date = QDate::currentDate().addDays(days);
  return {date.year(), date.month(), date.day()};
}

INSTANTIATE_TEST_SUITE_P(
    Clock, ClockDifference,
    ::testing::Values(ClockRow{"TodayBehind", true, {}, DaysFromToday(-8), "clock 8 days behind"},
                      ClockRow{"TodayAhead", true, {}, DaysFromToday(1), "clock 1 day ahead"},
                      ClockRow{"DateSetsBackOverALeapDay", false, {2024, 2, 28}, {2024, 3, 1}, "sets the clock back 2 days"},
                      ClockRow{"DateSetsBackAcrossTheYear", false, {2025, 12, 31}, {2026, 1, 30}, "sets the clock back 30 days"},
                      ClockRow{"DateSetsForward", false, {2026, 1, 30}, {2025, 12, 31}, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
