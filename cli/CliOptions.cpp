#include "CliOptions.h"

#include "CliRules.h"
#include "CliText.h"

#include <utility>

namespace {

// An option as typed, kept until the command is known: options may stand before it.
struct TGivenOption {
  const TOptionRule* rule;
  std::string name;
  std::string value;
};

// Reads one option at args[i], and its value from the next argument when it takes one and
// has no "=VALUE"; i is left on the last argument read.
TGivenOption ReadOption(const std::vector<std::string>& args, std::size_t& i) {
  const std::string& arg = args[i];
  const auto eq = arg.find('=');
  const std::string name = arg.substr(0, eq);
  const TOptionRule* rule = FindOption(name);
  if (!rule) Fail(name, "unknown option (see --help)");
  std::string value;
  if (rule->TakesValue()) {
    if (eq != std::string::npos) value = arg.substr(eq + 1);
    else if (i + 1 < args.size()) value = args[++i];
    else Fail(name, "needs a value");
  } else if (eq != std::string::npos) {
    Fail(name, "takes no value");
  }
  return {rule, name, value};
}

}  // namespace

std::string CommandName(TCliCommand command) { return std::string(CommandRule(command).name); }

TCliOptions ParseCliOptions(const std::vector<std::string>& args) {
  std::vector<TGivenOption> given;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i].size() < 2 || args[i][0] != '-') positional.push_back(args[i]);
    else given.push_back(ReadOption(args, i));
  }

  TCliOptions options;
  const TCommandRule* command = &CommandRule(TCliCommand::None);
  if (!positional.empty()) {
    command = FindCommand(positional.front());
    if (!command) Fail(positional.front(), "unknown command (" + CommandNames() + ")");
    options.command = command->command;
    positional.erase(positional.begin());
  }
  // Without a command any option passes: the program's help, or "no command given".
  for (const TGivenOption& g : given) {
    if (options.command != TCliCommand::None && !Takes(*command, g.rule->name))
      Fail(g.name, "is not an option of " + std::string(command->name));
    g.rule->set(options, g.name, g.value);
  }
  if (options.help || options.version) return options;
  if (command->takesFile && !positional.empty()) {
    options.file = positional.front();
    positional.erase(positional.begin());
  }
  if (command->takesOperands) options.operands = std::exchange(positional, {});
  if (!positional.empty()) Fail(positional.front(), "unexpected argument");
  if (options.command != TCliCommand::Site && options.bauds.size() > 1) Fail("--baud", "takes one rate here");
  if (command->checkComplete) command->checkComplete(options);
  return options;
}
