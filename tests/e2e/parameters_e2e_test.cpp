// The window reads, writes and changes keys on simulated readers served on a pseudo-terminal.
#include "QtTestApp.h"
#include "SimLineThread.h"

#include "CPort.h"
#include "CodeTables.h"
#include "DemoLine.h"
#include "Frame.h"
#include "MessageBoxes.h"
#include "ParameterPanel.h"
#include "SDIMAIN.h"
#include "WriteKeysForm.h"
#include "MessageCaptions.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes DataOf(const Bytes& request) {
  const auto data = FrameView(request).RequestData();
  return Bytes(data.begin(), data.end());
}

// The request codes of a write: the mode's settings, then one per black-list row.
Bytes WriteCodes(const Bytes& settings) {
  Bytes codes(10, 0x98);
  codes.insert(codes.begin(), settings.begin(), settings.end());
  return codes;
}

// A message as shown, with the state of the window at that moment.
struct Shown {
  QString caption;
  QString text;
  bool panelEnabled;
  bool hourglass;
};

class Parameters : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageSink([this](const TShownMessage& message) {
      shown.push_back({message.caption, message.text, panel().cbReader->isEnabled(),
                       QApplication::overrideCursor() != nullptr});
    });
    form = std::make_unique<TParvexForm>();
    form->ComPort->SetPort(QString::fromStdString(line.DevicePath()));
  }
  void TearDown() override {
    form.reset();
    line.Stop();
    SetMessageSink({});
  }

  // The first demo reader (cash desk 0000012A, dates 31.12.2009 and 29.02.2012).
  sim::Reader& AddDemoReader() { return line.simulator.AddReader(sim::DemoReaders().front()); }

  // The port open with the reader in the selector, as a search leaves them, without waiting
  // for a broadcast.
  void Connect() {
    line.Start();
    form->ComPort->SetConnected(true);
    panel().cbReader->addItem(QStringLiteral("1 / 1234"), 1);
    panel().cbReader->setCurrentIndex(0);
    form->ActionList1Update();
    form->EnableParameterPanel(true);
  }
  // What the readers heard, each request once: a sending repeated because a busy machine
  // let an answer miss its deadline is the same frame again. The line stops to be looked at.
  std::vector<Bytes> Heard() {
    std::vector<Bytes> frames;
    for (Bytes& frame : HeardSendings())
      if (frames.empty() || frames.back() != frame) frames.push_back(std::move(frame));
    return frames;
  }
  std::vector<Bytes> HeardSendings() {
    line.Stop();
    return line.Requests();
  }
  std::vector<std::uint8_t> HeardCodes() {
    std::vector<std::uint8_t> codes;
    for (const Bytes& frame : Heard()) codes.push_back(FrameView(frame).Code());
    return codes;
  }
  sim::ReaderState& State() {
    line.Stop();
    return line.simulator.FindReader(1)->state;
  }

  TParameterPanel& panel() { return *form->Panel1; }
  QString Cell(int row) { return panel().sgBlackList->item(row, 0)->text(); }
  void SelectMode(int value) { panel().cbMode->setCurrentIndex(panel().cbMode->findData(value)); }

  QStringList TextsUnder(const QString& caption) const {
    QStringList texts;
    for (const Shown& message : shown)
      if (message.caption == caption) texts << message.text;
    return texts;
  }

  // Runs script on the key dialog as soon as the action has opened it.
  void WithKeyDialog(const std::function<void(TfrmWriteKeys&)>& script) {
    auto* poll = new QTimer(form.get());
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, script] {
      if (auto* dialog = qobject_cast<TfrmWriteKeys*>(QApplication::activeModalWidget())) {
        poll->stop();
        poll->deleteLater();
        script(*dialog);
      }
    });
    poll->start();
  }

  SimLineThread line;
  std::unique_ptr<TParvexForm> form;
  std::vector<Shown> shown;
};

// ---- reading --------------------------------------------------------------------------------

