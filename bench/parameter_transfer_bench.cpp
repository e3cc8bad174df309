// A full parameter read and write of one reader from the window, against the simulator paced
// at 9600 baud, beside the time its answers need on the wire at that rate plus the reader's own
// answer delay. On a pseudo-terminal the requests reach the simulator at once, so the answers
// are the whole of the line's time here and everything above it is the program's; on a real
// line the requests' own wire time (printed beside) comes on top.
#include <benchmark/benchmark.h>

#include "BenchFigure.h"
#include "QtBenchMain.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>

#include <chrono>
#include <cstdio>

#include "CPort.h"
#include "DemoLine.h"
#include "MessageBoxes.h"
#include "ParameterPanel.h"
#include "SDIMAIN.h"
#include "SimLineThread.h"

namespace {

constexpr unsigned kBaud = 9600;
constexpr auto kAnswerDelay = std::chrono::milliseconds(1);
constexpr double kAllowance = 1.10;  // within 10 % of wire time plus answer delay

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void BM_ParameterReadAndWrite(benchmark::State& state) {
  int messages = 0;
  SetMessageSink([&](const TShownMessage& message) {
    ++messages;
    std::printf("message: %s\n", message.text.toStdString().c_str());
  });
  SimLineThread line;
  line.simulator = sim::ReaderSimulator(sim::LineSettings{kBaud, kAnswerDelay});
  line.simulator.AddReader(sim::DemoReaders().front());
  line.Start();

  TParvexForm form;
  form.ComPort->SetPort(QString::fromStdString(line.DevicePath()));
  form.ComPort->SetConnected(true);
  // The reader in the selector as a search leaves it, without the broadcast wait.
  form.Panel1->cbReader->addItem(QStringLiteral("1 / 1234"), 1);
  form.Panel1->cbReader->setCurrentIndex(0);
  form.ActionList1Update();
  form.EnableParameterPanel(true);

  double readS = 0, writeS = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    form.acReadParameters->trigger();
    const auto read = std::chrono::steady_clock::now();
    form.acWriteParameters->trigger();
    const auto written = std::chrono::steady_clock::now();
    readS = Seconds(read - start);
    writeS = Seconds(written - read);
  }
  form.ComPort->SetConnected(false);
  line.Stop();
  SetMessageSink({});

  std::size_t answerBytes = 0, requestBytes = 0, answers = 0;
  for (const sim::RecordEntry& entry : line.simulator.Record()) {
    const bool answer = entry.direction == sim::Direction::Response;
    (answer ? answerBytes : requestBytes) += entry.frame.size();
    answers += answer ? 1 : 0;
  }
  const double wireS = static_cast<double>(answerBytes) * 10.0 / kBaud;
  const double requestWireS = static_cast<double>(requestBytes) * 10.0 / kBaud;
  const double delayS = static_cast<double>(answers) * std::chrono::duration<double>(kAnswerDelay).count();
  const double totalS = readS + writeS;
  const double limitS = kAllowance * (wireS + delayS);
  state.counters["read_s"] = readS;
  state.counters["write_s"] = writeS;
  state.counters["wire_s"] = wireS;
  std::printf("parameter read %.3f s and write %.3f s of one reader at %u baud: %.3f s for %zu answer bytes that "
              "need %.3f s on the wire plus %.3f s of answer delay (limit %.3f s); the %zu request bytes would "
              "add %.3f s on a real line; %d messages\n",
              readS, writeS, kBaud, totalS, answerBytes, wireS, delayS, limitS, requestBytes, requestWireS, messages);
  PrintFigure(BenchText("parameter read and write of one reader at %u baud", kBaud),
              BenchText("%.3f s (read %.3f, write %.3f)", totalS, readS, writeS),
              BenchText("%.3f s = 1.1 x (%.3f s answers on the wire + %.3f s answer delay)", limitS, wireS, delayS),
              totalS <= limitS && messages == 0);
}
BENCHMARK(BM_ParameterReadAndWrite)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks<QApplication>(argc, argv); }
