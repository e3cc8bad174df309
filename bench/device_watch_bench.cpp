// Time from the kernel announcing a serial device pulled or plugged in to the port lists' watch
// telling of it, on the real monitor: root makes the kernel announce a device again.
#include <benchmark/benchmark.h>
#include "BenchFigure.h"
#include "KernelAnnouncement.h"
#include "QtBenchMain.h"
#include "UdevPortWatch.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

constexpr int kCycles = 50;
constexpr double kLimitMs = 1000;  // an adapter that arrives or leaves is known within a second

// Milliseconds from announcing the device with this action to the watch telling it; negative
// when the kernel refused or the watch did not tell.
template <typename Signal>
double TellingMs(TSerialPortWatch& watch, const QString& device, const char* action, Signal told) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point announced = Clock::now();
  if (AnnounceAgain(device, action) != 0 || !WaitToBeTold(watch, told, device)) return -1;
  return std::chrono::duration<double, std::milli>(Clock::now() - announced).count();
}

void BM_DeviceAnnouncedToWatchTelling(benchmark::State& state) {
  TUdevPortWatch watch;
  if (watch.Adapters().empty()) {
    state.SkipWithError("this machine has no serial device");
    return;
  }
  const QString device = watch.Adapters().front().device;
  std::vector<double> ms;
  for (auto _ : state) {
    for (int i = 0; i < kCycles; ++i) {
      ms.push_back(TellingMs(watch, device, "remove", &TSerialPortWatch::Left));
      ms.push_back(TellingMs(watch, device, "add", &TSerialPortWatch::Arrived));
    }
  }
  AnnounceAgain(device, "add");
  if (std::any_of(ms.begin(), ms.end(), [](double m) { return m < 0; })) {
    state.SkipWithError("the kernel may not announce the device here (needs root), or the watch did not tell");
    return;
  }
  std::sort(ms.begin(), ms.end());
  const double median = ms[ms.size() / 2], slowest = ms.back();
  state.counters["median_ms"] = median;
  state.counters["slowest_ms"] = slowest;
  PrintFigure("device watch, announced to told, median", BenchText("%.3f ms", median), BenchText("%.0f ms", kLimitMs),
              median <= kLimitMs);
  PrintFigure("device watch, announced to told, slowest of " + std::to_string(ms.size()), BenchText("%.3f ms", slowest),
              BenchText("%.0f ms", kLimitMs), slowest <= kLimitMs);
}
BENCHMARK(BM_DeviceAnnouncedToWatchTelling)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks<QCoreApplication>(argc, argv); }
