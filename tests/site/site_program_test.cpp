// parvex-cli site against several reader-sim lines at once, one of them through ser2net: the
// states it tells, the apply and its journal, the snapshot that restores, and the faults a site
// meets (a gateway killed or falling silent, an adapter pulled, the program killed, a port held
// by a second apply).
#include "BuiltProgram.h"
#include "ReaderSimProcess.h"
#include "Ser2netServer.h"
#include "SimulatedLine.h"
#include "CoreTestApp.h"
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDate>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <iterator>
#include <memory>
#include <map>
#include <set>
#include <string>

namespace {

// The plan differs from a simulated reader in its sector alone (readers start at sector 1).
constexpr char kPlan[] =
    R"({"mode": 1, "cardType": 1, "sector": 5, "abonementTimeout": 1, "relayTime": 1, "currentDate": "2000-01-01",
        "endDate": "2000-01-01", "rechargeUnits": 1, "blackList": ["", "", "", "", "", "", "", "", "", ""]})";

QStringList Readers(int count) {
  QStringList args;
  for (int address = 1; address <= count; ++address) args << "--reader" << QString::number(address);
  return args;
}

// parvex-cli site running; its progress on standard error can be awaited line by line.
class SiteCli {
 public:
  explicit SiteCli(const QStringList& args, const QString& language = "ru") {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LANGUAGE", language);
    process_.setProcessEnvironment(environment);
    process_.start(BuiltProgram(PARVEX_CLI_PATH), QStringList{"site"} + args);
  }
  ~SiteCli() { process_.kill(); process_.waitForFinished(); }
  // Waits until standard error holds text; false after 60 s or when the program ended first.
  bool AwaitProgress(const QString& text) {
    QDeadlineTimer bound(60000);
    while (!err_.contains(text.toUtf8())) {
      if (bound.hasExpired() || (!process_.waitForReadyRead(200) && process_.state() != QProcess::Running)) return false;
      err_ += process_.readAllStandardError();
    }
    return true;
  }
  void Signal(int signal) { ::kill(static_cast<pid_t>(process_.processId()), signal); }
  // The exit status, -1 when it did not end by itself within 60 s or was killed.
  int Finish() {
    if (!process_.waitForFinished(60000) || process_.exitStatus() != QProcess::NormalExit) return -1;
    err_ += process_.readAllStandardError();
    return process_.exitCode();
  }
  QByteArray Out() { return out_ += process_.readAllStandardOutput(); }
  const QByteArray& Err() const { return err_; }

 private:
  QProcess process_;
  QByteArray out_;
  QByteArray err_;
};

class SiteProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    Write("turnstile.json", kPlan);
  }
  QString Write(const QString& name, const QByteArray& text) {
    QFile file(dir_.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return file.fileName();
  }
  // A site of these lines, each with readers 1..count planned.
  QString Site(const QString& name, const std::vector<std::pair<QString, int>>& lines) {
    QJsonArray array;
    for (const auto& [port, count] : lines) {
      QJsonArray readers;
      for (int address = 1; address <= count; ++address)
        readers.append(QJsonObject{{"address", address}, {"parameters", "turnstile.json"}});
      array.append(QJsonObject{{"port", port}, {"readers", readers}});
    }
    return Write(name, QJsonDocument(QJsonObject{{"site", "Северный вход"}, {"lines", array}}).toJson());
  }
  // The survey's JSON document of a site.
  QJsonObject Survey(const QString& site, const QString& language = "ru") {
    SiteCli cli({"survey", site, "--json"}, language);
    cli.Finish();
    return QJsonDocument::fromJson(cli.Out()).object();
  }
  // Every journal line, parsed; a line that is not whole JSON fails the test.
  std::vector<QJsonObject> Journal(const QString& site) {
    QFile file(QString(site).replace(".json", ".journal.jsonl"));
    std::vector<QJsonObject> lines;
    if (!file.open(QIODevice::ReadOnly)) return lines;
    for (const QByteArray& line : file.readAll().split('\n')) {
      if (line.isEmpty()) continue;
      const QJsonDocument document = QJsonDocument::fromJson(line);
      EXPECT_TRUE(document.isObject()) << line.toStdString();
      lines.push_back(document.object());
    }
    return lines;
  }
  QTemporaryDir dir_;
};

