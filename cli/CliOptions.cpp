#include "CliOptions.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <functional>
#include <string_view>

#include "ValueLists.h"

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
    {TCliCommand::Write, "write"}, {TCliCommand::Keys, "keys"},
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

// Twelve hex digits; blanks, colons and dashes between them are allowed, as keys are often
// written in groups. The digits come back in upper case.
std::string KeyText(std::string_view option, std::string_view text) {
  std::string digits;
  for (const char c : text) {
    if (c == ' ' || c == ':' || c == '-') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c)))
      Fail(option, Quoted(text) + " is not a key of 12 hex digits");
    digits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (digits.size() != 12) Fail(option, Quoted(text) + " is not a key of 12 hex digits");
  return digits;
}

int ModeValue(std::string_view option, std::string_view text) {
  if (!text.empty() && std::isdigit(static_cast<unsigned char>(text[0])))
    return static_cast<int>(Number(option, text, 0, 255));
  if (const auto value = ValueOfName(kModeNames, text)) return *value;
  std::string names;
  for (const TValueName& item : kModeNames)
    names += (names.empty() ? "" : ", ") + std::to_string(item.value) + " " + std::string(item.name);
  Fail(option, "unknown mode '" + std::string(text) + "' (modes: " + names + ")");
}

using TSetter = std::function<void(TCliOptions&, std::string_view option, std::string_view value)>;

struct TOptionRule {
  std::string_view name;
  bool takesValue;
  unsigned commands;  // the commands that accept it
  TSetter set;
};

const std::array<TOptionRule, 15>& OptionRules() {
  static const std::array<TOptionRule, 15> rules{{
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
      {"--json", false, Bit(TCliCommand::Read), [](TCliOptions& o, auto, auto) { o.json = true; }},
      {"--all", false, Bit(TCliCommand::Write), [](TCliOptions& o, auto, auto) { o.all = true; }},
      {"--dry-run", false, Bit(TCliCommand::Write), [](TCliOptions& o, auto, auto) { o.dryRun = true; }},
      {"--mode", true, kKeys, [](TCliOptions& o, auto option, auto value) { o.keys.mode = ModeValue(option, value); }},
      {"--key-a", true, kKeys, [](TCliOptions& o, auto option, auto value) { o.keys.keyA = KeyText(option, value); }},
      {"--key-b", true, kKeys, [](TCliOptions& o, auto option, auto value) { o.keys.keyB = KeyText(option, value); }},
      {"--init-key", true, kKeys,
       [](TCliOptions& o, auto option, auto value) { o.keys.initKey = KeyText(option, value); }},
      {"--type", true, kKeys,
       [](TCliOptions& o, auto option, auto value) {
         if (value != "A" && value != "B") Fail(option, Quoted(value) + " is not A or B");
         o.keys.keyType = std::string(value);
       }},
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
      throw TUsageError("no command given (ports, search, read, write, keys; see --help)");
    case TCliCommand::Ports:
    case TCliCommand::Search:
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
  struct TKeyUse {
    std::string_view option;
    bool given;
    bool used;
  };
  const bool modeA = k.mode == 1 || k.mode == 2;
  const bool modeB = k.mode == 3;
  const bool modeInit = k.mode == 4;
  const TKeyUse uses[] = {{"--key-a", k.keyA.has_value(), modeA},
                          {"--key-b", k.keyB.has_value(), modeB},
                          {"--init-key", k.initKey.has_value(), modeInit},
                          {"--type", k.keyType.has_value(), modeInit}};
  const bool keyMode = modeA || modeB || modeInit;
  for (const TKeyUse& use : uses) {
    if (keyMode && use.given && !use.used)
      Fail(use.option, "is not used in mode " + std::to_string(k.mode));
    if (use.used && !use.given && use.option != "--type") Fail("keys", "mode " + std::to_string(k.mode) + " needs " + std::string(use.option));
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
    if (it == std::end(kCommands)) Fail(positional.front(), "unknown command (ports, search, read, write, keys)");
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

constexpr std::string_view kWriteHelp = R"(Usage: parvex-cli write (--address N | --all) [--dry-run] FILE.json [LINE OPTIONS]

Writes the parameters in FILE.json that the file's mode uses, then reads them back and
reports every field that differs. The file is the JSON that read --json prints:
  mode            0..4 or its name, or {"value": 3, "name": "Пополнение"}
  cardType        1..2 or its name (mode 3)        rechargeUnits   0..255 (mode 3)
  currentDate     "YYYY-MM-DD", 2000..2255 (all modes but 2)
  endDate         "YYYY-MM-DD", 2000..2255 (all modes but 2)
  sector          1..15        abonementTimeout  0..255 s     relayTime  0..255 s
  blackList       ten entries of 8 hex digits ("" writes 00000000)
Other fields (address, cashDeskNumber) are ignored: the cash-desk number cannot be written.
A bad file is refused before anything is sent. FILE - reads the parameters from standard
input, so that parvex-cli read --json ... | parvex-cli write --address N - copies a reader.

  --address N   write to the reader at address N
  --all         search the line and write to every reader found
  --dry-run     print the frames that would be sent and send nothing (with --address)
)";

constexpr std::string_view kKeysHelp = R"(Usage: parvex-cli keys --address N --mode M KEY OPTIONS [LINE OPTIONS]

Puts the reader into mode M and then loads the key that mode uses, as the key dialog of
the window does. M is 1..4 or the mode's name; keys are 12 hex digits (blanks, colons
or dashes between them are allowed).

  --address N        the reader's address
  --mode M           1 or 2: --key-a; 3: --key-b; 4: --init-key and --type
  --key-a HEX        key A, for reading a card and decreasing its passes
  --key-b HEX        key B, for recharging
  --init-key HEX     the key with which the reader initialises new cards
  --type A|B         the type of the initialising key (default A)
)";

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
      return std::string(kWriteHelp) + std::string(kLineHelp) + std::string(kExitHelp);
    case TCliCommand::Keys:
      return std::string(kKeysHelp) + std::string(kLineHelp) + std::string(kExitHelp);
  }
  return {};
}
