// CPU used by the whole program (UI thread, port event thread) while the search waits out its
// three broadcasts on a line where nobody answers: the wait must sleep, not spin.
#include <benchmark/benchmark.h>
#include "BenchFigure.h"
#include "QtBenchMain.h"

#include <QAction>
#include <QApplication>

#include <time.h>

#include <cstdio>

#include "CPort.h"
#include "MessageBoxes.h"
#include "PtyLine.h"
#include "SDIMAIN.h"

namespace {

constexpr double kCpuLimitS = 0.1;  // for the 9.6 s of waiting

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double WallSeconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void BM_SearchWithNoReader(benchmark::State& state) {
  SetMessageSink([](const TShownMessage&) {});
  sim::PtyLine line;  // nobody on the far end
  TParvexForm form;
  form.ComPort->SetPort(QString::fromStdString(line.DevicePath()));
  double cpu = 0, wall = 0;
  for (auto _ : state) {
    const double cpu0 = ProcessCpuSeconds(), wall0 = WallSeconds();
    form.acPortOpen->trigger();
    cpu = ProcessCpuSeconds() - cpu0;
    wall = WallSeconds() - wall0;
  }
  state.counters["cpu_s"] = cpu;
  state.counters["wall_s"] = wall;
  std::printf("search with no reader: %.3f s CPU in %.2f s of waiting (limit %.1f s CPU, one core); port %s\n",
              cpu, wall, kCpuLimitS, form.ComPort->Connected() ? "open" : "closed again");
  PrintFigure("CPU during a failed search", BenchText("%.3f s in %.1f s", cpu, wall),
              BenchText("%.1f s, one core", kCpuLimitS), cpu <= kCpuLimitS);
  SetMessageSink({});
}
BENCHMARK(BM_SearchWithNoReader)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks<QApplication>(argc, argv); }
