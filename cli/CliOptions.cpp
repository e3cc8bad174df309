#include "CliOptions.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <functional>
#include <string_view>
#include <utility>

#include "ParameterJson.h"
#include "ParameterTable.h"
#include "SiteCommand.h"

namespace {

constexpr unsigned Bit(TCliCommand c) { return 1u << static_cast<unsigned>(c); }
constexpr unsigned kLineCommands = Bit(TCliCommand::Search) | Bit(TCliCommand::Read) |
                                   Bit(TCliCommand::Write) | Bit(TCliCommand::Keys);
constexpr unsigned kReaderCommands = Bit(TCliCommand::Read) | Bit(TCliCommand::Write) | Bit(TCliCommand::Keys);
constexpr unsigned kKeys = Bit(TCliCommand::Keys);
constexpr unsigned kAllCommands = ~0u;

struct TCommandName {
  TCliCommand command;
  std::string_view name;
};
constexpr TCommandName kCommands[] = {
    {TCliCommand::Ports, "ports"}, {TCliCommand::Search, "search"}, {TCliCommand::Read, "read"},
    {TCliCommand::Write, "write"}, {TCliCommand::Keys, "keys"}, {TCliCommand::Site, "site"},
};

// What the user typed, in quotes.
std::string Quoted(std::string_view text) { return std::string("'").append(text).append("'"); }

[[noreturn]] void Fail(std::string_view option, std::string_view why) {
  throw TUsageError(std::string(option) + ": " + std::string(why));
}

unsigned long Number(std::string_view option, std::string_view text, unsigned long min, unsigned long max) {
  unsigned long value = 0;
  const auto [end, rc] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || rc != std::errc() || end != text.data() + text.size() || value < min || value > max)
    Fail(option, Quoted(text) + " is not a number from " + std::to_string(min) + " to " +
                     std::to_string(max));
  return value;
}

// What the key options set, and the key of a mode that each belongs to.
struct TKeyOption {
  std::string_view option;
  std::optional<std::string> TKeyOptions::*value;
  TCardKey key;
  bool required;  // by a mode that loads the key; the key type has a default
};
constexpr TKeyOption kKeyOptions[] = {
    {"--key-a", &TKeyOptions::keyA, TCardKey::KeyA, true},
    {"--key-b", &TKeyOptions::keyB, TCardKey::KeyB, true},
    {"--init-key", &TKeyOptions::initKey, TCardKey::InitialisingKey, true},
    {"--type", &TKeyOptions::keyType, TCardKey::InitialisingKey, false},
};

std::string Joined(const std::vector<std::string>& items, std::string_view separator) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : std::string(separator)) + item;
  return text;
}

// "1, 2 or 3" with last = " or "
std::string Listed(std::vector<std::string> items, std::string_view last) {
  if (items.size() < 2) return Joined(items, "");
  const std::string tail = items.back();
  items.pop_back();
  return Joined(items, ", ") + std::string(last) + tail;
}

std::vector<std::string> KeyTypeNames() {
  std::vector<std::string> names;
  for (const TKeyType& type : kKeyTypes) names.emplace_back(type.name);
  return names;
}

// The hex digits of a key; blanks, colons and dashes between them are allowed, as keys are
// often written in groups. The digits come back in upper case.
std::string KeyText(std::string_view option, std::string_view text) {
  const std::string refusal = Quoted(text) + " is not a key of " + std::to_string(kKeyDigits) + " hex digits";
  std::string digits;
  for (const char c : text) {
    if (c == ' ' || c == ':' || c == '-') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) Fail(option, refusal);
    digits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (digits.size() != kKeyDigits) Fail(option, refusal);
  return digits;
}

std::string KeyType(std::string_view option, std::string_view text) {
  for (const TKeyType& type : kKeyTypes)
    if (type.name == text) return std::string(text);
  Fail(option, Quoted(text) + " is not " + Listed(KeyTypeNames(), " or "));
}

// Any byte passes: a mode without a key is the window's refusal, at run time.
int ModeValue(std::string_view option, std::string_view text) {
  if (!text.empty() && std::isdigit(static_cast<unsigned char>(text[0])))
    return static_cast<int>(Number(option, text, 0, 255));
  if (const auto value = ValueOfName(ListOf(TParameter::Mode), text)) return *value;
  Fail(option, "unknown mode '" + std::string(text) + "' (modes: " + ListText(ListOf(TParameter::Mode)) + ")");
}

