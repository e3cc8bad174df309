#include "CliCommands.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>

#include <cstdio>
#include <optional>
#include <string_view>

#include "CliHelp.h"
#include "CliOptions.h"
#include "CliSession.h"
#include "CodeTables.h"
#include "ComPlatform.h"
#include "ErrorList.h"
#include "ExchangeTrace.h"
#include "InterruptWatch.h"
#include "ParameterJson.h"
#include "PortSurvey.h"
#include "ReaderMessages.h"
#include "ReaderText.h"
#include "ReaderSequences.h"
#include "SerialPortWatch.h"
#include "SiteCommand.h"
#include "ParameterTable.h"
#include "VerifiedWrite.h"
#include "Frame.h"

namespace {

constexpr std::string_view kProgram = "parvex-cli: ";

// The window's message text with its line ends made those of a terminal.
std::string TerminalLines(std::string_view text) {
  std::string lines;
  for (std::size_t at = 0; at < text.size(); ++at)
    if (text.substr(at, 2) != "\r\n") lines += text[at];
  if (!lines.empty() && lines.back() != '\n') lines += '\n';
  return lines;
}

// The error-list message of the window, under a label saying which reader it concerns.
bool ReportErrors(std::ostream& err, const std::string& label, const TOperationTexts& operation,
                  const ErrorList& errors) {
  if (errors.empty()) return true;
  err << label << ": " << TerminalLines(ErrorMessageText(operation.errorsHeading, errors).toStdString());
  return false;
}

std::string ReaderLabel(std::uint8_t address) { return "reader " + std::to_string(address); }

// --- ports ---

// Each adapter that arrives or leaves, a line as it happens (flushed, for a pipe's reader),
// until SIGINT or SIGTERM.
int WatchPorts(TSerialPortWatch& watch, std::ostream& out) {
  QEventLoop loop;
  const TInterruptWatch interrupts([&loop] { loop.quit(); });
  QObject::connect(&watch, &TSerialPortWatch::Arrived, [&out](const TSerialAdapter& adapter) {
    TPortDescription port = AdapterDescription(adapter);
    port.probe = ProbePort(*SystemComPlatform(), port.path);
    out << "arrived  " << PortLine(port).toStdString() << std::endl;
  });
  QObject::connect(&watch, &TSerialPortWatch::Left, [&out](const TSerialAdapter& adapter) {
    out << "left  " << PortLine(AdapterDescription(adapter)).toStdString() << std::endl;
  });
  loop.exec();
  return exitstatus::kSuccess;
}

int RunPorts(const TCliOptions& options, std::ostream& out) {
  // Watching before the list is read: an adapter plugged in meanwhile is not missed.
  const std::unique_ptr<TSerialPortWatch> watch = options.watch ? MakeSerialPortWatch() : nullptr;
  for (const TPortDescription& port : SurveyPorts(*SystemComPlatform()))
    out << PortLine(port).toStdString() << "\n";
  return watch ? WatchPorts(*watch, out << std::flush) : exitstatus::kSuccess;
}

// --- search ---

// Prints the answers; false when nobody answered.
bool Search(TCliSession& session, std::vector<ReaderAnswer>& answers, std::ostream& out, std::ostream& err) {
  answers = session.Link().CollectReaderAnswers();
  if (answers.empty()) {
    err << ReaderTextUtf8(texts::kNoReadersFound) << "\n";
    return false;
  }
  for (const ReaderAnswer& answer : answers) out << ReaderEntryText(answer) << "\n";
  return true;
}

int RunSearch(const TCliOptions& options, std::ostream& out, std::ostream& err) {
  TCliSession session(options, err);
  std::vector<ReaderAnswer> answers;
  if (!Search(session, answers, out, err)) return exitstatus::kReaderErrors;
  return ReportErrors(err, "search", texts::kSearchReaders, session.Errors()) ? exitstatus::kSuccess
                                                                             : exitstatus::kReaderErrors;
}

// --- read ---

std::string Or(const std::optional<std::string>& text) { return text ? *text : "-"; }

std::optional<std::string> NamedText(std::optional<std::uint8_t> value, std::span<const TValueName> names) {
  if (!value) return std::nullopt;
  const auto name = NameOfValue(names, *value);
  return std::to_string(*value) + " " + (name ? std::string(*name) : "(unknown)");
}

// A value as the table shows it; nothing when it was not read. The black list has rows of its own.
std::optional<std::string> ValueText(const TReaderParameters& v, const TParameterInfo& info) {
  const TParameter parameter = info.parameter;
  switch (info.kind) {
    case TValueKind::HexNumber:
      if (v.WasRead(parameter)) return v.cashDeskNumber;
      break;
    case TValueKind::Number:
      if (const auto byte = v.Byte(parameter))
        return WithUnit(std::to_string(*byte), info.unit);
      break;
    case TValueKind::ListItem:
      return NamedText(v.Byte(parameter), ListOf(parameter));
    case TValueKind::Date:
      if (v.WasRead(parameter)) return DateText(v.Date(parameter));
      break;
    case TValueKind::HexRows:
      break;
  }
  return std::nullopt;
}

void PrintRow(std::ostream& out, std::string_view field, const std::optional<std::string>& text) {
  char line[160];
  std::snprintf(line, sizeof line, "%-18.*s %s\n", static_cast<int>(field.size()), field.data(), Or(text).c_str());
  out << line;
}

void PrintTable(std::ostream& out, std::uint8_t address, const TReaderParameters& v) {
  PrintRow(out, kAddressField, std::to_string(address));
  for (const TParameter parameter : kFileOrder) {
    const TParameterInfo& info = ParameterInfo(parameter);
    if (info.kind != TValueKind::HexRows) {
      PrintRow(out, info.field, ValueText(v, info));
      continue;
    }
    for (std::size_t row = 0; row < kBlackListRows; ++row) {
      const std::optional<std::string> entry =
          row < v.blackListRowsRead ? std::optional<std::string>(v.blackList[row]) : std::nullopt;
      PrintRow(out, std::string(info.field) + "[" + std::to_string(row) + "]", entry);
    }
  }
}

TReaderParameters Read(TCliSession& session, std::uint8_t address) {
  return ReadParameters(session.Link(), session.Errors(), address, [](const TReaderParameters&, TParameter, int) {})
      .values;
}

int RunRead(const TCliOptions& options, std::ostream& out, std::ostream& err) {
  TCliSession session(options, err);
  const std::uint8_t address = *options.address;
  const TReaderParameters values = Read(session, address);
  if (options.json)
    out << QJsonDocument(ParametersToJson(address, values, TClockAs::Read)).toJson(QJsonDocument::Indented).toStdString();
  else
    PrintTable(out, address, values);
  return ReportErrors(err, ReaderLabel(address), texts::kReadParameters, session.Errors()) ? exitstatus::kSuccess
                                                                                         : exitstatus::kReaderErrors;
}

// --- write ---

// "-" is standard input, so that a read can be piped into a write.
TWriteValues LoadWriteFile(const std::string& path) {
  QFile file(QString::fromStdString(path));
  const bool opened = path == "-" ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly);
  if (!opened) throw TFileError({}, file_fault::Unreadable{file.errorString().toStdString()});
  return WriteValuesFromDevice(file);
}

