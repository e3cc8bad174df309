// The command line of parvex-cli: what each command takes, what it refuses and why, and that
// its help documents every option it takes.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "CliHelp.h"
#include "CliOptions.h"

namespace {

using Args = std::vector<std::string>;

struct UsageCase {
  Args args;
  std::string named;  // the part of the message that must name the culprit
};

// "read_address_255" for {"read", "--address", "255"}: a case's name is its command line.
std::string CommandLineName(const ::testing::TestParamInfo<UsageCase>& info) {
  std::string name;
  for (const std::string& arg : info.param.args)
    for (const char c : arg + " ") {
      if (std::isalnum(static_cast<unsigned char>(c))) name += c;
      else if (!name.empty() && name.back() != '_') name += '_';
    }
  if (!name.empty()) name.pop_back();
  return name.empty() ? "nothing" : name;
}

void PrintTo(const UsageCase& c, std::ostream* out) {
  *out << "parvex-cli";
  for (const std::string& arg : c.args) *out << ' ' << arg;
}

class RefusedCommandLine : public ::testing::TestWithParam<UsageCase> {};

TEST_P(RefusedCommandLine, NamesWhatIsWrong) {
  try {
    ParseCliOptions(GetParam().args);
    FAIL() << "accepted";
  } catch (const EUsageError& e) {
    EXPECT_NE(std::string(e.what()).find(GetParam().named), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedCommandLine,
    ::testing::Values(UsageCase{{}, "no command"}, UsageCase{{"erase"}, "erase"},
                      UsageCase{{"read", "--address", "5", "--colour"}, "--colour"},
                      UsageCase{{"read"}, "--address"},
                      UsageCase{{"read", "--address", "255"}, "--address"},  // the broadcast address
                      UsageCase{{"read", "--address", "5x"}, "5x"},
                      UsageCase{{"read", "--address"}, "needs a value"},
                      UsageCase{{"search", "--baud", "0"}, "--baud"},
                      UsageCase{{"search", "--json"}, "not an option of search"},
                      UsageCase{{"ports", "--port", "ttyS0"}, "not an option of ports"},
                      UsageCase{{"read", "--json=yes", "--address", "1"}, "takes no value"},
                      UsageCase{{"write", "--address", "1"}, "FILE.json"},
                      UsageCase{{"write", "p.json"}, "--all"},
                      UsageCase{{"write", "--all", "--address", "1", "p.json"}, "exactly one"},
                      UsageCase{{"write", "--all", "--dry-run", "p.json"}, "--dry-run"},
                      UsageCase{{"write", "--address", "1", "a.json", "b.json"}, "b.json"},
                      UsageCase{{"keys", "--address", "1"}, "--mode"},
                      UsageCase{{"keys", "--address", "1", "--mode", "Лифт"}, "Лифт"},
                      UsageCase{{"keys", "--address", "1", "--mode", "1"}, "--key-a"},
                      UsageCase{{"keys", "--address", "1", "--mode", "3", "--key-a", "112233445566"}, "--key-a"},
                      UsageCase{{"keys", "--address", "1", "--mode", "4", "--key-b", "112233445566"}, "--key-b"},
                      UsageCase{{"keys", "--address", "1", "--mode", "2", "--key-a", "11223344556"}, "--key-a"},
                      UsageCase{{"keys", "--address", "1", "--mode", "2", "--key-a", "11223344556G"}, "--key-a"},
                      UsageCase{{"keys", "--address", "1", "--mode", "4", "--init-key", "112233445566",
                                 "--type", "C"},
                                "--type"}),
    CommandLineName);

TEST(CommandLine, OptionsMayStandBeforeOrAfterTheCommandInEitherForm) {
  const TCliOptions o = ParseCliOptions({"--port=/dev/ttyUSB1", "write", "--baud", "19200", "params.json",
                                         "--address=7", "--trace"});
  EXPECT_EQ(o.command, TCliCommand::Write);
  EXPECT_EQ(o.port, "/dev/ttyUSB1");
  EXPECT_EQ(o.baud, 19200u);
  EXPECT_EQ(o.address, 7);
  EXPECT_EQ(o.file, "params.json");
  EXPECT_TRUE(o.trace);
  EXPECT_FALSE(o.all);
}

TEST(CommandLine, KeysTakeModeByNameAndKeysWithSeparatorsInAnyCase) {
  const TCliOptions o = ParseCliOptions(
      {"keys", "--address", "3", "--mode", "Инициализация", "--init-key", "a1:b2:c3 d4-e5f6", "--type", "B"});
  EXPECT_EQ(o.keys.mode, 4);
  EXPECT_EQ(o.keys.initKey, "A1B2C3D4E5F6");
  EXPECT_EQ(o.keys.keyType, "B");
  // A mode without a key passes the parser: the refusal is the window's, at run time.
  EXPECT_EQ(ParseCliOptions({"keys", "--address", "3", "--mode", "0"}).keys.mode, 0);
}

TEST(CommandLine, HelpNeedsNothingElse) {
  EXPECT_TRUE(ParseCliOptions({"--help"}).help);
  const TCliOptions o = ParseCliOptions({"write", "--help"});
  EXPECT_TRUE(o.help);
  EXPECT_EQ(o.command, TCliCommand::Write);
}

struct HelpCase {
  TCliCommand command;
  std::vector<std::string> options;
};

void PrintTo(const HelpCase& c, std::ostream* out) {
  *out << "parvex-cli " << (c.command == TCliCommand::None ? "" : CommandName(c.command) + " ") << "--help";
}

class CommandHelp : public ::testing::TestWithParam<HelpCase> {};

TEST_P(CommandHelp, DocumentsEveryOptionTheCommandTakes) {
  const std::string help = HelpText(GetParam().command);
  for (const std::string& option : GetParam().options) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
    // and the parser takes it for this command
    Args args{CommandName(GetParam().command), option};
    if (option != "--help") {
      try {
        ParseCliOptions(args);
      } catch (const EUsageError& e) {
        EXPECT_EQ(std::string(e.what()).find("not an option"), std::string::npos) << e.what();
      }
    }
  }
}

// What a help lists as its options, read as the man page and completion checks read it: a
// line that starts with "  --name" or "  -h, --name".
std::set<std::string> ListedOptions(TCliCommand command) {
  std::set<std::string> options;
  std::istringstream help(HelpText(command));
  for (std::string line; std::getline(help, line);) {
    const std::size_t start = line.rfind("  -h, ", 0) == 0 ? 6 : 2;
    if (line.compare(0, 2, "  ") != 0 || line.compare(start, 2, "--") != 0) continue;
    options.insert(line.substr(start, line.find(' ', start) - start));
  }
  return options;
}

// An option that a command takes but its help does not list would be missing from the man
// page's check and from the completion; one listed but refused would mislead. (Without a
// command every option passes to the program's help or its "no command given".)
TEST(CommandOptions, EachCommandsHelpListsExactlyTheOptionsItTakes) {
  const TCliCommand commands[] = {TCliCommand::Ports, TCliCommand::Search, TCliCommand::Read, TCliCommand::Write,
                                  TCliCommand::Keys};
  std::set<std::string> every = ListedOptions(TCliCommand::None);
  for (const TCliCommand command : commands) every.merge(ListedOptions(command));
  for (const TCliCommand command : commands) {
    const std::set<std::string> listed = ListedOptions(command);
    for (const std::string& option : every) {
      bool taken = true;
      try {
        ParseCliOptions({CommandName(command), option, "1"});  // a value if it takes one
      } catch (const EUsageError& e) {
        taken = std::string(e.what()).find("not an option") == std::string::npos;
      }
      EXPECT_EQ(taken, listed.count(option) == 1) << CommandName(command) << " " << option;
    }
  }
}

const std::vector<std::string> kLine{"--port", "--baud", "--trace", "Exit status"};

std::vector<std::string> With(std::vector<std::string> own) {
  own.insert(own.end(), kLine.begin(), kLine.end());
  return own;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandHelp,
    ::testing::Values(HelpCase{TCliCommand::Ports, {"/dev/serial/by-id", "permission", "another program", "--watch"}},
                      HelpCase{TCliCommand::Search, With({})},
                      HelpCase{TCliCommand::Read, With({"--address", "--json"})},
                      HelpCase{TCliCommand::Write, With({"--address", "--all", "--dry-run", "mode", "cardType",
                                                         "rechargeUnits", "currentDate", "endDate", "sector",
                                                         "abonementTimeout", "relayTime", "blackList"})},
                      HelpCase{TCliCommand::Keys, With({"--address", "--mode", "--key-a", "--key-b", "--init-key",
                                                        "--type"})},
                      HelpCase{TCliCommand::None, With({"ports", "search", "read", "write", "keys", "--version"})}),
    [](const ::testing::TestParamInfo<HelpCase>& info) {
      const std::string name = CommandName(info.param.command);
      return name.empty() ? std::string("program") : name;
    });

}  // namespace