// line index -> (address -> state)
std::map<int, std::map<int, QString>> States(const QJsonObject& result) {
  std::map<int, std::map<int, QString>> states;
  for (const QJsonValue& line : result["lines"].toArray())
    for (const QJsonValue& reader : line["readers"].toArray())
      states[line["index"].toInt()][reader["address"].toInt()] = reader["state"].toString();
  return states;
}

// The readers the journal names with this outcome, or with an intent for "intent".
std::set<int> Addresses(const std::vector<QJsonObject>& journal, const QString& port, const QString& outcome) {
  std::set<int> addresses;
  for (const QJsonObject& line : journal)
    if (line["port"].toString() == port && (outcome == "intent" ? line.contains("intent") : line["outcome"].toString() == outcome))
      addresses.insert(line["address"].toInt());
  return addresses;
}

// The outcome lines; each must close an intent of its reader written before it.
std::vector<QJsonObject> Outcomes(const std::vector<QJsonObject>& journal) {
  std::set<std::pair<QString, int>> open;
  std::vector<QJsonObject> outcomes;
  for (const QJsonObject& line : journal) {
    const std::pair reader{line["port"].toString(), line["address"].toInt()};
    if (line.contains("intent")) {
      open.insert(reader);
      continue;
    }
    EXPECT_EQ(open.erase(reader), 1u) << "an outcome without its intent: " << QJsonDocument(line).toJson().toStdString();
    outcomes.push_back(line);
  }
  return outcomes;
}

std::set<int> InState(const std::map<int, QString>& line, const QString& state) {
  std::set<int> addresses;
  for (const auto& [address, s] : line)
    if (s == state) addresses.insert(address);
  return addresses;
}

TEST_F(SiteProgram, SurveyTellsEveryReaderOfEveryLineAndALineThatCannotOpen) {
  ReaderSim local({"--reader", "1", "--reader", "2:0BAD", "--reader", "7", "--reader", "8", "--status", "7E=17"});
  ReaderSim behindGateway(Readers(2));
  Ser2netServer gateway(behindGateway.Device().toStdString());
  ASSERT_TRUE(gateway.Failure().isEmpty()) << gateway.Failure().toStdString();
  const QString site = Write("site.json", QJsonDocument::fromJson(QStringLiteral(R"({"site": "x", "lines": [
      {"port": "%1", "readers": [{"address": 1, "parameters": "turnstile.json"},
                                 {"address": 2, "serial": "0002", "parameters": "turnstile.json"},
                                 {"address": 3, "parameters": "turnstile.json"}]},
      {"port": "%2", "readers": [{"address": 1, "parameters": %3}, {"address": 2, "parameters": "turnstile.json"}]},
      {"port": "/dev/parvex-no-such-port", "readers": [{"address": 1, "parameters": "turnstile.json"}]}]})")
                                                                  .arg(local.Device(), gateway.Rfc2217Line(),
                                                                       QString::fromUtf8(kPlan).replace("\"sector\": 5", "\"sector\": 1"))
                                                                  .toUtf8())
                                                .toJson());
  SiteCli cli({"survey", site, "--json"});
  EXPECT_EQ(cli.Finish(), 3);
  const QJsonObject result = QJsonDocument::fromJson(cli.Out()).object();
  const auto states = States(result);
  EXPECT_EQ(states.at(0),
            (std::map<int, QString>{{1, "differs"}, {2, "other reader"}, {3, "missing"}, {7, "unplanned"}, {8, "unplanned"}}));
  EXPECT_EQ(states.at(1), (std::map<int, QString>{{1, "matches"}, {2, "differs"}}));
  EXPECT_EQ(result["lines"][2]["status"].toString(), "cannot open");
  EXPECT_TRUE(cli.Err().contains("line 1 (" + gateway.Rfc2217Line().toUtf8() + "), reader 2: differs")) << cli.Err().toStdString();
  EXPECT_EQ(result["lines"][0]["readers"][0]["differences"][0].toObject(),
            (QJsonObject{{"field", "sector"}, {"planned", "5"}, {"found", "1"}}));

  // The backup holds every reader that answered, another reader by the serial found; it names what it lacks.
  SiteCli snapshot({"snapshot", site, dir_.filePath("backup.json")});
  EXPECT_EQ(snapshot.Finish(), 1);
  EXPECT_TRUE(snapshot.Err().contains("\n  line 0 (" + local.Device().toUtf8() + "), reader 8: ")) << snapshot.Err().toStdString();
  EXPECT_TRUE(snapshot.Err().contains("\n  line 2 (/dev/parvex-no-such-port): cannot open: ")) << snapshot.Err().toStdString();
  QFile backup(dir_.filePath("backup.json"));
  ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
  std::map<int, QString> pinned;
  for (const QJsonValue& reader : QJsonDocument::fromJson(backup.readAll())["lines"][0]["readers"].toArray())
    pinned[reader["address"].toInt()] = reader["serial"].toString();
  EXPECT_EQ(pinned, (std::map<int, QString>{{1, "0001"}, {2, "0BAD"}, {7, "0007"}}));
}

