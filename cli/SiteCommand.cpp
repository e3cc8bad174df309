#include "SiteCommand.h"

#include <QDate>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>

#include "CliCommands.h"
#include "CliOptions.h"
#include "CPort.h"
#include "CliText.h"
#include "InterruptWatch.h"
#include "ReaderFaultJson.h"
#include "ReaderText.h"
#include "SettingsValues.h"
#include "SiteDiff.h"
#include "SiteDiscovery.h"
#include "SiteHistory.h"
#include "SiteJournal.h"
#include "SiteRun.h"
#include "SiteSnapshot.h"
#include "WholeFile.h"

namespace {

constexpr std::string_view kProgram = "parvex-cli: ";

enum class TSiteAction { Survey, Apply, Snapshot, History, Diff, Discover };


// How long a line whose adapter is pulled waits for it, unless --wait-adapter says otherwise.
constexpr std::chrono::seconds kAdapterWait{30};

struct TSiteRequest {
  TSiteAction action = TSiteAction::Survey;
  std::string site;
  std::string second;  // OUT.json of a snapshot, B.json of a diff
};

struct TActionRule {
  std::string_view name;
  TSiteAction action;
  std::size_t files;  // SITE.json, and OUT.json for a snapshot; A.json and B.json for a diff
  std::string_view needs;
};
constexpr TActionRule kActions[] = {{"survey", TSiteAction::Survey, 1, "needs the site file SITE.json"},
                                    {"apply", TSiteAction::Apply, 1, "needs the site file SITE.json"},
                                    {"snapshot", TSiteAction::Snapshot, 2, "needs SITE.json and OUT.json"},
                                    {"history", TSiteAction::History, 1, "needs the site file SITE.json"},
                                    {"diff", TSiteAction::Diff, 2, "needs two site files, A.json and B.json"},
                                    {"discover", TSiteAction::Discover, 1, "needs the site file to write, OUT.json"}};

TSiteRequest SiteRequest(const TCliOptions& options) {
  const std::vector<std::string>& operands = options.operands;
  if (operands.empty()) Fail("site", "needs survey, apply, snapshot, history, diff or discover");
  const TActionRule* rule = nullptr;
  for (const TActionRule& candidate : kActions)
    if (candidate.name == operands[0]) rule = &candidate;
  if (!rule) Fail(operands[0], "is not survey, apply, snapshot, history, diff or discover");
  if (operands.size() != rule->files + 1) Fail("site " + operands[0], std::string(rule->needs));
  const bool history = rule->action == TSiteAction::History;
  if (options.json && rule->action != TSiteAction::Survey && !history)
    Fail("--json", "is an option of site survey and site history");
  if (options.dryRun && rule->action != TSiteAction::Apply) Fail("--dry-run", "is an option of site apply");
  if (options.journal && rule->action != TSiteAction::Apply && !history)
    Fail("--journal", "is an option of site apply and site history");
  for (const auto& [given, name] : {std::pair{options.line.has_value(), "--line"},
                                    std::pair{options.address.has_value(), "--address"},
                                    std::pair{options.since.has_value(), "--since"}})
    if (given && !history) Fail(name, "is an option of site history");
  if (options.since && !QDate::fromString(QString::fromStdString(*options.since), Qt::ISODate).isValid())
    Fail("--since", Quoted(*options.since) + " is not a date, YYYY-MM-DD");
  if (options.dryRun && options.journal) Fail("--journal", "a dry run writes no journal");
  if (options.adapterWait && (history || rule->action == TSiteAction::Diff))
    Fail("--wait-adapter", "is an option of site survey, apply, snapshot and discover");
  if (rule->action != TSiteAction::Discover)
    for (const auto& [given, name] : {std::pair{!options.ports.empty(), "--port"}, std::pair{!options.bauds.empty(), "--baud"}})
      if (given) Fail(name, "is an option of site discover: a site file names its own lines");
  return {rule->action, operands[1], rule->files == 2 ? operands[2] : std::string()};
}

std::string LineSettings(const TSiteLine& line) {
  return std::to_string(line.baud) + " " + EnumText(line.dataBits).toStdString() +
         EnumText(line.parity).left(1).toStdString() + EnumText(line.stopBits).toStdString();
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
  return text;
}

// " (clock 8 days behind)", or nothing.
std::string ClockText(const TReadBackDifference& d) {
  const auto note = ClockNote(d);
  return note ? " (" + *note + ")" : std::string();
}

std::string DifferenceText(const TReadBackDifference& d) {
  return d.field + ": planned " + d.written + ", found " + d.read.value_or("nothing") + ClockText(d);
}

std::string Details(const TReaderResult& reader) {
  std::vector<std::string> parts = FaultLinesUtf8(reader.faults, TFieldNaming::File);
  for (const TReadBackDifference& d : reader.differences) parts.push_back(DifferenceText(d));
  return Joined(parts);
}

std::string TableRow(const std::string& address, const std::string& serial, std::string_view state,
                     const std::string& details) {
  char row[64];
  std::snprintf(row, sizeof row, "  %-8s %-7s %-13.*s", address.c_str(), serial.c_str(), static_cast<int>(state.size()),
                state.data());
  std::string text = row + details;
  text.erase(text.find_last_not_of(' ') + 1);
  return text + "\n";
}

void PrintLineTable(std::ostream& out, const TSiteLine& line, const TLineResult& result) {
  out << "line " << result.index << ": " << result.port << " (" << LineSettings(line) << ")";
  if (!result.failure.empty()) out << ": " << LineStatusText(result.status) << ": " << result.failure;
  if (result.cancelled) out << ": stopped when asked";
  out << "\n";
  out << TableRow("address", "serial", "state", "details");
  for (const TReaderResult& reader : result.readers)
    out << TableRow(std::to_string(reader.address), reader.serial.value_or("-"), StateText(reader.state),
                    Details(reader));
}

constexpr std::array kStates{TReaderState::Matches, TReaderState::Written,   TReaderState::Differs,
                             TReaderState::Missing, TReaderState::OtherReader, TReaderState::Failed,
                             TReaderState::Unplanned, TReaderState::NotReached};

std::array<int, kStates.size()> Totals(const TSiteResult& result, int& readers) {
  std::array<int, kStates.size()> counts{};
  readers = 0;
  for (const TLineResult& line : result.lines)
    for (const TReaderResult& reader : line.readers) {
      ++readers;
      for (std::size_t i = 0; i < kStates.size(); ++i) counts[i] += reader.state == kStates[i];
    }
  return counts;
}

void PrintTables(std::ostream& out, const TSiteFile& site, const TSiteResult& result) {
  for (const TLineResult& line : result.lines) {
    PrintLineTable(out, site.lines[line.index], line);
    out << "\n";
  }
  int readers = 0;
  const auto counts = Totals(result, readers);
  out << "total: " << readers << " readers";
  for (std::size_t i = 0; i < kStates.size(); ++i)
    if (counts[i]) out << ", " << counts[i] << " " << StateText(kStates[i]);
  out << "\n";
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

QJsonObject ReaderJson(const TReaderResult& reader) {
  QJsonArray differences;
  for (const TReadBackDifference& d : reader.differences) {
    QJsonObject difference{
        {"field", Text(d.field)}, {"planned", Text(d.written)}, {"found", d.read ? Text(*d.read) : QJsonValue()}};
    if (const auto note = ClockNote(d)) difference.insert("clock", Text(*note));
    differences.append(difference);
  }
  return {{"address", reader.address},
          {"serial", reader.serial ? Text(*reader.serial) : QJsonValue()},
          {"planned", reader.planned},
          {"state", Text(std::string(StateText(reader.state)))},
          {"differences", differences},
          {"errors", FaultsJson(reader.faults)}};
}

QByteArray ResultJson(const TSiteResult& result) {
  QJsonArray lines;
  for (const TLineResult& line : result.lines) {
    QJsonArray readers;
    for (const TReaderResult& reader : line.readers) readers.append(ReaderJson(reader));
    lines.append(QJsonObject{{"index", static_cast<int>(line.index)},
                             {"port", Text(line.port)},
                             {"status", Text(std::string(LineStatusText(line.status)))},
                             {"failure", line.failure.empty() ? QJsonValue() : Text(line.failure)},
                             {"cancelled", line.cancelled},
                             {"readers", readers}});
  }
  int readers = 0;
  const auto counts = Totals(result, readers);
  QJsonObject total{{"readers", readers}};
  for (std::size_t i = 0; i < kStates.size(); ++i) total.insert(Text(std::string(StateText(kStates[i]))), counts[i]);
  return QJsonDocument(QJsonObject{{"site", Text(result.site)},
                                   {"cancelled", result.cancelled},
                                   {"lines", lines},
                                   {"total", total}})
      .toJson(QJsonDocument::Indented);
}

void PrintDryRun(std::ostream& out, const TSiteResult& result) {
  int count = 0;
  for (const TLineResult& line : result.lines)
    for (const TReaderResult& reader : line.readers) {
      if (reader.state != TReaderState::Differs) continue;
      ++count;
      out << "line " << line.index << " (" << line.port << "), reader " << int{reader.address} << " ("
          << reader.serial.value_or("-") << "): would write";
      for (const TReadBackDifference& d : reader.differences)
        out << " " << d.field << " " << d.written << " (found " << d.read.value_or("nothing")
            << (ClockNote(d) ? "; " + *ClockNote(d) : "") << ")";
      out << "\n";
    }
  out << count << " readers would be written; nothing was sent to them\n";
}

int ExitStatus(const TSiteResult& result) {
  for (const TLineResult& line : result.lines)
    if (line.status == TLineStatus::JournalFailed) return exitstatus::kJournal;
  if (result.cancelled) return exitstatus::kInterrupted;
  bool settled = true;
  for (const TLineResult& line : result.lines) {
    if (line.status != TLineStatus::Done && line.status != TLineStatus::GivenUp) return exitstatus::kPort;
    for (const TReaderResult& reader : line.readers) settled = settled && Settled(reader.state);
  }
  return settled ? exitstatus::kSuccess : exitstatus::kReaderErrors;
}

TSiteTask TaskOf(const TSiteRequest& request, bool dryRun) {
  switch (request.action) {
    case TSiteAction::Survey: return TSiteTask::Survey;
    case TSiteAction::Apply: return dryRun ? TSiteTask::Survey : TSiteTask::Apply;
    case TSiteAction::Snapshot: return TSiteTask::Snapshot;
    case TSiteAction::History:
    case TSiteAction::Diff:
    case TSiteAction::Discover: break;  // runs no line of a site file
  }
  return TSiteTask::Survey;
}

// The snapshot written, then what it lacks on err: a snapshot is complete (0) when it holds every
// reader that answered.
// what: "snapshot", "site".
int WriteSnapshot(const TSiteFile& site, const TSiteResult& result, const std::string& path, std::string_view what,
                  std::ostream& out, std::ostream& err) {
  const QString reason = WriteWholeFile(QString::fromStdString(path), SnapshotFile(site, result));
  if (!reason.isEmpty()) {
    err << kProgram << path << ": " << reason.toStdString() << "\n";
    return exitstatus::kUsage;
  }
  out << what << " written to " << path << "\n";
  const std::vector<TSnapshotGap> gaps = SnapshotGaps(result);
  if (gaps.empty()) return exitstatus::kSuccess;
  err << kProgram << "the " << what << " is incomplete; it lacks:\n";
  for (const TSnapshotGap& gap : gaps) {
    err << "  line " << gap.line->index << " (" << gap.line->port << ")";
    if (gap.reader)
      err << ", reader " << int{gap.reader->address} << ": " << Joined(FaultLinesUtf8(gap.reader->faults, TFieldNaming::File)) << "\n";
    else
      err << ": " << LineStatusText(gap.line->status) << ": " << gap.line->failure << "\n";
  }
  return exitstatus::kReaderErrors;
}

std::string Known(const std::optional<std::string>& value) { return value.value_or("?"); }

QJsonValue Json(const std::optional<std::string>& value) {
  return value ? QJsonValue(QString::fromStdString(*value)) : QJsonValue();
}

std::string HistoryTime(const QDateTime& time) {
  return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();
}

// "interrupted" when the journal never got the outcome (no apply has closed it yet).
std::string OutcomeText(const THistoryEntry& entry) { return entry.outcome.empty() ? "interrupted" : entry.outcome; }

void PrintHistoryText(const std::vector<TReaderHistory>& readers, std::ostream& out) {
  for (const TReaderHistory& reader : readers) {
    out << "line " << (reader.line ? std::to_string(*reader.line) + " (" + reader.port + ")" : reader.port)
        << ", reader " << reader.address << "\n";
    for (const THistoryEntry& entry : reader.entries) {
      std::vector<std::string> fields;
      for (const TFieldChange& field : entry.fields)
        fields.push_back(field.field + " " + Known(field.before) + " -> " + Known(field.after));
      std::vector<std::string> notes = FaultLinesUtf8(entry.faults, TFieldNaming::File);
      if (!entry.reason.empty()) notes.push_back(entry.reason);
      out << "  " << HistoryTime(entry.time) << "  " << entry.user << "@" << entry.host << "  serial " << entry.serial
          << "  " << OutcomeText(entry) << ": " << Joined(fields) << (notes.empty() ? "" : " (" + Joined(notes) + ")")
          << "\n";
    }
  }
}

QJsonDocument HistoryJson(const std::vector<TReaderHistory>& readers) {
  QJsonArray array;
  for (const TReaderHistory& reader : readers) {
    QJsonArray entries;
    for (const THistoryEntry& entry : reader.entries) {
      QJsonArray fields;
      for (const TFieldChange& field : entry.fields)
        fields.append(QJsonObject{{"field", QString::fromStdString(field.field)}, {"before", Json(field.before)},
                                  {"after", Json(field.after)}});
      entries.append(QJsonObject{{"time", entry.time.toString(Qt::ISODateWithMs)},
                                 {"user", QString::fromStdString(entry.user)},
                                 {"host", QString::fromStdString(entry.host)},
                                 {"serial", QString::fromStdString(entry.serial)},
                                 {"outcome", QString::fromStdString(OutcomeText(entry))},
                                 {"fields", fields},
                                 {"errors", FaultsJson(entry.faults)},
                                 {"reason", QString::fromStdString(entry.reason)}});
    }
    array.append(QJsonObject{{"line", reader.line ? QJsonValue(static_cast<qint64>(*reader.line)) : QJsonValue()},
                             {"port", QString::fromStdString(reader.port)},
                             {"address", reader.address},
                             {"changes", entries}});
  }
  return QJsonDocument(QJsonObject{{"readers", array}});
}

// Per reader of the site's journal, each change; 0 with or without changes, 2 for a journal that
// cannot be read or a line the site does not have.
int PrintHistory(const TSiteFile& site, const TCliOptions& options, std::ostream& out) {
  THistoryFilter filter;
  if (options.line) {
    if (*options.line >= site.lines.size())
      Fail("--line", std::to_string(*options.line) + " is not a line of " + site.path.toStdString());
    filter.port = site.lines[*options.line].port;
  }
  if (options.address) filter.address = *options.address;
  if (options.since) filter.since = QDate::fromString(QString::fromStdString(*options.since), Qt::ISODate);
  const QString journal = options.journal ? QString::fromStdString(*options.journal) : TSiteJournal::PathBeside(site.path);
  const std::vector<TReaderHistory> readers = ReadHistory(journal, filter);
  if (options.json) out << HistoryJson(readers).toJson().toStdString();
  else PrintHistoryText(readers, out);
  return exitstatus::kSuccess;
}

std::string Value(const std::optional<std::string>& value) { return value.value_or("not planned"); }

// A line each: "line /dev/ttyUSB0, reader 3: sector 4 / 5; relayTime 1 / not planned", then
// whether the two files agree (0) or not (1).
int PrintDifferences(const TSiteRequest& request, const std::vector<TSiteDifference>& differences, std::ostream& out) {
  for (const TSiteDifference& d : differences) {
    out << "line " << d.port;
    if (d.address) out << ", reader " << int{*d.address};
    out << ": ";
    if (d.presence != TPresence::Both) {
      out << "only in " << (d.presence == TPresence::FirstOnly ? request.site : request.second) << "\n";
      continue;
    }
    std::vector<std::string> parts;
    if (d.firstSerial || d.secondSerial)
      parts.push_back("serial " + d.firstSerial.value_or("not pinned") + " / " + d.secondSerial.value_or("not pinned"));
    for (const TFieldDifference& field : d.fields)
      parts.push_back(field.field + " " + Value(field.first) + " / " + Value(field.second));
    out << Joined(parts) << "\n";
  }
  if (differences.empty()) out << request.site << " and " << request.second << " agree\n";
  return differences.empty() ? exitstatus::kSuccess : exitstatus::kReaderErrors;
}

// A line named by a name that follows the plugging order may reach another line's adapter after a
// reboot: said once per line, with the name that stays.
void WarnOfPluggingOrder(const TSiteFile& site, std::ostream& err) {
  for (const auto& [line, stable] : LinesInPluggingOrder(site))
    err << kProgram << "line " << line << " (" << site.lines[line].port
        << ") is named in the order the adapters were plugged in; its name that stays is " << stable << "\n";
}

// What the journal's open found an earlier run left behind.
void ReportMended(const TSiteJournal& journal, std::ostream& err) {
  if (journal.TornBytes() > 0)
    err << kProgram << journal.Path() << ": a torn last line (" << journal.TornBytes()
        << " bytes, from a run that ended while writing it) was cut off\n";
  for (const TInterruptedWrite& write : journal.Interrupted()) err << kProgram << InterruptedWriteText(write) << "\n";
}

// The journal failed: every line stopped before its next reader; the readers written whose
// outcome it lacks (their intent is on disk) are named.
void ReportUnjournaled(const TSiteJournal& journal, const TSiteResult& result, std::ostream& err) {
  err << kProgram << "the journal failed, no further reader was written: " << journal.Failure() << "\n";
  for (const TLineResult& line : result.lines)
    for (const TReaderResult& reader : line.readers)
      if (reader.outcomeUnjournaled)
        err << "  written, its outcome not in the journal: line " << line.index << " (" << line.port << "), reader "
            << int{reader.address} << ": " << StateText(reader.state) << "\n";
}

// Every line at once; progress on err as it comes; Ctrl+C or SIGTERM stops each line after the
// reader in progress.
std::string ProgressText(const TReaderProgress& p, std::chrono::seconds adapterWait) {
  const std::string line = "line " + std::to_string(p.line) + " (" + p.port + ")";
  if (p.lineEvent == TLineEvent::AdapterGone)
    return line + ": the adapter is gone; waiting up to " + std::to_string(adapterWait.count()) + " s for it";
  if (p.lineEvent == TLineEvent::AdapterBack) return line + ": the adapter is back; going on";
  return line + ", reader " + std::to_string(p.address) + ": " + std::string(p.state ? StateText(*p.state) : "writing");
}

// A site run or a discovery to its end: progress on err as it comes; Ctrl+C or SIGTERM stops
// each line after the reader in progress, saying so with stopping.
template <typename TRun>
void RunToEnd(TRun& run, std::chrono::seconds adapterWait, std::string_view stopping, std::ostream& err) {
  run.SetAdapterWait(adapterWait);
  QEventLoop loop;
  QObject::connect(&run, &TRun::Progress, &loop,
                   [&err, adapterWait](const TReaderProgress& p) { err << ProgressText(p, adapterWait) << std::endl; });
  QObject::connect(&run, &TRun::Finished, &loop, &QEventLoop::quit);
  const TInterruptWatch interrupts([&run, &err, stopping] {
    err << kProgram << "stopping: " << stopping << std::endl;
    run.Cancel();
  });
  run.Start();
  loop.exec();
}

TSiteResult RunLines(const TSiteFile& site, TSiteTask task, TSiteJournal* journal, std::chrono::seconds adapterWait,
                     std::ostream& err) {
  TSiteRun run(site, task, journal);
  RunToEnd(run, adapterWait, "every line finishes the reader in progress", err);
  return run.Join();
}

// Every port given, or every adapter plugged in, at each rate; the lines where readers answered
// become the site file written to path.
int Discover(const std::string& path, const TCliOptions& options, std::ostream& out, std::ostream& err) {
  std::vector<std::string> ports = options.ports;
  if (ports.empty()) {
    try {
      ports = PluggedInPorts();
    } catch (const EComPort& e) {
      err << kProgram << e.what() << "\n";
      return exitstatus::kPort;
    }
  }
  if (ports.empty()) {
    err << kProgram << "no serial adapter is plugged in; name the ports with --port\n";
    return exitstatus::kPort;
  }
  const std::vector<std::uint32_t> rates =
      options.bauds.empty() ? std::vector<std::uint32_t>(std::begin(kDiscoveryRates), std::end(kDiscoveryRates)) : options.bauds;
  TSiteDiscovery discovery(QFileInfo(QString::fromStdString(path)).completeBaseName().toStdString(), ports, rates);
  QObject::connect(&discovery, &TSiteDiscovery::RateStarted, [&err](std::uint32_t baud, std::size_t count) {
    err << "searching " << count << (count == 1 ? " port" : " ports") << " at " << baud << " baud" << std::endl;
  });
  RunToEnd(discovery, options.adapterWait.value_or(kAdapterWait),
           "every port finishes the reader in progress; nothing is written", err);
  if (discovery.Cancelled()) return exitstatus::kInterrupted;
  for (const auto& [port, failure] : discovery.Unopened()) err << kProgram << port << ": cannot open: " << failure << "\n";
  if (discovery.Site().lines.empty()) {
    err << kProgram << "no reader answered on any port at any rate; nothing written\n";
    return discovery.Unopened().empty() ? exitstatus::kReaderErrors : exitstatus::kPort;
  }
  for (std::size_t i = 0; i < discovery.Site().lines.size(); ++i)
    out << discovery.Site().lines[i].port << " at " << discovery.Site().lines[i].baud
        << " baud: " << discovery.Result().lines[i].readers.size() << " readers\n";
  const int written = WriteSnapshot(discovery.Site(), discovery.Result(), path, "site", out, err);
  return written == exitstatus::kSuccess && !discovery.Unopened().empty() ? exitstatus::kPort : written;
}

}  // namespace

int RunSite(const TCliOptions& options, std::ostream& out, std::ostream& err) {
  TSiteRequest request;
  TSiteFile site;
  std::unique_ptr<TSiteJournal> journal;
  try {
    request = SiteRequest(options);
    if (request.action == TSiteAction::Discover) return Discover(request.site, options, out, err);
    site = LoadSiteFile(QString::fromStdString(request.site));
    if (request.action == TSiteAction::Diff)
      return PrintDifferences(request, SiteDifferences(site, LoadSiteFile(QString::fromStdString(request.second))), out);
    if (request.action == TSiteAction::History) return PrintHistory(site, options, out);
    // Opened before any line is: a journal that cannot be written must stop the apply before
    // its first write.
    if (request.action == TSiteAction::Apply && !options.dryRun)
      journal = std::make_unique<TSiteJournal>(
          options.journal ? QString::fromStdString(*options.journal) : TSiteJournal::PathBeside(site.path));
  } catch (const std::runtime_error& e) {  // usage, the site file, the journal: nothing was sent
    err << kProgram << e.what() << "\n";
    return exitstatus::kUsage;
  }

  WarnOfPluggingOrder(site, err);
  if (journal) ReportMended(*journal, err);
  const TSiteResult result =
      RunLines(site, TaskOf(request, options.dryRun), journal.get(), options.adapterWait.value_or(kAdapterWait), err);
  if (journal && journal->Failed()) ReportUnjournaled(*journal, result, err);
  if (options.json) out << ResultJson(result).toStdString();
  else PrintTables(out, site, result);
  if (options.dryRun) PrintDryRun(out, result);
  if (request.action == TSiteAction::Snapshot && !result.cancelled)
    return WriteSnapshot(site, result, request.second, "snapshot", out, err);
  return ExitStatus(result);
}

void CheckSiteRequest(const TCliOptions& options) { SiteRequest(options); }

std::string SiteAbout() {
  return R"(Works on every line of a site file at once, each line on its own port: a search and a
read of every reader found, then for apply a write to every reader that differs from
its plan. Progress goes to standard error, a line a reader; the result to standard
output, one table per line and a total.

The site file (JSON, UTF-8) names the site and its lines:
  {"site": "North entrance", "lines": [
    {"port": "/dev/ttyUSB0", "baud": 9600, "readers": [
      {"address": 1, "serial": "007F", "parameters": "turnstile.json"},
      {"address": 9, "parameters": {"mode": 2, "sector": 4, ...}}]}]}
  port       any name --port takes; baud (default 9600), dataBits (8), parity
             (None) and stopBits (1) as the setup dialog offers them
  address    1..254, once per line; serial pins the reader (4 hex digits)
  parameters a parameters file (as read --json prints it, or any part of it: a field
             left out is left as the reader holds it), by a path relative to the
             site file, or the same object inline
Parvex.ini plays no part. A bad site file is refused before anything is sent.

Each planned reader is told as one of: matches, differs (each field with its planned
and found value), missing (no answer to the search), other reader (its serial is not
the pinned one), failed (with the error lines); readers found but not planned are
unplanned. After an apply a reader written and read back as planned is written.

  survey SITE.json [--json]
              report every reader's state (--json: one JSON document)
  apply SITE.json [--dry-run] [--journal PATH]
              survey, then write every reader that differs (only its planned fields
              that differ, each with its own request), read it back and compare;
              each reader written is recorded in the journal, SITE.journal.jsonl
              beside the site file: a line on disk before its first request, what
              is about to be written, and a line with the outcome; a write left
              without its outcome by a kill or a power cut is named by the next apply
  history SITE.json [--line N] [--address A] [--since DATE] [--json] [--journal PATH]
              what the journal holds, per reader: each write with when, who
              (user@host), the serial, each field from -> to ("?" where not
              known) and how it ended; a write the program never finished is
              "interrupted"
  discover OUT.json [--port P]... [--baud N,N,...] [--wait-adapter S]
              search every serial adapter plugged in (or each port given) at each
              rate (default 9600,19200,38400,57600,115200), all ports at once, and
              write a site file: a line for each port at the first rate where
              readers answered, by its /dev/serial/by-id name where it has one,
              every reader pinned by its serial and carrying its parameters as
              read, its clock as "today"
  diff A.json B.json
              list what differs between two site files (two snapshots, or a
              plan and a snapshot), per line (by its port) and reader: readers
              in one only, other serials, each field's two values ("not
              planned" where a file leaves it out); exit status 0 when they
              agree, 1 when not
  snapshot SITE.json OUT.json
              survey and write OUT.json: a site file in which every reader that
              answered is pinned by the serial found with its parameters inline, as
              read, the clock as "today"; site apply OUT.json restores them. OUT.json
              is written whole or not at all. A reader that could not be read and a
              line that could not be surveyed are named on standard error.

Ctrl+C or SIGTERM stops every line after the reader in progress (exit status 130).
For site, 0 is every planned reader matching (or written) at the end; 1 a reader
that differs, is missing, is another reader, failed or is unplanned; 2 also a journal
that cannot be opened or an OUT.json that cannot be written; 3 a line that could not
be opened or failed while in use (the other lines still run); 4 the journal could not
be written (every line stops before its next reader). For snapshot, 0 is a
snapshot of every reader that answered, 1 one that lacks a reader or a line.
)";
}
