// Opening the port finds the readers on a simulated line and lists them.
#include "SimWindowFixture.h"
#include "PortSettled.h"

#include "MessageBoxes.h"
#include "PtyLine.h"
#include "ResponseFrame.h"
#include "SerialPortWatch.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

#include <functional>
#include <string>

namespace {

const QString kSearch = QStringLiteral("Поиск считывателей");

class ReaderSearch : public SimWindowTest {};

TEST_F(ReaderSearch, OneReaderIsListedSelectedAndKeepsThePortOpen) {
  StartSim({"--reader", "5:007F"});
  Open();
  EXPECT_EQ(ReaderEntries(), QStringList{"5 / 007F"});
  EXPECT_EQ(ReaderAddresses(), std::vector<int>{5});
  EXPECT_EQ(form->Panel1->cbReader->currentIndex(), 0);
  EXPECT_TRUE(MessagesUnder(kSearch).isEmpty());
  EXPECT_TRUE(form->ComPort->Connected());
  EXPECT_TRUE(form->acPortClose->isEnabled());
  EXPECT_FALSE(form->acPortOpen->isEnabled());
}

TEST_F(ReaderSearch, ReadersAreListedInTheOrderTheyAnswered) {
  // Not sorted by address: the list follows the line.
  StartSim({"--reader", "7:1234", "--reader", "2:007F", "--reader", "9:BEEF"});
  Open();
  EXPECT_EQ(ReaderEntries(), (QStringList{"7 / 1234", "2 / 007F", "9 / BEEF"}));
  EXPECT_EQ(ReaderAddresses(), (std::vector<int>{7, 2, 9}));
  EXPECT_EQ(form->Panel1->cbReader->currentIndex(), 0);
  EXPECT_TRUE(MessagesUnder(kSearch).isEmpty());
}

TEST_F(ReaderSearch, NobodyAnsweringSaysSoAndClosesThePortAgain) {
  StartSim({"--reader", "9", "--silent"});
  Open();
  EXPECT_EQ(MessagesUnder(kSearch), QStringList{"Считыватели не обнаружены"});
  EXPECT_TRUE(ReaderEntries().isEmpty());
  EXPECT_FALSE(form->ComPort->Connected());
  EXPECT_TRUE(form->acPortOpen->isEnabled());
  EXPECT_TRUE(form->acPortSettings->isEnabled());
  EXPECT_FALSE(form->acPortClose->isEnabled());
  EXPECT_FALSE(form->acReadParameters->isEnabled());
}

TEST_F(ReaderSearch, ALaterAnswerWithAFailureEndsTheListAndIsReported) {
  StartSim({"--reader", "1:1234", "--reader", "2", "--status", "70=17", "--reader", "3:BEEF"});
  Open();
  EXPECT_EQ(ReaderEntries(), QStringList{"1 / 1234"});
  EXPECT_EQ(MessagesUnder(kSearch),
            QStringList{"Во время поиска считывателей произошли ошибки: \r\n"
                        "Чтение серийного номера - доступ запрещен\r\n"});
  EXPECT_TRUE(form->ComPort->Connected());
}

TEST_F(ReaderSearch, ASecondSearchEmptiesTheListFirst) {
  StartSim({"--reader", "1:1234", "--reader", "2:007F", "--reader", "3:BEEF"});
  Open();
  ASSERT_EQ(ReaderEntries().size(), 3);
  form->acPortClose->trigger();
  StartSim({"--reader", "5:007F"});
  Open();
  EXPECT_EQ(ReaderEntries(), QStringList{"5 / 007F"});
}

TEST_F(ReaderSearch, NoiseBetweenAnswersGoesToTheLogAndTheAnswersAreStillListed) {
  StartSim({"--reader", "1:1234", "--noise", "hello\\r\\n", "--reader", "2:007F", "--noise",
            "world \\x01\\r\\n"});
  Open();
  EXPECT_EQ(ReaderEntries(), (QStringList{"1 / 1234", "2 / 007F"}));
  const QString log = LogText();
  EXPECT_TRUE(log.contains(QStringLiteral("hello\nworld \u2401\n"))) << log.toStdString();
}

TEST_F(ReaderSearch, BytesQueuedBeforeTheOpenAreNeverTakenForAnAnswer) {
  // A reader's answer left on the line from an earlier session, and some text.
  sim::PtyLine line;
  std::vector<std::uint8_t> stale = {'o', 'l', 'd', '\r', '\n'};
  const auto answer = AnswerFrame(5, cmd::ReadSerialNumber, {0x00, 0x7F});
  stale.insert(stale.end(), answer.begin(), answer.end());
  ASSERT_EQ(::write(line.Master(), stale.data(), stale.size()), static_cast<ssize_t>(stale.size()));
  form->ComPort->SetPort(QString::fromStdString(line.DevicePath()));
  Open();
  EXPECT_TRUE(ReaderEntries().isEmpty());
  EXPECT_EQ(MessagesUnder(kSearch), QStringList{"Считыватели не обнаружены"});
  EXPECT_TRUE(LogText().startsWith(QStringLiteral("old\n"))) << LogText().toStdString();
}

class LineTrouble : public SimWindowTest {};

TEST_F(LineTrouble, AVanishedDeviceIsReportedOnceAndThePortCanBeOpenedAgain) {
  StartSim({"--reader", "5:007F"});
  Open();
  ASSERT_TRUE(form->ComPort->Connected());
  messages.clear();
  sim.reset();  // the far end goes away
  ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.empty(); }, 10000));
  ASSERT_TRUE(AwaitThePortSettledClosed(*form));
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_FALSE(form->ComPort->Connected());
  EXPECT_TRUE(form->acPortOpen->isEnabled());
  EXPECT_FALSE(form->acPortClose->isEnabled());
  // And the window works on: a new line is searched as usual.
  StartSim({"--reader", "5:007F"});
  Open();
  EXPECT_EQ(ReaderEntries(), QStringList{"5 / 007F"});
}

