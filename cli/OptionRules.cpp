// Every option of parvex-cli: how it is written, what it stores, and its line in the help.
#include <cctype>
#include <charconv>

#include "CliRules.h"
#include "CliText.h"
#include "KeyOptions.h"
#include "ParameterCodec.h"
#include "ParameterTable.h"

namespace {

unsigned long Number(std::string_view option, std::string_view text, unsigned long min, unsigned long max) {
  unsigned long value = 0;
  const auto [end, rc] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || rc != std::errc() || end != text.data() + text.size() || value < min || value > max)
    Fail(option, Quoted(text) + " is not a number from " + std::to_string(min) + " to " + std::to_string(max));
  return value;
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

// An option without a value that turns one flag on.
TOptionSetter Flag(bool TCliOptions::*flag) {
  return [flag](TCliOptions& o, auto, auto) { o.*flag = true; };
}

std::vector<TOptionRule> MakeOptionRules() {
  return {
      {.name = "--help",
       .shortName = "-h",
       .description = "print the help of the program or of a command",
       .set = Flag(&TCliOptions::help)},
      {.name = "--version", .description = "print the version of the program", .set = Flag(&TCliOptions::version)},
      {.name = "--port",
       .placeholder = "NAME",
       .description = "the serial port: a device path (/dev/ttyUSB0), COMn for /dev/ttyS(n-1), or a short name "
                      "(ttyUSB0) under /dev; or a line behind a network gateway, rfc2217://HOST:PORT or "
                      "tcp://HOST:PORT",
       .set =
           [](TCliOptions& o, auto option, auto value) {
             if (value.empty()) Fail(option, "needs a port name");
             o.port = std::string(value);
             o.ports.emplace_back(value);
           }},
      {.name = "--baud",
       .placeholder = "N",
       .description = "the line rate in bit/s (site discover: the rates to try, N,N,...)\n"
                      "Without them the settings of Parvex.ini in the current folder are used, and the "
                      "defaults (COM1, 9600 8N1) when there is no such file.",
       .set =
           [](TCliOptions& o, auto option, auto value) {
             o.bauds.clear();
             std::string_view rates = value;
             for (;;) {
               const std::size_t comma = rates.find(',');
               o.bauds.push_back(static_cast<std::uint32_t>(Number(option, rates.substr(0, comma), 1, 4000000)));
               if (comma == std::string_view::npos) break;
               rates.remove_prefix(comma + 1);
             }
             o.baud = o.bauds.front();
           }},
      {.name = "--trace",
       .description = "print every request and response on standard error: time in ms, attempt, round-trip "
                      "time and outcome; and the text lines the line carries between frames",
       .set = Flag(&TCliOptions::trace)},
      {.name = "--address",
       .placeholder = "N",
       .description = "the reader's address",
       .set = [](TCliOptions& o, auto option,
                 auto value) { o.address = static_cast<std::uint8_t>(Number(option, value, 0, 254)); }},
      {.name = "--json", .description = "print JSON instead of the table(s)", .set = Flag(&TCliOptions::json)},
      {.name = "--all",
       .description = "search the line and write to every reader found",
       .set = Flag(&TCliOptions::all)},
      {.name = "--dry-run",
       .description = "print what would be sent and send nothing: the frames (write, with --address), the "
                      "readers that would be written and their fields (site apply)",
       .set = Flag(&TCliOptions::dryRun)},
      {.name = "--watch",
       .description = "then print a line for each serial adapter that arrives or leaves, until Ctrl+C",
       .set = Flag(&TCliOptions::watch)},
      {.name = "--journal",
       .placeholder = "PATH",
       .description = "the journal is PATH instead of SITE.journal.jsonl beside the site file",
       .set =
           [](TCliOptions& o, auto option, auto value) {
             if (value.empty()) Fail(option, "needs a file name");
             o.journal = std::string(value);
           }},
      {.name = "--line",
       .placeholder = "N",
       .description = "only the line of the site file with this index (site history)",
       .set = [](TCliOptions& o, auto option, auto value) { o.line = Number(option, value, 0, 1000000); }},
      {.name = "--since",
       .placeholder = "DATE",
       .description = "only what was written on this day (YYYY-MM-DD) or later (site history)",
       .set =
           [](TCliOptions& o, auto option, auto value) {
             if (value.empty()) Fail(option, "needs a date, YYYY-MM-DD");
             o.since = std::string(value);
           }},
      {.name = "--wait-adapter",
       .placeholder = "S",
       .description = "a line whose adapter is pulled (or whose gateway goes away) waits up to S seconds for it "
                      "to come back, then goes on with the reader it was on; 0 ends the line at once "
                      "(site survey, apply, snapshot; default 30)",
       .set = [](TCliOptions& o, auto option,
                 auto value) { o.adapterWait = std::chrono::seconds(Number(option, value, 0, 3600)); }},
      {.name = "--mode",
       .placeholder = "M",
       .description = KeyOptionsOfModes(),
       .set = [](TCliOptions& o, auto option, auto value) { o.keys.mode = ModeValue(option, value); }},
      {.name = "--key-a",
       .placeholder = "HEX",
       .description = "key A, for reading a card and decreasing its passes",
       .set = [](TCliOptions& o, auto option, auto value) { o.keys.keyA = KeyText(option, value); }},
      {.name = "--key-b",
       .placeholder = "HEX",
       .description = "key B, for recharging",
       .set = [](TCliOptions& o, auto option, auto value) { o.keys.keyB = KeyText(option, value); }},
      {.name = "--init-key",
       .placeholder = "HEX",
       .description = "the key with which the reader initialises new cards",
       .set = [](TCliOptions& o, auto option, auto value) { o.keys.initKey = KeyText(option, value); }},
      {.name = "--type",
       .placeholder = Joined(KeyTypeNames(), "|"),
       .description = "the type of the initialising key (default " + std::string(kKeyTypes[0].name) + ")",
       .set = [](TCliOptions& o, auto option, auto value) { o.keys.keyType = KeyType(option, value); }},
  };
}

}  // namespace

const std::vector<TOptionRule>& OptionRules() {
  static const std::vector<TOptionRule> rules = MakeOptionRules();
  return rules;
}

const TOptionRule* FindOption(std::string_view name) {
  for (const TOptionRule& rule : OptionRules())
    if (rule.name == name || (!rule.shortName.empty() && rule.shortName == name)) return &rule;
  return nullptr;
}
