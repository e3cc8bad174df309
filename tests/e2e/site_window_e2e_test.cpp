// The site window against three lines: two of simulated readers served from threads of this
// test, and one whose device does not exist. A survey shows every state, an apply writes exactly
// the readers that differ, a cancelled apply stops after the readers in progress, and a refused
// site file leaves the window as it was.
#include "QtTestApp.h"
#include "SimLineThread.h"

#include "CodeTables.h"
#include "FileChoice.h"
#include "Language.h"
#include "MessageBoxes.h"
#include "SDIMAIN.h"
#include "SerialPortWatch.h"
#include "SiteWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <vector>

namespace {

// Mode 1 with the simulated readers' own values but sector 5: a reader left as it starts
// differs in that one field.
constexpr char kPlan[] =
    R"({"mode": 1, "cardType": 1, "sector": 5, "abonementTimeout": 1, "relayTime": 1, "currentDate": "2000-01-01",
        "endDate": "2000-01-01", "rechargeUnits": 1, "blackList": ["", "", "", "", "", "", "", "", "", ""]})";

sim::Reader Reader(std::uint8_t address, std::uint8_t sector = 1) {
  sim::Reader reader;
  reader.address = address;
  reader.state.serial = {0x00, address};
  reader.state.sector = sector;
  return reader;
}

// Line 0 holds a reader in every state; line 1 six that differ; line 2 cannot be opened.
class SiteWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    previousFolder = QDir::currentPath();
    QDir::setCurrent(folder.path());  // the window's settings file goes there
    SetMessageSink([this](const TShownMessage& message) { messages.push_back(message); });
    SetQuestionAnswerer([this](const TShownMessage& question) {
      questions.push_back(question.text);
      return true;
    });
    SetFileChooser([this](TFileChoice) { return chosenPath; });

    mixed.simulator.AddReader(Reader(1, 5));  // matches
    sim::Reader late = Reader(2);             // differs, and the plan sets its clock back
    late.state.currentDate.day = 31;
    mixed.simulator.AddReader(late);
    mixed.simulator.AddReader(Reader(3));     // pinned to another serial
    sim::Reader failing = Reader(5, 5);
    failing.faults.statusFor[cmd::ReadMode] = 0x17;
    mixed.simulator.AddReader(failing);
    mixed.simulator.AddReader(Reader(7));  // not in the plan; 4 is planned and absent
    for (std::uint8_t address = 1; address <= 6; ++address) differing.simulator.AddReader(Reader(address));
    mixed.Start();
    differing.Start();
    QFile plan(folder.filePath("plan.json"));
    ASSERT_TRUE(plan.open(QIODevice::WriteOnly));
    plan.write(kPlan);
    plan.close();
    sitePath = WriteSite(QStringLiteral(R"({"site": "Северный вход", "lines": [
      {"port": "%1", "readers": [{"address": 1, "parameters": "plan.json"}, {"address": 2, "parameters": "plan.json"},
        {"address": 3, "serial": "BEEF", "parameters": "plan.json"}, {"address": 4, "parameters": "plan.json"},
        {"address": 5, "parameters": "plan.json"}]},
      {"port": "%2", "readers": [%3]},
      {"port": "%4", "readers": [{"address": 1, "parameters": "plan.json"}]}]})")
                             .arg(QString::fromStdString(mixed.DevicePath()),
                                  QString::fromStdString(differing.DevicePath()), PlannedReaders(6),
                                  folder.filePath("no-such-device")),
                         "site.json");
    form = std::make_unique<TParvexForm>();
    form->show();
    window = form->SiteWindow();
  }
  void TearDown() override {
    form.reset();
    mixed.Stop();
    differing.Stop();
    SetFileChooser({});
    SetQuestionAnswerer({});
    SetMessageSink({});
    QDir::setCurrent(previousFolder);
  }

  static QString PlannedReaders(int count) {
    QStringList readers;
    for (int address = 1; address <= count; ++address)
      readers << QStringLiteral(R"({"address": %1, "parameters": "plan.json"})").arg(address);
    return readers.join(',');
  }
  QString WriteSite(const QString& text, const QString& name) {
    QFile file(folder.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
    return file.fileName();
  }

  void Open(const QString& path) {
    chosenPath = path;
    form->acSiteOpen->trigger();
  }
  // Runs an action of the Объект menu and waits for the run it starts to end.
  void RunToEnd(QAction* action) {
    action->trigger();
    ASSERT_TRUE(window->Running());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->Running(); }, 60000));
  }

  // Each reader row of a line: address to its state's words.
  std::map<int, std::string> States(int line) const {
    std::map<int, std::string> states;
    const QTreeWidgetItem* item = window->tvSite->topLevelItem(line);
    for (int i = 0; i < item->childCount(); ++i)
      states[item->child(i)->text(0).toInt()] = item->child(i)->text(2).toStdString();
    return states;
  }
  QTreeWidgetItem* Row(int line, int address) const {
    const QTreeWidgetItem* item = window->tvSite->topLevelItem(line);
    for (int i = 0; i < item->childCount(); ++i)
      if (item->child(i)->text(0).toInt() == address) return item->child(i);
    return nullptr;
  }

  // The readers the journal names, with any outcome or with the one given: port to addresses.
  std::map<QString, std::set<int>> Journal(const QString& outcome = {}) const {
    std::map<QString, std::set<int>> written;
    QFile file(folder.filePath("site.journal.jsonl"));
    if (!file.open(QIODevice::ReadOnly)) return written;
    for (const QByteArray& line : file.readAll().split('\n')) {
      if (line.isEmpty()) continue;
      const QJsonObject entry = QJsonDocument::fromJson(line).object();
      EXPECT_FALSE(entry.isEmpty()) << line.toStdString();
      if (outcome.isEmpty() || entry["outcome"].toString() == outcome)
        written[entry["port"].toString()].insert(entry["address"].toInt());
    }
    return written;
  }

  // As the program installs it: the Russian plural forms of the counts ("2 поля", "30 дней").
  TTranslations russian{TLanguage::Russian};
  QTemporaryDir folder;
  QString previousFolder;
  QString sitePath;
  QString chosenPath;
  SimLineThread mixed;
  SimLineThread differing;
  std::unique_ptr<TParvexForm> form;
  TSiteWindow* window = nullptr;
  std::vector<TShownMessage> messages;
  QStringList questions;
};

