// The window against a line in trouble: a reader that falls silent and comes back, readers
// that answer late or at once, a storm of noise, and a device that vanishes mid-operation.
#include "FaultWindowFixture.h"
#include "PortSettled.h"

#include "CodeTables.h"
#include "ErrorList.h"
#include "MessageCaptions.h"

#include <QTest>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

using namespace std::chrono_literals;

QString TimeoutLines(std::initializer_list<std::uint8_t> codes) {
  QString text;
  for (const std::uint8_t code : codes) text += QString::fromStdString(ErrorLine(code, status::Timeout)) + "\r\n";
  return text;
}

// Values unlike the demo reader's in every field, each black-list row its own.
void EnterNewValues(TParameterPanel& panel) {
  panel.cbMode->setCurrentIndex(panel.cbMode->findData(1));
  panel.seCardSector->setValue(7);
  panel.seAbonementTimeout->setValue(20);
  panel.seRelayTime->setValue(9);
  panel.dtpCurrentDate->setDate(QDate(2021, 5, 17));
  panel.dtpEndDate->setDate(QDate(2031, 1, 2));
  for (int row = 0; row < 10; ++row)
    panel.sgBlackList->item(row, 0)->setText(QString::asprintf("C0FFEE%02X", 0x10 + row));
}

void ExpectNewValues(const sim::ReaderState& s) {
  EXPECT_EQ(s.sector, 7);
  EXPECT_EQ(s.abonementTimeout, 20);
  EXPECT_EQ(s.relayTime, 9);
  EXPECT_EQ(s.currentDate, (sim::WireDate{17, 5, 21}));
  EXPECT_EQ(s.endDate, (sim::WireDate{2, 1, 31}));
  for (std::uint8_t row = 0; row < 10; ++row)
    EXPECT_EQ(s.blackList[row], (sim::Entry{0xC0, 0xFF, 0xEE, static_cast<std::uint8_t>(0x10 + row)})) << int{row};
}

// ---- a reader that falls silent and comes back -------------------------------------------

class SilentReader : public FaultWindowTest {};

TEST_F(SilentReader, FallingSilentMidReadLosesOnlyTheRestAndTheNextReadIsWhole) {
  NewLine();
  const sim::ReaderState held = Reader().state;
  std::atomic<bool> silent{false};
  // Quiet from the fifth request of the read (the current date) until the test says otherwise.
  line->OnRequest([&](std::size_t index, const auto&, sim::ReaderSimulator& readers) {
    if (index == 4) silent = true;
    readers.FindReader(1)->faults.silent = silent;
    return FaultLine::Fate::Serve;
  });
  Connect();
  form->acReadParameters->trigger();

  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, kReadErrors + TimeoutLines({cmd::ReadCurrentDate, cmd::ReadEndDate, cmd::ReadSector,
                                                          cmd::ReadAbonementTimeout, cmd::ReadRelayTime,
                                                          cmd::ReadBlackList}));
  // What came before the silence is on the screen; what came after is cleared, not stale.
  EXPECT_EQ(panel().leCacheNumber->text(), "0000012A");
  EXPECT_EQ(panel().cbMode->currentData().toInt(), held.mode);
  EXPECT_EQ(panel().dtpCurrentDate->date(), QDate(1899, 12, 30));
  EXPECT_EQ(Cell(0), "");
  EXPECT_TRUE(form->ComPort->Connected());
  EXPECT_TRUE(form->acReadParameters->isEnabled());

  messages.clear();
  silent = false;
  form->acReadParameters->trigger();
  EXPECT_TRUE(messages.empty()) << Texts().join("|").toStdString();
  ExpectPanelShows(held);
}

// ---- answer delay --------------------------------------------------------------------------

struct DelayRow {
  const char* name;
  std::chrono::milliseconds delay;
  bool late;  // after the window's first wait
};
void PrintTo(const DelayRow& row, std::ostream* os) { *os << row.name; }

class ReaderDelay : public FaultWindowTest, public ::testing::WithParamInterface<DelayRow> {};

