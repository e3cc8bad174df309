// The window's exchange log and terminal log against simulated readers: rows appear while the
// search and the read run, retries show each attempt, and both logs save to the file the
// operator picks.
#include "QtTestApp.h"
#include "SimLineThread.h"

#include "CPort.h"
#include "DemoLine.h"
#include "ExchangeLogModel.h"
#include "ExchangeLogWindow.h"
#include "MessageBoxes.h"
#include "ParameterPanel.h"
#include "SDIMAIN.h"
#include "FileChoice.h"
#include "TerminalView.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

namespace {

using Column = TExchangeLogModel::TColumn;
const QString kAccepted = QStringLiteral("успешно");
const QString kTimeout = QStringLiteral("таймаут");

class ExchangeLog : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageSink([this](const TShownMessage& message) { shown.push_back(message); });
    SetFileChooser([this](TFileChoice) { return savePath; });
    form = std::make_unique<TParvexForm>();
    form->ComPort->SetPort(QString::fromStdString(line.DevicePath()));
  }
  void TearDown() override {
    form.reset();
    line.Stop();
    SetFileChooser({});
    SetMessageSink({});
  }

  sim::Reader& AddDemoReader(std::uint8_t address) {
    sim::Reader reader = sim::DemoReaders().front();
    reader.address = address;
    return line.simulator.AddReader(reader);
  }
  // The port open with reader 1 selected, as a search leaves it, without the broadcast's wait.
  void Connect() {
    line.Start();
    form->ComPort->SetConnected(true);
    form->Panel1->cbReader->addItem(QStringLiteral("1 / 1234"), 1);
    form->Panel1->cbReader->setCurrentIndex(0);
    form->ActionList1Update();
    form->EnableParameterPanel(true);
  }

  TExchangeLogModel& Log() {
    form->ExchangeLog().ApplyPending();
    return form->ExchangeLog();
  }
  QString Cell(int row, Column column) { return Log().data(Log().index(row, column)).toString(); }
  int Count(Column column, const QString& text) {
    int count = 0;
    for (int row = 0; row < Log().rowCount(); ++row) count += Cell(row, column) == text;
    return count;
  }
  // Every command of the read ends accepted: rows before its accepted one are its timed-out
  // attempts 1, 2…, however many a busy machine needs.
  void ExpectEachCommandRetriedUntilAccepted(int firstRow) {
    int attempt = 1;
    for (int row = firstRow; row < Log().rowCount(); ++row) {
      EXPECT_EQ(Cell(row, Column::Attempt), QString::number(attempt)) << "row " << row;
      if (Cell(row, Column::Outcome) == kAccepted) {
        attempt = 1;
        continue;
      }
      EXPECT_EQ(Cell(row, Column::Outcome), kTimeout) << "row " << row;
      EXPECT_EQ(Cell(row, Column::Command), Cell(row + 1, Column::Command)) << "row " << row;
      ++attempt;
    }
    EXPECT_EQ(attempt, 1) << "the last command did not end accepted";
  }

  SimLineThread line;
  std::unique_ptr<TParvexForm> form;
  std::vector<TShownMessage> shown;
  QString savePath;
};

TEST_F(ExchangeLog, SearchAndReadAppearRowByRowWhileTheyRun) {
  AddDemoReader(1);
  AddDemoReader(2);
  line.Start();
  form->acExchangeLog->trigger();
  TExchangeLogWindow* window = form->ExchangeLogWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  // Halfway through the broadcast's wait, its row is there, still waiting; the log's action
  // works then and leaves the lock as it is.
  QStringList duringSearch;
  int shownDuringSearch = 0;
  bool readEnabledDuringSearch = true;
  QTimer::singleShot(1500, form.get(), [&] {
    shownDuringSearch = window->tvExchanges->model()->rowCount();
    for (int row = 0; row < Log().rowCount(); ++row) duringSearch << Cell(row, Column::Outcome);
    form->acExchangeLog->trigger();
    readEnabledDuringSearch = form->acReadParameters->isEnabled();
  });
  form->acPortOpen->trigger();  // the search, then the read of reader 1
  ASSERT_TRUE(shown.empty()) << shown.front().text.toStdString();
  EXPECT_EQ(shownDuringSearch, 1);
  EXPECT_EQ(duringSearch, QStringList{QStringLiteral("ожидание")});
  EXPECT_FALSE(readEnabledDuringSearch);

  ASSERT_GE(Log().rowCount(), 2 + 19);
  for (int row = 0; row < 2; ++row) {
    EXPECT_EQ(Cell(row, Column::Command), QStringLiteral("Чтение серийного номера"));
    EXPECT_EQ(Cell(row, Column::Address), QString::number(row + 1));
    EXPECT_EQ(Cell(row, Column::Outcome), kAccepted);
    EXPECT_TRUE(Cell(row, Column::Request).startsWith(QStringLiteral("FF 05 70")));
  }
  EXPECT_EQ(Count(Column::Outcome, kAccepted), 2 + 19);  // the read is 19 exchanges
  ExpectEachCommandRetriedUntilAccepted(2);
}

TEST_F(ExchangeLog, ALateReaderShowsEachAttemptWithItsOutcome) {
  AddDemoReader(1).faults.delay = std::chrono::milliseconds(150);
  Connect();
  form->acReadParameters->trigger();
  ASSERT_TRUE(shown.empty()) << shown.front().text.toStdString();
  // A first sending waits 100 ms for an answer that comes after 150: it times out, and a later
  // attempt takes the answer (a machine too busy to look at the deadline in time may take it in
  // the first wait: the row then says so).
  EXPECT_EQ(Count(Column::Outcome, kAccepted), 19);
  EXPECT_EQ(Count(Column::Attempt, QStringLiteral("1")), 19);
  EXPECT_GT(Count(Column::Outcome, kTimeout), 0);
  ExpectEachCommandRetriedUntilAccepted(0);
}

TEST_F(ExchangeLog, BothLogsSaveToTheChosenFileAndAFailureIsTold) {
  AddDemoReader(1).faults.noise = "BOOT v1.2\r\n";
  Connect();
  form->acReadParameters->trigger();
  form->acExchangeLog->trigger();
  QTemporaryDir folder;
  savePath = folder.filePath(QStringLiteral("exchanges.csv"));
  form->ExchangeLogWindow()->btnSaveExchanges->click();
  QFile csv(savePath);
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  EXPECT_EQ(csv.readAll().count("\r\n"), Log().rowCount() + 1);  // a header and every row

  savePath = folder.filePath(QStringLiteral("terminal.txt"));
  form->Terminal().acSaveLog->trigger();
  QFile text(savePath);
  ASSERT_TRUE(text.open(QIODevice::ReadOnly));
  EXPECT_TRUE(text.readAll().startsWith("BOOT v1.2\n"));

  savePath = folder.path();  // a folder cannot be written as a file
  form->Terminal().acSaveLog->trigger();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, QStringLiteral("Сохранение журнала"));
  EXPECT_EQ(shown[0].text, QStringLiteral("Не удалось сохранить файл ") + folder.path());
  EXPECT_FALSE(shown[0].detail.isEmpty());

  form->ExchangeLogWindow()->btnClearExchanges->click();
  EXPECT_EQ(Log().rowCount(), 0);
}

}  // namespace
