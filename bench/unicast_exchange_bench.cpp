// One unicast exchange against the simulator on a pseudo-terminal at its fastest pacing, on the
// program's own stack (port, event thread, link host, link): how long the program itself takes,
// apart from the line and the reader. Its part is the send (frame built and written) plus, for
// each chunk of the answer, the received-characters handler, plus the way from the last chunk
// out of the wait to ReadCommand's return. The event thread's hand-over of each chunk is
// measured by bench_event_latency.
#include <benchmark/benchmark.h>
#include "BenchFigure.h"
#include "QtBenchMain.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "CPort.h"
#include "ErrorList.h"
#include "ExchangeTiming.h"
#include "ReaderLink.h"
#include "SimLineThread.h"

namespace {

constexpr int kSamples = 2000;
constexpr double kMedianLimitMs = 0.5;
constexpr unsigned kFastestBaud = 4000000;

void BM_UnicastExchange(benchmark::State& state) {
  SimLineThread line;
  line.simulator = sim::ReaderSimulator(sim::LineSettings{kFastestBaud, sim::Nanos(0)});
  sim::Reader reader;
  reader.address = 5;
  line.simulator.AddReader(reader);
  line.Start();

  TComPort port;
  port.SetPort(QString::fromStdString(line.DevicePath()));
  port.SetEvents(TComEvents{evRxChar});
  StampingHost host(port);
  ErrorList errors;
  ReaderLink link(host, errors);
  Clock::duration inHandlers{};
  Clock::time_point lastHandlerEnd;
  port.SetOnRxChar([&](QObject*, int count) {
    const auto start = Clock::now();
    host.ReceiveFromPort(link, count);
    lastHandlerEnd = Clock::now();
    inHandlers += lastHandlerEnd - start;
  });
  port.SetConnected(true);

  std::vector<double> own, roundTrip;
  int failures = 0;
  std::vector<std::uint8_t> serial;
  for (auto _ : state) {
    own.clear();
    roundTrip.clear();
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
  }
  port.SetConnected(false);
  line.Stop();
  if (own.empty()) {
    state.SkipWithError("no exchange succeeded");
    return;
  }
  const double median = Percentile(own, 0.5), p99 = Percentile(own, 0.99);
  state.counters["own_median_ms"] = median;
  state.counters["own_p99_ms"] = p99;
  state.counters["round_trip_median_ms"] = Percentile(roundTrip, 0.5);
  std::printf("unicast exchange, program's own part: median %.3f ms, p99 %.3f ms (limit: median %.1f ms); "
              "whole round trip median %.3f ms, p99 %.3f ms at %u baud; %d of %d failed\n",
              median, p99, kMedianLimitMs, Percentile(roundTrip, 0.5), Percentile(roundTrip, 0.99),
              kFastestBaud, failures, kSamples);
  PrintFigure("unicast exchange, program's own part, median", BenchText("%.3f ms", median),
              BenchText("%.1f ms", kMedianLimitMs), median <= kMedianLimitMs && failures == 0);
  const double roundTripMedian = Percentile(roundTrip, 0.5);
  PrintFigure(BenchText("unicast round trip at %u baud, median", kFastestBaud),
              BenchText("%.3f ms", roundTripMedian), "100 ms unicast wait", roundTripMedian <= 100.0);
}
BENCHMARK(BM_UnicastExchange)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks<QCoreApplication>(argc, argv); }
