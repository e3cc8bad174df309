// Apply from the site window against `parvex-cli site apply` on the same four lines of 25
// simulated readers at 115200 baud (reader-sim processes), every reader differing from its plan
// in one field. The window's apply is timed from its action to the end of the run, with the
// survey it asks about already shown, as an operator has it.
#include <benchmark/benchmark.h>

#include "BenchFigure.h"
#include "QtBenchMain.h"
#include "ReaderSimProcess.h"

#include "MessageBoxes.h"
#include "SDIMAIN.h"
#include "SiteWindow.h"
#include "SiteWords.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <vector>

namespace {

constexpr int kLines = 4;
constexpr int kReaders = 25;
constexpr double kAllowance = 1.1;

void WriteFile(const QString& path, const QByteArray& text) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(text);
}

// A site of the lines whose every reader is planned with this sector; readers start at sector 1.
QString SiteFile(const QDir& dir, const std::vector<std::unique_ptr<ReaderSim>>& sims, int sector) {
  const QString plan = QStringLiteral("plan-%1.json").arg(sector);
  WriteFile(dir.filePath(plan),
            QByteArray(R"({"mode": 1, "cardType": 1, "rechargeUnits": 1, "currentDate": "2000-01-01", "endDate": "2000-01-01",
              "abonementTimeout": 1, "relayTime": 1, "blackList": ["", "", "", "", "", "", "", "", "", ""], "sector": )") +
                QByteArray::number(sector) + "}");
  QStringList lines;
  for (const auto& sim : sims) {
    QStringList readers;
    for (int address = 1; address <= kReaders; ++address)
      readers << QStringLiteral(R"({"address": %1, "parameters": "%2"})").arg(address).arg(plan);
    lines << QStringLiteral(R"({"port": "%1", "baud": 115200, "readers": [%2]})").arg(sim->Device(), readers.join(','));
  }
  const QString path = dir.filePath(QStringLiteral("site-%1.json").arg(sector));
  WriteFile(path, QStringLiteral(R"({"site": "bench", "lines": [%1]})").arg(lines.join(',')).toUtf8());
  return path;
}

// Seconds of `parvex-cli site apply`; negative when it did not bring every reader to plan.
double CliApply(const QString& site) {
  QProcess cli;
  QElapsedTimer clock;
  clock.start();
  cli.start(BuiltProgram(PARVEX_CLI_PATH), {"site", "apply", site});
  const bool ok = cli.waitForFinished(600000) && cli.exitCode() == 0;
  const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
  return ok ? seconds : -1;
}

// Readers the window shows as written.
int WrittenRows(const QTreeWidget& tree) {
  int written = 0;
  for (int line = 0; line < tree.topLevelItemCount(); ++line)
    for (int i = 0; i < tree.topLevelItem(line)->childCount(); ++i)
      written += tree.topLevelItem(line)->child(i)->text(2) == TSiteWords::StateWord(TReaderState::Written);
  return written;
}

// Seconds of the window's apply after its survey; negative when it did not write every reader.
double WindowApply(TParvexForm& form, const QString& site) {
  TSiteWindow& window = *form.SiteWindow();
  if (!window.OpenSite(site)) return -1;
  form.acSiteSurvey->trigger();
  QTest::qWaitFor([&] { return !window.Running(); }, 600000);
  QElapsedTimer clock;
  clock.start();
  form.acSiteApply->trigger();
  QTest::qWaitFor([&] { return !window.Running(); }, 600000);
  const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
  return WrittenRows(*window.tvSite) == kLines * kReaders ? seconds : -1;
}

void BM_WindowApplyAgainstCli(benchmark::State& state) {
  QTemporaryDir dir;
  const QString previous = QDir::currentPath();
  QDir::setCurrent(dir.path());  // the window keeps its recent sites in Parvex.ini there
  std::vector<std::unique_ptr<ReaderSim>> sims;
  QStringList args{"--baud", "115200"};
  for (int address = 1; address <= kReaders; ++address) args << "--reader" << QString::number(address);
  for (int i = 0; i < kLines; ++i) sims.push_back(std::make_unique<ReaderSim>(args));
  SetQuestionAnswerer([](const TShownMessage&) { return true; });
  TParvexForm form;
  for (auto _ : state) {
    const double cli = CliApply(SiteFile(QDir(dir.path()), sims, 2));
    const double window = WindowApply(form, SiteFile(QDir(dir.path()), sims, 3));
    PrintFigure("site apply, 4 lines of 25 readers at 115200 baud: the window against parvex-cli",
                BenchText("%.2f s = %.3f x (parvex-cli %.2f s)", window, window / cli, cli),
                BenchText("%.1f x parvex-cli site apply", kAllowance), cli > 0 && window > 0 && window <= kAllowance * cli);
    state.counters["ratio"] = window / cli;
  }
  SetQuestionAnswerer({});
  QDir::setCurrent(previous);
}
BENCHMARK(BM_WindowApplyAgainstCli)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks<QApplication>(argc, argv); }
