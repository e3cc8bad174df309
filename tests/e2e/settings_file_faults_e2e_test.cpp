// The window started beside a settings file in any state: it opens, the port keeps sane
// settings that a device accepts, at most one message tells of a file that could not be read,
// and the file itself is left as it was.
#include "FaultWindowFixture.h"

#include "IniFile.h"
#include "LineSettings.h"
#include "MemoryStorage.h"
#include "PtyLine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

enum class FileKind { None, Bytes, Directory, Unreadable };

struct FileRow {
  const char* name;
  FileKind kind;
  QByteArray content;
  bool told;  // the one message that the file could not be read
};
void PrintTo(const FileRow& row, std::ostream* os) { *os << row.name; }

QByteArray Garbage() {
  QByteArray bytes;
  std::uint32_t x = 12345;
  for (int i = 0; i < 4096; ++i) {
    x = x * 1103515245u + 12345u;
    bytes += static_cast<char>(x >> 24);
  }
  // Garbage inside the right section too, with keys that almost match.
  return bytes + "\n[ComPort]\n\xff\xfe=\x80\n" + QByteArray("Port\0=ttyX\n", 11) + "BaudRate=\xc0\xc1\n" + bytes;
}

const QByteArray kOutOfRange =
    "[ComPort]\n"
    "Port=" + QByteArray(5000, 'X') + "\n"
    "BaudRate=1234567\n"
    "StopBits=3\n"
    "DataBits=9\n"
    "Parity=Sideways\n"
    "FlowControl=Telepathic\n";

const QByteArray kCustomRateOutOfRange =
    "[ComPort]\n"
    "BaudRate=Custom\n"
    "CustomBaudRate=-300\n";

class StartupSettingsFile : public ::testing::TestWithParam<FileRow> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(workDir.isValid());
    previousDir = QDir::currentPath();
    QDir::setCurrent(workDir.path());
    SetMessageSink([this](const TShownMessage& message) { messages.push_back(message); });
  }
  void TearDown() override {
    SetMessageSink({});
    SetDefaultIniStorage(nullptr);
    QDir::setCurrent(previousDir);
  }

  QString FilePath() const { return workDir.filePath(QStringLiteral("Parvex.ini")); }

  void PlaceFile(const FileRow& row) {
    switch (row.kind) {
      case FileKind::None:
        break;
      case FileKind::Directory:
        ASSERT_TRUE(QDir(workDir.path()).mkdir(QStringLiteral("Parvex.ini")));
        break;
      case FileKind::Unreadable:
        // Root reads any file whatever its permission bits: the storage refuses instead.
        memory.failLoad = true;
        SetDefaultIniStorage(&memory);
        [[fallthrough]];
      case FileKind::Bytes: {
        QFile file(FilePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(row.content);
      }
    }
  }

  QTemporaryDir workDir;
  QString previousDir;
  TMemoryStorage memory;
  std::vector<TShownMessage> messages;
};

TEST_P(StartupSettingsFile, TheWindowOpensWithSaneSettingsAndTheFileUntouched) {
  const FileRow& row = GetParam();
  PlaceFile(row);
  {
    TParvexForm form;
    form.show();
    QApplication::processEvents();  // a file that could not be read is told once the window shows
    QApplication::processEvents();

    EXPECT_TRUE(form.isVisible());
    if (row.told) {
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0].text, QStringLiteral("COM1 Error: Failed to load settings"));
    } else {
      EXPECT_TRUE(messages.empty()) << messages[0].text.toStdString();
    }

    TComPort& port = *form.ComPort;
    EXPECT_EQ(port.Port(), QStringLiteral("COM1"));
    EXPECT_EQ(BaudRateValue(port.BaudRate(), port.CustomBaudRate()), 9600);
    EXPECT_EQ(port.DataBits(), dbEight);
    EXPECT_EQ(port.StopBits(), sbOneStopBit);
    EXPECT_EQ(port.Parity()->Bits(), prNone);
    EXPECT_EQ(port.FlowControl()->FlowControl(), fcNone);
    EXPECT_TRUE(form.acPortOpen->isEnabled());
    EXPECT_TRUE(form.acPortSettings->isEnabled());

    // A device takes these settings.
    sim::PtyLine device;
    port.SetPort(QString::fromStdString(device.DevicePath()));
    port.SetConnected(true);
    EXPECT_TRUE(port.Connected());
    port.SetConnected(false);
  }
  // Nothing is written back at the end: the file stays as the operator left it.
  switch (row.kind) {
    case FileKind::None:
      EXPECT_FALSE(QFileInfo::exists(FilePath()));
      break;
    case FileKind::Directory:
      EXPECT_TRUE(QFileInfo(FilePath()).isDir());
      break;
    case FileKind::Bytes:
    case FileKind::Unreadable: {
      QFile file(FilePath());
      ASSERT_TRUE(file.open(QIODevice::ReadOnly));
      EXPECT_EQ(file.readAll(), row.content);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, StartupSettingsFile,
    ::testing::Values(FileRow{"Missing", FileKind::None, {}, false},
                      FileRow{"Empty", FileKind::Bytes, {}, false},
                      FileRow{"Unreadable", FileKind::Unreadable, "[ComPort]\nBaudRate=19200\n", true},
                      FileRow{"Directory", FileKind::Directory, {}, true},
                      FileRow{"BinaryGarbage", FileKind::Bytes, Garbage(), false},
                      FileRow{"EveryValueOutOfRange", FileKind::Bytes, kOutOfRange, false},
                      FileRow{"CustomRateOutOfRange", FileKind::Bytes, kCustomRateOutOfRange, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