TEST_F(SiteWindowTest, SurveyShowsEveryReaderInItsStateAndTheLineThatCannotOpen) {
  Open(sitePath);
  ASSERT_TRUE(window->isVisible());
  RunToEnd(form->acSiteSurvey);

  EXPECT_EQ(States(0), (std::map<int, std::string>{{1, "совпадает"},
                                               {2, "отличается: 2 поля"},
                                               {3, "другой считыватель"},
                                               {4, "нет ответа"},
                                               {5, "ошибка"},
                                               {7, "не в плане"}}));
  EXPECT_TRUE(window->tvSite->topLevelItem(2)->text(2).startsWith("не открыта: ")) << window->tvSite->topLevelItem(2)->text(2).toStdString();
  EXPECT_EQ(window->lblTotals->text().toStdString(),
            "Считывателей: 13 — совпадает: 1, отличается: 7, нет ответа: 1, другой считыватель: 1, ошибка: 1, "
            "не в плане: 1, не обследован: 1");

  // Fields as the parameter panel names them (its sector's C is Latin), the reader's errors worded.
  window->tvSite->setCurrentItem(Row(0, 2));
  EXPECT_EQ(window->memReaderDetails->toPlainText().toStdString(),
            "Текущая дата: по плану 2000-01-01, найдено 2000-01-31 — часы будут переведены назад на 30 дней\n"
            "Cектор: по плану 5, найдено 1");
  window->tvSite->setCurrentItem(Row(0, 5));
  EXPECT_EQ(window->memReaderDetails->toPlainText().toStdString(), "Чтение режима работы - доступ запрещен");

  // Only the matching reader is hidden; the line that did not open stays in view.
  window->cbAttentionOnly->setChecked(true);
  EXPECT_TRUE(Row(0, 1)->isHidden());
  EXPECT_FALSE(Row(0, 2)->isHidden());
  EXPECT_FALSE(window->tvSite->topLevelItem(2)->isHidden());

  chosenPath = folder.filePath("report.csv");
  window->btnSaveReport->click();
  QFile report(chosenPath);
  ASSERT_TRUE(report.open(QIODevice::ReadOnly));
  // Records end at a line end outside quotes: a reader's details may take several lines.
  int records = 0;
  bool quoted = false;
  for (const char c : report.readAll()) {
    if (c == '"') quoted = !quoted;
    records += c == '\n' && !quoted;
  }
  EXPECT_EQ(records, 1 + 13 + 1);  // heading, readers, the line that failed
  EXPECT_TRUE(messages.empty());
}