// The port names the adapter by a link that stays: plugged in again, it is another device behind
// the same name, and the window offers to open the port again; another adapter is no reason to.
TEST_F(LineTrouble, AVanishedAdapterPluggedInAgainIsOfferedToBeOpenedAgain) {
  struct Restore {
    ~Restore() {
      SetQuestionAnswerer({});
      SetSerialPortWatchMaker({});
    }
  } restore;
  TStagedPortWatch* adapters = nullptr;
  SetSerialPortWatchMaker([&adapters] {
    auto watch = std::make_unique<TStagedPortWatch>();
    adapters = watch.get();
    return watch;
  });
  QStringList questions;
  SetQuestionAnswerer([&questions](const TShownMessage& question) {
    questions << question.text;
    return true;
  });
  QTemporaryDir folder;
  const QString adapter = folder.filePath("adapter");
  StartSim({"--reader", "5:007F"});
  ASSERT_TRUE(QFile::link(sim->DevicePath(), adapter));
  form->ComPort->SetPort(adapter);
  Open();
  ASSERT_TRUE(form->ComPort->Connected());
  sim.reset();
  QFile::remove(adapter);
  ASSERT_TRUE(QTest::qWaitFor([&] { return adapters != nullptr; }, 10000));
  adapters->Arrive({.device = QStringLiteral("/dev/ttyUSB7")});
  EXPECT_TRUE(questions.isEmpty());

  StartSim({"--reader", "5:007F"});
  form->ComPort->SetPort(adapter);
  ASSERT_TRUE(QFile::link(sim->DevicePath(), adapter));
  adapters->Arrive({.device = sim->DevicePath(), .byId = adapter});
  EXPECT_EQ(questions, QStringList{QStringLiteral("Адаптер порта %1 снова подключён. Открыть порт?").arg(adapter)});
  EXPECT_TRUE(form->ComPort->Connected());
  EXPECT_EQ(ReaderEntries(), QStringList{"5 / 007F"});
}

TEST_F(LineTrouble, ADeviceVanishingDuringTheSearchEndsItWithOneMessage) {
  StartSim({"--reader", "9", "--silent"});
  QTimer::singleShot(300, form.get(), [this] { sim.reset(); });
  Open();
  ASSERT_EQ(messages.size(), 1u);  // the port's error, not also "no readers found"
  EXPECT_TRUE(messages[0].text.contains(QStringLiteral("COM Port Error"))) << messages[0].text.toStdString();
  EXPECT_TRUE(ReaderEntries().isEmpty());
  EXPECT_FALSE(form->ComPort->Connected());
  QApplication::processEvents();  // the idle update
  EXPECT_TRUE(form->acPortOpen->isEnabled());
  EXPECT_FALSE(form->acPortClose->isEnabled());
}

// The close box and "Выход" alike.
struct CloseRequest {
  const char* name;
  std::function<void(TParvexForm&)> ask;
};

void PrintTo(const CloseRequest& request, std::ostream* os) { *os << request.name; }

class ClosingDuringTheSearch : public SimWindowTest, public ::testing::WithParamInterface<CloseRequest> {};

TEST_P(ClosingDuringTheSearch, ClosesTheWindowWhenTheSearchHasEnded) {
  StartSim({"--reader", "5:007F"});
  form->show();
  // Asked for while the broadcast waits for its answers.
  QTimer::singleShot(300, form.get(), [this] { GetParam().ask(*form); });
  bool visibleDuringTheWait = false;
  QTimer::singleShot(600, form.get(), [&] { visibleDuringTheWait = form->isVisible(); });
  Open();
  EXPECT_TRUE(visibleDuringTheWait);
  EXPECT_EQ(ReaderEntries(), QStringList{"5 / 007F"});
  EXPECT_FALSE(form->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    LineTrouble, ClosingDuringTheSearch,
    ::testing::Values(CloseRequest{"CloseBox", [](TParvexForm& form) { form.close(); }},
                      CloseRequest{"ExitAction", [](TParvexForm& form) { form.FileExit1->trigger(); }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
