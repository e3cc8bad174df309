// A write to every reader of a line of 20 simulated readers at 115200 baud, each followed by its
// read-back: the time per reader in the window (progress window, result window, event loop of
// the widgets) against the same write by `parvex-cli write --all` on the same line. The command
// line's search comes before its writes and is left out: its time per reader runs from the
// search's last line to the last reader's line.
#include <benchmark/benchmark.h>

#include "BenchFigure.h"
#include "QtBenchMain.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSpinBox>

#include <chrono>
#include <cstdio>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <vector>

#include "CPort.h"
#include "CliCommands.h"
#include "MessageBoxes.h"
#include "ParameterPanel.h"
#include "SDIMAIN.h"
#include "SimLineThread.h"
#include "WriteAllResults.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kReaders = 20;
constexpr unsigned kBaud = 115200;
constexpr double kAllowance = 1.10;  // the window within 10 % of the command line

// Mode 3 writes every parameter: 18 requests, then 19 for the read-back.
constexpr char kRechargeFile[] = R"({"mode": 3, "cardType": 1, "rechargeUnits": 10,
  "currentDate": "2024-05-06", "endDate": "2034-05-06", "sector": 4, "abonementTimeout": 10, "relayTime": 3,
  "blackList": ["0A0B0C0D", "", "", "", "", "", "", "", "", "FFFFFFFF"]})";

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The moment each line of the command line's output was complete.
class TimedLines : public std::streambuf {
 public:
  std::vector<std::pair<std::string, Clock::time_point>> lines;

 protected:
  int overflow(int c) override {
    if (c == '\n') {
      lines.emplace_back(current_, Clock::now());
      current_.clear();
    } else if (c != EOF) {
      current_ += static_cast<char>(c);
    }
    return c;
  }

 private:
  std::string current_;
};

double WindowSecondsPerReader(SimLineThread& line, int& messages) {
  TParvexForm form;
  form.ComPort->SetPort(QString::fromStdString(line.DevicePath()));
  form.ComPort->SetBaudRate(br115200);
  form.ComPort->SetConnected(true);
  TParameterPanel& panel = *form.Panel1;
  for (int address = 1; address <= kReaders; ++address)
    panel.cbReader->addItem(QString::asprintf("%d / %04X", address, address), address);
  panel.cbReader->setCurrentIndex(0);
  form.ActionList1Update();
  form.EnableParameterPanel(true);
  panel.cbMode->setCurrentIndex(panel.cbMode->findData(3));
  panel.cbCardType->setCurrentIndex(panel.cbCardType->findData(1));
  panel.dtpCurrentDate->setDate(QDate(2024, 5, 6));
  panel.dtpEndDate->setDate(QDate(2034, 5, 6));
  panel.seCardSector->setValue(4);

  const auto start = Clock::now();
  form.acWriteAllReaders->trigger();
  const double seconds = Seconds(Clock::now() - start);
  if (const TfrmWriteAllResults* results = form.WriteAllResults())
    std::printf("window: %s\n", results->lblSummary->text().toStdString().c_str());
  else
    ++messages;
  form.ComPort->SetConnected(false);
  return seconds / kReaders;
}

double CliSecondsPerReader(SimLineThread& line, int& failures) {
  const QString path = QDir::temp().filePath(QStringLiteral("parvex-write-all-bench.json"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(kRechargeFile) < 0) ++failures;
  file.close();
  TimedLines timed;
  std::ostream out(&timed);
  std::ostringstream err;
  const int status = RunCli({"write", "--all", "--port", line.DevicePath(), "--baud", std::to_string(kBaud),
                             path.toStdString()},
                            out, err);
  QFile::remove(path);
  if (status != 0 || timed.lines.size() != 2 * kReaders) {
    std::printf("parvex-cli: status %d, %zu lines\n%s", status, timed.lines.size(), err.str().c_str());
    ++failures;
    return 0;
  }
  std::printf("parvex-cli: %s\n", timed.lines.back().first.c_str());
  const Clock::time_point searched = timed.lines[kReaders - 1].second;  // the last reader listed
  return Seconds(timed.lines.back().second - searched) / kReaders;
}

void BM_WriteToAllReaders(benchmark::State& state) {
  int failures = 0;
  SetMessageSink([&](const TShownMessage& message) {
    ++failures;
    std::printf("message: %s\n", message.text.toStdString().c_str());
  });
  SimLineThread line;
  line.simulator = sim::ReaderSimulator(sim::LineSettings{kBaud});
  for (int address = 1; address <= kReaders; ++address) {
    sim::Reader reader;
    reader.address = static_cast<std::uint8_t>(address);
    reader.state.serial = {0, static_cast<std::uint8_t>(address)};
    line.simulator.AddReader(reader);
  }
  line.Start();
  double windowS = 0, cliS = 0;
  for (auto _ : state) {
    windowS = WindowSecondsPerReader(line, failures);
    cliS = CliSecondsPerReader(line, failures);
  }
  line.Stop();
  SetMessageSink({});
  state.counters["window_ms"] = windowS * 1000;
  state.counters["cli_ms"] = cliS * 1000;
  const double limit = kAllowance * cliS;
  PrintFigure(BenchText("write to all, %d readers at %u baud, time per reader in the window", kReaders, kBaud),
              BenchText("%.1f ms", windowS * 1000),
              BenchText("%.1f ms = 1.1 x parvex-cli write --all (%.1f ms)", limit * 1000, cliS * 1000),
              failures == 0 && cliS > 0 && windowS <= limit);
}
BENCHMARK(BM_WriteToAllReaders)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks<QApplication>(argc, argv); }