QJsonArray AccessDenied(int command, const QString& name) {
  return {QJsonObject{{"command", command}, {"commandName", name}, {"status", 0x17}, {"statusName", "AccessDenied"}}};
}

// Two records of one site made in two languages compare: the readers' errors are codes.
TEST_F(SiteProgram, ReadersErrorsAreCodesInTheJsonAndTheJournalWhateverTheLanguage) {
  ReaderSim sim({"--reader", "1", "--status", "7E=17", "--reader", "2", "--status", "8C=17"});
  const QString site = Site("site.json", {{sim.Device(), 2}});
  const QJsonObject survey = Survey(site, "ru");
  EXPECT_EQ(Survey(site, "en"), survey);
  EXPECT_EQ(survey["lines"][0]["readers"][0]["errors"].toArray(), AccessDenied(0x7E, "ReadMode"));

  SiteCli apply({"apply", site});
  EXPECT_EQ(apply.Finish(), 1) << apply.Err().toStdString();
  EXPECT_TRUE(apply.Out().contains("Выбор номера сектора для записи данных - доступ запрещен")) << apply.Out().toStdString();
  const std::vector<QJsonObject> journal = Outcomes(Journal(site));
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_EQ(journal[0]["errors"].toArray(), AccessDenied(0x8C, "WriteSector"));
}

// Three lines, each heard only at its own rate, and a port with nothing behind it: a line each
// where readers answered, at that rate, which a survey then finds as it is.
TEST_F(SiteProgram, DiscoverWritesALineForEachPortAtTheRateItsReadersAnswerAt) {
  std::vector<std::unique_ptr<ReaderSim>> lines;
  std::map<QString, int> rates;
  for (const int rate : {9600, 19200, 115200}) {
    lines.push_back(std::make_unique<ReaderSim>(QStringList{"--strict-rate", "--today", "--baud", QString::number(rate)} +
                                                 Readers(rate == 19200 ? 3 : 2)));
    rates[lines.back()->Device()] = rate;
  }
  const QString discovered = dir_.filePath("discovered.json");
  SiteCli discover({"discover", discovered, "--port", lines[0]->Device(), "--port", lines[1]->Device(), "--port",
                    lines[2]->Device(), "--port", "/dev/parvex-no-such-port", "--baud", "9600,19200,115200"});
  EXPECT_EQ(discover.Finish(), 3) << discover.Err().toStdString();  // the port that is not there
  EXPECT_TRUE(discover.Err().contains("/dev/parvex-no-such-port: cannot open: ")) << discover.Err().toStdString();
  QFile file(discovered);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  std::map<QString, int> found;
  int readers = 0;
  for (const QJsonValue& line : QJsonDocument::fromJson(file.readAll())["lines"].toArray()) {
    found[line["port"].toString()] = line["baud"].toInt();
    readers += static_cast<int>(line["readers"].toArray().size());
  }
  EXPECT_EQ(found, rates);
  EXPECT_EQ(readers, 7);
  SiteCli survey({"survey", discovered});
  EXPECT_EQ(survey.Finish(), 0) << survey.Out().toStdString();
}

