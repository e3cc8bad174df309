// A site's lines run at once: four lines of 25 simulated readers at 115200 baud (reader-sim
// processes), each reader differing from its plan in one field. Apply and survey on all four
// together against the slowest of them run alone; the CPU of the program while the lines work;
// the same with one line behind ser2net (RFC 2217 on loopback) beside three local ones; one line
// alone exchanging without pause; and sixteen and sixty-four lines of ten readers against one of
// them alone. And a journal of 100,000 lines read back as history. And the time per reader of an apply
// that writes one differing field against one that writes the whole sequence.
#include <benchmark/benchmark.h>

#include "BenchFigure.h"
#include "QtBenchMain.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <time.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ParameterJson.h"
#include "Ser2netServer.h"
#include "SiteHistory.h"
#include "SiteJournal.h"
#include "SiteRun.h"

namespace {

constexpr std::uint32_t kBaud = 115200;
constexpr double kFourLinesAllowance = 1.15;
constexpr double kManyLinesAllowance = 1.3;
constexpr double kWaitingCpuLimitPercent = 0.1;  // a line waiting for answers, of one core
// A line that exchanges without pause: its thread waits on its device and takes each chunk
// itself, so what it costs is a poll and a read per chunk and the link's own work.
constexpr double kTrafficCpuLimitPercent = 1;
constexpr double kWholeProcessCores = 1;  // however many lines, the program stays under one core

double Seconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// reader-sim with readers 1..count paced at kBaud.
class SimProcess {
 public:
  // Without readers, one that never answers: a line on which every wait runs to its end.
  explicit SimProcess(int count) {
    QStringList args{"--baud", QString::number(kBaud)};
    for (int address = 1; address <= count; ++address) args << "--reader" << QString::number(address);
    if (count == 0) args << "--reader" << "1" << "--silent";
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(QStringLiteral(READER_SIM_PATH), args);
    if (process_.waitForStarted() && process_.waitForReadyRead())
      device_ = QString::fromUtf8(process_.readLine()).trimmed().toStdString();
  }
  ~SimProcess() {
    process_.terminate();
    process_.waitForFinished();
  }
  const std::string& Device() const { return device_; }

 private:
  QProcess process_;
  std::string device_;
};

// The plan of every reader: a sector that a run of an apply changes, so that every reader differs.
TWriteValues Plan(int sector) {
  return WriteValuesFromJson(QByteArray(R"({"mode": 1, "cardType": 1, "rechargeUnits": 1, "currentDate": "2000-01-01",
    "endDate": "2000-01-01", "abonementTimeout": 1, "relayTime": 1, "blackList": ["", "", "", "", "", "", "", "", "", ""],
    "sector": )") + QByteArray::number(sector) + "}");
}

TSiteLine Line(const std::string& port, int readers, const TWriteValues& plan) {
  TSiteLine line;
  line.port = port;
  line.baud = kBaud;
  for (int address = 1; address <= readers; ++address)
    line.readers.push_back({static_cast<std::uint8_t>(address), std::nullopt, plan});
  return line;
}

struct TCost {
  double wall = 0;
  double cpu = 0;
};

using TLines = std::vector<std::pair<std::string, int>>;  // port, readers

class SiteBench {
 public:
  // Runs the lines together and counts every reader not left as the task should leave it.
  TCost Run(const TLines& lines, TSiteTask task) {
    if (task == TSiteTask::Apply) sector_ = sector_ % 15 + 1;
    return Run(lines, task, Plan(sector_));
  }
  TCost Run(const TLines& lines, TSiteTask task, const TWriteValues& plan) {
    TSiteFile site;
    site.name = "bench";
    for (const auto& [port, readers] : lines) site.lines.push_back(Line(port, readers, plan));
    TSiteJournal journal(dir_.filePath("bench.journal.jsonl"));
    TSiteRun run(site, task, &journal);
    QEventLoop loop;
    QObject::connect(&run, &TSiteRun::Finished, &loop, &QEventLoop::quit);
    const double wall0 = Seconds(CLOCK_MONOTONIC), cpu0 = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    run.Start();
    loop.exec();
    const TCost cost{Seconds(CLOCK_MONOTONIC) - wall0, Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0};
    for (const TLineResult& line : run.Join().lines)
      for (const TReaderResult& reader : line.readers)
        failures += task == TSiteTask::Apply ? reader.state != TReaderState::Written
                                             : reader.state != TReaderState::Matches && reader.state != TReaderState::Differs;
    return cost;
  }
  // The slowest line run alone.
  double SlowestAlone(const TLines& lines, TSiteTask task) {
    double slowest = 0;
    for (const auto& line : lines) slowest = std::max(slowest, Run({line}, task).wall);
    return slowest;
  }
  int failures = 0;

