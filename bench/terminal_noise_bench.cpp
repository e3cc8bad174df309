// 10 MB of text noise through the receive path into the real terminal log widget, with and
// without line breaks: the log must keep up with a fast line and stay bounded in memory.
#include <benchmark/benchmark.h>
#include "BenchFigure.h"
#include "QtBenchMain.h"

#include <QApplication>
#include <QPlainTextEdit>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "ErrorList.h"
#include "ReaderLink.h"
#include "TerminalView.h"

namespace {

constexpr std::size_t kNoiseBytes = 10 * 1000 * 1000;
constexpr std::size_t kChunk = 4096;
constexpr double kLimitMBps = 5.0;
constexpr int kMoreRounds = 5;

// The receive path with nothing awaited: every byte of noise goes to the log.
class NoiseHost : public LinkHost {
 public:
  explicit NoiseHost(TTerminalView& view) : view_(view) {}
  std::size_t WriteLine(std::span<const std::uint8_t> bytes) override { return bytes.size(); }
  void FailShortWrite(std::size_t, std::size_t) override {}
  void ShowLogLine(std::string_view raw) override { view_.Show(raw); }
  std::int64_t NowMs() override { return 0; }
  void Wait(std::int64_t, const std::function<bool()>&) override {}
  std::uint32_t BaudRate() override { return 115200; }

 private:
  TTerminalView& view_;
};

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:") {
      status >> value;
      return value;
    }
    status.ignore(1 << 20, '\n');
  }
  return 0;
}

// Printable text; with breaks, a CR LF after every 70 characters.
std::string Noise(bool lineBreaks) {
  std::string chunk;
  for (std::size_t i = 0; chunk.size() < kChunk; ++i) {
    if (lineBreaks && i % 72 >= 70) {
      chunk += i % 72 == 70 ? '\r' : '\n';
    } else {
      chunk += static_cast<char>('!' + (i * 7) % 90);
    }
  }
  return chunk;
}

void BM_NoiseIntoTerminalLog(benchmark::State& state) {
  const bool lineBreaks = state.range(0) != 0;
  QPlainTextEdit edit;
  edit.resize(600, 200);
  edit.show();
  TTerminalView view(edit);
  NoiseHost host(view);
  ErrorList errors;
  ReaderLink link(host, errors);
  const std::string chunk = Noise(lineBreaks);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(chunk.data());
  const auto feed = [&] {
    for (std::size_t fed = 0; fed < kNoiseBytes; fed += kChunk) {
      link.ProcessInput({bytes, kChunk}, ScanMode::MoreToCome);
      QApplication::processEvents();  // the window's loop runs between two deliveries
    }
    view.Apply();
    QApplication::processEvents();
  };
  const long rssBefore = ResidentKb();
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    feed();
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  const long rssFirst = ResidentKb();
  // Five times as much again: with the log full, memory must stay level. The text view gives
  // removed text back in steps (its buffer is compacted once nearly full), so the figure to
  // watch is the highest level, not the last one.
  long rssHighest = rssFirst;
  for (int round = 0; round < kMoreRounds; ++round) {
    feed();
    rssHighest = std::max(rssHighest, ResidentKb());
  }
  const double mbps = static_cast<double>(kNoiseBytes) / 1e6 / seconds;
  state.counters["MB_per_s"] = mbps;
  state.counters["rss_highest_kB"] = static_cast<double>(rssHighest);
  std::printf("noise %s line breaks: %.1f MB/s (limit %.1f MB/s, 10 MB fed in %zu-byte chunks); log holds %d "
              "lines (bound %zu of at most %zu characters); resident memory %ld kB before, %ld kB after 10 MB, "
              "at most %ld kB over %d MB more\n",
              lineBreaks ? "with" : "without", mbps, kLimitMBps, kChunk, edit.blockCount(), terminal::kMaxLogLines,
              terminal::kMaxLineWidth, rssBefore, rssFirst, rssHighest, kMoreRounds * 10);
  PrintFigure(BenchText("log ingest, noise %s line breaks", lineBreaks ? "with" : "without"),
              BenchText("%.1f MB/s", mbps), BenchText("at least %.1f MB/s", kLimitMBps), mbps >= kLimitMBps);
}
BENCHMARK(BM_NoiseIntoTerminalLog)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks<QApplication>(argc, argv); }
