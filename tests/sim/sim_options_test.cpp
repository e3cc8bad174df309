// The reader-sim command line and the demo line it falls back to.
#include <gtest/gtest.h>

#include "CodeTables.h"
#include "DemoLine.h"
#include "SimOptions.h"

using namespace std::chrono_literals;

namespace {

sim::SimOptions Parse(std::vector<std::string> args) { return sim::ParseOptions(args); }

TEST(SimOptionsTest, WithoutReadersTheDemoLinePlays) {
  const auto options = Parse({});
  ASSERT_EQ(options.readers.size(), 3u);
  EXPECT_EQ(options.readers[0].address, 1);
  EXPECT_EQ(options.readers[1].address, 2);
  EXPECT_EQ(options.readers[2].address, 3);
  EXPECT_NE(options.readers[0].state.serial, options.readers[1].state.serial);
  EXPECT_NE(options.readers[1].state.serial, options.readers[2].state.serial);
  EXPECT_NE(options.readers[0].state.mode, options.readers[1].state.mode);
  EXPECT_EQ(options.line.baud, 9600u);
  EXPECT_FALSE(options.trace);
  EXPECT_FALSE(options.link);
}

TEST(SimOptionsTest, DemoReaderOneHoldsTheValuesTheProgrammerIsCheckedAgainst) {
  const auto demo = sim::DemoReaders();
  const sim::ReaderState& s = demo.at(0).state;
  EXPECT_EQ(s.cashDesk, (sim::Entry{0x00, 0x00, 0x01, 0x2A}));
  EXPECT_EQ(s.currentDate, (sim::WireDate{31, 12, 9}));
  EXPECT_EQ(s.endDate, (sim::WireDate{29, 2, 12}));
  EXPECT_NE(s.blackList[0], sim::Entry{});
  for (const auto& reader : demo) {
    EXPECT_TRUE(sim::IsCalendarDate(reader.state.currentDate));
    EXPECT_TRUE(sim::IsCalendarDate(reader.state.endDate));
    EXPECT_GE(reader.state.sector, 1);
    EXPECT_LE(reader.state.sector, 15);
  }
}

TEST(SimOptionsTest, FaultsApplyToTheReaderGivenLast) {
  const auto o = Parse({"--reader", "5:007F", "--silent", "--reader", "0x10", "--delay", "150", "--bad-crc",
                        "--bad-length", "--status", "7E=17", "--status", "9a=23", "--noise", "OK\\r\\n\\x01",
                        "--baud", "19200", "--echo", "--turnaround", "0", "--trace", "--link", "/tmp/x"});
  ASSERT_EQ(o.readers.size(), 2u);
  EXPECT_EQ(o.readers[0].address, 5);
  EXPECT_EQ(o.readers[0].state.serial, (std::array<std::uint8_t, 2>{0x00, 0x7F}));
  EXPECT_TRUE(o.readers[0].faults.silent);
  EXPECT_FALSE(o.readers[0].faults.wrongCrc);
  const auto& f = o.readers[1].faults;
  EXPECT_EQ(o.readers[1].address, 16);
  EXPECT_EQ(o.readers[1].state.serial, (std::array<std::uint8_t, 2>{0x00, 16}));
  EXPECT_FALSE(f.silent);
  EXPECT_EQ(f.delay, sim::Nanos(150ms));
  EXPECT_TRUE(f.wrongCrc);
  EXPECT_TRUE(f.wrongLength);
  EXPECT_EQ(f.statusFor, (std::map<std::uint8_t, std::uint8_t>{{0x7E, 0x17}, {0x9A, 0x23}}));
  EXPECT_EQ(f.noise, std::string("OK\r\n\x01"));
  EXPECT_EQ(o.line.baud, 19200u);
  EXPECT_TRUE(o.line.echo);
  EXPECT_EQ(o.line.turnaround, sim::Nanos(0));
  EXPECT_TRUE(o.trace);
  EXPECT_EQ(o.link, "/tmp/x");
}

TEST(SimOptionsTest, DemoCanBeCombinedWithFurtherReaders) {
  const auto o = Parse({"--demo", "--silent", "--reader", "7"});
  ASSERT_EQ(o.readers.size(), 4u);
  EXPECT_TRUE(o.readers[2].faults.silent);
  EXPECT_EQ(o.readers[3].address, 7);
}

class BadOptionTest : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(BadOptionTest, IsRefusedWithAMessage) {
  EXPECT_THROW(Parse(GetParam()), std::invalid_argument);
}

INSTANTIATE_TEST_SUITE_P(
    Refused, BadOptionTest,
    ::testing::Values(std::vector<std::string>{"--frobnicate"}, std::vector<std::string>{"--reader"},
                      std::vector<std::string>{"--reader", "255"}, std::vector<std::string>{"--reader", "-1"},
                      std::vector<std::string>{"--reader", "1x"}, std::vector<std::string>{"--reader", "1:12"},
                      std::vector<std::string>{"--reader", "1:12G4"},
                      std::vector<std::string>{"--reader", "1", "--reader", "1"},
                      std::vector<std::string>{"--silent"}, std::vector<std::string>{"--reader", "1", "--delay", "x"},
                      std::vector<std::string>{"--reader", "1", "--status", "7E"},
                      std::vector<std::string>{"--reader", "1", "--status", "7E=100"},
                      std::vector<std::string>{"--reader", "1", "--noise", "\\q"},
                      std::vector<std::string>{"--baud", "0"}, std::vector<std::string>{"--baud", ""}));

TEST(SimOptionsTest, HelpNamesEveryOption) {
  const std::string help = sim::HelpText();
  for (const char* option : {"--baud", "--turnaround", "--echo", "--link", "--trace", "--help", "--demo", "--reader",
                             "--silent", "--delay", "--bad-crc", "--bad-length", "--status", "--noise", "--version"})
    EXPECT_NE(help.find(option), std::string::npos) << option;
  EXPECT_TRUE(Parse({"--help"}).help);
  EXPECT_TRUE(Parse({"--version"}).version);
}

}  // namespace
