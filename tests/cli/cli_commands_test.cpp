// Each command of parvex-cli run in-process against simulated readers on a pseudo-terminal:
// what the readers end up holding, what is printed, and the exit status.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "CliCommands.h"
#include "DemoLine.h"
#include "ReaderMessages.h"
#include "SimulatedLine.h"
#include "CoreTestApp.h"

namespace {

sim::Reader DemoReader(std::uint8_t address) {
  for (sim::Reader& r : sim::DemoReaders())
    if (r.address == address) return r;
  throw std::logic_error("no such demo reader");
}

sim::Reader PlainReader(std::uint8_t address) {
  sim::Reader r;
  r.address = address;
  r.state.serial = {0x00, address};
  return r;
}

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

class CliCommands : public ::testing::Test {
 protected:
  CliRun Cli(const SimulatedLine& line, std::vector<std::string> args) {
    args.insert(args.begin() + 1, {"--port", line.Device()});
    return CliWithoutLine(args);
  }
  CliRun CliWithoutLine(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunCli(args, out, err);
    return {status, out.str(), err.str()};
  }
  std::string File(const std::string& name, const std::string& text) {
    const std::string path = dir_.filePath(QString::fromStdString(name)).toStdString();
    std::ofstream(path) << text;
    return path;
  }

 private:
  QTemporaryDir dir_;
};

QJsonObject Json(const std::string& text) { return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object(); }

std::string Hex(std::span<const std::uint8_t> bytes) {
  std::string text;
  char digits[3];
  for (const std::uint8_t b : bytes) {
    std::snprintf(digits, sizeof digits, "%02X", b);
    text += digits;
  }
  return text;
}

std::string Iso(const sim::WireDate& d) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", 2000 + d.year, d.month, d.day);
  return text;
}

// Everything a write can set, compared between two readers.
void ExpectSameWritableState(const sim::ReaderState& a, const sim::ReaderState& b) {
  EXPECT_EQ(a.mode, b.mode);
  EXPECT_EQ(a.rechargeUnits, b.rechargeUnits);
  EXPECT_EQ(a.cardType, b.cardType);
  EXPECT_EQ(a.currentDate, b.currentDate);
  EXPECT_EQ(a.endDate, b.endDate);
  EXPECT_EQ(a.sector, b.sector);
  EXPECT_EQ(a.abonementTimeout, b.abonementTimeout);
  EXPECT_EQ(a.relayTime, b.relayTime);
  EXPECT_EQ(a.blackList, b.blackList);
}

constexpr char kReadingModeFile[] = R"({"mode": "Чтение", "sector": 7, "abonementTimeout": 20, "relayTime": 2,
  "blackList": ["0A0B0C0D", "", "", "", "", "", "", "", "", "ffffffff"]})";

