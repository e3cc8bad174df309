// Commissioning a line from the window: the panel to a parameters file and back, and one write
// to every reader with its read-back, against three simulated readers served on a
// pseudo-terminal.
#include "QtTestApp.h"
#include "SimLineThread.h"

#include "CPort.h"
#include "CliCommands.h"
#include "DemoLine.h"
#include "FileChoice.h"
#include "Frame.h"
#include "MessageBoxes.h"
#include "ParameterPanel.h"
#include "SDIMAIN.h"
#include "WriteAllProgress.h"
#include "WriteAllResults.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <vector>

namespace {

const QString kLoadCaption = QStringLiteral("Загрузка параметров");
const QString kSaveCaption = QStringLiteral("Сохранение параметров");

class Commissioning : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    SetMessageSink([this](const TShownMessage& message) { messages.push_back(message); });
    SetFileChooser([this](TFileChoice) { return chosenPath; });
    for (const sim::Reader& reader : sim::DemoReaders()) line.simulator.AddReader(reader);
  }
  void TearDown() override {
    form.reset();
    line.Stop();
    SetFileChooser({});
    SetMessageSink({});
  }

  // The window with its port open and the three readers in the selector, as a search leaves
  // them, without waiting for a broadcast.
  void Connect() {
    line.Start();
    form = std::make_unique<TParvexForm>();
    form->ComPort->SetPort(QString::fromStdString(line.DevicePath()));
    form->ComPort->SetConnected(true);
    panel().cbReader->addItem(QStringLiteral("1 / 1234"), 1);
    panel().cbReader->addItem(QStringLiteral("2 / 007F"), 2);
    panel().cbReader->addItem(QStringLiteral("3 / BEEF"), 3);
    panel().cbReader->setCurrentIndex(0);
    form->ActionList1Update();
    form->EnableParameterPanel(true);
  }

  TParameterPanel& panel() { return *form->Panel1; }
  void SelectMode(int value) { panel().cbMode->setCurrentIndex(panel().cbMode->findData(value)); }
  void SetCell(int row, const QString& text) { panel().sgBlackList->item(row, 0)->setText(text); }

  // Every value the operator sees, enabled or not.
  QStringList Snapshot() {
    const TParameterPanel& p = panel();
    QStringList values{p.cbMode->currentText(),         p.cbCardType->currentText(),
                       p.seRecharging->text(),          p.dtpCurrentDate->date().toString(Qt::ISODate),
                       p.dtpEndDate->date().toString(Qt::ISODate), p.seCardSector->text(),
                       p.seAbonementTimeout->text(),    p.seRelayTime->text()};
    for (int row = 0; row < p.sgBlackList->rowCount(); ++row) values << p.sgBlackList->item(row, 0)->text();
    return values;
  }

  QString File(const QString& name, const QByteArray& text) {
    const QString path = folder.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return path;
  }
  void Save(const QString& path) {
    chosenPath = path;
    form->acSaveParameters->trigger();
  }
  void Load(const QString& path) {
    chosenPath = path;
    form->acLoadParameters->trigger();
  }

  std::vector<std::vector<std::uint8_t>> Heard() {
    line.Stop();
    return line.Requests();
  }
  sim::ReaderState& StateOf(std::uint8_t address) {
    line.Stop();
    return line.simulator.FindReader(address)->state;
  }

  // Each reader's row of the result window: its entry, its outcome and the lines beneath it.
  struct ResultRow {
    QString reader;
    QString outcome;
    QStringList lines;
  };
  std::vector<ResultRow> Results() {
    std::vector<ResultRow> rows;
    const TfrmWriteAllResults* window = form->WriteAllResults();
    if (!window) return rows;
    for (int i = 0; i < window->tvResults->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* item = window->tvResults->topLevelItem(i);
      ResultRow& row = rows.emplace_back(ResultRow{item->text(0), item->text(1), {}});
      for (int c = 0; c < item->childCount(); ++c) row.lines << item->child(c)->text(1);
    }
    return rows;
  }

  QTemporaryDir folder;
  QString chosenPath;
  SimLineThread line;
  std::unique_ptr<TParvexForm> form;
  std::vector<TShownMessage> messages;
};

// ---- parameters file ------------------------------------------------------------------------

