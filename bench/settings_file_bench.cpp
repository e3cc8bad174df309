// Restoring the port settings from a 10 MB settings file of binary garbage, from disk, as the
// program does at start: the time against the 1 s we allow for a start-up read.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <random>

#include "CPort.h"

namespace {

constexpr qsizetype kGarbageBytes = 10 * 1024 * 1024;
constexpr double kLimitMs = 1000.0;

void BM_RestoreFromGarbage(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Parvex.ini"));
  {
    std::mt19937 random(11);
    QByteArray garbage(kGarbageBytes, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    garbage += "\n[ComPort]\nBaudRate=19200\n";
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(garbage);
  }
  TComPort port;
  port.setObjectName(QStringLiteral("ComPort"));
  for (auto _ : state) port.RestoreSettings(path);
  state.counters["limit_ms"] = kLimitMs;
  state.counters["MB"] = static_cast<double>(kGarbageBytes) / 1e6;
  state.SetBytesProcessed(state.iterations() * kGarbageBytes);
}
BENCHMARK(BM_RestoreFromGarbage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