using TSetter = std::function<void(TCliOptions&, std::string_view option, std::string_view value)>;

struct TOptionRule {
  std::string_view name;
  bool takesValue;
  unsigned commands;  // the commands that accept it
  TSetter set;
};

const std::array<TOptionRule, 16>& OptionRules() {
  static const std::array<TOptionRule, 16> rules{{
      {"--help", false, kAllCommands, [](TCliOptions& o, auto, auto) { o.help = true; }},
      {"--version", false, Bit(TCliCommand::None), [](TCliOptions& o, auto, auto) { o.version = true; }},
      {"--port", true, kLineCommands,
       [](TCliOptions& o, auto option, auto value) {
         if (value.empty()) Fail(option, "needs a port name");
         o.port = std::string(value);
       }},
      {"--baud", true, kLineCommands,
       [](TCliOptions& o, auto option, auto value) {
         o.baud = static_cast<std::uint32_t>(Number(option, value, 1, 4000000));
       }},
      {"--trace", false, kLineCommands, [](TCliOptions& o, auto, auto) { o.trace = true; }},
      {"--address", true, kReaderCommands,
       [](TCliOptions& o, auto option, auto value) {
         o.address = static_cast<std::uint8_t>(Number(option, value, 0, 254));
       }},
      {"--json", false, Bit(TCliCommand::Read) | Bit(TCliCommand::Site), [](TCliOptions& o, auto, auto) { o.json = true; }},
      {"--all", false, Bit(TCliCommand::Write), [](TCliOptions& o, auto, auto) { o.all = true; }},
      {"--dry-run", false, Bit(TCliCommand::Write) | Bit(TCliCommand::Site),
       [](TCliOptions& o, auto, auto) { o.dryRun = true; }},
      {"--journal", true, Bit(TCliCommand::Site),
       [](TCliOptions& o, auto option, auto value) {
         if (value.empty()) Fail(option, "needs a file name");
         o.journal = std::string(value);
       }},
      {"--mode", true, kKeys, [](TCliOptions& o, auto option, auto value) { o.keys.mode = ModeValue(option, value); }},
      {"--key-a", true, kKeys, [](TCliOptions& o, auto option, auto value) { o.keys.keyA = KeyText(option, value); }},
      {"--key-b", true, kKeys, [](TCliOptions& o, auto option, auto value) { o.keys.keyB = KeyText(option, value); }},
      {"--init-key", true, kKeys,
       [](TCliOptions& o, auto option, auto value) { o.keys.initKey = KeyText(option, value); }},
      {"--type", true, kKeys,
       [](TCliOptions& o, auto option, auto value) { o.keys.keyType = KeyType(option, value); }},
      {"-h", false, kAllCommands, [](TCliOptions& o, auto, auto) { o.help = true; }},
  }};
  return rules;
}

const TOptionRule* FindRule(std::string_view name) {
  for (const TOptionRule& rule : OptionRules())
    if (rule.name == name) return &rule;
  return nullptr;
}

// The checks that need the whole line: what each command cannot do without.
void CheckComplete(const TCliOptions& o) {
  switch (o.command) {
    case TCliCommand::None:
      throw TUsageError("no command given (ports, search, read, write, keys, site; see --help)");
    case TCliCommand::Ports:
    case TCliCommand::Search:
    case TCliCommand::Site:  // its operands are the site command's to check
      return;
    case TCliCommand::Read:
      if (!o.address) Fail("read", "needs --address N");
      return;
    case TCliCommand::Write:
      if (o.file.empty()) Fail("write", "needs the parameters file FILE.json");
      if (o.address.has_value() == o.all) Fail("write", "needs exactly one of --address N and --all");
      if (o.dryRun && o.all) Fail("--dry-run", "needs --address: the readers of --all are known only after a search");
      return;
    case TCliCommand::Keys:
      if (!o.address) Fail("keys", "needs --address N");
      if (o.keys.mode < 0) Fail("keys", "needs --mode M");
      return;
  }
}

// A key option that the chosen mode does not use would be silently ignored: refuse it, the
// operator most likely meant another mode.
void CheckKeysForMode(const TKeyOptions& k) {
  const TCardKey key = ModeKey(k.mode);
  for (const TKeyOption& use : kKeyOptions) {
    const bool given = (k.*use.value).has_value();
    const bool used = use.key == key;
    if (key != TCardKey::None && given && !used)
      Fail(use.option, "is not used in mode " + std::to_string(k.mode));
    if (used && !given && use.required)
      Fail("keys", "mode " + std::to_string(k.mode) + " needs " + std::string(use.option));
  }
}

}  // namespace