TEST_F(Parameters, OpeningThePortReadsTheFirstReaderIntoEveryControl) {
  AddDemoReader();
  line.Start();
  form->acPortOpen->trigger();  // the search, then the read of the reader it selected
  EXPECT_TRUE(shown.empty()) << shown.front().text.toStdString();
  EXPECT_EQ(panel().leCacheNumber->text(), "0000012A");
  EXPECT_EQ(panel().seRecharging->value(), 5);
  EXPECT_EQ(panel().cbMode->currentText(), "Турникет");
  EXPECT_EQ(panel().cbCardType->currentText(), "Абонемент");
  EXPECT_EQ(panel().dtpCurrentDate->date(), QDate(2009, 12, 31));
  EXPECT_EQ(panel().dtpEndDate->date(), QDate(2012, 2, 29));
  EXPECT_EQ(panel().seCardSector->value(), 4);
  EXPECT_EQ(panel().seAbonementTimeout->value(), 10);
  EXPECT_EQ(panel().seRelayTime->value(), 3);
  EXPECT_EQ(Cell(0), "0012AB9F");
  EXPECT_EQ(Cell(2), "0A0B0C0D");
  EXPECT_EQ(Cell(9), "00000000");
  EXPECT_TRUE(panel().cbMode->isEnabled());
  EXPECT_FALSE(panel().seRecharging->isEnabled());  // the mode rule for "Турникет"
  EXPECT_EQ(HeardCodes().size(), 20u);  // the search and the 19 reads
}

TEST_F(Parameters, SilentReaderGivesTenLinesInOneMessageAfterTheLockIsReleased) {
  AddDemoReader().faults.silent = true;
  Connect();
  form->acReadParameters->trigger();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, kRead);
  EXPECT_TRUE(shown[0].text.startsWith(kReadErrors));
  EXPECT_EQ(shown[0].text.count("\r\n"), 11);  // the heading and ten lines
  EXPECT_TRUE(shown[0].panelEnabled);
  EXPECT_FALSE(shown[0].hourglass);
  EXPECT_EQ(panel().leCacheNumber->text(), "");
  EXPECT_EQ(panel().cbMode->currentIndex(), -1);
  EXPECT_EQ(panel().dtpCurrentDate->date(), QDate(1899, 12, 30));
  EXPECT_EQ(panel().seCardSector->value(), 1);  // the cleared 0, clamped
  EXPECT_EQ(Cell(0), "");
}

// Reader A read, then reader B silent: nothing of A may stay on screen, or the next write
// would send A's values to B.
TEST_F(Parameters, SilentSecondReaderLeavesNoValueOfTheFirstOnScreen) {
  AddDemoReader();
  sim::Reader silent = sim::DemoReaders().front();
  silent.address = 2;
  silent.faults.silent = true;
  line.simulator.AddReader(silent);
  Connect();
  panel().cbReader->addItem(QStringLiteral("2 / 1234"), 2);
  form->acReadParameters->trigger();
  ASSERT_TRUE(shown.empty()) << shown.front().text.toStdString();
  ASSERT_EQ(panel().leCacheNumber->text(), "0000012A");

  panel().cbReader->setCurrentIndex(1);
  form->acReadParameters->trigger();
  ASSERT_EQ(TextsUnder(kRead).size(), 1);
  EXPECT_EQ(panel().leCacheNumber->text(), "");
  EXPECT_EQ(panel().seRecharging->value(), 0);
  EXPECT_EQ(panel().cbMode->currentIndex(), -1);
  EXPECT_EQ(panel().cbCardType->currentIndex(), -1);
  EXPECT_EQ(panel().dtpCurrentDate->date(), QDate(1899, 12, 30));
  EXPECT_EQ(panel().dtpEndDate->date(), QDate(1899, 12, 30));
  EXPECT_EQ(panel().seCardSector->value(), 1);  // the cleared 0, clamped
  EXPECT_EQ(panel().seAbonementTimeout->value(), 0);
  EXPECT_EQ(panel().seRelayTime->value(), 0);
  for (int row = 0; row < 10; ++row) EXPECT_EQ(Cell(row), "") << "row " << row;
  // With no mode on screen a write is refused before anything reaches B.
  const std::size_t heard = HeardSendings().size();
  line.Start();
  form->acWriteParameters->trigger();
  EXPECT_EQ(HeardSendings().size(), heard);
}

TEST_F(Parameters, BrokenDateShowsTheZeroDateAndItsLine) {
  AddDemoReader().state.endDate = {0x31, 0x12, 0x09};
  Connect();
  form->acReadParameters->trigger();
  EXPECT_EQ(TextsUnder(kRead),
            QStringList{kReadErrors + "Чтение конечной даты - неправильный формат даты\r\n"});
  EXPECT_EQ(panel().dtpEndDate->date(), QDate(1899, 12, 30));
  EXPECT_EQ(panel().dtpCurrentDate->date(), QDate(2009, 12, 31));
}

