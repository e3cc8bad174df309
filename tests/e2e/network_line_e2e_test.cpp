// The whole window on readers behind a network gateway: reader-sim's line behind a real ser2net,
// the window's port named in Parvex.ini as a network line.
#include "Ser2netServer.h"
#include "SimWindowFixture.h"
#include "PortSettled.h"
#include "MessageCaptions.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>

namespace {

class NetworkLineWindow : public SimWindowTest {
 protected:
  // The simulator with the given readers behind the gateway; the window is made in a folder
  // whose Parvex.ini names the gateway's line.
  void StartBehindGateway(const QStringList& readers, bool rfc2217) {
    sim = std::make_unique<ReaderSimProcess>(readers);
    ASSERT_FALSE(sim->DevicePath().isEmpty()) << "reader-sim gave no device";
    // Held from before the gateway opens it exclusively: the far line's settings are read here.
    farLine = ::open(sim->DevicePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(farLine, 0) << std::strerror(errno);
    server = std::make_unique<Ser2netServer>(sim->DevicePath().toStdString());
    ASSERT_TRUE(server->Failure().isEmpty()) << server->Failure().toStdString();
    lineName = rfc2217 ? server->Rfc2217Line() : server->TcpLine();
    ASSERT_TRUE(folder.isValid());
    QFile ini(folder.filePath(QStringLiteral("Parvex.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[ComPort]\r\nPort=" + lineName.toUtf8() + "\r\nBaudRate=19200\r\n");
    ini.close();
    previousDir = QDir::currentPath();
    QDir::setCurrent(folder.path());
    form = std::make_unique<TParvexForm>();
  }
  void TearDown() override {
    form.reset();
    server.reset();
    if (farLine >= 0) ::close(farLine);
    SimWindowTest::TearDown();
    if (!previousDir.isEmpty()) QDir::setCurrent(previousDir);
  }
  speed_t FarSpeed() const {
    termios t{};
    ::tcgetattr(farLine, &t);
    return cfgetospeed(&t);
  }
  QStringList Texts() const {
    QStringList texts;
    for (const TShownMessage& message : messages) texts << message.text;
    return texts;
  }

  QTemporaryDir folder;
  QString previousDir;
  std::unique_ptr<Ser2netServer> server;
  QString lineName;
  int farLine = -1;
};

TEST_F(NetworkLineWindow, Rfc2217LineFromTheSettingsFileFindsReadsAndWritesTheDemoReaders) {
  StartBehindGateway({"--demo"}, true);
  EXPECT_EQ(form->ComPort->Port(), lineName);
  Open();
  EXPECT_TRUE(messages.empty()) << Texts().join("|").toStdString();
  ASSERT_TRUE(form->ComPort->Connected());
  EXPECT_EQ(ReaderEntries().mid(0, 2), (QStringList{"1 / 1234", "2 / 007F"}));
  EXPECT_EQ(form->Panel1->leCacheNumber->text(), "0000012A");  // the first reader, read at once
  EXPECT_EQ(FarSpeed(), B19200);  // the rate of Parvex.ini, on the far line

  form->Panel1->seRelayTime->setValue(7);
  form->acWriteParameters->trigger();
  EXPECT_TRUE(MessagesUnder(kWrite).isEmpty()) << Texts().join("|").toStdString();
  form->Panel1->seRelayTime->setValue(0);
  form->acReadParameters->trigger();
  EXPECT_TRUE(MessagesUnder(kRead).isEmpty()) << Texts().join("|").toStdString();
  EXPECT_EQ(form->Panel1->seRelayTime->value(), 7);
}

TEST_F(NetworkLineWindow, RawTcpLineFindsAndReads) {
  StartBehindGateway({"--demo"}, false);
  Open();
  EXPECT_TRUE(messages.empty()) << Texts().join("|").toStdString();
  EXPECT_EQ(ReaderEntries().value(0), "1 / 1234");
  EXPECT_EQ(form->Panel1->leCacheNumber->text(), "0000012A");
}

// A gateway gone during a read, one that refuses and one whose name is unknown: one message
// each with the system's reason, the port closed, and it opens again.
TEST_F(NetworkLineWindow, UnreachableAndVanishedGatewaysAreOneMessageEachAndThePortOpensAgain) {
  // The second reader answers late, so that the read of it is waiting when the gateway goes.
  StartBehindGateway({"--reader", "1:1234", "--reader", "2:007F", "--delay", "300"}, true);
  Open();
  ASSERT_TRUE(form->ComPort->Connected()) << Texts().join("|").toStdString();
  ASSERT_EQ(ReaderEntries(), (QStringList{"1 / 1234", "2 / 007F"}));
  form->Panel1->cbReader->setCurrentIndex(1);
  messages.clear();
  QTimer::singleShot(100, [this] { server->Kill(); });
  form->acReadParameters->trigger();
  ASSERT_TRUE(AwaitThePortSettledClosed(*form));
  ASSERT_EQ(messages.size(), 1u) << Texts().join("|").toStdString();
  EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("COM Port Error: "))) << messages[0].text.toStdString();
  EXPECT_FALSE(form->ComPort->Connected());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(form->acPortOpen->isEnabled());

  const int refused = Ser2netServer::FreeLoopbackPort();
  for (const QString& name : {QStringLiteral("rfc2217://127.0.0.1:%1").arg(refused),
                              UnknownGatewayLine()}) {
    messages.clear();
    form->ComPort->SetPort(name);
    Open();
    ASSERT_EQ(Texts(), QStringList{QStringLiteral("COM Port Error: Unable to open com port on ") + name});
    EXPECT_FALSE(messages[0].detail.isEmpty());
    EXPECT_NE(messages[0].detail, QString::fromLocal8Bit(std::strerror(ENOENT)));  // not a missing file
    EXPECT_FALSE(form->ComPort->Connected());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(form->acPortOpen->isEnabled());
  }

  messages.clear();
  server = std::make_unique<Ser2netServer>(sim->DevicePath().toStdString());
  ASSERT_TRUE(server->Failure().isEmpty()) << server->Failure().toStdString();
  form->ComPort->SetPort(server->Rfc2217Line());
  Open();
  EXPECT_TRUE(messages.empty()) << Texts().join("|").toStdString();
  EXPECT_EQ(ReaderEntries(), (QStringList{"1 / 1234", "2 / 007F"}));
}

}  // namespace