std::string CommandName(TCliCommand command) {
  for (const TCommandName& c : kCommands)
    if (c.command == command) return std::string(c.name);
  return {};
}

TCliOptions ParseCliOptions(const std::vector<std::string>& args) {
  TCliOptions options;
  // Options are checked against the command once it is known, wherever they stand.
  struct TGiven {
    const TOptionRule* rule;
    std::string name;
    std::string value;
  };
  std::vector<TGiven> given;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg[0] != '-') {
      positional.push_back(arg);
      continue;
    }
    const auto eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    const TOptionRule* rule = FindRule(name);
    if (!rule) Fail(name, "unknown option (see --help)");
    std::string value;
    if (rule->takesValue) {
      if (eq != std::string::npos) value = arg.substr(eq + 1);
      else if (i + 1 < args.size()) value = args[++i];
      else Fail(name, "needs a value");
    } else if (eq != std::string::npos) {
      Fail(name, "takes no value");
    }
    given.push_back({rule, name, value});
  }

  if (!positional.empty()) {
    const auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                 [&](const TCommandName& c) { return c.name == positional.front(); });
    if (it == std::end(kCommands)) Fail(positional.front(), "unknown command (ports, search, read, write, keys, site)");
    options.command = it->command;
    positional.erase(positional.begin());
  }
  for (const TGiven& g : given) {
    if (options.command != TCliCommand::None && !(g.rule->commands & Bit(options.command)))
      Fail(g.name, "is not an option of " + CommandName(options.command));
    g.rule->set(options, g.name, g.value);
  }
  if (options.help || options.version) return options;
  if (options.command == TCliCommand::Write && !positional.empty()) {
    options.file = positional.front();
    positional.erase(positional.begin());
  }
  if (options.command == TCliCommand::Site) options.operands = std::exchange(positional, {});
  if (!positional.empty()) Fail(positional.front(), "unexpected argument");
  CheckComplete(options);
  if (options.command == TCliCommand::Keys) CheckKeysForMode(options.keys);
  return options;
}

namespace {

constexpr std::string_view kLineHelp = R"(
Line options:
  --port NAME   the serial port: a device path (/dev/ttyUSB0), COMn for /dev/ttyS(n-1),
                or a short name (ttyUSB0) under /dev; or a line behind a network gateway,
                rfc2217://HOST:PORT or tcp://HOST:PORT
  --baud N      the line rate in bit/s
                Without them the settings of Parvex.ini in the current folder are used,
                and the defaults (COM1, 9600 8N1) when there is no such file.
  --trace       print every request and response on standard error: time in ms,
                attempt, round-trip time and outcome; and the text lines the line
                carries between frames
)";

constexpr std::string_view kVersionHelp = R"(
  --version     print the version of the program)";

constexpr std::string_view kExitHelp = R"(
  -h, --help    print the help of the program or of a command

Exit status: 0 success, 1 a reader reported errors or a read-back differed,
2 wrong usage or a bad file, 3 the port cannot be opened.
)";

constexpr std::string_view kProgramHelp = R"(Usage: parvex-cli COMMAND [OPTIONS]

Configures the card readers on a serial line, as the parvex window does.

Commands:
  ports                         list the machine's serial devices
  search                        find the readers on the line
  read --address N [--json]     read every parameter of one reader
  write (--address N | --all) FILE.json
                                write parameters, read them back and compare
  keys --address N --mode M ... change a card key of one reader
  site survey|apply|snapshot SITE.json ...
                                every line and reader of a site at once

Run parvex-cli COMMAND --help for the options of a command.
)";

constexpr std::string_view kPortsHelp = R"(Usage: parvex-cli ports

Lists every serial device of the machine, one per line: its device path, its alias under
/dev/serial/by-id, for USB adapters the vendor:product ids, maker, product and serial
number, and whether it can be opened now (permission denied, held by another program).
The probe opens and locks the device as a session would, without changing its settings,
and lets go at once.
)";

constexpr std::string_view kSearchHelp = R"(Usage: parvex-cli search [LINE OPTIONS]

Broadcasts the serial number request and prints each reader that answered, in the order
of the answers: "address / serial". Waits 3.2 s per broadcast, up to three broadcasts
when nobody answers.
)";

