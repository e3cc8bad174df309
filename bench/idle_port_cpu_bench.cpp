// CPU used by the whole program (UI thread, port event thread) while a port stands open and
// nothing arrives: an operator leaves the window open on a laptop for hours, and a timer that
// wakes the program for nothing keeps the processor from sleeping. The window and a command-line
// session are measured alike.
#include <benchmark/benchmark.h>
#include "BenchFigure.h"
#include "QtBenchMain.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <time.h>

#include <cstdio>
#include <sstream>

#include "CPort.h"
#include "CliSession.h"
#include "PtyLine.h"
#include "SDIMAIN.h"

namespace {

constexpr double kLimitPercent = 0.1;  // of one core
constexpr int kIdleMs = 10000;

double Seconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct TIdleCost {
  double cpu = 0;
  double wall = 0;
  double Percent() const { return wall > 0 ? 100.0 * cpu / wall : 0; }
};

// Runs the event loop for the idle time, as the program does between the operator's actions.
TIdleCost MeasureIdle() {
  QApplication::processEvents();  // what the open left behind
  const double cpu0 = Seconds(CLOCK_PROCESS_CPUTIME_ID), wall0 = Seconds(CLOCK_MONOTONIC);
  QEventLoop loop;
  QTimer::singleShot(kIdleMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
  return {Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0, Seconds(CLOCK_MONOTONIC) - wall0};
}

void Report(benchmark::State& state, const char* what, const TIdleCost& cost) {
  state.counters["cpu_s"] = cost.cpu;
  state.counters["wall_s"] = cost.wall;
  state.counters["core_percent"] = cost.Percent();
  PrintFigure(what, BenchText("%.3f %% (%.3f s in %.0f s)", cost.Percent(), cost.cpu, cost.wall),
              BenchText("%.1f %% of one core", kLimitPercent), cost.Percent() < kLimitPercent);
}

void BM_IdleOpenPortInTheWindow(benchmark::State& state) {
  sim::PtyLine line;  // nothing arrives
  TParvexForm form;
  form.ComPort->SetPort(QString::fromStdString(line.DevicePath()));
  form.ComPort->SetConnected(true);  // as a search that found a reader leaves it
  TIdleCost cost;
  for (auto _ : state) cost = MeasureIdle();
  Report(state, "CPU of an idle open port, window", cost);
}
BENCHMARK(BM_IdleOpenPortInTheWindow)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_IdleOpenPortInACliSession(benchmark::State& state) {
  sim::PtyLine line;
  TCliOptions options;
  options.port = line.DevicePath();
  std::ostringstream err;
  TCliSession session(options, err);
  TIdleCost cost;
  for (auto _ : state) cost = MeasureIdle();
  Report(state, "CPU of an idle open port, command line", cost);
}
BENCHMARK(BM_IdleOpenPortInACliSession)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks<QApplication>(argc, argv); }
