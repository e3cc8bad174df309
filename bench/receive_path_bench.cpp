// 10 MB of line noise through the receive path into a terminal log bounded as the window's
// is: throughput against the 5 MB/s we require (a 115200 baud line brings 0.0115 MB/s), and
// the peak memory, which must not grow with the input.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdint>
#include <functional>
#include <random>
#include <span>
#include <vector>

#include "ErrorList.h"
#include "ReaderLink.h"
#include "TerminalText.h"

namespace {

constexpr std::size_t kNoiseBytes = 10 * 1000 * 1000;
constexpr double kRequiredMBps = 5.0;
constexpr double kLineMBps = 115200.0 / 10 / 1e6;

class QuietLine : public LinkHost {
 public:
  std::size_t WriteLine(std::span<const std::uint8_t> bytes) override { return bytes.size(); }
  void FailShortWrite(std::size_t, std::size_t) override {}
  void ShowLogLine(std::string_view raw) override { log.Show(raw); }
  std::int64_t NowMs() override { return now; }
  void Wait(std::int64_t deadline, const std::function<bool()>&) override { now = deadline; }
  std::uint32_t BaudRate() override { return 115200; }
  std::int64_t now = 0;
  TerminalLog log;
};

enum class Noise { Text, TextWithLineBreaks, AnyBytes };

std::vector<std::uint8_t> MakeNoise(Noise kind) {
  std::mt19937 random(7);
  std::vector<std::uint8_t> bytes(kNoiseBytes);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = kind == Noise::AnyBytes ? static_cast<std::uint8_t>(random()) : static_cast<std::uint8_t>(' ' + random() % 95);
    if (kind == Noise::TextWithLineBreaks && random() % 60 == 0 && i + 1 < bytes.size()) {
      bytes[i] = '\r';
      bytes[++i] = '\n';
    }
  }
  return bytes;
}

double PeakRssMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_NoiseIntoTerminalLog(benchmark::State& state) {
  const auto kind = static_cast<Noise>(state.range(0));
  const auto chunk = static_cast<std::size_t>(state.range(1));
  const std::vector<std::uint8_t> noise = MakeNoise(kind);
  std::size_t logBytes = 0;
  for (auto _ : state) {
    QuietLine line;
    ErrorList errors;
    ReaderLink link(line, errors);
    for (std::size_t at = 0; at < noise.size(); at += chunk) {
      const std::size_t n = std::min(chunk, noise.size() - at);
      link.ReceiveChunk(std::span<const std::uint8_t>(noise).subspan(at, n));
      line.now += 1;
    }
    line.now += 100;
    link.IdleFlush();
    logBytes = 0;
    for (const std::string& shown : line.log.Lines()) logBytes += shown.size();
    benchmark::DoNotOptimize(logBytes);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * noise.size()));
  state.counters["MBps"] = benchmark::Counter(static_cast<double>(state.iterations() * noise.size()) / 1e6,
                                              benchmark::Counter::kIsRate);
  state.counters["required_MBps"] = kRequiredMBps;
  state.counters["line_115200_MBps"] = kLineMBps;
  state.counters["log_MiB"] = static_cast<double>(logBytes) / (1024.0 * 1024.0);
  state.counters["log_bound_MiB"] =
      static_cast<double>(terminal::kMaxLogLines * terminal::kMaxLineWidth * 3) / (1024.0 * 1024.0);
  state.counters["peak_rss_MiB"] = PeakRssMiB();  // the 10 MB of noise itself included
}

}  // namespace

// Arguments: kind of noise (0 text, 1 text with CR LF, 2 any bytes), chunk size in bytes.
BENCHMARK(BM_NoiseIntoTerminalLog)
    ->ArgNames({"noise", "chunk"})
    ->Args({0, 1})
    ->Args({0, 64})
    ->Args({0, 4096})
    ->Args({1, 64})
    ->Args({1, 4096})
    ->Args({2, 64})
    ->Args({2, 4096})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

BENCHMARK_MAIN();