TEST_F(Parameters, UnknownModeByteLeavesNoSelectionAndTheRuleFollows) {
  sim::Reader& reader = AddDemoReader();
  reader.state.mode = 5;
  reader.state.cardType = 0;
  Connect();
  SelectMode(3);
  form->acReadParameters->trigger();
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(panel().cbMode->currentIndex(), -1);
  EXPECT_EQ(panel().cbCardType->currentIndex(), -1);
  EXPECT_FALSE(panel().cbCardType->isEnabled());
  EXPECT_TRUE(panel().dtpCurrentDate->isEnabled());
}

TEST_F(Parameters, RechargeModeReadEnablesItsControlsOnceTheReadIsDone) {
  AddDemoReader().state.mode = 3;
  Connect();
  form->acReadParameters->trigger();
  EXPECT_EQ(panel().cbMode->currentText(), "Пополнение");
  EXPECT_TRUE(panel().seRecharging->isEnabled());
  EXPECT_TRUE(panel().cbCardType->isEnabled());
}

TEST_F(Parameters, NoReaderSelectedIsRefusedWhileLockedAndSendsNothing) {
  AddDemoReader();
  Connect();
  panel().cbReader->setCurrentIndex(-1);
  form->acReadParameters->trigger();
  form->acWriteParameters->trigger();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].caption, kRead);
  EXPECT_EQ(shown[0].text, "Необходимо выбрать считыватель");
  EXPECT_FALSE(shown[0].panelEnabled);
  EXPECT_TRUE(shown[0].hourglass);
  EXPECT_EQ(shown[1].caption, kWrite);
  EXPECT_EQ(shown[1].text, "Необходимо выбрать считыватель");
  EXPECT_TRUE(panel().cbMode->isEnabled());
  EXPECT_TRUE(Heard().empty());
}

// ---- writing --------------------------------------------------------------------------------

TEST_F(Parameters, RechargeModeWriteReachesTheReaderAndReadsBack) {
  AddDemoReader();
  Connect();
  SelectMode(3);
  panel().cbCardType->setCurrentIndex(panel().cbCardType->findData(2));
  panel().seRecharging->setValue(10);
  panel().seCardSector->setValue(4);
  panel().dtpCurrentDate->setDate(QDate(2015, 6, 1));
  panel().dtpEndDate->setDate(QDate(2030, 1, 31));
  panel().sgBlackList->item(2, 0)->setText("0A0B0C0D");
  panel().sgBlackList->item(4, 0)->setText("11223344");
  panel().leCacheNumber->setText("DEADBEEF");  // never sent
  form->acWriteParameters->trigger();
  EXPECT_TRUE(shown.empty());

  const std::vector<Bytes> frames = Heard();
  std::vector<std::uint8_t> codes;
  for (const Bytes& frame : frames) codes.push_back(FrameView(frame).Code());
  EXPECT_EQ(codes, WriteCodes({0x7C, 0x78, 0x80, 0x84, 0x88, 0x8C, 0x90, 0x94}));
  EXPECT_EQ(DataOf(frames[10]), (Bytes{0x0A, 0x0B, 0x0C, 0x0D, 0x02}));
  EXPECT_EQ(DataOf(frames[13]), (Bytes{0, 0, 0, 0, 0x05}));
  const sim::ReaderState& state = State();
  EXPECT_EQ(state.mode, 3);
  EXPECT_EQ(state.cardType, 2);
  EXPECT_EQ(state.rechargeUnits, 10);
  EXPECT_EQ(state.sector, 4);
  EXPECT_EQ(state.currentDate, (sim::WireDate{1, 6, 15}));

  // What was written comes back.
  for (int row = 0; row < 10; ++row) panel().sgBlackList->item(row, 0)->setText("");
  panel().seRecharging->setValue(0);
  line.Start();
  form->acReadParameters->trigger();
  EXPECT_TRUE(shown.empty()) << shown.front().text.toStdString();
  EXPECT_EQ(panel().cbMode->currentText(), "Пополнение");
  EXPECT_EQ(panel().cbCardType->currentText(), "Абонемент");
  EXPECT_EQ(panel().seRecharging->value(), 10);
  EXPECT_EQ(panel().dtpEndDate->date(), QDate(2030, 1, 31));
  EXPECT_EQ(Cell(2), "0A0B0C0D");
  EXPECT_EQ(Cell(4), "11223344");
  EXPECT_EQ(Cell(5), "00000000");
  EXPECT_EQ(panel().leCacheNumber->text(), "0000012A");
}