TEST_F(Commissioning, SavedPanelLoadsBackAsItWas) {
  Connect();
  SelectMode(3);
  panel().cbCardType->setCurrentIndex(panel().cbCardType->findData(2));
  panel().seRecharging->setValue(10);
  panel().dtpCurrentDate->setDate(QDate(2015, 6, 1));
  panel().dtpEndDate->setDate(QDate(2030, 1, 31));
  panel().seCardSector->setValue(4);
  panel().seAbonementTimeout->setValue(12);
  panel().seRelayTime->setValue(5);
  SetCell(0, "0A0B0C0D");
  SetCell(9, "FFFFFFFF");
  const QStringList saved = Snapshot();
  const QString path = folder.filePath("desk.json");
  Save(path);
  ASSERT_TRUE(messages.empty()) << messages.front().text.toStdString();

  SelectMode(1);
  panel().seRecharging->setValue(0);
  panel().dtpEndDate->setDate(QDate(2001, 1, 1));
  panel().seCardSector->setValue(9);
  SetCell(0, "");
  SetCell(9, "12345678");
  Load(path);
  EXPECT_TRUE(messages.empty()) << messages.front().text.toStdString();
  QStringList planned = saved;
  planned[3] = QDate::currentDate().toString(Qt::ISODate);  // the clock is saved as planned: today
  EXPECT_EQ(Snapshot(), planned);
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains(R"("currentDate": "today")"));
  EXPECT_TRUE(panel().seRecharging->isEnabled());  // the mode rule follows the loaded mode
  EXPECT_TRUE(Heard().empty());  // nothing went on the line
}

// A file of parvex-cli loads; its mode (2) writes no dates, so the panel's dates stay.
TEST_F(Commissioning, FileOfTheCommandLineLoadsAndLeavesWhatItsModeDoesNotWrite) {
  line.Start();
  std::ostringstream out, err;
  ASSERT_EQ(RunCli({"read", "--port", line.DevicePath(), "--address", "3", "--json"}, out, err), 0) << err.str();
  line.Stop();
  const QString path = File("gate.json", QByteArray::fromStdString(out.str()));
  const sim::ReaderState gate = line.simulator.FindReader(3)->state;

  Connect();
  SelectMode(1);
  panel().dtpCurrentDate->setDate(QDate(2020, 2, 2));
  panel().seRecharging->setValue(77);
  Load(path);
  EXPECT_TRUE(messages.empty()) << messages.front().text.toStdString();
  EXPECT_EQ(panel().cbMode->currentData().toInt(), 2);
  EXPECT_EQ(panel().seCardSector->value(), gate.sector);
  EXPECT_EQ(panel().seRelayTime->value(), gate.relayTime);
  EXPECT_EQ(panel().dtpCurrentDate->date(), QDate(2020, 2, 2));
  EXPECT_EQ(panel().seRecharging->value(), 77);
  EXPECT_FALSE(panel().dtpCurrentDate->isEnabled());
}

TEST_F(Commissioning, BadFileGivesOneMessageNamingFileAndFieldAndLeavesThePanel) {
  Connect();
  SelectMode(1);
  panel().seCardSector->setValue(6);
  SetCell(3, "01020304");
  const QStringList before = Snapshot();
  const QByteArray turnstile = R"({"mode": 1, "currentDate": "2020-01-01", "endDate": "2030-01-01", "sector": 3,
      "abonementTimeout": 10, "relayTime": 2, "blackList": ["", "", "", "", "", "", "", "", "", ""]})";
  struct Case {
    const char* name;
    QByteArray text;
    const char* field;
  };
  const Case cases[] = {
      {"not-json.json", "{\"mode\": 1,", "не JSON"},
      {"sectr.json", QByteArray(turnstile).replace("\"sector\"", "\"sectr\""), "sectr"},
      {"sector-16.json", QByteArray(turnstile).replace("\"sector\": 3", "\"sector\": 16"), "sector"},
      {"mode-9.json", QByteArray(turnstile).replace("\"mode\": 1", "\"mode\": 9"), "mode"},
      {"mode-lift.json", QByteArray(turnstile).replace("\"mode\": 1", "\"mode\": \"Лифт\""), "mode"},
      {"date.json", QByteArray(turnstile).replace("2030-01-01", "2030-02-30"), "endDate"},
  };
  for (const Case& c : cases) {
    messages.clear();
    const QString path = File(c.name, c.text);
    Load(path);
    ASSERT_EQ(messages.size(), 1u) << c.name;
    EXPECT_EQ(messages[0].caption, kLoadCaption);
    EXPECT_TRUE(messages[0].text.contains(path)) << messages[0].text.toStdString();
    EXPECT_TRUE(messages[0].text.contains(QString::fromUtf8(c.field))) << messages[0].text.toStdString();
    EXPECT_EQ(Snapshot(), before) << c.name;
  }
  messages.clear();
  Load(folder.filePath("absent.json"));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].text.contains("No such file or directory")) << messages[0].text.toStdString();
  EXPECT_EQ(Snapshot(), before);
  // A file of some fields fills those and leaves the others as shown.
  Load(File("relay.json", R"({"relayTime": 9})"));
  EXPECT_EQ(panel().seRelayTime->value(), 9);
  EXPECT_EQ(Snapshot().mid(8), before.mid(8));  // the black list, as every field it does not name
}

