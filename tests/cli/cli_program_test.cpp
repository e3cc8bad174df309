// The parvex-cli program as a script runs it, against the reader-sim program: exit statuses,
// where the output goes, and the port settings taken from Parvex.ini in the current folder.
#include "BuiltProgram.h"
#include "ReaderSimProcess.h"
#include "Ser2netServer.h"
#include "CoreTestApp.h"
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <string>

namespace {

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

Result Cli(const QStringList& args, const QString& folder = {}, const QString& language = {}) {
  QProcess cli;
  if (!folder.isEmpty()) cli.setWorkingDirectory(folder);
  if (!language.isEmpty()) {
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.insert(QStringLiteral("LANGUAGE"), language);
    cli.setProcessEnvironment(variables);
  }
  cli.start(BuiltProgram(PARVEX_CLI_PATH), args);
  // The longest command here waits three broadcasts.
  if (!cli.waitForFinished(60000)) return {};
  return {cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1, cli.readAllStandardOutput().toStdString(),
          cli.readAllStandardError().toStdString()};
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(CliProgram, HelpGoesToStandardOutputWithStatusZero) {
  for (const QStringList& args : {QStringList{"--help"}, QStringList{"write", "--help"}, QStringList{"keys", "-h"}}) {
    const Result r = Cli(args);
    EXPECT_EQ(r.status, 0) << args.join(' ').toStdString();
    EXPECT_TRUE(Has(r.out, "Usage: parvex-cli")) << r.out;
    EXPECT_EQ(r.err, "");
  }
}

TEST(CliProgram, WrongUsageIsStatusTwoOnStandardError) {
  const Result r = Cli({"read", "--adress", "5"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Has(r.err, "--adress: unknown option")) << r.err;
}

TEST(CliProgram, AMissingPortIsStatusThree) {
  const Result r = Cli({"read", "--address", "1", "--port", "/dev/parvex-no-such-port"});
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(Has(r.err, "/dev/parvex-no-such-port")) << r.err;
}

TEST(CliProgram, PortComesFromTheSettingsFileOfTheCurrentFolder) {
  ReaderSim sim({"--reader", "5:007F"});
  ASSERT_FALSE(sim.Device().isEmpty());
  QTemporaryDir folder;
  QFile ini(folder.filePath("Parvex.ini"));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[ComPort]\r\nPort=" + sim.Device().toUtf8() + "\r\nBaudRate=9600\r\n");
  ini.close();
  const Result r = Cli({"search"}, folder.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "5 / 007F\n");
  // --port wins over the file.
  const Result elsewhere = Cli({"search", "--port", "/dev/parvex-no-such-port"}, folder.path());
  EXPECT_EQ(elsewhere.status, 3);
}

TEST(CliProgram, ReadPrintsATableOfEveryParameter) {
  ReaderSim sim({"--demo"});
  const Result r = Cli({"read", "--address", "1", "--port", sim.Device()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "cashDeskNumber     0000012A\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "mode               1 Турникет\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "currentDate        31.12.2009\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "blackList[2]       0A0B0C0D\n")) << r.out;
}

TEST(CliProgram, NoReaderOnTheLineIsStatusOneWithTheWindowsText) {
  ReaderSim sim({"--reader", "5", "--silent"});
  const Result r = Cli({"search", "--port", sim.Device()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Считыватели не обнаружены\n");
}

// The commands' own words stay English; the window's error lines follow the locale.
TEST(CliProgram, ErrorLinesFollowTheLocalesLanguage) {
  ReaderSim sim({"--reader", "7", "--status", "7E=17"});
  const Result r = Cli({"read", "--port", sim.Device(), "--address", "7"}, {}, QStringLiteral("en_GB:ru"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Has(r.err, "reader 7: Errors occurred while reading the reader parameters: \n"
                         "Read operating mode - access denied\n")) << r.err;
}

TEST(CliProgram, WriteTakesTheParametersFromStandardInputForADash) {
  QProcess cli;
  cli.start(BuiltProgram(PARVEX_CLI_PATH), {"write", "--address", "7", "--dry-run", "-"});
  ASSERT_TRUE(cli.waitForStarted());
  cli.write(R"({"mode": 2, "sector": 3, "abonementTimeout": 0, "relayTime": 0,
                "blackList": ["", "", "", "", "", "", "", "", "", ""]})");
  cli.closeWriteChannel();
  ASSERT_TRUE(cli.waitForFinished(30000));
  EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
  EXPECT_TRUE(cli.readAllStandardOutput().startsWith("07 06 7C 02 "));
}

TEST(CliProgram, ADeviceThatVanishesDuringAReadEndsItWithStatusThree) {
  ReaderSim sim({"--reader", "5", "--silent"});
  QProcess cli;
  cli.setReadChannel(QProcess::StandardError);
  cli.start(BuiltProgram(PARVEX_CLI_PATH), {"read", "--address", "5", "--port", sim.Device(), "--trace"});
  ASSERT_TRUE(cli.waitForStarted());
  // Gone while the first request goes unanswered; the read must stop, not send into nothing.
  QByteArray err;
  while (!err.contains("-> attempt") && cli.waitForReadyRead(30000)) err += cli.readAll();
  ASSERT_TRUE(err.contains("-> attempt")) << err.toStdString();
  sim.Stop();
  ASSERT_TRUE(cli.waitForFinished(30000));
  err += cli.readAll();
  EXPECT_EQ(cli.exitCode(), 3);
  EXPECT_TRUE(err.contains("No such device")) << err.toStdString();
}

// Readers behind a network gateway: ser2net in front of the simulator's line.
class CliThroughGateway : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(sim.Device().isEmpty());
    ASSERT_TRUE(server.Failure().isEmpty()) << server.Failure().toStdString();
  }
  ReaderSim sim{{"--demo"}};
  Ser2netServer server{sim.Device().toStdString()};
};

TEST_F(CliThroughGateway, Rfc2217SearchesReadsWritesWithReadBackAndChangesKeys) {
  const QStringList line = {"--port", server.Rfc2217Line(), "--baud", "19200"};
  Result r = Cli(QStringList{"search"} + line);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "1 / 1234\n") && Has(r.out, "2 / 007F\n")) << r.out;

  r = Cli(QStringList{"read", "--address", "1", "--json"} + line);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "\"cashDeskNumber\": \"0000012A\"")) << r.out;
  ASSERT_TRUE(Has(r.out, "\"sector\": 4")) << r.out;

  QTemporaryDir folder;
  QFile changed(folder.filePath("reader.json"));
  ASSERT_TRUE(changed.open(QIODevice::WriteOnly));
  changed.write(QByteArray::fromStdString(r.out).replace("\"sector\": 4", "\"sector\": 6"));
  changed.close();
  r = Cli(QStringList{"write", "--address", "1", changed.fileName()} + line);
  EXPECT_EQ(r.status, 0) << r.err;  // the read-back found what was written
  r = Cli(QStringList{"read", "--address", "1", "--json"} + line);
  EXPECT_TRUE(Has(r.out, "\"sector\": 6")) << r.out;

  r = Cli(QStringList{"keys", "--address", "1", "--mode", "1", "--key-a", "11:22:33:44:55:66"} + line);
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(CliThroughGateway, RawTcpSearchesAndReads) {
  const QStringList line = {"--port", server.TcpLine()};
  Result r = Cli(QStringList{"search"} + line);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "1 / 1234\n")) << r.out;
  r = Cli(QStringList{"read", "--address", "2"} + line);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Has(r.out, "cashDeskNumber     ABCDEF01\n")) << r.out;
}