TEST_F(SiteProgram, ApplyWritesWhatDiffersOnceAndASnapshotRestoresIt) {
  ReaderSim a(Readers(3)), b(Readers(2));
  const QString site = Site("site.json", {{a.Device(), 3}, {b.Device(), 2}});
  const QString snapshot = dir_.filePath("before.json");
  SiteCli taking({"snapshot", site, snapshot});
  EXPECT_EQ(taking.Finish(), 0) << taking.Err().toStdString();  // every reader that answered is in it

  SiteCli apply({"apply", site});
  EXPECT_EQ(apply.Finish(), 0) << apply.Err().toStdString();
  std::vector<QJsonObject> journal = Outcomes(Journal(site));
  ASSERT_EQ(journal.size(), 5u);
  EXPECT_EQ(Addresses(journal, a.Device(), "verified"), (std::set<int>{1, 2, 3}));
  EXPECT_EQ(journal[0]["fields"].toArray(), (QJsonArray{QJsonObject{{"field", "sector"}, {"before", "1"}, {"after", "5"}}}));
  EXPECT_EQ(journal[0]["site"].toString(), "Северный вход");

  SiteCli again({"apply", site});
  EXPECT_EQ(again.Finish(), 0);
  EXPECT_EQ(Outcomes(Journal(site)).size(), 5u) << "a reader that matches was written again";

  QFile taken(snapshot);
  ASSERT_TRUE(taken.open(QIODevice::ReadOnly));
  EXPECT_EQ(taken.readAll().count(R"("currentDate": "today")"), 5) << "a restore must not set clocks back";

  SiteCli restore({"apply", snapshot, "--journal", dir_.filePath("restore.jsonl")});
  EXPECT_EQ(restore.Finish(), 0) << restore.Err().toStdString();
  for (const auto& [line, readers] : States(Survey(site)))
    EXPECT_EQ(InState(readers, "differs").size(), readers.size()) << "line " << line;
}

TEST_F(SiteProgram, DiffListsWhatDiffersBetweenTwoSiteFilesAndTwoThatAgreeGiveZero) {
  const QString a = Write("a.json", R"({"site": "x", "lines": [
    {"port": "/dev/ttyUSB0", "readers": [{"address": 1, "serial": "0001", "parameters": {"sector": 4, "relayTime": 2}},
                                         {"address": 2, "parameters": {"currentDate": "today"}}]},
    {"port": "/dev/ttyUSB1", "readers": [{"address": 1, "parameters": {"sector": 4}}]}]})");
  const QString b = Write("b.json", R"({"site": "x", "lines": [
    {"port": "/dev/ttyUSB0", "baud": 19200, "readers": [{"address": 1, "serial": "0BAD", "parameters": {"sector": 5}},
                                                        {"address": 3, "parameters": {"sector": 4}}]}]})");
  SiteCli diff({"diff", a, b});
  EXPECT_EQ(diff.Finish(), 1) << diff.Err().toStdString();
  const QString out = QString::fromUtf8(diff.Out());
  for (const QString& line : {QString("line /dev/ttyUSB0: baud 9600 / 19200\n"),
                              QString("line /dev/ttyUSB0, reader 1: serial 0001 / 0BAD; sector 4 / 5; relayTime 2 / not planned\n"),
                              "line /dev/ttyUSB0, reader 2: only in " + a + "\n",
                              "line /dev/ttyUSB0, reader 3: only in " + b + "\n", "line /dev/ttyUSB1: only in " + a + "\n"})
    EXPECT_TRUE(out.contains(line)) << out.toStdString();
  EXPECT_EQ(out.count('\n'), 5) << out.toStdString();

  SiteCli same({"diff", a, a});
  EXPECT_EQ(same.Finish(), 0);
  EXPECT_EQ(same.Out(), (a + " and " + a + " agree\n").toUtf8());
}

// The readers' own values but sector 1: a reader differs only in its clock.
QByteArray ClockPlan(const QString& currentDate) {
  return QByteArray(kPlan)
      .replace(R"("sector": 5)", R"("sector": 1)")
      .replace(R"("currentDate": "2000-01-01")", R"("currentDate": ")" + currentDate.toUtf8() + "\"");
}

sim::Reader ReaderWithClock(std::uint8_t address, qint64 daysFromToday) {
  const QDate day = QDate::currentDate().addDays(daysFromToday);
  sim::Reader reader;
  reader.address = address;
  reader.state.currentDate = {static_cast<std::uint8_t>(day.day()), static_cast<std::uint8_t>(day.month()),
                              static_cast<std::uint8_t>(day.year() - 2000)};
  return reader;
}