TEST_F(Commissioning, FileThatCannotBeWrittenIsNamedWithTheSystemsReason) {
  Connect();
  SelectMode(2);
  const QString path = folder.filePath("no-such-folder/desk.json");
  Save(path);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, kSaveCaption);
  EXPECT_TRUE(messages[0].text.contains(path)) << messages[0].text.toStdString();
  EXPECT_TRUE(messages[0].text.contains("No such file or directory")) << messages[0].text.toStdString();

  // An existing file is replaced whole, and one that would not load again is not written at all.
  const QString kept = File("kept.json", "old");
  panel().cbMode->setCurrentIndex(-1);
  Save(kept);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_TRUE(messages[1].text.contains("mode")) << messages[1].text.toStdString();
  QFile old(kept);
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "old");
  old.close();
  SelectMode(2);
  Save(kept);
  ASSERT_EQ(messages.size(), 2u) << messages.back().text.toStdString();
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(QJsonDocument::fromJson(old.readAll()).object()["mode"].toObject()["value"].toInt(), 2);
}

// ---- write to every reader ------------------------------------------------------------------

TEST_F(Commissioning, WriteToAllVerifiesTheReadersThatAnswerAndListsTheSilentOnesTimeouts) {
  line.simulator.FindReader(2)->faults.silent = true;
  Connect();
  SelectMode(2);
  panel().seCardSector->setValue(7);
  SetCell(0, "0A0B0C0D");
  form->acWriteAllReaders->trigger();
  EXPECT_TRUE(messages.empty()) << messages.front().text.toStdString();

  const std::vector<ResultRow> rows = Results();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].reader, "1 / 1234");
  EXPECT_EQ(rows[0].outcome, "записан и проверен");
  EXPECT_TRUE(rows[0].lines.empty());
  EXPECT_EQ(rows[1].reader, "2 / 007F");
  EXPECT_EQ(rows[1].outcome, "ошибки");
  // Mode 2 writes mode, sector, two times and row 0; the read-back asks ten kinds of request.
  // Then each written field that did not come back.
  ASSERT_GE(rows[1].lines.size(), 15);
  for (int i = 0; i < 15; ++i) EXPECT_TRUE(rows[1].lines[i].endsWith(" - таймаут")) << rows[1].lines[i].toStdString();
  EXPECT_TRUE(rows[1].lines.contains("sector: записано 7, не прочитано"));
  EXPECT_EQ(rows[2].outcome, "записан и проверен");
  EXPECT_EQ(form->WriteAllResults()->lblSummary->text(), "Записано и проверено: 2 из 3");
  EXPECT_TRUE(form->acWriteAllReaders->isEnabled());  // the lock is released
  for (const std::uint8_t address : {1, 3}) {
    const sim::ReaderState& state = StateOf(address);
    EXPECT_EQ(state.mode, 2);
    EXPECT_EQ(state.sector, 7);
    EXPECT_EQ(state.blackList[0], (sim::Entry{0x0A, 0x0B, 0x0C, 0x0D}));
  }
}

TEST_F(Commissioning, CancelDuringTheFirstReaderFinishesItAndLeavesTheOthersUntouched) {
  Connect();
  const sim::ReaderState second = line.simulator.FindReader(2)->state;
  const sim::ReaderState third = line.simulator.FindReader(3)->state;
  SelectMode(4);
  panel().dtpCurrentDate->setDate(QDate(2024, 5, 6));
  panel().dtpEndDate->setDate(QDate(2034, 5, 6));
  panel().seCardSector->setValue(9);
  SetCell(9, "99999999");
  QString shownWhenCancelled;
  QTimer poll;
  poll.setInterval(1);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* progress = form->findChild<TfrmWriteAllProgress*>();
    if (!progress || !progress->isVisible()) return;
    poll.stop();
    shownWhenCancelled = progress->lblReader->text();
    progress->btnCancel->click();
  });
  poll.start();
  form->acWriteAllReaders->trigger();
  EXPECT_EQ(shownWhenCancelled, "Считыватель 1 из 3: 1 / 1234");

  const std::vector<ResultRow> rows = Results();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].outcome, "записан и проверен");
  EXPECT_EQ(rows[1].outcome, "не записан: запись отменена");
  EXPECT_EQ(rows[2].outcome, "не записан: запись отменена");
  EXPECT_EQ(StateOf(1).mode, 4);
  EXPECT_EQ(StateOf(1).blackList[9], (sim::Entry{0x99, 0x99, 0x99, 0x99}));
  EXPECT_EQ(StateOf(2), second);
  EXPECT_EQ(StateOf(3), third);
  for (const std::vector<std::uint8_t>& request : Heard()) EXPECT_EQ(FrameView(request).Address(), 1);
}

TEST_F(Commissioning, WriteToAllIsRefusedAsTheWriteIsBeforeAnythingIsSent) {
  Connect();
  SelectMode(3);
  panel().cbCardType->setCurrentIndex(-1);
  form->acWriteAllReaders->trigger();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "Необходимо выбрать тип карточки");
  EXPECT_EQ(form->WriteAllResults(), nullptr);
  EXPECT_TRUE(Heard().empty());
}

}  // namespace
