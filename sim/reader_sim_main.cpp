// reader-sim: card readers on a pseudo-terminal, for the demo and for tests.
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "FrameTrace.h"
#include "PtyLine.h"
#include "SimOptions.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

void OnStopSignal(int) { gStop = 1; }

// Blocks the stop signals and returns the mask to wait with, in which they are let through.
sigset_t InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
    sigaction(s, &action, nullptr);
    sigaddset(&stopSignals, s);
  }
  std::signal(SIGPIPE, SIG_IGN);
  sigset_t waitMask;
  sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
  for (const int s : {SIGINT, SIGTERM, SIGHUP}) sigdelset(&waitMask, s);
  return waitMask;
}

// A link to the device; a stale link from an earlier run is replaced, anything else is kept.
class DeviceLink {
 public:
  DeviceLink(std::string path, const std::string& target) : path_(std::move(path)), target_(target) {
    struct stat st {};
    if (lstat(path_.c_str(), &st) == 0) {
      if (!S_ISLNK(st.st_mode)) throw std::runtime_error(path_ + " exists and is not a symbolic link");
      unlink(path_.c_str());
    }
    if (symlink(target.c_str(), path_.c_str()) != 0)
      throw std::runtime_error("cannot link " + path_ + ": " + std::strerror(errno));
  }
  ~DeviceLink() {
    // Only our own link goes: another run may have taken the path over meanwhile.
    std::vector<char> buf(target_.size() + 2);
    const ssize_t n = readlink(path_.c_str(), buf.data(), buf.size());
    if (n >= 0 && std::string(buf.data(), static_cast<std::size_t>(n)) == target_) unlink(path_.c_str());
  }
  DeviceLink(const DeviceLink&) = delete;
  DeviceLink& operator=(const DeviceLink&) = delete;

 private:
  std::string path_;
  std::string target_;
};

void Describe(const sim::Reader& r) {
  const auto& s = r.state;
  std::fprintf(stderr,
               "reader %u: serial %02X%02X, mode %u, card type %u, cash desk %02X%02X%02X%02X, "
               "dates %02u.%02u.%04u / %02u.%02u.%04u%s\n",
               r.address, s.serial[0], s.serial[1], s.mode, s.cardType, s.cashDesk[0], s.cashDesk[1],
               s.cashDesk[2], s.cashDesk[3], s.currentDate.day, s.currentDate.month, 2000u + s.currentDate.year,
               s.endDate.day, s.endDate.month, 2000u + s.endDate.year, r.faults.silent ? ", silent" : "");
}

}  // namespace

int main(int argc, char** argv) {
  sim::SimOptions options;
  try {
    options = sim::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "reader-sim: %s\n", e.what());
    return 2;
  }
  if (options.help) {
    std::fputs(sim::HelpText().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("reader-sim %s\n", PARVEX_VERSION);
    return 0;
  }

  try {
    sim::ReaderSimulator simulator(options.line);
    for (auto& reader : options.readers) {
      if (options.today) reader.state.currentDate = sim::Today();
      simulator.AddReader(std::move(reader));
    }
    const sigset_t waitMask = InstallStopSignals();
    sim::PtyLine line;
    std::optional<DeviceLink> link;
    if (options.link) link.emplace(*options.link, line.DevicePath());

    std::printf("%s\n", line.DevicePath().c_str());
    std::fflush(stdout);
    for (const auto& reader : simulator.Readers()) Describe(reader);

    sim::TraceSink trace;
    if (options.trace)
      trace = [](const sim::RecordEntry& e) {
        std::printf("%s\n", sim::TraceLine(e).c_str());
        std::fflush(stdout);
      };
    sim::RunLine(line, simulator, gStop, waitMask, trace);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "reader-sim: %s\n", e.what());
    return 1;
  }
  return 0;
}
