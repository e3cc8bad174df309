// reader-sim as a separate process: the device it prints answers like a line of readers,
// survives being closed and reopened, and the program ends cleanly on SIGTERM.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "CodeTables.h"
#include "ReaderCommands.h"
#include "SimTestSupport.h"

using namespace simtest;

extern char** environ;

namespace {

class ReaderSimProcess {
 public:
  explicit ReaderSimProcess(std::vector<std::string> args) {
    args.insert(args.begin(), READER_SIM_PATH);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) throw std::runtime_error("cannot start reader-sim");
    stdout_ = fdopen(out[0], "r");
    char line[256] = {};
    if (!std::fgets(line, sizeof line, stdout_)) throw std::runtime_error("reader-sim printed no device");
    device_ = line;
    if (!device_.empty() && device_.back() == '\n') device_.pop_back();
  }
  ~ReaderSimProcess() {
    if (pid_ > 0) Stop();
    if (stdout_) std::fclose(stdout_);
  }
  const std::string& Device() const { return device_; }
  // Returns the exit status.
  int Stop() {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }

 private:
  pid_t pid_ = -1;
  FILE* stdout_ = nullptr;
  std::string device_;
};

class Device {
 public:
  explicit Device(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
  ~Device() {
    if (fd_ >= 0) close(fd_);
  }
  bool IsOpen() const { return fd_ >= 0; }
  void Write(const Bytes& bytes) { ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }
  // Reads until `count` bytes came or the line stays silent for a generous while.
  Bytes Read(std::size_t count) {
    Bytes got;
    std::uint8_t buf[64];
    while (got.size() < count) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 3000) <= 0) break;
      const ssize_t n = read(fd_, buf, sizeof buf);
      if (n > 0) got.insert(got.end(), buf, buf + n);
    }
    return got;
  }

 private:
  int fd_;
};

TEST(ReaderSimProcessTest, DemoLineAnswersThroughTheDeviceAcrossReopens) {
  ReaderSimProcess simulator({});
  ASSERT_EQ(simulator.Device().rfind("/dev/", 0), 0u) << simulator.Device();
  {
    Device device(simulator.Device());
    ASSERT_TRUE(device.IsOpen());
    device.Write(Request(0xFF, cmd::ReadSerialNumber));
    const Bytes answers = device.Read(24);
    ASSERT_EQ(answers.size(), 24u);
    EXPECT_EQ(Bytes(answers.begin(), answers.begin() + 8), (Bytes{0x01, 0x08, 0x71, 0x12, 0x34, 0xFF, 0x89, 0xEE}));
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(answers[i * 8], i + 1);
      EXPECT_TRUE(FrameCrcMatches(answers.data() + i * 8, 8));
    }
  }
  Device again(simulator.Device());
  ASSERT_TRUE(again.IsOpen());
  again.Write(Bytes{0x01, 0x06, 0x7C, 0x02, 0xA9, 0x62});
  EXPECT_EQ(again.Read(6), (Bytes{0x01, 0x06, 0x7D, 0xFF, 0xA4, 0xE1}));
  again.Write(Request(1, cmd::ReadCashDeskNumber));
  EXPECT_EQ(again.Read(10), BuildResponse(1, 0x73, Bytes{0x00, 0x00, 0x01, 0x2A}, 0xFF));
  const int status = simulator.Stop();
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(ReaderSimProcessTest, ReadersAndFaultsFromTheCommandLineAndTheLinkIsRemovedOnExit) {
  char dir[] = "/tmp/reader-sim-test-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string link = std::string(dir) + "/readers";
  {
    ReaderSimProcess simulator({"--link", link, "--reader", "5:007F", "--status", "7E=17", "--baud", "115200"});
    char target[128] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(simulator.Device(), target);

    Device device(link);
    ASSERT_TRUE(device.IsOpen());
    device.Write(Request(0xFF, cmd::ReadSerialNumber));
    EXPECT_EQ(device.Read(8), BuildResponse(5, 0x71, Bytes{0x00, 0x7F}, 0xFF));
    device.Write(Bytes{'n', 'o', 'i', 's', 'e', 0x05, 0x0C});  // garbage first, then a request
    device.Write(Request(5, cmd::ReadMode));
    EXPECT_EQ(device.Read(7), BuildResponse(5, 0x7F, Bytes{0}, 0x17));
    EXPECT_EQ(WEXITSTATUS(simulator.Stop()), 0);
  }
  struct stat st {};
  EXPECT_NE(lstat(link.c_str(), &st), 0);
  rmdir(dir);
}

}  // namespace