TEST_F(Parameters, ReadingModeWritesNeitherDatesNorRechargeNorCardType) {
  AddDemoReader();
  Connect();
  SelectMode(2);
  panel().dtpCurrentDate->setDate(QDate(1899, 12, 30));  // not checked where not written
  form->acWriteParameters->trigger();
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(HeardCodes(), WriteCodes({0x7C, 0x8C, 0x90, 0x94}));
}

TEST_F(Parameters, SilentReaderGivesALinePerCommandOfTheMode) {
  AddDemoReader().faults.silent = true;
  Connect();
  SelectMode(1);
  form->acWriteParameters->trigger();
  ASSERT_EQ(TextsUnder(kWrite).size(), 1);
  EXPECT_TRUE(TextsUnder(kWrite)[0].startsWith(kWriteErrors));
  EXPECT_EQ(TextsUnder(kWrite)[0].count("\r\n"), 8);  // heading, six commands, row 0
}

TEST_F(Parameters, RejectedRowZeroStopsTheBlackList) {
  AddDemoReader().faults.statusFor[cmd::WriteBlackList] = 0x17;
  Connect();
  SelectMode(0);
  form->acWriteParameters->trigger();
  EXPECT_EQ(TextsUnder(kWrite),
            QStringList{kWriteErrors + "Изменение черного списка кассовых аппаратов - доступ запрещен\r\n"});
  EXPECT_EQ(HeardCodes().size(), 7u);
}

TEST_F(Parameters, WriteRefusalsComeBeforeAnythingIsSent) {
  AddDemoReader();
  Connect();
  form->acWriteParameters->trigger();  // no mode
  SelectMode(3);
  panel().cbCardType->setCurrentIndex(-1);
  form->acWriteParameters->trigger();
  SelectMode(1);
  panel().dtpCurrentDate->setDate(QDate(1899, 12, 30));  // as a failed read leaves it
  form->acWriteParameters->trigger();
  const QStringList texts = TextsUnder(kWrite);
  ASSERT_EQ(texts.size(), 3);
  EXPECT_EQ(texts[0], "Необходимо выбрать режим работы считывателя");
  EXPECT_EQ(texts[1], "Необходимо выбрать тип карточки");
  EXPECT_TRUE(texts[2].startsWith("Текущая дата 30.12.1899")) << texts[2].toStdString();
  EXPECT_TRUE(texts[2].contains("01.01.2000") && texts[2].contains("31.12.2255"));
  for (const Shown& message : shown) EXPECT_TRUE(message.hourglass);
  EXPECT_TRUE(Heard().empty());
}

// A write started by its shortcut while a cell is being typed sends the normalised text.
TEST_F(Parameters, ShortcutWriteWhileTypingSendsTheNormalisedCell) {
  AddDemoReader();
  Connect();
  SelectMode(1);
  form->show();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  panel().sgBlackList->setFocus();
  panel().sgBlackList->setCurrentCell(1, 0);
  QTest::keyClicks(panel().sgBlackList, "a");
  QTest::keyClicks(QApplication::focusWidget(), "b");
  ASSERT_TRUE(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::ControlModifier);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(Cell(1), "AB000000");
  EXPECT_EQ(State().blackList[1], (sim::Entry{0xAB, 0, 0, 0}));
}

// ---- key change ----------------------------------------------------------------------------

TEST_F(Parameters, KeyChangeInTurnstileModeSendsTheModeThenKeyA) {
  AddDemoReader();
  Connect();
  SelectMode(1);
  WithKeyDialog([](TfrmWriteKeys& dialog) {
    EXPECT_TRUE(dialog.pnlKeyA->isVisible());
    QTest::keyClicks(dialog.eKeyA, "0102a3");
    dialog.btnOK->click();
  });
  form->acWriteKeys->trigger();
  EXPECT_TRUE(shown.empty());
  const std::vector<Bytes> frames = Heard();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(FrameView(frames[0]).Code(), cmd::WriteMode);
  EXPECT_EQ(DataOf(frames[0]), (Bytes{0x01}));
  EXPECT_EQ(FrameView(frames[1]).Code(), cmd::ChangeKey);
  EXPECT_EQ(DataOf(frames[1]), (Bytes{0x01, 0x02, 0xA3, 0, 0, 0, 0xAA}));
  EXPECT_EQ(State().keyA, (sim::Key{0x01, 0x02, 0xA3, 0, 0, 0}));
}

