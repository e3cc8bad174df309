// The window and its settings file: read at start from the working directory, written after
// the port settings dialog, and a file that cannot be read told once the window is up.
#include "CPort.h"
#include "MessageBoxes.h"
#include "QtTestApp.h"
#include "SDIMAIN.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class WindowSettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    SetMessageSink([this](const TShownMessage& message) { messages.push_back(message); });
  }
  void TearDown() override {
    form.reset();
    SetMessageSink({});
    QDir::setCurrent(previous);
  }
  QString IniPath() const { return folder.filePath(QStringLiteral("Parvex.ini")); }
  void WriteIni(const QByteArray& content) {
    QFile file(IniPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
  }
  QByteArray ReadIni() const {
    QFile file(IniPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  // Runs the settings action and leaves its dialog as the operator would with the close box.
  void RunSettingsAndCancel() {
    QTimer::singleShot(0, [] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
    });
    form->acPortSettings->trigger();
  }

  QTemporaryDir folder;
  QString previous;
  std::vector<TShownMessage> messages;
  std::unique_ptr<TParvexForm> form;
};

TEST_F(WindowSettingsFile, WithoutAFileTheDefaultLineAndACancelledDialogStillWritesIt) {
  form = std::make_unique<TParvexForm>();
  EXPECT_EQ(form->ComPort->Port(), QStringLiteral("COM1"));
  EXPECT_EQ(form->ComPort->BaudRate(), br9600);
  EXPECT_EQ(form->ComPort->DataBits(), dbEight);
  EXPECT_EQ(form->ComPort->StopBits(), sbOneStopBit);
  EXPECT_EQ(form->ComPort->Parity()->Bits(), prNone);
  EXPECT_EQ(form->ComPort->FlowControl()->FlowControl(), fcNone);
  EXPECT_FALSE(form->ComPort->Connected());
  EXPECT_FALSE(QFile::exists(IniPath()));

  RunSettingsAndCancel();
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(ReadIni(),
            "[ComPort]\nPort=COM1\nBaudRate=9600\nStopBits=1\nDataBits=8\nParity=None\n"
            "FlowControl=None\n");
}

TEST_F(WindowSettingsFile, TheFileInTheWorkingDirectoryReplacesTheDefaults) {
  WriteIni("[ComPort]\r\nPort=/dev/ttyUSB7\r\nBaudRate=19200\r\nParity=Even\r\nFlowControl=Hardware\r\n");
  form = std::make_unique<TParvexForm>();
  EXPECT_EQ(form->ComPort->Port(), QStringLiteral("/dev/ttyUSB7"));
  EXPECT_EQ(form->ComPort->BaudRate(), br19200);
  EXPECT_EQ(form->ComPort->Parity()->Bits(), prEven);
  EXPECT_EQ(form->ComPort->FlowControl()->FlowControl(), fcHardware);
  EXPECT_EQ(form->ComPort->DataBits(), dbEight);  // not in the file: kept
  EXPECT_TRUE(messages.empty());
}

TEST_F(WindowSettingsFile, AnUnreadableFileIsToldOnceAfterTheWindowIsShown) {
  ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("Parvex.ini")));
  form = std::make_unique<TParvexForm>();
  EXPECT_TRUE(messages.empty()) << "nothing may be shown before the window";
  EXPECT_EQ(form->ComPort->Port(), QStringLiteral("COM1"));

  form->show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.empty(); }, 10000));
  EXPECT_EQ(messages.front().text.toStdString(), "COM1 Error: Failed to load settings");
  EXPECT_TRUE(form->isVisible());

  form->hide();
  form->show();
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();  // a second showing has run all it would do
  EXPECT_EQ(messages.size(), 1u);
}

TEST_F(WindowSettingsFile, AFileThatCannotBeWrittenIsToldAndThePortKeepsItsSettings) {
  form = std::make_unique<TParvexForm>();
  form->ComPort->SetBaudRate(br38400);
  ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("Parvex.ini")));

  RunSettingsAndCancel();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages.front().text.toStdString(), "COM1 Error: Failed to store settings");
  EXPECT_EQ(form->ComPort->BaudRate(), br38400);
}

}  // namespace