TEST_F(SiteWindowTest, ApplyAsksThenWritesExactlyTheReadersThatDiffer) {
  Open(sitePath);
  RunToEnd(form->acSiteApply);  // no survey shown yet: it surveys and asks
  const QString mixedPort = QString::fromStdString(mixed.DevicePath());
  const QString differingPort = QString::fromStdString(differing.DevicePath());
  ASSERT_EQ(questions.join('|'), QStringLiteral("Записать параметры в 7 считывателей на 2 линиях?\r\n"
                                                "линия 0 (%1): 2\r\nлиния 1 (%2): 1, 2, 3, 4, 5, 6\r\n"
                                                "Часы 1 считывателя будут переведены назад, самое большее на 30 дней.")
                                     .arg(mixedPort, differingPort));

  EXPECT_EQ(Journal(), (std::map<QString, std::set<int>>{{mixedPort, {2}}, {differingPort, {1, 2, 3, 4, 5, 6}}}));
  EXPECT_EQ(States(0).at(2), "записан");
  EXPECT_EQ(States(0).at(1), "совпадает");
  // The reader's writes as the journal keeps them, under what it now is.
  window->tvSite->setCurrentItem(Row(0, 2));
  const QStringList details = window->memReaderDetails->toPlainText().split('\n');
  ASSERT_GE(details.size(), 3) << details.join('|').toStdString();
  EXPECT_EQ(details[0], "История записей:");
  EXPECT_TRUE(details[1].contains(", серийный номер ") && details[1].endsWith(": записан и проверен")) << details[1].toStdString();
  EXPECT_TRUE(details.contains("    Cектор: 1 → 5")) << details.join('|').toStdString();
  mixed.Stop();
  differing.Stop();
  EXPECT_EQ(mixed.simulator.FindReader(2)->state.sector, 5);
  EXPECT_EQ(mixed.simulator.FindReader(3)->state.sector, 1);  // another reader: never written
  for (std::uint8_t address = 1; address <= 6; ++address)
    EXPECT_EQ(differing.simulator.FindReader(address)->state.sector, 5) << int{address};
}

// Readers that change between the question and the run: what is written is what was agreed to,
// where it still differs.
TEST_F(SiteWindowTest, ApplyWritesOnlyTheReadersAgreedToThatStillDiffer) {
  Open(sitePath);
  RunToEnd(form->acSiteSurvey);
  SetQuestionAnswerer([this](const TShownMessage&) {
    mixed.Stop();
    differing.Stop();
    sim::Reader& agreedNowMatching = *mixed.simulator.FindReader(2);
    agreedNowMatching.state.sector = 5;
    agreedNowMatching.state.currentDate.day = 1;
    mixed.simulator.FindReader(1)->state.sector = 1;              // matched when asked: not agreed to
    differing.simulator.FindReader(6)->state.serial = {0x00, 0x66};  // another reader in its place
    mixed.Start();
    differing.Start();
    return true;
  });
  RunToEnd(form->acSiteApply);

  const QString differingPort = QString::fromStdString(differing.DevicePath());
  EXPECT_EQ(Journal(), (std::map<QString, std::set<int>>{{differingPort, {1, 2, 3, 4, 5}}}));
  EXPECT_EQ(States(0).at(2), "совпадает — не записан: изменился после вопроса");
  EXPECT_EQ(States(0).at(1), "отличается: 1 поле — не записан: его не было в вопросе");
  EXPECT_EQ(States(1).at(6), "отличается: 1 поле — не записан: теперь это другой считыватель (был 0006)");
  mixed.Stop();
  differing.Stop();
  EXPECT_EQ(mixed.simulator.FindReader(1)->state.sector, 1);
  EXPECT_EQ(differing.simulator.FindReader(6)->state.sector, 1);
  EXPECT_EQ(differing.simulator.FindReader(5)->state.sector, 5);
}

// The adapters plugged in are the two simulated lines: each is searched, its readers read, and
// the site written and opened; a reader that could not be read is not in it.
TEST_F(SiteWindowTest, DiscoveryWritesAndOpensASiteOfTheLinesPluggedIn) {
  const std::vector<TSerialAdapter> plugged{{.device = QString::fromStdString(mixed.DevicePath())},
                                            {.device = QString::fromStdString(differing.DevicePath())}};
  SetSerialPortWatchMaker([&plugged] { return std::make_unique<TStagedPortWatch>(plugged); });
  chosenPath = folder.filePath("discovered.json");
  form->acSiteDiscover->trigger();
  ASSERT_TRUE(window->Running());
  ASSERT_TRUE(QTest::qWaitFor([this] { return !window->Running(); }, 60000));
  SetSerialPortWatchMaker({});

  QFile file(chosenPath);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  std::map<QString, int> readers;
  for (const QJsonValue& line : QJsonDocument::fromJson(file.readAll())["lines"].toArray())
    readers[line["port"].toString()] = static_cast<int>(line["readers"].toArray().size());
  EXPECT_EQ(readers, (std::map<QString, int>{{plugged[0].device, 4}, {plugged[1].device, 6}}));
  EXPECT_TRUE(window->HasSite());
  EXPECT_EQ(window->tvSite->topLevelItemCount(), 2);
  EXPECT_EQ(window->RecentSites().value(0), chosenPath);
}

