// Every command of parvex-cli: its usage, the text of its help, the options it takes and what
// it cannot do without.
#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "CliRules.h"
#include "CliText.h"
#include "KeyOptions.h"
#include "ParameterJson.h"
#include "ParameterTable.h"
#include "SiteCommand.h"

namespace {

std::string Range(TValueRange range) { return std::to_string(range.minimum) + ".." + std::to_string(range.maximum); }

std::string ModesText(const TModeRule& rule) {
  switch (rule.Kind()) {
    case TModeRule::TKind::OnlyIn: return " (mode " + std::to_string(rule.Mode()) + ")";
    case TModeRule::TKind::AllModesBut: return " (all modes but " + std::to_string(rule.Mode()) + ")";
    case TModeRule::TKind::EveryMode: break;
  }
  return {};
}

std::string ValueText(const TParameterInfo& info) {
  switch (info.kind) {
    case TValueKind::Number: return WithUnit(Range(info.range), info.unit);
    case TValueKind::ListItem: return Range(info.range) + " or its name";
    case TValueKind::Date:
      return (info.parameter == kClock ? "\"today\" (the day of the write) or " : "") + std::string("\"YYYY-MM-DD\", ") +
             Range(info.range);
    case TValueKind::HexRows:
      return std::to_string(kBlackListRows) + " entries of " + std::to_string(kEntryDigits) +
             " hex digits (\"\" writes " + std::string(kEntryDigits, '0') + ")";
    case TValueKind::HexNumber: break;  // not in a write
  }
  return {};
}

// One line per field a write takes, then the fields it ignores.
std::string WriteFieldsHelp() {
  std::string text;
  std::vector<std::string> lists;  // the listed fields
  for (const TParameter parameter : kFileOrder) {
    const TParameterInfo& info = ParameterInfo(parameter);
    if (!info.writeCode) continue;
    char field[32];
    std::snprintf(field, sizeof field, "  %-18.*s", static_cast<int>(info.field.size()), info.field.data());
    text += field + ValueText(info) + ModesText(info.usedIn) + "\n";
    if (info.kind == TValueKind::ListItem) lists.push_back(std::string(info.field));
  }
  const std::string_view example = *NameOfValue(ListOf(TParameter::Mode), mode::Recharge);
  text += Listed(lists, " and ") + " may also be given as read --json prints them:\n  {\"value\": " +
          std::to_string(mode::Recharge) + ", \"name\": \"" + std::string(example) + "\"}\n";
  std::vector<std::string> ignored{std::string(kSchemaField), std::string(kAddressField)};
  for (const TParameterInfo& info : kParameterTable)
    if (!info.writeCode) ignored.push_back(std::string(info.field));
  return text + "Other fields (" + Joined(ignored, ", ") + ") are ignored: no command writes them; a field of\n" +
         "another name is refused.\n";
}

// "1 Турникет, 2 Чтение, ..." for the modes that load a key.
std::string ModesWithKey() {
  std::vector<std::string> modes;
  for (const TValueName& item : ListOf(TParameter::Mode))
    if (ModeHasKey(item.value)) modes.push_back(std::to_string(item.value) + " " + std::string(item.name));
  return Listed(modes, " or ");
}

void NeedsAddress(const TCliOptions& o, std::string_view command) {
  if (!o.address) Fail(command, "needs --address N");
}

std::vector<TCommandRule> MakeCommandRules() {
  return {
      {.command = TCliCommand::None,
       .synopsis = "COMMAND [OPTIONS]",
       .about = "Configures the card readers on a serial line, as the parvex window does.\n",
       .options = {"--version"},
       .onLine = true,
       .checkComplete =
           [](const TCliOptions&) { throw EUsageError("no command given (" + CommandNames() + "; see --help)"); }},
      {.command = TCliCommand::Ports,
       .name = "ports",
       .synopsis = "[--watch]",
       .summary = "list the machine's serial devices",
       .about = "Lists every serial device of the machine, one per line: its device path, its alias under\n"
                "/dev/serial/by-id, for USB adapters the vendor:product ids, maker, product and serial\n"
                "number, and whether it can be opened now (permission denied, held by another program).\n"
                "The probe opens and locks the device as a session would, without changing its settings,\n"
                "and lets go at once.\n"
                "With --watch it goes on: \"arrived\" and the adapter's line for each one plugged in,\n"
                "\"left\" and its line for each one pulled, as the kernel tells them, until Ctrl+C\n"
                "(exit status 0).\n",
       .options = {"--watch"}},
      {.command = TCliCommand::Search,
       .name = "search",
       .summary = "find the readers on the line",
       .about = "Broadcasts the serial number request and prints each reader that answered, in the order\n"
                "of the answers: \"address / serial\". Waits 3.2 s per broadcast, up to three broadcasts\n"
                "when nobody answers.\n",
       .onLine = true},
      {.command = TCliCommand::Read,
       .name = "read",
       .synopsis = "--address N [--json]",
       .summary = "read every parameter of one reader",
       .about = "Reads every parameter of the reader at address N (0..254) and prints them as a table, or\n"
                "with --json as one JSON object (the form that write takes). Parameters that could not be\n"
                "read are null in JSON. The error lines of the read go to standard error.\n",
       .options = {"--address", "--json"},
       .onLine = true,
       .checkComplete = [](const TCliOptions& o) { NeedsAddress(o, "read"); }},
      {.command = TCliCommand::Write,
       .name = "write",
       .synopsis = "(--address N | --all) [--dry-run] FILE.json",
       .summary = "write parameters, read them back and compare",
       .about = "Reads the reader, writes those parameters in FILE.json that differ from what it holds,\n"
                "then reads it back and reports every field that differs. The file is the JSON that\n"
                "read --json prints, or any part of it: a field left out is left as the reader holds it,\n"
                "and a file that names its mode plans only the fields that mode uses. A field that the\n"
                "reader's mode does not use, in a file that leaves the mode out, refuses that reader:\n" +
                WriteFieldsHelp() +
                "A bad file is refused before anything is sent. FILE - reads the parameters from standard\n"
                "input, so that parvex-cli read --json ... | parvex-cli write --address N - copies a reader.\n",
       .options = {"--address", "--all", "--dry-run"},
       .onLine = true,
       .takesFile = true,
       .checkComplete =
           [](const TCliOptions& o) {
             if (o.file.empty()) Fail("write", "needs the parameters file FILE.json");
             if (o.address.has_value() == o.all) Fail("write", "needs exactly one of --address N and --all");
             if (o.dryRun && o.all)
               Fail("--dry-run", "needs --address: the readers of --all are known only after a search");
           }},
      {.command = TCliCommand::Keys,
       .name = "keys",
       .synopsis = "--address N --mode M KEY OPTIONS",
       .summary = "change a card key of one reader",
       .about = "Puts the reader into mode M and then loads the key that mode uses, as the key dialog of\n"
                "the window does. M by number or name: " +
                ModesWithKey() + ".\nKeys are " + std::to_string(kKeyDigits) +
                " hex digits (blanks, colons or dashes between them are allowed).\n",
       .options = {"--address", "--mode", "--key-a", "--key-b", "--init-key", "--type"},
       .onLine = true,
       .checkComplete =
           [](const TCliOptions& o) {
             NeedsAddress(o, "keys");
             if (o.keys.mode < 0) Fail("keys", "needs --mode M");
             CheckKeysForMode(o.keys);
           }},
      {.command = TCliCommand::Site,
       .name = "site",
       .synopsis = "survey|apply|snapshot|history|diff|discover SITE.json [OUT.json | B.json]",
       .summary = "every line and reader of a site at once",
       .about = SiteAbout(),
       .options = {"--json", "--dry-run", "--journal", "--line", "--address", "--since", "--wait-adapter", "--port",
                   "--baud"},
       .takesOperands = true,
       .checkComplete = CheckSiteRequest},
  };
}

bool Lists(const auto& names, std::string_view name) {
  return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

}  // namespace

const std::vector<TCommandRule>& CommandRules() {
  static const std::vector<TCommandRule> rules = MakeCommandRules();
  return rules;
}

const TCommandRule& CommandRule(TCliCommand command) {
  for (const TCommandRule& rule : CommandRules())
    if (rule.command == command) return rule;
  throw std::logic_error("a command without its rule");
}

const TCommandRule* FindCommand(std::string_view name) {
  for (const TCommandRule& rule : CommandRules())
    if (!rule.name.empty() && rule.name == name) return &rule;
  return nullptr;
}

std::string CommandNames() {
  std::vector<std::string> names;
  for (const TCommandRule& rule : CommandRules())
    if (!rule.name.empty()) names.emplace_back(rule.name);
  return Joined(names, ", ");
}

bool Takes(const TCommandRule& command, std::string_view option) {
  return Lists(command.options, option) || Lists(kCommonOptions, option) ||
         (command.onLine && Lists(kLineOptions, option));
}