TEST_P(ReaderDelay, ReadAndWriteCarryEveryValueWithEachRequestSentAsOftenAsNeeded) {
  NewLine();
  Reader().faults.delay = GetParam().delay;
  const sim::ReaderState held = Reader().state;
  Connect();

  form->acReadParameters->trigger();
  EXPECT_TRUE(messages.empty()) << Texts().join("|").toStdString();
  ExpectPanelShows(held);

  EnterNewValues(panel());
  form->acWriteParameters->trigger();
  EXPECT_TRUE(messages.empty()) << Texts().join("|").toStdString();

  line->Stop();
  ExpectNewValues(Reader().state);
  // 19 reads and 16 writes (mode 1), each request repeated only while no answer had come, never
  // beyond the three attempts. A late reader makes the window send again; how often is the
  // machine's pace (one too busy to look at a deadline in time takes a late answer in the
  // first wait, or sends once more).
  std::vector<std::size_t> sendings;
  std::vector<std::uint8_t> previous;
  for (const std::vector<std::uint8_t>& request : line->Requests()) {
    if (request != previous) sendings.push_back(0);
    ++sendings.back();
    previous = request;
  }
  ASSERT_EQ(sendings.size(), 19u + 16u);
  for (std::size_t i = 0; i < sendings.size(); ++i) EXPECT_LE(sendings[i], 3u) << "request " << i;
  const auto repeated = std::count_if(sendings.begin(), sendings.end(), [](std::size_t n) { return n > 1; });
  if (GetParam().late) {
    EXPECT_GT(repeated, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, ReaderDelay,
                         ::testing::Values(DelayRow{"Late150ms", 150ms, true}, DelayRow{"Prompt2ms", 2ms, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- noise ---------------------------------------------------------------------------------

class NoiseStorm : public FaultWindowTest {};

TEST_F(NoiseStorm, TheReadCompletesTheLogShowsTheNoiseAndTheWindowKeepsServingEvents) {
  NewLine();
  const sim::ReaderState held = Reader().state;
  line->SetNoise("STORM: static on the line\r\n");
  Connect();
  // A zero-time timer stands for everything else the window must go on doing during the read.
  int ticksWhileBusy = 0;
  QTimer idle;
  idle.setInterval(0);
  QObject::connect(&idle, &QTimer::timeout, [&] { ticksWhileBusy += form->Busy() ? 1 : 0; });
  idle.start();

  form->acReadParameters->trigger();
  idle.stop();
  const std::size_t noise = line->NoiseBytesSent();
  line->Stop();

  EXPECT_TRUE(messages.empty()) << Texts().join("|").toStdString();
  ExpectPanelShows(held);
  EXPECT_GT(ticksWhileBusy, 0);
  EXPECT_GT(noise, 1000u);
  // The last noise is flushed to the log once the line is quiet.
  EXPECT_TRUE(QTest::qWaitFor([&] { return LogText().contains(QStringLiteral("STORM: static on the line\n")); }, 10000))
      << LogText().right(200).toStdString();
}

// ---- the device vanishing ------------------------------------------------------------------

class VanishingDevice : public FaultWindowTest {
 protected:
  // One clear message, the port closed, its actions back, and nothing left running.
  void ExpectOneReportAndAClosedPort() {
    ASSERT_TRUE(AwaitThePortSettledClosed(*form));
    ASSERT_EQ(messages.size(), 1u) << Texts().join("|").toStdString();
    EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("COM Port Error: "))) << messages[0].text.toStdString();
    EXPECT_TRUE(messages[0].text.endsWith(linkPath)) << messages[0].text.toStdString();
    EXPECT_FALSE(form->ComPort->Connected());
    EXPECT_FALSE(form->Busy());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(form->acPortOpen->isEnabled());
    EXPECT_TRUE(form->acPortSettings->isEnabled());
    EXPECT_FALSE(form->acPortClose->isEnabled());
    EXPECT_FALSE(form->acWriteParameters->isEnabled());
  }
  // Open pressed while the adapter is still out is told and changes nothing; plugged in again,
  // it is a new device at the same name, found by a new search.
  void ExpectTheDeviceCanBeOpenedAgain() {
    messages.clear();
    line.reset();
    ::unlink(linkPath.toLocal8Bit().constData());
    Open();
    ASSERT_EQ(Texts(), QStringList{QStringLiteral("COM Port Error: Unable to open com port on ") + linkPath});
    EXPECT_EQ(messages[0].detail, QString::fromLocal8Bit(std::strerror(ENOENT)));
    EXPECT_FALSE(form->ComPort->Connected());
    EXPECT_TRUE(form->acPortOpen->isEnabled());
    messages.clear();
    NewLine().Start();
    Open();
    EXPECT_TRUE(messages.empty()) << Texts().join("|").toStdString();
    EXPECT_TRUE(form->ComPort->Connected());
    ASSERT_EQ(panel().cbReader->count(), 1);
    EXPECT_EQ(panel().cbReader->itemText(0), "1 / 1234");
    EXPECT_EQ(panel().leCacheNumber->text(), "0000012A");
  }
};

TEST_F(VanishingDevice, DuringTheSearch) {
  NewLine().OnRequest([](std::size_t, const auto&, auto&) { return FaultLine::Fate::HangUp; });  // at the broadcast
  line->Start();
  Open();
  EXPECT_TRUE(line->HungUp());
  EXPECT_EQ(panel().cbReader->count(), 0);
  ExpectOneReportAndAClosedPort();
  ExpectTheDeviceCanBeOpenedAgain();
}

struct VanishRow {
  const char* name;
  FaultLine::Fate fate;
};
void PrintTo(const VanishRow& row, std::ostream* os) { *os << row.name; }

class VanishingDuringWrite : public VanishingDevice, public ::testing::WithParamInterface<VanishRow> {};

TEST_P(VanishingDuringWrite, KeepsWhatTheOperatorEntered) {
  // At the sixth request of the write (the relay time): while the window waits for its answer,
  // or between two frames, when the next request meets a line that is gone.
  NewLine().OnRequest([fate = GetParam().fate](std::size_t index, const auto&, auto&) {
    return index == 5 ? fate : FaultLine::Fate::Serve;
  });
  Connect();
  EnterNewValues(panel());
  form->acWriteParameters->trigger();
  EXPECT_TRUE(line->HungUp());
  ExpectOneReportAndAClosedPort();
  // Nothing the operator typed is lost: the write can be repeated as it was.
  EXPECT_EQ(panel().seRelayTime->value(), 9);
  EXPECT_EQ(panel().dtpEndDate->date(), QDate(2031, 1, 2));
  EXPECT_EQ(Cell(9), "C0FFEE19");
  ExpectTheDeviceCanBeOpenedAgain();
}

INSTANTIATE_TEST_SUITE_P(Faults, VanishingDuringWrite,
                         ::testing::Values(VanishRow{"WhileAwaitingAnAnswer", FaultLine::Fate::HangUp},
                                           VanishRow{"BetweenFrames", FaultLine::Fate::HangUpAfterAnswer}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
