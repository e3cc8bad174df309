// How long a 10-byte answer takes through a pseudo-terminal with the simulator pacing its
// bytes. The wire time of 10 bytes at 9600 baud (10 bit times each) is the limit: an answer
// must never be faster than a real line would carry it.
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "CodeTables.h"
#include "PtyLine.h"
#include "ReaderSimulator.h"
#include "Frame.h"

namespace {

using Clock = std::chrono::steady_clock;

void Wake(int) {}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void BM_CashDeskAnswerAt9600(benchmark::State& state) {
  sim::LineSettings settings;
  settings.baud = 9600;
  settings.turnaround = sim::Nanos(0);  // measure the bytes alone
  sim::ReaderSimulator simulator(settings);
  sim::Reader reader;
  reader.address = 1;
  simulator.AddReader(reader);
  sim::PtyLine line;

  // The line thread waits with SIGUSR1 let through, so a signal ends its wait at once.
  std::signal(SIGUSR1, Wake);
  sigset_t usr1, waitMask;
  sigemptyset(&usr1);
  sigaddset(&usr1, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &usr1, &waitMask);
  sigdelset(&waitMask, SIGUSR1);
  volatile std::sig_atomic_t stop = 0;
  std::thread server([&] { sim::RunLine(line, simulator, stop, waitMask, {}); });

  const int fd = open(line.DevicePath().c_str(), O_RDWR | O_NOCTTY);
  const auto request = BuildRequest(1, cmd::ReadCashDeskNumber);
  constexpr std::size_t kAnswer = 10;
  double span = 0, firstToLast = 0, iterations = 0;
  for (auto _ : state) {
    if (write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
      state.SkipWithError("write failed");
      break;
    }
    const auto sent = Clock::now();
    Clock::time_point first{}, last{};
    std::size_t got = 0;
    std::uint8_t buf[16];
    while (got < kAnswer) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 1000) <= 0) break;
      const ssize_t n = read(fd, buf, sizeof buf);
      if (n <= 0) continue;
      last = Clock::now();
      if (got == 0) first = last;
      got += static_cast<std::size_t>(n);
    }
    if (got != kAnswer) {
      state.SkipWithError("no complete answer");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(last - sent).count());
    span += Ms(last - sent);
    firstToLast += Ms(last - first);
    ++iterations;
  }
  close(fd);
  stop = 1;
  pthread_kill(server.native_handle(), SIGUSR1);
  server.join();
  pthread_sigmask(SIG_UNBLOCK, &usr1, nullptr);

  const double byteMs = Ms(simulator.ByteTime());
  if (iterations > 0) {
    state.counters["request_to_last_ms"] = span / iterations;
    state.counters["wire_time_limit_ms"] = kAnswer * byteMs;
    state.counters["first_to_last_ms"] = firstToLast / iterations;
    state.counters["first_to_last_limit_ms"] = (kAnswer - 1) * byteMs;
  }
  state.SetLabel("limit: 10 bytes x 10 bits at 9600 baud");
}
BENCHMARK(BM_CashDeskAnswerAt9600)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace

BENCHMARK_MAIN();
