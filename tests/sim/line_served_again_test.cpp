// A line stopped and served again, as the tests' simulated lines are between two looks at the
// readers: the simulator goes on in its own time, so an answer is never scheduled behind a
// line it believes busy from the run before.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <csignal>
#include <thread>

#include "CodeTables.h"
#include "PtyLine.h"
#include "SimTestSupport.h"

using namespace simtest;

namespace {

volatile std::sig_atomic_t gStop = 0;

// Serves the line until the request has been answered whole (answerSize bytes), then stops.
void ServeOneExchange(sim::PtyLine& line, sim::ReaderSimulator& simulator, int device, const Bytes& request,
                      std::size_t answerSize) {
  gStop = 0;
  std::thread server([&] {
    sigset_t waitMask;
    pthread_sigmask(SIG_BLOCK, nullptr, &waitMask);
    sigdelset(&waitMask, SIGUSR1);
    sim::RunLine(line, simulator, gStop, waitMask, {});
  });
  ASSERT_EQ(::write(device, request.data(), request.size()), static_cast<ssize_t>(request.size()));
  Bytes answer;
  for (pollfd readable{device, POLLIN, 0}; answer.size() < answerSize && ::poll(&readable, 1, 10000) > 0;) {
    std::uint8_t chunk[64];
    const ssize_t n = ::read(device, chunk, sizeof chunk);
    if (n <= 0) break;
    answer.insert(answer.end(), chunk, chunk + n);
  }
  gStop = 1;
  pthread_kill(server.native_handle(), SIGUSR1);
  server.join();
  EXPECT_EQ(answer.size(), answerSize);
}

TEST(LineServedAgain, GoesOnInTheSimulatorsOwnTime) {
  struct sigaction wake {};
  wake.sa_handler = [](int) {};
  sigaction(SIGUSR1, &wake, nullptr);
  sigset_t blocked, before;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &blocked, &before);

  sim::Reader reader;
  reader.address = 5;
  const Bytes request = Request(5, cmd::ReadSerialNumber);
  sim::ReaderSimulator alone;
  alone.AddReader(reader);
  const std::size_t answerSize = Exchange(alone, request).size();

  sim::PtyLine line;
  sim::ReaderSimulator simulator;
  simulator.AddReader(reader);
  const int device = ::open(line.DevicePath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(device, 0);
  ServeOneExchange(line, simulator, device, request, answerSize);
  ServeOneExchange(line, simulator, device, request, answerSize);
  ::close(device);
  pthread_sigmask(SIG_SETMASK, &before, nullptr);

  // Request, answer, request, answer: each later than the one before it.
  const auto& record = simulator.Record();
  ASSERT_EQ(record.size(), 4u);
  for (std::size_t i = 1; i < record.size(); ++i) EXPECT_GT(record[i].at, record[i - 1].at) << "entry " << i;
}

}  // namespace