TEST_F(Parameters, InitialisingKeyOfTypeBGoesWithItsSelector) {
  AddDemoReader();
  Connect();
  SelectMode(4);
  WithKeyDialog([](TfrmWriteKeys& dialog) {
    EXPECT_TRUE(dialog.pnlOldKey->isVisible());
    dialog.eOldKey->setText("C1C2C3C4C5C6");
    dialog.cbOldKeyType->setCurrentIndex(1);
    dialog.btnOK->click();
  });
  form->acWriteKeys->trigger();
  EXPECT_TRUE(shown.empty());
  const sim::ReaderState& state = State();
  EXPECT_EQ(state.mode, 4);
  EXPECT_EQ(state.initKey, (sim::Key{0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6}));
  EXPECT_EQ(state.initKeyType, 0xBB);
}

TEST_F(Parameters, SilentReaderKeepsTheKeyDialogOpenAndOkRepeatsTheSequence) {
  AddDemoReader().faults.silent = true;
  Connect();
  SelectMode(3);
  bool stillOpen = false;
  QString typed;
  WithKeyDialog([&](TfrmWriteKeys& dialog) {
    QTest::keyClicks(dialog.eKeyB, "b1");
    dialog.btnOK->click();
    stillOpen = dialog.isVisible();
    typed = TfrmWriteKeys::KeyText(dialog.eKeyB);
    dialog.btnOK->click();
    dialog.btnCancel->click();
  });
  form->acWriteKeys->trigger();
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(typed, "B10000000000");
  const QString message = kKeyErrors + "Изменение режима работы - таймаут\r\n";
  EXPECT_EQ(TextsUnder(kKeys), (QStringList{message, message}));
  EXPECT_FALSE(QApplication::overrideCursor());
  // Twice the mode command, three sendings each; never a key.
  const std::vector<Bytes> sendings = HeardSendings();
  EXPECT_EQ(sendings.size(), 6u);
  for (const Bytes& frame : sendings) EXPECT_EQ(FrameView(frame).Code(), cmd::WriteMode);
}

// While the sequence waits for a slow reader, a second OK, Enter, Escape, Cancel and the close
// button start nothing and close nothing; the dialog closes once the sequence has succeeded.
TEST_F(Parameters, KeyDialogHoldsWhileItsSequenceWaits) {
  AddDemoReader().faults.delay = std::chrono::milliseconds(30);
  Connect();
  SelectMode(1);
  bool openDuringWait = false;
  bool closedAtEnd = false;
  WithKeyDialog([&](TfrmWriteKeys& dialog) {
    QTimer::singleShot(10, &dialog, [&] {
      QTest::keyClick(dialog.eKeyA, Qt::Key_Return);
      QTest::keyClick(dialog.eKeyA, Qt::Key_Escape);
      dialog.btnOK->click();
      dialog.btnCancel->click();
      dialog.close();
      openDuringWait = dialog.isVisible();
    });
    dialog.btnOK->click();
    closedAtEnd = !dialog.isVisible() && dialog.result() == QDialog::Accepted;
  });
  form->acWriteKeys->trigger();
  EXPECT_TRUE(openDuringWait);
  EXPECT_TRUE(closedAtEnd);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(HeardCodes(), (std::vector<std::uint8_t>{cmd::WriteMode, cmd::ChangeKey}));
}

TEST_F(Parameters, KeyChangeIsRefusedWithoutAModeThatHasAKey) {
  AddDemoReader();
  Connect();
  bool opened = false;
  WithKeyDialog([&](TfrmWriteKeys& dialog) {
    opened = true;
    dialog.reject();
  });
  form->acWriteKeys->trigger();
  SelectMode(0);
  form->acWriteKeys->trigger();
  QApplication::processEvents();
  EXPECT_FALSE(opened);
  const QString refusal = QStringLiteral(
      "Изменение ключей возможно только в режимах \"Турникет\", \"Чтение\", \"Пополнение\" и "
      "\"Инициализация\"");
  EXPECT_EQ(TextsUnder(kKeys), (QStringList{refusal, refusal}));
  EXPECT_TRUE(Heard().empty());
}

TEST_F(Parameters, EscapeClosesTheKeyDialogWithoutSending) {
  AddDemoReader();
  Connect();
  SelectMode(2);
  WithKeyDialog([](TfrmWriteKeys& dialog) { QTest::keyClick(dialog.eKeyA, Qt::Key_Escape); });
  form->acWriteKeys->trigger();
  EXPECT_TRUE(shown.empty());
  EXPECT_TRUE(Heard().empty());
}

}  // namespace