TEST_F(SiteProgram, AClockPlannedAsTodayIsFoundBehindAndSetToTheDayOfTheApply) {
  SimulatedLine line({ReaderWithClock(1, -8), ReaderWithClock(2, 0)});
  Write("turnstile.json", ClockPlan("today"));
  const QString site = Site("site.json", {{QString::fromStdString(line.Device()), 2}});
  const QJsonObject survey = Survey(site);
  EXPECT_EQ(States(survey)[0], (std::map<int, QString>{{1, "differs"}, {2, "matches"}}));
  EXPECT_EQ(survey["lines"][0]["readers"][0]["differences"][0]["clock"].toString(), "clock 8 days behind");
  SiteCli apply({"apply", site});
  EXPECT_EQ(apply.Finish(), 0) << apply.Err().toStdString();
  EXPECT_EQ(line.WritesReceived(), std::vector<std::uint8_t>{cmd::WriteCurrentDate}) << "only what differs is written";
  EXPECT_EQ(line.ReaderAt(1).state.currentDate, ReaderWithClock(1, 0).state.currentDate);
}

TEST_F(SiteProgram, ADateThatSetsAClockBackIsToldBeforeTheApplyAndInItsJournal) {
  SimulatedLine line({ReaderWithClock(1, 30)});
  Write("turnstile.json", ClockPlan(QDate::currentDate().toString(Qt::ISODate)));
  const QString site = Site("site.json", {{QString::fromStdString(line.Device()), 1}});
  SiteCli dryRun({"apply", site, "--dry-run"});
  EXPECT_EQ(dryRun.Finish(), 1);
  EXPECT_TRUE(dryRun.Out().contains("; sets the clock back 30 days)")) << dryRun.Out().toStdString();
  SiteCli apply({"apply", site});
  EXPECT_EQ(apply.Finish(), 0) << apply.Err().toStdString();
  const std::vector<QJsonObject> journal = Outcomes(Journal(site));
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_EQ(journal[0]["fields"][0]["clockBackDays"].toInt(), 30);
}

// Kills what carries one line while the site is applied; the other line finishes, and the
// journal names exactly the readers of the stricken line that hold their plan. The stricken
// line's readers are served by this process, so that what they hold can be looked at.
class LineStricken : public SiteProgram {
 public:
  static std::vector<sim::Reader> TenReaders() {
    std::vector<sim::Reader> readers(10);
    for (std::uint8_t i = 0; i < readers.size(); ++i) readers[i].address = i + 1;
    return readers;
  }
  // Every reader the journal names as verified holds its plan, and every reader holding it had
  // its intent on disk before it was written.
  void ExpectJournalTellsTheTruth(const QString& site, const QString& port, SimulatedLine& line) {
    const std::vector<QJsonObject> journal = Journal(site);
    std::set<int> holdPlan;
    for (int address = 1; address <= 10; ++address)
      if (line.ReaderAt(static_cast<std::uint8_t>(address)).state.sector == 5) holdPlan.insert(address);
    const std::set<int> verified = Addresses(journal, port, "verified");
    const std::set<int> intended = Addresses(journal, port, "intent");
    EXPECT_FALSE(verified.empty());
    EXPECT_TRUE(std::includes(holdPlan.begin(), holdPlan.end(), verified.begin(), verified.end()));
    EXPECT_TRUE(std::includes(intended.begin(), intended.end(), holdPlan.begin(), holdPlan.end()));
  }
};

TEST_F(LineStricken, AGatewayKilledEndsItsLineAlone) {
  SimulatedLine behindGateway(TenReaders());
  ReaderSim local(Readers(4));
  auto gateway = std::make_unique<Ser2netServer>(behindGateway.Device());
  ASSERT_TRUE(gateway->Failure().isEmpty()) << gateway->Failure().toStdString();
  const QString port = gateway->TcpLine();
  const QString site = Site("site.json", {{port, 10}, {local.Device(), 4}});
  SiteCli cli({"apply", site, "--wait-adapter", "2"});  // the gateway does not come back
  ASSERT_TRUE(cli.AwaitProgress("line 0 (" + port + "), reader 2: written"));
  gateway->Kill();
  EXPECT_EQ(cli.Finish(), 3);
  EXPECT_EQ(Addresses(Journal(site), local.Device(), "verified").size(), 4u);
  ExpectJournalTellsTheTruth(site, port, behindGateway);
}

