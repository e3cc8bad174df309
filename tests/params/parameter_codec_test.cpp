#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ParameterCodec.h"
#include "ReaderMessages.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

template <std::size_t N>
Bytes B(const std::array<std::uint8_t, N>& a) {
  return Bytes(a.begin(), a.end());
}

TEST(HexText, UpperCaseFirstByteFirst) {
  EXPECT_EQ(HexText(Bytes{0x00, 0x00, 0x01, 0x2A}), "0000012A");
  EXPECT_EQ(HexText(Bytes{0xAB, 0xCD, 0xEF, 0x01}), "ABCDEF01");
  EXPECT_EQ(HexText(Bytes{}), "");
}

struct NormalizeRow {
  const char* text;
  std::size_t length;
  const char* expected;
};

void PrintTo(const NormalizeRow& r, std::ostream* os) { *os << '"' << r.text << "\" " << r.length; }

class Normalize : public ::testing::TestWithParam<NormalizeRow> {};

TEST_P(Normalize, GivesHexDigitsPaddedOnTheRight) {
  EXPECT_EQ(NormalizeHexText(GetParam().text, GetParam().length), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Normalize,
    ::testing::Values(NormalizeRow{"ab", 8, "AB000000"}, NormalizeRow{"C1G", 8, "C1000000"},
                      NormalizeRow{"A5", 8, "A5000000"},  // typed text stays in front
                      NormalizeRow{"123456789", 8, "123456789"},  // never cut
                      NormalizeRow{"", 8, "00000000"}, NormalizeRow{"a1b2c3", 12, "A1B2C3000000"},
                      NormalizeRow{"A_B_____", 8, "A0B00000"},      // placeholders in a gap
                      NormalizeRow{"x y-z!", 6, "000000"},
                      // Cyrillic look-alikes of A and B: one '0' per letter, not per byte.
                      NormalizeRow{"\xD0\x90\xD0\x92", 3, "000"},
                      NormalizeRow{"F\xF0\x9F\x94\x91" "f", 3, "F0F"}));

struct DateRow {
  Bytes wire;
  std::optional<TCalendarDate> date;
};

void PrintTo(const DateRow& r, std::ostream* os) { *os << HexText(r.wire); }

class WireDates : public ::testing::TestWithParam<DateRow> {};

TEST_P(WireDates, DecodeOnlyRealCalendarDates) {
  EXPECT_EQ(DecodeDate(GetParam().wire), GetParam().date);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WireDates,
    ::testing::Values(DateRow{{0x1F, 0x0C, 0x09}, TCalendarDate{2009, 12, 31}},
                      DateRow{{0x1D, 0x02, 0x0C}, TCalendarDate{2012, 2, 29}},
                      DateRow{{0x1D, 0x02, 0x00}, TCalendarDate{2000, 2, 29}},  // 400-year rule
                      DateRow{{0x1F, 0x0C, 0xFF}, TCalendarDate{2255, 12, 31}},
                      DateRow{{0x1D, 0x02, 0x0D}, std::nullopt},  // 2013 is no leap year
                      DateRow{{0x1D, 0x02, 0x64}, std::nullopt},  // nor is 2100
                      DateRow{{0x00, 0x01, 0x0A}, std::nullopt},  // day 0
                      DateRow{{0x31, 0x12, 0x09}, std::nullopt},  // BCD-looking: day 49
                      DateRow{{0x1F, 0x04, 0x0A}, std::nullopt},  // 31 April
                      DateRow{{0x01, 0x0D, 0x0A}, std::nullopt},  // month 13
                      DateRow{{0x01, 0x00, 0x0A}, std::nullopt}));

TEST(WireDates, EncodeIsTheInverseWithinTheWireYears) {
  EXPECT_EQ(B(EncodeDate({2009, 12, 31})), (Bytes{0x1F, 0x0C, 0x09}));
  EXPECT_EQ(B(EncodeDate({2000, 1, 1})), (Bytes{0x01, 0x01, 0x00}));
  EXPECT_EQ(B(EncodeDate({2255, 12, 31})), (Bytes{0x1F, 0x0C, 0xFF}));
  const TCalendarDate leap{2012, 2, 29};
  EXPECT_EQ(DecodeDate(EncodeDate(leap)), leap);
}

TEST(WireDates, OnlyYearsTheByteCanCarryFit) {
  EXPECT_FALSE(FitsWire(kZeroDate));
  EXPECT_FALSE(FitsWire({1999, 12, 31}));
  EXPECT_TRUE(FitsWire({2000, 1, 1}));
  EXPECT_TRUE(FitsWire({2255, 12, 31}));
  EXPECT_FALSE(FitsWire({2256, 1, 1}));
  EXPECT_FALSE(FitsWire({2010, 2, 30}));
}

struct EntryRow {
  const char* cell;
  Bytes bytes;
};

void PrintTo(const EntryRow& r, std::ostream* os) { *os << '"' << r.cell << '"'; }

class BlackListEntry : public ::testing::TestWithParam<EntryRow> {};

TEST_P(BlackListEntry, ReadsHexPairsFromTheLeft) {
  EXPECT_EQ(B(EntryBytes(GetParam().cell)), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BlackListEntry,
    ::testing::Values(EntryRow{"0012AB9F", {0x00, 0x12, 0xAB, 0x9F}},
                      EntryRow{"0a0b0c0d", {0x0A, 0x0B, 0x0C, 0x0D}},
                      EntryRow{"", {0, 0, 0, 0}},
                      EntryRow{"12G456", {0x12, 0, 0, 0}},  // stops at the first bad pair
                      EntryRow{"123", {0x12, 0, 0, 0}},     // a lone digit is no pair
                      EntryRow{"123456789A", {0x12, 0x34, 0x56, 0x78}},
                      EntryRow{"AB CD", {0xAB, 0, 0, 0}}));

TEST(KeyData, SixBytesInFieldOrderThenTheSelector) {
  EXPECT_EQ(B(KeyData("A1B2C3D4E5F6", kKeySelectorA)),
            (Bytes{0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6, 0xAA}));
  EXPECT_EQ(B(KeyData("", kKeySelectorB)), (Bytes{0, 0, 0, 0, 0, 0, 0xBB}));
  EXPECT_EQ(B(KeyData("A1B2", kKeySelectorA)), (Bytes{0xA1, 0xB2, 0, 0, 0, 0, 0xAA}));
  EXPECT_EQ(B(KeyData("g1b2", kKeySelectorA)), (Bytes{0x01, 0xB2, 0, 0, 0, 0, 0xAA}));
}

}  // namespace
