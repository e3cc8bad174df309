#include "SettingsValues.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// Every text of every table reads back as its own value, in any letter case.
template <typename Enum>
void ExpectTableRoundTrips() {
  const auto& texts = TEnumTexts<Enum>::texts;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const auto value = static_cast<Enum>(i);
    EXPECT_EQ(EnumText(value), texts[i]);
    EXPECT_EQ(EnumFromText<Enum>(EnumText(value)), value) << texts[i];
    EXPECT_EQ(EnumFromText<Enum>(EnumText(value).toLower()), value) << texts[i];
    EXPECT_EQ(EnumFromText<Enum>(EnumText(value).toUpper()), value) << texts[i];
  }
}

TEST(EnumTexts, EveryTableReadsBothWays) {
  ExpectTableRoundTrips<TBaudRate>();
  ExpectTableRoundTrips<TStopBits>();
  ExpectTableRoundTrips<TDataBits>();
  ExpectTableRoundTrips<TParityBits>();
  ExpectTableRoundTrips<TFlowControl>();
  ExpectTableRoundTrips<TDTRFlowControl>();
  ExpectTableRoundTrips<TRTSFlowControl>();
}

TEST(EnumTexts, UnknownTextsFallBack) {
  EXPECT_EQ(EnumFromText<TBaudRate>("19201"), br9600);
  EXPECT_EQ(EnumFromText<TBaudRate>(""), br9600);
  EXPECT_EQ(EnumFromText<TBaudRate>("custom"), brCustom);
  EXPECT_EQ(EnumFromText<TStopBits>("1,5"), sbOneStopBit);
  EXPECT_EQ(EnumFromText<TDataBits>("9"), dbEight);
  EXPECT_EQ(EnumFromText<TParityBits>("even"), prEven);
  EXPECT_EQ(EnumFromText<TParityBits>("Evens"), prNone);
  EXPECT_EQ(EnumFromText<TFlowControl>("RTS/CTS"), fcCustom);
  EXPECT_EQ(EnumFromText<TDTRFlowControl>("On"), dtrDisable);
  EXPECT_EQ(EnumFromText<TRTSFlowControl>("toggle"), rtsToggle);
  EXPECT_EQ(EnumFromText<TRTSFlowControl>("Toggled"), rtsDisable);
}

TEST(BoolTexts, OnlyYesIsTrue) {
  EXPECT_EQ(BoolText(true), "Yes");
  EXPECT_EQ(BoolText(false), "No");
  EXPECT_TRUE(BoolFromText("yes"));
  EXPECT_TRUE(BoolFromText("YES"));
  for (const char* t : {"True", "1", "Y", "yess", "", "No"}) EXPECT_FALSE(BoolFromText(t)) << t;
}

struct CharRow {
  const char* text;
  int code;
};
void PrintTo(const CharRow& row, std::ostream* os) { *os << '"' << row.text << '"'; }
class CharTexts : public ::testing::TestWithParam<CharRow> {};
TEST_P(CharTexts, Read) { EXPECT_EQ(CharFromText(GetParam().text), GetParam().code) << GetParam().text; }
INSTANTIATE_TEST_SUITE_P(Forms, CharTexts,
                         ::testing::Values(CharRow{"#13", 13}, CharRow{"A", 65}, CharRow{"#", 35},
                                           CharRow{"#x", 0}, CharRow{"", 0}, CharRow{"#300", 44},
                                           CharRow{"#$11", 17}, CharRow{"#-1", 255},
                                           CharRow{"#99999999999", 0}, CharRow{"AB", 65},
                                           CharRow{"\xC3\xA9", 0xC3}));

TEST(CharTexts, WriteAndReadBackEveryCode) {
  EXPECT_EQ(CharText(0), "#0");
  EXPECT_EQ(CharText(17), "#17");
  EXPECT_EQ(CharText(32), "#32");
  EXPECT_EQ(CharText(33), "!");
  EXPECT_EQ(CharText(127), "\x7F");
  EXPECT_EQ(CharText(200), "#200");
  for (int code = 0; code < 256; ++code)
    EXPECT_EQ(CharFromText(CharText(static_cast<std::uint8_t>(code))), code) << code;
}

struct IntRow {
  const char* text;
  std::optional<std::int32_t> value;
};
void PrintTo(const IntRow& row, std::ostream* os) { *os << '"' << row.text << '"'; }
class IntTexts : public ::testing::TestWithParam<IntRow> {};
TEST_P(IntTexts, Read) { EXPECT_EQ(IntFromText(GetParam().text), GetParam().value) << GetParam().text; }
INSTANTIATE_TEST_SUITE_P(
    Forms, IntTexts,
    ::testing::Values(IntRow{"0", 0}, IntRow{"-1", -1}, IntRow{"+42", 42}, IntRow{"  7", 7},
                      IntRow{"$1F", 31}, IntRow{"x10", 16}, IntRow{"X10", 16}, IntRow{"0x1f", 31},
                      IntRow{"0X1F", 31}, IntRow{"-$10", -16}, IntRow{"$FFFFFFFF", -1},
                      IntRow{"2147483647", INT_MAX}, IntRow{"-2147483648", INT_MIN},
                      // Overflow and malformed texts are not integers.
                      IntRow{"2147483648", std::nullopt}, IntRow{"-2147483649", std::nullopt},
                      IntRow{"$100000000", std::nullopt},
                      IntRow{"99999999999999999999999", std::nullopt}, IntRow{"", std::nullopt},
                      IntRow{"-", std::nullopt}, IntRow{"$", std::nullopt}, IntRow{"0x", std::nullopt},
                      IntRow{"12a", std::nullopt}, IntRow{"1 ", std::nullopt}, IntRow{"--1", std::nullopt},
                      IntRow{"$G", std::nullopt}, IntRow{"1.5", std::nullopt}));

TEST(IntTexts, WrittenInDecimal) {
  for (std::int32_t v : {0, -1, 9600, INT_MAX, INT_MIN}) {
    EXPECT_EQ(IntFromText(IntText(v)), v);
  }
  EXPECT_EQ(IntText(-1), "-1");
}

}  // namespace
