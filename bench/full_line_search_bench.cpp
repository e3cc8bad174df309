// 254 readers answering one broadcast, paced at 115200 baud: the window must list every one, in
// the order of the answers, from that single broadcast.
#include <benchmark/benchmark.h>
#include "BenchFigure.h"
#include "QtBenchMain.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>

#include <chrono>
#include <cstdio>

#include "CPort.h"
#include "MessageBoxes.h"
#include "ParameterPanel.h"
#include "SDIMAIN.h"
#include "SimLineThread.h"

namespace {

constexpr int kReaders = 254;
constexpr unsigned kBaud = 115200;
constexpr double kBroadcastWaitS = 3.2;

void BM_FullLineSearch(benchmark::State& state) {
  int messages = 0;
  SetMessageSink([&](const TShownMessage& message) {
    ++messages;
    std::printf("message: %s\n", message.text.toStdString().c_str());
  });
  SimLineThread line;
  line.simulator = sim::ReaderSimulator(sim::LineSettings{kBaud});
  for (int i = 0; i < kReaders; ++i) {
    sim::Reader reader;
    reader.address = static_cast<std::uint8_t>(kReaders - i);  // answer order differs from address order
    reader.state.serial = {static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i)};
    line.simulator.AddReader(reader);
  }
  line.Start();
  TParvexForm form;
  form.ComPort->SetPort(QString::fromStdString(line.DevicePath()));
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    form.acPortOpen->trigger();
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  const QComboBox* list = form.Panel1->cbReader;
  int inOrder = 0;
  for (int i = 0; i < list->count(); ++i) {
    char text[32];
    std::snprintf(text, sizeof text, "%d / %04X", kReaders - i, i);
    if (list->itemText(i) == QLatin1String(text) && list->itemData(i).toInt() == kReaders - i) ++inOrder;
  }
  form.ComPort->SetConnected(false);
  line.Stop();
  state.counters["listed"] = list->count();
  state.counters["in_order"] = inOrder;
  const double wire = kReaders * 8 * 10.0 / kBaud;
  std::printf("full line: %d of %d readers listed, %d in answer order, %d messages; answers take %.3f s on "
              "the wire at %u baud within the %.1f s broadcast wait; open with search took %.2f s\n",
              list->count(), kReaders, inOrder, messages, wire, kBaud, kBroadcastWaitS, seconds);
  PrintFigure(BenchText("%d readers in one broadcast, listed in answer order", kReaders),
              BenchText("%d (answers %.3f s on the wire)", inOrder, wire),
              BenchText("%d within the %.1f s wait", kReaders, kBroadcastWaitS),
              inOrder == kReaders && list->count() == kReaders && wire <= kBroadcastWaitS);
  if (list->count() != kReaders || inOrder != kReaders) state.SkipWithError("not every reader listed in order");
  SetMessageSink({});
}
BENCHMARK(BM_FullLineSearch)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks<QApplication>(argc, argv); }
