#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "CliOptions.h"

// The grammar of parvex-cli: one row per option and one per command. The parser and the help
// both read these rows, so an option is documented where it is defined and a command lists
// what it takes once. A new command is a value of TCliCommand, its row in CommandRules() and
// the rows of its new options in OptionRules().

// Stores an option's value in the options; throws EUsageError naming the option for a bad one.
using TOptionSetter = std::function<void(TCliOptions&, std::string_view option, std::string_view value)>;

struct TOptionRule {
  std::string_view name;           // "--address"
  std::string_view shortName = {};  // "-h"; empty for most
  std::string placeholder = {};     // the value in the help ("N"); empty for an option without a value
  std::string description = {};     // a line break in it starts a new paragraph of the help
  TOptionSetter set = {};

  bool TakesValue() const { return !placeholder.empty(); }
};

// Refuses a command line that lacks what its command cannot do without.
using TCompletenessCheck = std::function<void(const TCliOptions&)>;

struct TCommandRule {
  TCliCommand command;
  std::string_view name = {};             // empty for the program itself
  std::string synopsis = {};              // what follows "parvex-cli" in its usage line
  std::string summary = {};               // its line in the program's list of commands
  std::string about = {};                 // the paragraphs below the usage line
  std::vector<std::string_view> options = {};  // its own options, in the order of its help
  bool onLine = false;                    // takes the line options
  bool takesFile = false;                 // takes one argument, the file it works on
  bool takesOperands = false;             // takes every argument: an action and its files
  TCompletenessCheck checkComplete = {};  // empty for a command that needs nothing
};

// The options that choose and watch the line, for every command that opens it.
inline constexpr std::string_view kLineOptions[] = {"--port", "--baud", "--trace"};
// The options of every command and of the program.
inline constexpr std::string_view kCommonOptions[] = {"--help"};

const std::vector<TOptionRule>& OptionRules();
// By its name or its short name; nullptr for an unknown option.
const TOptionRule* FindOption(std::string_view name);

// The program itself first, then the commands in the order of its help.
const std::vector<TCommandRule>& CommandRules();
const TCommandRule& CommandRule(TCliCommand command);
// By the name typed on the command line; nullptr for an unknown command.
const TCommandRule* FindCommand(std::string_view name);

// "ports, search, read, write, keys"
std::string CommandNames();

// Whether the command takes the option (by its long name).
bool Takes(const TCommandRule& command, std::string_view option);