TEST_F(LineStricken, AGatewayFallenSilentIsGivenUp) {
  ReaderSim behindGateway(Readers(10));
  Ser2netServer gateway(behindGateway.Device().toStdString());
  ASSERT_TRUE(gateway.Failure().isEmpty()) << gateway.Failure().toStdString();
  const QString site = Site("site.json", {{gateway.TcpLine(), 10}});
  SiteCli cli({"apply", site});
  ASSERT_TRUE(cli.AwaitProgress("reader 2: written")) << cli.Err().toStdString();
  gateway.Freeze();
  EXPECT_EQ(cli.Finish(), 1);
  gateway.Thaw();
  EXPECT_TRUE(cli.Out().contains("given up: no reader answers any more")) << cli.Out().toStdString();
}

TEST_F(LineStricken, AnAdapterPulledEndsItsLineAlone) {
  auto pulled = std::make_unique<ReaderSim>(Readers(10));
  ReaderSim local(Readers(4));
  const QString device = pulled->Device();
  const QString site = Site("site.json", {{device, 10}, {local.Device(), 4}});
  SiteCli cli({"apply", site, "--wait-adapter", "0"});
  ASSERT_TRUE(cli.AwaitProgress("line 0 (" + device + "), reader 2: written"));
  pulled->Stop();
  EXPECT_EQ(cli.Finish(), 3);
  EXPECT_TRUE(cli.Out().contains(": lost: ")) << cli.Out().toStdString();
  EXPECT_TRUE(cli.Out().contains("total: 14 readers")) << cli.Out().toStdString();
  EXPECT_EQ(Addresses(Journal(site), local.Device(), "verified").size(), 4u);
}

// Pulled during an apply and plugged in again (another device under the same name): the line
// waits for it, goes on, and every planned reader ends on plan.
TEST_F(LineStricken, AnAdapterPulledAndPluggedInAgainIsWaitedForAndItsLineGoesOn) {
  SimulatedLine line(TenReaders());
  const QString adapter = dir_.filePath("adapter");
  ASSERT_TRUE(QFile::link(QString::fromStdString(line.Device()), adapter));
  const QString site = Site("site.json", {{adapter, 10}});
  SiteCli cli({"apply", site, "--wait-adapter", "20"});
  ASSERT_TRUE(cli.AwaitProgress("line 0 (" + adapter + "), reader 3: written"));
  line.Unplug();
  QFile::remove(adapter);
  ASSERT_TRUE(cli.AwaitProgress("line 0 (" + adapter + "): the adapter is gone; waiting up to 20 s for it"))
      << cli.Err().toStdString() << cli.Out().toStdString();
  line.Plug();
  ASSERT_TRUE(QFile::link(QString::fromStdString(line.Device()), adapter));
  EXPECT_EQ(cli.Finish(), 0) << cli.Err().toStdString();
  EXPECT_TRUE(cli.Err().contains("the adapter is back; going on")) << cli.Err().toStdString();
  for (std::uint8_t address = 1; address <= 10; ++address)
    EXPECT_EQ(line.ReaderAt(address).state.sector, 5) << int{address};
  ExpectJournalTellsTheTruth(site, adapter, line);
}