 private:
  QTemporaryDir dir_;
  int sector_ = 1;  // what the readers were last written, and a survey plans
};

void Ratio(const std::string& what, double together, double alone, double allowance, int failures) {
  PrintFigure(what, BenchText("%.2f s = %.3f x", together, together / alone),
              BenchText("%.2f x the slowest alone (%.2f s)", allowance, alone),
              failures == 0 && together <= allowance * alone);
}

TLines Locals(const std::vector<std::unique_ptr<SimProcess>>& sims, int readers) {
  TLines lines;
  for (const auto& sim : sims) lines.emplace_back(sim->Device(), readers);
  return lines;
}

std::vector<std::unique_ptr<SimProcess>> Sims(int lines, int readers) {
  std::vector<std::unique_ptr<SimProcess>> sims;
  for (int i = 0; i < lines; ++i) sims.push_back(std::make_unique<SimProcess>(readers));
  return sims;
}

void BM_FourLines(benchmark::State& state) {
  const auto sims = Sims(4, 25);
  const TLines lines = Locals(sims, 25);
  SiteBench bench;
  for (auto _ : state) {
    const double applyAlone = bench.SlowestAlone(lines, TSiteTask::Apply);
    const TCost apply = bench.Run(lines, TSiteTask::Apply);
    const double surveyAlone = bench.SlowestAlone(lines, TSiteTask::Survey);
    const TCost survey = bench.Run(lines, TSiteTask::Survey);
    Ratio("site apply, 4 lines of 25 readers at 115200 baud, together", apply.wall, applyAlone, kFourLinesAllowance,
          bench.failures);
    Ratio("site survey, 4 lines of 25 readers at 115200 baud, together", survey.wall, surveyAlone,
          kFourLinesAllowance, bench.failures);
    // Traffic on every line, all the time: the receive path's share of a core, line by line.
    const double perLine = 100 * apply.cpu / apply.wall / static_cast<double>(lines.size());
    PrintFigure("site apply, 4 lines: CPU of the program per line while the lines exchange",
                BenchText("%.2f %% (%.3f s in %.2f s, 4 lines)", perLine, apply.cpu, apply.wall),
                BenchText("%.0f %% of one core per line", kTrafficCpuLimitPercent), perLine <= kTrafficCpuLimitPercent);
    state.counters["apply_ratio"] = apply.wall / applyAlone;
    state.counters["survey_ratio"] = survey.wall / surveyAlone;
    state.counters["cpu_percent_per_line"] = perLine;
  }
}
BENCHMARK(BM_FourLines)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// One line alone, exchanging without pause: a survey and an apply of 25 readers.
void BM_OneLineExchanging(benchmark::State& state) {
  const auto sims = Sims(1, 25);
  const TLines lines = Locals(sims, 25);
  SiteBench bench;
  for (auto _ : state) {
    const TCost survey = bench.Run(lines, TSiteTask::Survey);
    const TCost apply = bench.Run(lines, TSiteTask::Apply);
    const double percent = 100 * (survey.cpu + apply.cpu) / (survey.wall + apply.wall);
    PrintFigure("site survey and apply, 1 line of 25 readers at 115200 baud: CPU of the program while it exchanges",
                BenchText("%.2f %% (%.3f s in %.2f s)", percent, survey.cpu + apply.cpu, survey.wall + apply.wall),
                BenchText("%.0f %% of one core", kTrafficCpuLimitPercent),
                bench.failures == 0 && percent <= kTrafficCpuLimitPercent);
    state.counters["cpu_percent"] = percent;
  }
}
BENCHMARK(BM_OneLineExchanging)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// Four lines on which nobody answers: every line waits out its three broadcasts.
void BM_FourLinesWaiting(benchmark::State& state) {
  const auto sims = Sims(4, 0);
  SiteBench bench;
  for (auto _ : state) {
    const TCost waiting = bench.Run(Locals(sims, 1), TSiteTask::Survey);
    const double percent = 100 * waiting.cpu / waiting.wall / static_cast<double>(sims.size());
    PrintFigure("site survey, 4 lines where nobody answers: CPU of the program per line while the lines wait",
                BenchText("%.3f %% (%.3f s in %.2f s, 4 lines)", percent, waiting.cpu, waiting.wall),
                BenchText("%.1f %% of one core per line", kWaitingCpuLimitPercent), percent <= kWaitingCpuLimitPercent);
    state.counters["cpu_percent"] = percent;
  }
}
BENCHMARK(BM_FourLinesWaiting)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_OneLineBehindSer2net(benchmark::State& state) {
  const auto sims = Sims(4, 25);
  Ser2netServer gateway(sims[0]->Device());
  TLines lines = Locals(sims, 25);
  lines[0].first = gateway.Rfc2217Line().toStdString();
  SiteBench bench;
  for (auto _ : state) {
    const double alone = bench.SlowestAlone(lines, TSiteTask::Apply);
    const TCost together = bench.Run(lines, TSiteTask::Apply);
    Ratio("site apply, 1 line behind ser2net beside 3 local lines, together", together.wall, alone,
          kFourLinesAllowance, bench.failures + !gateway.Failure().isEmpty());
    state.counters["ratio"] = together.wall / alone;
  }
}
BENCHMARK(BM_OneLineBehindSer2net)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// Many lines of 10 readers run together against the first of them alone; the run together.
TCost ManyLinesAgainstOne(benchmark::State& state, int count, TSiteTask task, const std::string& what) {
  const auto sims = Sims(count, 10);
  const TLines lines = Locals(sims, 10);
  SiteBench bench;
  const double one = bench.Run({lines[0]}, task).wall;
  const TCost together = bench.Run(lines, task);
  Ratio(what, together.wall, one, kManyLinesAllowance, bench.failures);
  state.counters["ratio"] = together.wall / one;
  return together;
}

void BM_SixteenLines(benchmark::State& state) {
  for (auto _ : state)
    ManyLinesAgainstOne(state, 16, TSiteTask::Apply, "site apply, 16 lines of 10 readers at 115200 baud, against one alone");
}
BENCHMARK(BM_SixteenLines)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// Four 16-port adapters' worth of lines in one survey: the program, not the wires, must not be
// what limits it.
void BM_SixtyFourLines(benchmark::State& state) {
  for (auto _ : state) {
    const TCost together =
        ManyLinesAgainstOne(state, 64, TSiteTask::Survey, "site survey, 64 lines of 10 readers at 115200 baud, against one alone");
    const double cores = together.cpu / together.wall;
    PrintFigure("site survey, 64 lines: CPU of the whole program",
                BenchText("%.2f cores (%.3f s in %.2f s)", cores, together.cpu, together.wall),
                BenchText("%.0f core", kWholeProcessCores), cores < kWholeProcessCores);
    state.counters["cores"] = cores;
  }
}
BENCHMARK(BM_SixtyFourLines)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// A plan of mode 0 or 1 that differs from the other in every field a write of theirs sends.
TWriteValues Whole(int variant, int sector) {
  const QByteArray date = variant ? "2001-02-02" : "2000-01-01";
  const QByteArray row = variant ? R"("00000001")" : R"("")";
  QByteArray rows = row;
  for (std::size_t i = 1; i < kBlackListRows; ++i) rows += "," + row;
  return WriteValuesFromJson(QByteArray(R"({"mode": )") + QByteArray::number(variant) + R"(, "currentDate": ")" + date +
                             R"(", "endDate": ")" + date + R"(", "sector": )" + QByteArray::number(sector) +
                             R"(, "abonementTimeout": )" + QByteArray::number(variant + 1) + R"(, "relayTime": )" +
                             QByteArray::number(variant + 1) + R"(, "blackList": [)" + rows + "]}");
}