// How the operator stops a run.
enum class TStop { CancelButton, Escape, CloseWindow, CloseProgram };
void PrintTo(TStop stop, std::ostream* os) {
  constexpr const char* kNames[] = {"CancelButton", "Escape", "CloseWindow", "CloseProgram"};
  *os << kNames[static_cast<int>(stop)];
}

class SiteWindowStop : public SiteWindowTest, public ::testing::WithParamInterface<TStop> {};

TEST_P(SiteWindowStop, ApplyFinishesTheReadersInProgressAndWritesNoFurther) {
  Open(sitePath);
  // The operator stops the run the moment the first write of the slower line is shown, in the
  // same turn of the event loop: the row's change is the event, not a look at a passing text.
  bool stopped = false;
  const QMetaObject::Connection watch = QObject::connect(
      window->tvSite, &QTreeWidget::itemChanged, window, [&](QTreeWidgetItem* item, int column) {
        const QTreeWidgetItem* slower = window->tvSite->topLevelItem(1);
        if (stopped || column != 2 || !slower || item->parent() != slower || item->text(0).toInt() != 1 ||
            item->text(2) != "запись…")
          return;
        stopped = true;
        switch (GetParam()) {
          case TStop::CancelButton: window->btnCancelRun->click(); break;
          case TStop::Escape: QTest::keyClick(window->tvSite, Qt::Key_Escape); break;
          case TStop::CloseWindow: window->close(); break;
          case TStop::CloseProgram: form->close(); break;
        }
      });
  form->acSiteApply->trigger();  // a survey, the question, then the apply
  ASSERT_TRUE(window->Running());
  ASSERT_TRUE(QTest::qWaitFor([this] { return !window->Running(); }, 60000));
  QObject::disconnect(watch);
  ASSERT_TRUE(stopped);

  EXPECT_EQ(window->isVisible(), GetParam() != TStop::CloseWindow);
  EXPECT_EQ(form->isVisible(), GetParam() != TStop::CloseProgram);
  std::set<int> shownWritten;
  for (const auto& [address, state] : States(1))
    if (state == "записан") shownWritten.insert(address);
  // A machine too busy to keep the readers' pace may fail a write: it is journalled, and shown, as
  // such. What was written is what the journal says was verified, and nothing else was touched.
  const QString port = QString::fromStdString(differing.DevicePath());
  const std::set<int> journalled = Journal()[port];
  const std::set<int> verified = Journal("verified")[port];
  EXPECT_EQ(verified, shownWritten);
  EXPECT_FALSE(journalled.empty());
  EXPECT_LT(journalled.size(), 6u);
  differing.Stop();
  for (std::uint8_t address = 1; address <= 6; ++address) {
    const int sector = differing.simulator.FindReader(address)->state.sector;
    if (verified.count(address)) {
      EXPECT_EQ(sector, 5) << int{address};
    }
    if (!journalled.count(address)) {
      EXPECT_EQ(sector, 1) << int{address};
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Ways, SiteWindowStop,
                         ::testing::Values(TStop::CancelButton, TStop::Escape, TStop::CloseWindow,
                                           TStop::CloseProgram),
                         [](const auto& info) { return ::testing::PrintToString(info.param); });

TEST_F(SiteWindowTest, RefusedSiteFileIsOneMessageAndTheWindowKeepsWhatItShowed) {
  Open(sitePath);
  const QString title = window->windowTitle();
  const QString bad = WriteSite(R"({"site": "x", "lines": [{"port": "/dev/null", "readers": [{"address": 300,
                                    "parameters": "plan.json"}]}]})",
                                "bad.json");
  Open(bad);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].text.contains(bad)) << messages[0].text.toStdString();
  EXPECT_EQ(messages[0].detail.toStdString(),
            (bad + ": линия 0 (/dev/null): address: 300 — не целое число от 1 до 254").toStdString());
  EXPECT_EQ(window->windowTitle().toStdString(), title.toStdString());
  EXPECT_EQ(window->tvSite->topLevelItemCount(), 3);
  EXPECT_TRUE(form->acSiteSurvey->isEnabled());
}

}  // namespace