TEST_F(LineStricken, AKillDuringAWriteLeavesItsIntentThatTheNextApplyNamesAndMends) {
  std::vector<sim::Reader> readers = TenReaders();
  readers[2].faults.delay = std::chrono::milliseconds(50);  // its write lasts a second: killed in the middle
  SimulatedLine line(readers);
  const QString device = QString::fromStdString(line.Device());
  const QString site = Site("site.json", {{device, 10}});
  SiteCli killed({"apply", site});
  ASSERT_TRUE(killed.AwaitProgress("reader 3: writing"));
  killed.Signal(SIGKILL);
  EXPECT_EQ(killed.Finish(), -1);
  EXPECT_EQ(Addresses(Journal(site), device, "intent"), (std::set<int>{1, 2, 3}));
  line.EndExclusiveUse();

  // A power cut in the middle of an append besides: the next apply cuts the torn line off.
  QFile journal(QString(site).replace(".json", ".journal.jsonl"));
  ASSERT_TRUE(journal.open(QIODevice::Append));
  journal.write(R"({"time": "2026-12-09T12:03)");
  journal.close();
  SiteCli next({"apply", site});
  EXPECT_EQ(next.Finish(), 0) << next.Err().toStdString();
  EXPECT_TRUE(next.Err().contains(": a torn last line (26 bytes, ")) << next.Err().toStdString();
  EXPECT_TRUE(next.Err().contains(" by ")) << next.Err().toStdString();
  EXPECT_TRUE(next.Err().contains(": line 0, reader 3, fields sector\n")) << next.Err().toStdString();
  EXPECT_EQ(next.Err().count("interrupted while writing on "), 1);
  const std::vector<QJsonObject> outcomes = Outcomes(Journal(site));  // every line whole, every intent closed
  EXPECT_EQ(Addresses(outcomes, device, "interrupted"), std::set<int>{3});

  // Read back as history: reader 3 begins with the write the kill cut short.
  SiteCli history({"history", site, "--line", "0", "--address", "3", "--since", QDate::currentDate().toString(Qt::ISODate)});
  EXPECT_EQ(history.Finish(), 0) << history.Err().toStdString();
  const QString readerThree = QString::fromUtf8(history.Out());
  EXPECT_TRUE(readerThree.startsWith("line 0 (" + device + "), reader 3\n  ")) << readerThree.toStdString();
  EXPECT_TRUE(readerThree.section('\n', 1, 1).contains("  interrupted: sector 1 -> ? (the program ended during the write begun "))
      << readerThree.toStdString();
  SiteCli tomorrow({"history", site, "--since", QDate::currentDate().addDays(1).toString(Qt::ISODate), "--json"});
  EXPECT_EQ(tomorrow.Finish(), 0);
  EXPECT_EQ(QJsonDocument::fromJson(tomorrow.Out())["readers"].toArray().size(), 0);
  ExpectJournalTellsTheTruth(site, device, line);  // the readers are looked at: the line stops
  for (int address = 1; address <= 10; ++address) EXPECT_EQ(line.ReaderAt(static_cast<std::uint8_t>(address)).state.sector, 5);
}

TEST_F(SiteProgram, AJournalThatCannotBeWrittenStopsTheApplyBeforeItsFirstWrite) {
  SimulatedLine line(LineStricken::TenReaders());
  const QString site = Site("site.json", {{QString::fromStdString(line.Device()), 10}});
  SiteCli apply({"apply", site, "--journal", "/dev/full"});
  EXPECT_EQ(apply.Finish(), 4);
  EXPECT_TRUE(apply.Err().contains("the journal failed, no further reader was written: /dev/full: ")) << apply.Err().toStdString();
  EXPECT_TRUE(line.WritesReceived().empty());
}

TEST_F(SiteProgram, ASecondApplyFindsTheLineBusyAndRunsItsOtherLines) {
  // Every black-list row differs too: each reader's write is long enough to be stopped in the middle of the line.
  Write("turnstile.json", QByteArray(kPlan).replace(R"("", "", "", "", "", "", "", "", "", "")",
                                                    R"("00000001", "00000002", "00000003", "00000004", "00000005", "00000006", "00000007",)"
                                                    R"( "00000008", "00000009", "0000000A")"));
  ReaderSim shared(Readers(16)), other(Readers(2));
  const QString first = Site("first.json", {{shared.Device(), 16}});
  const QString second = Site("second.json", {{shared.Device(), 16}, {other.Device(), 2}});
  SiteCli holding({"apply", first});
  ASSERT_TRUE(holding.AwaitProgress("reader 1: writing"));
  // Held still with the line open, the first apply cannot finish before the second one tries
  // the line, however the machine schedules the two.
  holding.Signal(SIGSTOP);
  SiteCli busy({"apply", second});
  EXPECT_EQ(busy.Finish(), 3);
  EXPECT_TRUE(busy.Out().contains("the port is held by another program")) << busy.Out().toStdString();
  EXPECT_EQ(Addresses(Journal(second), other.Device(), "verified"), (std::set<int>{1, 2}));

  // Ctrl+C, there as it goes on: the reader in progress is finished, no further one is written.
  holding.Signal(SIGINT);
  holding.Signal(SIGCONT);
  EXPECT_EQ(holding.Finish(), 130);
  const std::set<int> journaled = Addresses(Journal(first), shared.Device(), "verified");
  EXPECT_EQ(journaled.size(), static_cast<std::size_t>(holding.Out().count("    written\n")));
  EXPECT_LT(journaled.size(), 16u);
}

}  // namespace
