// Open pressed while another program holds the line: one clear message, nothing sent, and
// the port actions stay usable.
#include "FaultWindowFixture.h"

#include <QProcess>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>

#include <cstring>
#include <functional>

namespace {

// Something that holds the device until it is destroyed.
using Holder = std::function<std::shared_ptr<void>(const std::string& device)>;

// A second descriptor in this process with the lock, as a second window would take it.
std::shared_ptr<void> LockedDescriptor(const std::string& device) {
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) return nullptr;
  return std::shared_ptr<void>(new int(fd), [](void* p) {
    ::close(*static_cast<int*>(p));
    delete static_cast<int*>(p);
  });
}

// Another program with the device open, exclusive and locked, as a terminal program keeps it.
std::shared_ptr<void> OtherProgram(const std::string& device) {
  auto process = std::make_shared<QProcess>();
  process->start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import fcntl, os, sys, termios\n"
                                 "fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)\n"
                                 "fcntl.ioctl(fd, termios.TIOCEXCL)\n"
                                 "fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)\n"
                                 "print('held', flush=True)\n"
                                 "sys.stdin.read()\n"),
                  QString::fromStdString(device)});
  if (!process->waitForReadyRead(10000) || !process->readLine().startsWith("held")) return nullptr;
  return std::shared_ptr<void>(process.get(), [process](void*) {
    process->closeWriteChannel();  // its read ends, and the program with it
    if (!process->waitForFinished(10000)) process->kill();
  });
}

struct HolderRow {
  const char* name;
  Holder hold;
};
void PrintTo(const HolderRow& row, std::ostream* os) { *os << row.name; }

class HeldPort : public FaultWindowTest, public ::testing::WithParamInterface<HolderRow> {};

TEST_P(HeldPort, OpenTellsWhyAndLeavesThePortActionsEnabled) {
  NewLine().Start();
  std::shared_ptr<void> holder = GetParam().hold(line->DevicePath());
  ASSERT_TRUE(holder) << "could not hold the device";

  Open();
  QApplication::processEvents();  // the idle update

  ASSERT_EQ(messages.size(), 1u) << Texts().join("|").toStdString();
  EXPECT_EQ(messages[0].text, QStringLiteral("COM Port Error: Unable to open com port on ") + linkPath);
  EXPECT_EQ(messages[0].detail, QString::fromLocal8Bit(std::strerror(EBUSY)));
  EXPECT_FALSE(form->ComPort->Connected());
  EXPECT_TRUE(form->acPortOpen->isEnabled());
  EXPECT_TRUE(form->acPortSettings->isEnabled());
  EXPECT_FALSE(form->acPortClose->isEnabled());
  EXPECT_FALSE(form->acReadParameters->isEnabled());
  EXPECT_TRUE(HeardCodes().empty());  // not a byte went to the other program's line
}

INSTANTIATE_TEST_SUITE_P(Faults, HeldPort,
                         ::testing::Values(HolderRow{"LockedDescriptor", LockedDescriptor},
                                           HolderRow{"OtherProgram", OtherProgram}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
