// One unicast exchange with a reader behind a network gateway: reader-sim paced at 115200 baud
// behind ser2net (RFC 2217) on loopback, on the program's own stack (port with its network line
// and event thread, link host, link). The program's own part is measured as in
// bench_unicast_exchange: the send, the received-characters handlers, and the way from the last
// handler out of the wait; the rest of the round trip is the loopback, ser2net, the pty and the
// reader. The program's CPU while it waits is its CPU time over the exchanges, less its own
// part, over the time it waited: a wait that polled would be a whole core.
#include <benchmark/benchmark.h>
#include "BenchFigure.h"
#include "QtBenchMain.h"

#include <QCoreApplication>
#include <QProcess>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "CPort.h"
#include "ErrorList.h"
#include "ExchangeTiming.h"
#include "ReaderLink.h"
#include "Ser2netServer.h"

namespace {

constexpr int kSamples = 1000;
constexpr double kMedianLimitMs = 0.5;
// Of one core: what is left is the wake-ups of the event thread and of the wait's event loop
// when the answer comes.
constexpr double kWaitCpuLimit = 0.10;

double ProcessCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void BM_NetworkUnicastExchange(benchmark::State& state) {
  QProcess sim;
  sim.start(QStringLiteral(READER_SIM_PATH), {"--baud", "115200", "--turnaround", "0", "--reader", "5"});
  if (!sim.waitForStarted() || !sim.waitForReadyRead(10000)) {
    state.SkipWithError("reader-sim did not start");
    return;
  }
  const std::string device = QString::fromUtf8(sim.readLine()).trimmed().toStdString();
  Ser2netServer gateway(device);
  if (!gateway.Failure().isEmpty()) {
    state.SkipWithError(gateway.Failure().toStdString().c_str());
    return;
  }

  TComPort port;
  port.SetPort(gateway.Rfc2217Line());
  port.SetBaudRate(br115200);
  port.SetEvents(TComEvents{evRxChar});
  StampingHost host(port);
  ErrorList errors;
  ReaderLink link(host, errors);
  Clock::duration inHandlers{};
  Clock::time_point lastHandlerEnd;
  long handlerCalls = 0;
  port.SetOnRxChar([&](QObject*, int count) {
    ++handlerCalls;
    const auto start = Clock::now();
    host.ReceiveFromPort(link, count);
    lastHandlerEnd = Clock::now();
    inHandlers += lastHandlerEnd - start;
  });
  port.SetConnected(true);

  std::vector<double> own, roundTrip;
  int failures = 0;
  std::vector<std::uint8_t> serial;
  double cpuMs = 0;
  for (auto _ : state) {
    own.clear();
    roundTrip.clear();
    const double cpuBefore = ProcessCpuMs();
    for (int i = 0; i < kSamples; ++i) {
      inHandlers = {};
      const auto start = Clock::now();
      const bool ok = link.ReadCommand(5, 0x70, {}, serial, 2, Sending::SendRequest);
      const auto end = Clock::now();
      if (!ok) {
        ++failures;
        continue;
      }
      own.push_back(Ms(host.sent - start) + Ms(inHandlers) + Ms(end - lastHandlerEnd));
      roundTrip.push_back(Ms(end - start));
    }
    cpuMs = ProcessCpuMs() - cpuBefore;
  }
  port.SetConnected(false);
  port.ClearEventHandlers();
  sim.terminate();
  sim.waitForFinished();
  if (own.empty()) {
    state.SkipWithError("no exchange succeeded");
    return;
  }
  double ownTotal = 0, roundTripTotal = 0;
  for (double v : own) ownTotal += v;
  for (double v : roundTrip) roundTripTotal += v;
  const double waitCpu = std::max(0.0, cpuMs - ownTotal) / (roundTripTotal - ownTotal);
  const double median = Percentile(own, 0.5), p99 = Percentile(own, 0.99);
  std::printf("network unicast exchange (rfc2217 through ser2net, 115200 baud), program's own part: median %.3f ms, "
              "p99 %.3f ms; whole round trip median %.3f ms, p99 %.3f ms; CPU while waiting %.1f %% of one core, "
              "%.1f received chunks an exchange; %d of %d failed\n",
              median, p99, Percentile(roundTrip, 0.5), Percentile(roundTrip, 0.99), waitCpu * 100,
              static_cast<double>(handlerCalls) / kSamples, failures, kSamples);
  PrintFigure("network exchange (rfc2217), program's own part, median", BenchText("%.3f ms", median),
              BenchText("%.1f ms", kMedianLimitMs), median <= kMedianLimitMs && failures == 0);
  PrintFigure("network exchange (rfc2217), program's own part, p99", BenchText("%.3f ms", p99), "-", true);
  PrintFigure("network exchange (rfc2217), CPU while waiting", BenchText("%.1f %%", waitCpu * 100),
              BenchText("%.0f %% of one core (polling: 100 %%)", kWaitCpuLimit * 100), waitCpu <= kWaitCpuLimit);
}
BENCHMARK(BM_NetworkUnicastExchange)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks<QCoreApplication>(argc, argv); }