constexpr std::string_view kReadHelp = R"(Usage: parvex-cli read --address N [--json] [LINE OPTIONS]

Reads every parameter of the reader at address N (0..254) and prints them as a table, or
with --json as one JSON object (the form that write takes). Parameters that could not be
read are null in JSON. The error lines of the read go to standard error.

  --address N   the reader's address
  --json        print JSON instead of the table
)";

constexpr std::string_view kWriteUsage = R"(Usage: parvex-cli write (--address N | --all) [--dry-run] FILE.json [LINE OPTIONS]

Writes the parameters in FILE.json that the file's mode uses, then reads them back and
reports every field that differs. The file is the JSON that read --json prints:
)";

constexpr std::string_view kWriteOptions = R"(A bad file is refused before anything is sent. FILE - reads the parameters from standard
input, so that parvex-cli read --json ... | parvex-cli write --address N - copies a reader.

  --address N   write to the reader at address N
  --all         search the line and write to every reader found
  --dry-run     print the frames that would be sent and send nothing (with --address)
)";

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
    case TValueKind::Date: return "\"YYYY-MM-DD\", " + Range(info.range);
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
  std::vector<std::string> ignored{std::string(kAddressField)};
  for (const TParameterInfo& info : kParameterTable)
    if (!info.writeCode) ignored.push_back(std::string(info.field));
  return text + "Other fields (" + Joined(ignored, ", ") + ") are ignored: no command writes them.\n";
}

// "1 Турникет, 2 Чтение, ..." for the modes that load a key.
std::string ModesWithKey() {
  std::vector<std::string> modes;
  for (const TValueName& item : ListOf(TParameter::Mode))
    if (ModeHasKey(item.value)) modes.push_back(std::to_string(item.value) + " " + std::string(item.name));
  return Listed(modes, " or ");
}

// For each key, the modes that load it and the options that carry it.
std::string KeyOptionsOfModes() {
  std::string text;
  for (const TKeyInfo& key : kKeyTable) {
    std::vector<std::string> modes, options;
    for (const TValueName& item : ListOf(TParameter::Mode))
      if (ModeKey(item.value) == key.key) modes.push_back(std::to_string(item.value));
    for (const TKeyOption& option : kKeyOptions)
      if (option.key == key.key) options.push_back(std::string(option.option));
    text += (text.empty() ? "" : "; ") + Listed(modes, " or ") + ": " + Listed(options, " and ");
  }
  return text;
}

std::string KeysHelp() {
  const std::string digits = std::to_string(kKeyDigits);
  return "Usage: parvex-cli keys --address N --mode M KEY OPTIONS [LINE OPTIONS]\n"
         "\n"
         "Puts the reader into mode M and then loads the key that mode uses, as the key dialog of\n"
         "the window does. M by number or name: " + ModesWithKey() + ".\n"
         "Keys are " + digits + " hex digits (blanks, colons or dashes between them are allowed).\n"
         "\n"
         "  --address N        the reader's address\n"
         "  --mode M           " + KeyOptionsOfModes() + "\n"
         "  --key-a HEX        key A, for reading a card and decreasing its passes\n"
         "  --key-b HEX        key B, for recharging\n"
         "  --init-key HEX     the key with which the reader initialises new cards\n"
         "  --type " + Joined(KeyTypeNames(), "|") + "         the type of the initialising key (default " +
         std::string(kKeyTypes[0].name) + ")\n";
}

}  // namespace

std::string HelpText(TCliCommand command) {
  switch (command) {
    case TCliCommand::None:
      return std::string(kProgramHelp) + std::string(kLineHelp) + std::string(kVersionHelp) + std::string(kExitHelp);
    case TCliCommand::Ports:
      return std::string(kPortsHelp) + std::string(kExitHelp);
    case TCliCommand::Search:
      return std::string(kSearchHelp) + std::string(kLineHelp) + std::string(kExitHelp);
    case TCliCommand::Read:
      return std::string(kReadHelp) + std::string(kLineHelp) + std::string(kExitHelp);
    case TCliCommand::Write:
      return std::string(kWriteUsage) + WriteFieldsHelp() + std::string(kWriteOptions) + std::string(kLineHelp) +
             std::string(kExitHelp);
    case TCliCommand::Keys:
      return KeysHelp() + std::string(kLineHelp) + std::string(kExitHelp);
    case TCliCommand::Site:
      return SiteHelp();
  }
  return {};
}
