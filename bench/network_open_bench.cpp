// How long opening a network line takes to give up on a server that never answers: one that
// accepts and stays silent, and one that floods a subnegotiation it never ends. The open's own
// bound is 3 s whatever the server does; the limit adds the second it may take to give up.
#include <benchmark/benchmark.h>
#include "BenchFigure.h"
#include "QtBenchMain.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include "CPort.h"
#include "UnansweringServers.h"

namespace {

constexpr qint64 kGiveUpLimitMs = 4000;

// Milliseconds from the open to its failure; -1 when the open succeeded.
qint64 GiveUpTime(int serverPort) {
  TComPort port;
  port.SetPort(QStringLiteral("rfc2217://127.0.0.1:%1").arg(serverPort));
  QElapsedTimer openTime;
  openTime.start();
  try {
    port.Open();
  } catch (const EComPort&) {
    return openTime.elapsed();
  }
  return -1;
}

void MeasureGiveUp(benchmark::State& state, int serverPort, const char* server) {
  qint64 ms = -1;
  for (auto _ : state) ms = GiveUpTime(serverPort);
  if (ms < 0) state.SkipWithError("the open succeeded");
  PrintFigure(BenchText("network line open given up, server that %s", server), BenchText("%lld ms", ms),
              BenchText("%lld ms (the open's 3 s bound and 1 s to give up)", kGiveUpLimitMs),
              ms >= 0 && ms < kGiveUpLimitMs);
}

void BM_OpenGivesUpOnASilentServer(benchmark::State& state) {
  const TSilentServer silent;
  MeasureGiveUp(state, silent.Port(), "stays silent");
}
BENCHMARK(BM_OpenGivesUpOnASilentServer)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenGivesUpOnAFloodingServer(benchmark::State& state) {
  const TFloodingServer flooding;
  MeasureGiveUp(state, flooding.Port(), "floods a subnegotiation");
}
BENCHMARK(BM_OpenGivesUpOnAFloodingServer)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks<QCoreApplication>(argc, argv); }
