#include "SimOptions.h"

#include <stdexcept>

#include "DemoLine.h"

namespace sim {
namespace {

[[noreturn]] void Fail(const std::string& option, const std::string& why) {
  throw std::invalid_argument(option + ": " + why);
}

unsigned long Number(const std::string& option, const std::string& text, unsigned long max, int base = 0) {
  std::size_t used = 0;
  unsigned long value = 0;
  try {
    if (!text.empty() && text[0] != '-') value = std::stoul(text, &used, base);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || value > max)
    Fail(option, "'" + text + "' is not a number from 0 to " + std::to_string(max));
  return value;
}

std::uint8_t HexByte(const std::string& option, const std::string& text) {
  return static_cast<std::uint8_t>(Number(option, text, 0xFF, 16));
}

// "\r", "\n", "\t", "\\" and "\xHH" in noise text, so that line breaks can be given in a shell.
std::string Unescape(const std::string& option, const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char c = text[++i];
    if (c == 'r') out += '\r';
    else if (c == 'n') out += '\n';
    else if (c == 't') out += '\t';
    else if (c == '\\') out += '\\';
    else if (c == 'x' && i + 2 < text.size()) {
      out += static_cast<char>(HexByte(option, text.substr(i + 1, 2)));
      i += 2;
    } else Fail(option, std::string("unknown escape \\") + c);
  }
  return out;
}

Reader ParseReader(const std::string& option, const std::string& spec) {
  Reader reader;
  const auto colon = spec.find(':');
  reader.address = static_cast<std::uint8_t>(Number(option, spec.substr(0, colon), 254));
  if (colon == std::string::npos) {
    reader.state.serial = {0x00, reader.address};
  } else {
    const std::string serial = spec.substr(colon + 1);
    if (serial.size() != 4) Fail(option, "serial number must be 4 hex digits, got '" + serial + "'");
    reader.state.serial = {HexByte(option, serial.substr(0, 2)), HexByte(option, serial.substr(2, 2))};
  }
  return reader;
}

}  // namespace

SimOptions ParseOptions(const std::vector<std::string>& args) {
  SimOptions options;
  std::size_t i = 0;
  auto value = [&](const std::string& option) -> const std::string& {
    if (i + 1 >= args.size()) Fail(option, "needs a value");
    return args[++i];
  };
  auto last = [&](const std::string& option) -> Reader& {
    if (options.readers.empty()) Fail(option, "give --reader or --demo first; it applies to the last reader");
    return options.readers.back();
  };
  auto add = [&](Reader reader) {
    for (const Reader& r : options.readers)
      if (r.address == reader.address) Fail("--reader", "address " + std::to_string(reader.address) + " given twice");
    options.readers.push_back(std::move(reader));
  };
  auto millis = [&](const std::string& option) {
    return std::chrono::milliseconds(Number(option, value(option), 600000));
  };

  for (; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") options.help = true;
    else if (a == "--version") options.version = true;
    else if (a == "--trace") options.trace = true;
    else if (a == "--echo") options.line.echo = true;
    else if (a == "--strict-rate") options.line.strictRate = true;
    else if (a == "--today") options.today = true;
    else if (a == "--link") options.link = value(a);
    else if (a == "--baud") {
      options.line.baud = static_cast<unsigned>(Number(a, value(a), 4000000));
      if (options.line.baud == 0) Fail(a, "must be positive");
    }
    else if (a == "--turnaround") options.line.turnaround = millis(a);
    else if (a == "--demo") for (Reader& r : DemoReaders()) add(std::move(r));
    else if (a == "--reader") add(ParseReader(a, value(a)));
    else if (a == "--silent") last(a).faults.silent = true;
    else if (a == "--delay") { Reader& r = last(a); r.faults.delay = millis(a); }
    else if (a == "--bad-crc") last(a).faults.wrongCrc = true;
    else if (a == "--bad-length") last(a).faults.wrongLength = true;
    else if (a == "--noise") { Reader& r = last(a); r.faults.noise = Unescape(a, value(a)); }
    else if (a == "--status") {
      Reader& r = last(a);
      const std::string& spec = value(a);
      const auto eq = spec.find('=');
      if (eq == std::string::npos) Fail(a, "expected CODE=STATUS in hex, got '" + spec + "'");
      r.faults.statusFor[HexByte(a, spec.substr(0, eq))] = HexByte(a, spec.substr(eq + 1));
    }
    else Fail(a, "unknown option (see --help)");
  }
  if (options.readers.empty()) options.readers = DemoReaders();
  return options;
}

std::string HelpText() {
  return R"(Usage: reader-sim [OPTIONS]

Plays card readers on a pseudo-terminal. The first line printed is the path of the
device the programmer should open. Ends on SIGINT or SIGTERM.

Line:
  --baud N           pace every byte at N baud, 10 bit times a byte (default 9600)
  --turnaround MS    time from the end of a request to its answer (default 1)
  --echo             send every request back onto the line, as a half-duplex line does
  --strict-rate      hear only what the programmer sends at the --baud rate, as on a wire
  --today            every reader's clock starts at the computer's date
  --link PATH        make a symbolic link PATH to the device (removed on exit)
  --trace            print every frame in (<-) and out (->) decoded, with a time stamp
  --version          print the version of the program
  -h, --help         print this text

Readers (without any, the demo line: readers 1, 2 and 3):
  --demo             add the three demo readers
  --reader A[:SSSS]  add a reader at address A (0..254) with serial number SSSS
                     (4 hex digits; default 00 and the address); readers answer a
                     broadcast in the order given

Faults, each applying to the reader given last:
  --silent           answer nothing
  --delay MS         answer MS milliseconds late
  --bad-crc          spoil the CRC of every answer
  --bad-length       put one data byte too many into every answer (valid CRC)
  --status CC=SS     answer request code CC with status SS (hex), e.g. --status 7E=17
  --noise TEXT       send TEXT before every answer; \r \n \t \\ \xHH are understood

Example: reader-sim --link /tmp/readers --reader 5:007F --reader 6 --delay 150 --trace
)";
}

}  // namespace sim
