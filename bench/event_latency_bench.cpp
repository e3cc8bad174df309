// Time from a byte written at the far end of a pseudo-terminal to OnRxChar running in the UI
// thread, through the event thread and its hand-over, with the UI thread waiting in an event
// loop as an exchange does.
#include <benchmark/benchmark.h>
#include "BenchFigure.h"
#include "QtBenchMain.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "CPort.h"

namespace {

constexpr int kSamples = 1000;
constexpr double kMedianLimitMs = 0.2;
constexpr double kP99LimitMs = 1.0;

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

void BM_ByteToRxCharInUiThread(benchmark::State& state) {
  int master = -1, slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  TComPort port;
  port.SetPort(QString::fromLocal8Bit(ttyname(slave)));
  port.SetEvents({evRxChar});
  using Clock = std::chrono::steady_clock;
  Clock::time_point arrived;
  QEventLoop loop;
  port.SetOnRxChar([&](QObject*, int count) {
    arrived = Clock::now();
    unsigned char buffer[64];
    port.Read(buffer, std::min(count, 64));
    loop.quit();
  });
  port.Open();

  std::vector<double> ms;
  for (auto _ : state) {
    ms.clear();
    for (int i = 0; i < kSamples; ++i) {
      const unsigned char byte = static_cast<unsigned char>(i);
      Clock::time_point sent;
      QTimer::singleShot(0, [&] {
        sent = Clock::now();
        if (write(master, &byte, 1) != 1) loop.quit();
      });
      loop.exec();
      ms.push_back(std::chrono::duration<double, std::milli>(arrived - sent).count());
    }
  }
  port.Close();
  close(master);
  close(slave);

  const double median = Percentile(ms, 0.5), p99 = Percentile(ms, 0.99);
  state.counters["median_ms"] = median;
  state.counters["p99_ms"] = p99;
  state.counters["median_limit_ms"] = kMedianLimitMs;
  state.counters["p99_limit_ms"] = kP99LimitMs;
  std::printf("byte to OnRxChar over %d bytes: median %.4f ms (limit %.1f ms), p99 %.4f ms (limit %.1f ms)\n",
              kSamples, median, kMedianLimitMs, p99, kP99LimitMs);
  PrintFigure("event latency, byte to OnRxChar, median", BenchText("%.4f ms", median),
              BenchText("%.1f ms", kMedianLimitMs), median <= kMedianLimitMs);
  PrintFigure("event latency, byte to OnRxChar, p99", BenchText("%.4f ms", p99), BenchText("%.1f ms", kP99LimitMs),
              p99 <= kP99LimitMs);
}
BENCHMARK(BM_ByteToRxCharInUiThread)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks<QCoreApplication>(argc, argv); }