// Reads the reader, writes the planned fields that differ, reads back and compares; true when the
// reader holds the plan. The write's errors are told before the read-back's exchanges, so that a
// trace stays in order with them.
bool WriteOne(TCliSession& session, std::uint8_t address, const std::string& label, const TWriteValues& values,
              std::ostream& out, std::ostream& err) {
  const TReaderParameters found = Read(session, address);
  if (!ReportErrors(err, label, texts::kReadParameters, session.Errors())) {
    out << label << ": not written: it could not be read first\n";
    return false;
  }
  const TVerifiedWrite result =
      ApplyPlan(session.Link(), session.Errors(), address, values, found, [&](const ErrorList& writeErrors) {
        ReportErrors(err, label, texts::kWriteParameters, writeErrors);
      });
  for (const std::string& refusal : RefusalLinesUtf8(result.refusals)) err << label << ": " << refusal << "\n";
  ReportErrors(err, label, texts::kReadParameters, result.readErrors);
  for (const TReadBackDifference& difference : result.differences)
    err << label << ": " << DifferenceLine(difference) << "\n";
  const bool ok = result.Verified();
  out << label << ": " << (ok ? "written and read back" : "not written as given") << "\n";
  return ok;
}

// A clock date given in the past sets back every reader whose clock keeps time.
void PrintClockSetBack(std::ostream& out, const TWriteValues& values) {
  if (values.clockToday || !ParameterInfo(kClock).usedIn.Applies(values.mode)) return;
  const int days = DayNumber(LocalDate()) - DayNumber(values.currentDate);
  if (days <= 0) return;
  out << ParameterInfo(kClock).field << " " << IsoDate(values.currentDate) << " is " << days
      << (days == 1 ? " day" : " days") << " before today: it sets a clock that keeps time back as many days\n";
}