// One clear line each, status 3, and nothing hangs.
TEST_F(CliThroughGateway, UnreachableGatewaysAndAGatewayGoneDuringAReadAreStatusThree) {
  struct {
    QString port;
    std::string says;
  } rows[] = {{QStringLiteral("rfc2217://127.0.0.1:%1").arg(Ser2netServer::FreeLoopbackPort()), "Connection refused"},
              {UnknownGatewayLine(), "Unable to open com port"}};
  for (const auto& row : rows) {
    const Result r = Cli({"search", "--port", row.port});
    EXPECT_EQ(r.status, 3) << row.port.toStdString();
    EXPECT_TRUE(Has(r.err, row.says) && Has(r.err, row.port.toStdString())) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }

  ReaderSim silent({"--reader", "5", "--silent"});
  Ser2netServer gateway(silent.Device().toStdString());
  ASSERT_TRUE(gateway.Failure().isEmpty()) << gateway.Failure().toStdString();
  QProcess cli;
  cli.setReadChannel(QProcess::StandardError);
  cli.start(BuiltProgram(PARVEX_CLI_PATH), {"read", "--address", "5", "--port", gateway.Rfc2217Line(), "--trace"});
  ASSERT_TRUE(cli.waitForStarted());
  QByteArray err;
  while (!err.contains("-> attempt") && cli.waitForReadyRead(30000)) err += cli.readAll();
  ASSERT_TRUE(err.contains("-> attempt")) << err.toStdString();
  gateway.Kill();
  ASSERT_TRUE(cli.waitForFinished(30000));
  err += cli.readAll();
  EXPECT_EQ(cli.exitCode(), 3);
  EXPECT_TRUE(err.contains("No such device")) << err.toStdString();
}

}  // namespace