TEST_F(CliCommands, ReadJsonGivesBackTheReadersState) {
  SimulatedLine line({DemoReader(2)});
  const CliRun run = Cli(line, {"read", "--address", "2", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const QJsonObject json = Json(run.out);
  const sim::ReaderState& s = line.ReaderAt(2).state;
  EXPECT_EQ(json["address"].toInt(), 2);
  EXPECT_EQ(json["cashDeskNumber"].toString().toStdString(), Hex(s.cashDesk));
  EXPECT_EQ(json["rechargeUnits"].toInt(), s.rechargeUnits);
  EXPECT_EQ(json["mode"].toObject()["value"].toInt(), s.mode);
  EXPECT_EQ(json["cardType"].toObject()["value"].toInt(), s.cardType);
  EXPECT_EQ(json["currentDate"].toString().toStdString(), Iso(s.currentDate));
  EXPECT_EQ(json["endDate"].toString().toStdString(), Iso(s.endDate));
  EXPECT_EQ(json["sector"].toInt(), s.sector);
  EXPECT_EQ(json["abonementTimeout"].toInt(), s.abonementTimeout);
  EXPECT_EQ(json["relayTime"].toInt(), s.relayTime);
  const QJsonArray blackList = json["blackList"].toArray();
  ASSERT_EQ(blackList.size(), 10);
  for (int row = 0; row < 10; ++row)
    EXPECT_EQ(blackList[row].toString().toStdString(), Hex(s.blackList[static_cast<std::size_t>(row)])) << row;
}

TEST_F(CliCommands, WritingWhatOneReaderHoldsMakesAnotherHoldTheSame) {
  SimulatedLine line({DemoReader(2), PlainReader(9)});  // reader 2 is in mode 3: everything is written
  const CliRun read = Cli(line, {"read", "--address", "2", "--json"});
  ASSERT_EQ(read.status, 0) << read.err;
  const CliRun write = Cli(line, {"write", "--address", "9", File("two.json", read.out)});
  EXPECT_EQ(write.status, 0) << write.err;
  EXPECT_EQ(write.out, "reader 9: written and read back\n");
  const sim::ReaderState source = line.ReaderAt(2).state;
  ExpectSameWritableState(line.ReaderAt(9).state, source);
}

TEST_F(CliCommands, WriteAllReachesEveryReaderFoundAndReportsEach) {
  SimulatedLine line({PlainReader(4), PlainReader(5), PlainReader(6)});
  const CliRun run = Cli(line, {"write", "--all", File("reading.json", kReadingModeFile)});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "4 / 0004\n5 / 0005\n6 / 0006\n"
            "reader 4: written and read back\nreader 5: written and read back\nreader 6: written and read back\n");
  for (const std::uint8_t address : {4, 5, 6}) {
    const sim::ReaderState& s = line.ReaderAt(address).state;
    EXPECT_EQ(s.mode, 2);
    EXPECT_EQ(s.sector, 7);
    EXPECT_EQ(s.blackList[0], (sim::Entry{0x0A, 0x0B, 0x0C, 0x0D}));
    EXPECT_EQ(s.blackList[9], (sim::Entry{0xFF, 0xFF, 0xFF, 0xFF}));
  }
}

// The reader is read first; of the fields a file names, only those that differ go on the line. A
// field the reader's mode does not use refuses that reader, with nothing sent to it.
TEST_F(CliCommands, APartialFileWritesOnlyItsFieldsThatDiffer) {
  SimulatedLine line({PlainReader(5), DemoReader(3)});  // 3 reads cards: it keeps no clock
  EXPECT_EQ(Cli(line, {"write", "--address", "5", File("relay.json", R"({"relayTime": 3, "sector": 1})")}).status, 0);
  const CliRun clock = Cli(line, {"write", "--address", "3", File("clock.json", R"({"currentDate": "today"})")});
  EXPECT_EQ(clock.status, 1);
  EXPECT_NE(clock.err.find("reader 3: currentDate: не используется в режиме считывателя \"Чтение\""), std::string::npos)
      << clock.err;
  EXPECT_EQ(line.WritesReceived(), std::vector<std::uint8_t>{cmd::WriteRelayTime});
  EXPECT_EQ(line.ReaderAt(5).state.relayTime, 3);
}

TEST_F(CliCommands, AReaderRefusingAWriteIsReportedWithItsStatusText) {
  sim::Reader stubborn = PlainReader(5);
  stubborn.faults.statusFor[0x8C] = 0x17;  // the sector
  SimulatedLine line({stubborn});
  const CliRun run = Cli(line, {"write", "--address", "5", File("reading.json", kReadingModeFile)});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("reader 5: Во время записи параметров считывателя произошли ошибки: \n"
                         "Выбор номера сектора для записи данных - доступ запрещен\n"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("reader 5: sector: written 7, read back 1"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "reader 5: not written as given\n");
}

TEST_F(CliCommands, ASilentReaderGivesTheTimeoutLinesOfTheWindow) {
  sim::Reader silent = PlainReader(5);
  silent.faults.silent = true;
  SimulatedLine line({silent});
  const CliRun run = Cli(line, {"read", "--address", "5", "--json"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "reader 5: Во время чтения параметров считывателя произошли ошибки: \n"
            "Чтение номера кассы - таймаут\n"
            "Чтение количества единиц пополнения - таймаут\n"
            "Чтение режима работы - таймаут\n"
            "Чтение типа карточки - таймаут\n"
            "Чтение текущей даты - таймаут\n"
            "Чтение конечной даты - таймаут\n"
            "Чтение номера сектора, выбранного для записи данных - таймаут\n"
            "Чтение таймаута прохода по карточкам \"Абонемент\" - таймаут\n"
            "Чтение временин работы реле - таймаут\n"
            "Чтение черного списка кассовых аппаратов - таймаут\n");
  EXPECT_TRUE(Json(run.out)["mode"].isNull());
}

TEST_F(CliCommands, AMissingPortIsExitStatusThreeWithTheSystemsReason) {
  const CliRun run = CliWithoutLine({"search", "--port", "/dev/parvex-no-such-port"});
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.err.find("No such file or directory"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST_F(CliCommands, ABadFileIsRefusedWithItsFieldAndNothingGoesOnTheLine) {
  SimulatedLine line({PlainReader(5)});
  const std::string path = File("bad.json", R"({"mode": "Лифт", "sector": 1})");
  const CliRun run = Cli(line, {"write", "--address", "5", path});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind("parvex-cli: " + path + ": mode: unknown name 'Лифт'", 0), 0u) << run.err;
  const CliRun missing = Cli(line, {"write", "--address", "5", File("none.json", "")});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("not JSON"), std::string::npos) << missing.err;
  EXPECT_EQ(line.RequestsReceived(), 0u);
}

TEST_F(CliCommands, DryRunPrintsTheFramesAndSendsNothing) {
  SimulatedLine line({PlainReader(5)});
  const CliRun run = Cli(line, {"write", "--address", "5", "--dry-run", File("reading.json", kReadingModeFile)});
  EXPECT_EQ(run.status, 0) << run.err;
  std::istringstream lines(run.out);
  std::vector<std::string> frames;
  for (std::string l; std::getline(lines, l);) frames.push_back(l);
  ASSERT_EQ(frames.size(), 15u);  // mode 2: 14 writes, then the note on the read-back
  EXPECT_EQ(frames[0].rfind("05 06 7C 02 ", 0), 0u) << frames[0];
  EXPECT_EQ(frames[1].rfind("05 06 8C 07 ", 0), 0u) << frames[1];
  EXPECT_EQ(frames[4].rfind("05 0A 98 0A 0B 0C 0D 00 ", 0), 0u) << frames[4];
  EXPECT_EQ(line.RequestsReceived(), 0u);
}

// A device without end in place of a file is refused after a bounded read, not read forever.
TEST_F(CliCommands, AFileWithoutEndIsRefusedAsTooLarge) {
  const CliRun run = CliWithoutLine({"write", "--address", "5", "--dry-run", "/dev/zero"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "parvex-cli: /dev/zero: not a parameters file: larger than 64 KiB\n");
  EXPECT_EQ(run.out, "");
}

TEST_F(CliCommands, SearchPrintsEveryReaderInAnswerOrder) {
  sim::Reader first = PlainReader(5);
  first.state.serial = {0x00, 0x7F};
  SimulatedLine line({first, PlainReader(3), PlainReader(200)});
  const CliRun run = Cli(line, {"search"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "5 / 007F\n3 / 0003\n200 / 00C8\n");
}

TEST_F(CliCommands, TraceShowsEachSendingWithItsOutcome) {
  sim::Reader r = PlainReader(5);
  r.faults.statusFor[0x7E] = 0x17;
  SimulatedLine line({r});
  const CliRun run = Cli(line, {"read", "--address", "5", "--trace"});
  EXPECT_EQ(run.status, 1);
  std::istringstream lines(run.err);
  int sent = 0, accepted = 0;
  std::string refused;
  for (std::string l; std::getline(lines, l);) {
    if (l.find(" ms  -> attempt 1  05 05 ") != std::string::npos || l.find(" ms  -> attempt 1  05 06 9A") != std::string::npos) ++sent;
    if (l.find("<- attempt 1") != std::string::npos && l.find(" ms  accepted  05 ") != std::string::npos) ++accepted;
    if (l.find("status 17 доступ запрещен") != std::string::npos) refused = l;
  }
  EXPECT_EQ(sent, 19);
  EXPECT_EQ(accepted, 18);
  EXPECT_NE(refused.find("Чтение режима работы"), std::string::npos) << run.err;
}

TEST_F(CliCommands, TraceShowsTheLinesOfTextBetweenTheFrames) {
  sim::Reader chatty = PlainReader(5);
  chatty.faults.noise = "BOOT v1.2\r\n";
  SimulatedLine line({chatty});
  const CliRun run = Cli(line, {"read", "--address", "5", "--trace"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find(" ms  line  BOOT v1.2\n"), std::string::npos) << run.err;
  // Without the trace, nothing but the read's own output.
  EXPECT_EQ(Cli(line, {"read", "--address", "5"}).err, "");
}

struct KeyCase {
  std::vector<std::string> options;
  std::uint8_t mode;
  sim::Key sim::ReaderState::*key;
  std::uint8_t initKeyType;  // what the initialising key's type must be afterwards
};
void PrintTo(const KeyCase& row, std::ostream* os) { *os << "mode " << int{row.mode}; }

class KeyChange : public CliCommands, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyChange, LoadsTheKeyOfTheModeIntoTheReader) {
  SimulatedLine line({PlainReader(5)});
  std::vector<std::string> args{"keys", "--address", "5"};
  args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
  const CliRun run = Cli(line, args);
  EXPECT_EQ(run.status, 0) << run.err;
  const sim::ReaderState& s = line.ReaderAt(5).state;
  EXPECT_EQ(s.mode, GetParam().mode);
  EXPECT_EQ(s.*(GetParam().key), (sim::Key{0x11, 0x22, 0x33, 0xAA, 0xBB, 0xCC}));
  EXPECT_EQ(s.initKeyType, GetParam().initKeyType);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, KeyChange,
    ::testing::Values(KeyCase{{"--mode", "Турникет", "--key-a", "112233aabbcc"}, 1, &sim::ReaderState::keyA, 0xAA},
                      KeyCase{{"--mode", "2", "--key-a", "11 22 33 AA BB CC"}, 2, &sim::ReaderState::keyA, 0xAA},
                      KeyCase{{"--mode", "3", "--key-b", "112233AABBCC"}, 3, &sim::ReaderState::keyB, 0xAA},
                      KeyCase{{"--mode", "4", "--init-key", "112233AABBCC", "--type", "B"}, 4,
                              &sim::ReaderState::initKey, 0xBB}));

TEST_F(CliCommands, KeysInAModeWithoutAKeyAreRefusedWithTheWindowsText) {
  SimulatedLine line({PlainReader(5)});
  const CliRun run = Cli(line, {"keys", "--address", "5", "--mode", "Quillmar"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, std::string(texts::kKeysNotInMode) + "\n");
  EXPECT_EQ(line.RequestsReceived(), 0u);
}

TEST_F(CliCommands, AFailedModeCommandSendsNoKey) {
  sim::Reader r = PlainReader(5);
  r.faults.statusFor[0x7C] = 0x17;
  SimulatedLine line({r});
  const CliRun run = Cli(line, {"keys", "--address", "5", "--mode", "1", "--key-a", "112233AABBCC"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "reader 5: Во время изменения ключей произошли ошибки: \nИзменение режима работы - доступ запрещен\n");
  EXPECT_EQ(line.ReaderAt(5).state.keyA, sim::Key{});
}

}  // namespace