void PrintDryRun(std::ostream& out, std::uint8_t address, const TWriteValues& values) {
  for (const TWriteRequest& request : WriteRequests(values))
    out << HexFrame(BuildRequest(address, request.code, request.data)) << "  " << ReaderTextUtf8(CommandText(request.code)) << "\n";
  PrintClockSetBack(out, values);
  out << "(the reader is read first and only these that differ are sent; then every parameter is read back)\n";
}

int RunWrite(const TCliOptions& options, std::ostream& out, std::ostream& err) {
  // The file is checked whole before the port is even opened: a bad file sends nothing.
  const TWriteValues values = LoadWriteFile(options.file);
  if (options.dryRun) {
    PrintDryRun(out, *options.address, values);
    return exitstatus::kSuccess;
  }
  TCliSession session(options, err);
  if (options.address)
    return WriteOne(session, *options.address, ReaderLabel(*options.address), values, out, err)
               ? exitstatus::kSuccess
               : exitstatus::kReaderErrors;

  std::vector<ReaderAnswer> answers;
  if (!Search(session, answers, out, err)) return exitstatus::kReaderErrors;
  bool ok = ReportErrors(err, "search", texts::kSearchReaders, session.Errors());
  for (const ReaderAnswer& answer : answers)
    ok = WriteOne(session, answer.address, ReaderLabel(answer.address), values, out, err) && ok;
  return ok ? exitstatus::kSuccess : exitstatus::kReaderErrors;
}

// --- keys ---

int RunKeys(const TCliOptions& options, std::ostream& out, std::ostream& err) {
  const TKeyOptions& k = options.keys;
  if (!ModeHasKey(k.mode)) {
    err << ReaderTextUtf8(texts::kKeysNotInMode) << "\n";
    return exitstatus::kUsage;
  }
  TCliSession session(options, err);
  // Without --type the initialising key is of the type the dialog offers first.
  const TKeyTexts keys{k.keyA.value_or(""), k.keyB.value_or(""), k.initKey.value_or(""),
                       k.keyType.value_or(std::string(kKeyTypes[0].name))};
  const std::uint8_t address = *options.address;
  ChangeReaderKeys(session.Link(), session.Errors(), address, k.mode, keys);
  if (!ReportErrors(err, ReaderLabel(address), texts::kChangeKeys, session.Errors())) return exitstatus::kReaderErrors;
  out << ReaderLabel(address) << ": mode " << k.mode << " set, key changed\n";
  return exitstatus::kSuccess;
}

int Run(const TCliOptions& options, std::ostream& out, std::ostream& err) {
  switch (options.command) {
    case TCliCommand::None:
      break;
    case TCliCommand::Ports:
      return RunPorts(options, out);
    case TCliCommand::Search:
      return RunSearch(options, out, err);
    case TCliCommand::Read:
      return RunRead(options, out, err);
    case TCliCommand::Write:
      return RunWrite(options, out, err);
    case TCliCommand::Keys:
      return RunKeys(options, out, err);
    case TCliCommand::Site:
      return RunSite(options, out, err);
  }
  return exitstatus::kUsage;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  TCliOptions options;
  try {
    options = ParseCliOptions(args);
  } catch (const EUsageError& e) {
    err << kProgram << e.what() << "\n";
    return exitstatus::kUsage;
  }
  if (options.help) {
    out << HelpText(options.command);
    return exitstatus::kSuccess;
  }
  if (options.version) {
    out << "parvex-cli " << PARVEX_VERSION << "\n";
    return exitstatus::kSuccess;
  }
  try {
    return Run(options, out, err);
  } catch (const TFileError& e) {
    err << kProgram << options.file << ": " << e.what() << "\n";
    return exitstatus::kUsage;
  } catch (const EPortError& e) {
    err << kProgram << e.what() << "\n";
    return e.exitStatus;
  } catch (const EComPort& e) {
    // The line failed during an operation: a write cut short, the device gone.
    err << kProgram << PortFailureText(e, {}) << "\n";
    return exitstatus::kPort;
  }
}