// 25 readers of which each differs in one field: the apply writes that field alone. Beside it the
// same readers differing in every field, which every apply wrote whole before.
void BM_OneFieldDiffers(benchmark::State& state) {
  constexpr int kReaders = 25;
  const auto sims = Sims(1, kReaders);
  const TLines lines = Locals(sims, kReaders);
  SiteBench bench;
  for (auto _ : state) {
    bench.Run(lines, TSiteTask::Apply, Whole(0, 1));
    const double whole = bench.Run(lines, TSiteTask::Apply, Whole(1, 2)).wall / kReaders;
    const double oneField = bench.Run(lines, TSiteTask::Apply, Whole(1, 3)).wall / kReaders;
    PrintFigure("site apply, 25 readers at 115200 baud, one field differing: time per reader",
                BenchText("%.0f ms = %.2f x", 1000 * oneField, oneField / whole),
                BenchText("the whole sequence written (%.0f ms per reader)", 1000 * whole),
                bench.failures == 0 && oneField < whole);
    state.counters["ms_per_reader_one_field"] = 1000 * oneField;
    state.counters["ms_per_reader_whole"] = 1000 * whole;
  }
}
BENCHMARK(BM_OneFieldDiffers)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// A journal of 100,000 lines, as a year of applies leaves it (an intent and an outcome for each
// write of 100 readers on four lines), read back as history.
void BM_HistoryOfAHundredThousandLines(benchmark::State& state) {
  constexpr int kLines = 100000;
  QTemporaryDir dir;
  const QString path = dir.filePath("site.journal.jsonl");
  {
    QFile journal(path);
    journal.open(QIODevice::WriteOnly);
    for (int i = 0; i < kLines / 2; ++i) {
      const QByteArray reader = R"("time":"2026-12-09T12:03:04.567+03:00","user":"operator","host":"desk","site":"bench",)"
                                R"("line":)" + QByteArray::number(i % 4) + R"(,"port":"/dev/ttyUSB)" + QByteArray::number(i % 4) +
                                R"(","address":)" + QByteArray::number(i % 25 + 1) + R"(,"serial":"00AB",)";
      journal.write("{" + reader + R"("intent":[{"field":"sector","before":"1","planned":"5"},{"field":"relayTime","before":"1","planned":"3"}]})" "\n");
      journal.write("{" + reader + R"("fields":[{"field":"sector","before":"1","after":"5"},{"field":"relayTime","before":"1","after":"3"}],"outcome":"verified"})" "\n");
    }
  }
  for (auto _ : state) {
    const double wall0 = Seconds(CLOCK_MONOTONIC);
    const std::vector<TReaderHistory> history = ReadHistory(path, {});
    const double wall = Seconds(CLOCK_MONOTONIC) - wall0;
    std::size_t entries = 0;
    for (const TReaderHistory& reader : history) entries += reader.entries.size();
    PrintFigure("site history, a journal of 100,000 lines read back", BenchText("%.3f s", wall),
                BenchText("1 s"), entries == kLines / 2 && wall < 1.0);
    state.counters["seconds"] = wall;
  }
}
BENCHMARK(BM_HistoryOfAHundredThousandLines)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks<QCoreApplication>(argc, argv); }
