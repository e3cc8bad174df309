// The site file: what it takes (parameters by a relative path or inline, port settings with
// defaults) and the one message that names file, line, reader and field of a refused one.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <string>

#include "SiteFile.h"

namespace {

constexpr char kTurnstile[] =
    R"({"mode": 1, "cardType": 1, "sector": 5, "abonementTimeout": 1, "relayTime": 1, "currentDate": "2000-01-01",
        "endDate": "2000-01-01", "rechargeUnits": 1, "blackList": ["", "", "", "", "", "", "", "", "", ""]})";

class SiteFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(QDir(dir_.path()).mkdir("params"));
    Write("params/turnstile.json", kTurnstile);
    Write("params/broken.json", R"({"mode": 1, "sector": 16})");
  }
  QString Write(const QString& name, const QByteArray& text) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return path;
  }
  // A site of one line, /dev/ttyUSB0, holding the readers given.
  QString Site(const std::string& readers) {
    return Write("site.json", QByteArray::fromStdString(R"({"site": "Вход", "lines": [{"port": "/dev/ttyUSB0", "readers": [)" +
                                                        readers + "]}]}"));
  }
  // The refusal of the site file at path, after its path: "accepted" when it was not refused.
  static std::string Refusal(const QString& path) {
    try {
      LoadSiteFile(path);
      return "accepted";
    } catch (const ESiteFile& e) {
      return e.what();
    }
  }
  QTemporaryDir dir_;
};

TEST_F(SiteFolder, TakesParametersByRelativePathOrInlineAndDefaultsThePortSettings) {
  // An editor's schema, named at the top and in a plan, is left alone.
  const QString path = Write("site.json", R"({"$schema": "parvex-site.schema.json", "site": "Северный вход", "lines": [
      {"port": "/dev/ttyUSB0", "readers": [
        {"address": 2, "serial": "007f", "parameters": "params/turnstile.json"},
        {"address": 9, "parameters": {"$schema": "parvex-parameters.schema.json",
                                      "mode": 1, "cardType": 1, "sector": 4, "abonementTimeout": 7, "relayTime": 3,
                                      "currentDate": "2000-01-01", "endDate": "2000-01-01", "rechargeUnits": 1,
                                      "blackList": ["0012AB9F", "", "", "", "", "", "", "", "", ""]}}]},
      {"port": "rfc2217://gateway-2:2001", "baud": 19200, "dataBits": 7, "parity": "even", "stopBits": 2,
       "readers": []}]})");
  const TSiteFile site = LoadSiteFile(path);
  EXPECT_EQ(site.name, "Северный вход");
  ASSERT_EQ(site.lines.size(), 2u);
  const TSiteLine& usb = site.lines[0];
  EXPECT_EQ(usb.baud, 9600u);
  EXPECT_EQ(usb.dataBits, dbEight);
  EXPECT_EQ(usb.parity, prNone);
  EXPECT_EQ(usb.stopBits, sbOneStopBit);
  ASSERT_EQ(usb.readers.size(), 2u);
  EXPECT_EQ(usb.readers[0].serial, "007F");
  EXPECT_EQ(usb.readers[0].plan.sector, 5);
  EXPECT_EQ(usb.readers[1].plan.sector, 4);
  EXPECT_EQ(usb.readers[1].plan.blackList[0], "0012AB9F");
  const TSiteLine& gateway = site.lines[1];
  EXPECT_EQ(gateway.baud, 19200u);
  EXPECT_EQ(gateway.dataBits, dbSeven);
  EXPECT_EQ(gateway.parity, prEven);
  EXPECT_EQ(gateway.stopBits, sbTwoStopBits);
}

TEST_F(SiteFolder, ALineWrittenOutReadsBackWithTheSameSettings) {
  TSiteLine line{"/dev/ttyS1", 57600, dbSix, prMark, sbOne5StopBits, {}};
  QJsonObject object = SiteLineJson(line);
  object.insert("readers", QJsonArray());
  const QJsonObject site{{"site", "x"}, {"lines", QJsonArray{object}}};
  const TSiteLine back = LoadSiteFile(Write("out.json", QJsonDocument(site).toJson())).lines.at(0);
  EXPECT_EQ(back.port, line.port);
  EXPECT_EQ(back.baud, line.baud);
  EXPECT_EQ(back.dataBits, line.dataBits);
  EXPECT_EQ(back.parity, line.parity);
  EXPECT_EQ(back.stopBits, line.stopBits);
}

// A stable name (/dev/serial/by-id/...) links to the device another line names.
TEST_F(SiteFolder, ALinkToTheDeviceOfAnEarlierLineIsRefusedNamingBothLines) {
  const QString device = Write("ttyUSB0", {});
  const QString link = dir_.filePath("usb-FTDI_reader-if00-port0");
  ASSERT_TRUE(QFile::link(device, link));
  const QString lines = QStringLiteral(R"([{"port": "%1", "readers": []}, {"port": "%2", "readers": []}])").arg(device, link);
  const QString path = Write("site.json", (R"({"site": "x", "lines": )" + lines + "}").toUtf8());
  EXPECT_EQ(Refusal(path), (path + ": line 1 (" + link + "): port: reaches the same device as line 0 (" + device + ")").toStdString());
}

struct BadReaders {
  const char* name;
  std::string readers;  // the readers of the one line
  std::string message;  // what follows the file's path
};

void PrintTo(const BadReaders& row, std::ostream* os) { *os << row.name; }

class RefusedReaders : public SiteFolder, public ::testing::WithParamInterface<BadReaders> {};

TEST_P(RefusedReaders, OneMessageNamesFileLineReaderAndField) {
  const QString path = Site(GetParam().readers);
  EXPECT_EQ(Refusal(path), path.toStdString() + ": " + GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    SiteFile, RefusedReaders,
    ::testing::Values(
        BadReaders{"AddressZero", R"({"address": 0, "parameters": "params/turnstile.json"})",
                   "line 0 (/dev/ttyUSB0): address: 0 is not a whole number from 1 to 254"},
        BadReaders{"Address255", R"({"address": 255, "parameters": "params/turnstile.json"})",
                   "line 0 (/dev/ttyUSB0): address: 255 is not a whole number from 1 to 254"},
        BadReaders{"AddressTwice",
                   R"({"address": 3, "parameters": "params/turnstile.json"}, {"address": 3, "parameters": "params/turnstile.json"})",
                   "line 0 (/dev/ttyUSB0), reader 3: address: given twice on this line"},
        BadReaders{"UnknownField", R"({"address": 3, "parametres": "params/turnstile.json"})",
                   "line 0 (/dev/ttyUSB0), reader 3: parametres: unknown field"},
        BadReaders{"MissingParameters", R"({"address": 3})", "line 0 (/dev/ttyUSB0), reader 3: parameters: missing"},
        BadReaders{"SerialNotHex", R"({"address": 3, "serial": "00G1", "parameters": "params/turnstile.json"})",
                   "line 0 (/dev/ttyUSB0), reader 3: serial: '00G1' is not 4 hex digits"},
        BadReaders{"ParametersFileRefused", R"({"address": 4, "parameters": "params/broken.json"})",
                   "line 0 (/dev/ttyUSB0), reader 4: parameters: params/broken.json: sector: 16 is not a whole number "
                   "from 1 to 15"},
        BadReaders{"ParametersFileAbsent", R"({"address": 4, "parameters": "params/none.json"})",
                   "line 0 (/dev/ttyUSB0), reader 4: parameters: params/none.json: cannot be read: No such file or "
                   "directory"},
        BadReaders{"InlineSchemaNotText", R"({"address": 5, "parameters": {"$schema": true}})",
                   "line 0 (/dev/ttyUSB0), reader 5: parameters: $schema: true is not the address of a schema"},
        BadReaders{"InlineRefused", R"({"address": 5, "parameters": {"mode": 1, "sector": 0}})",
                   "line 0 (/dev/ttyUSB0), reader 5: parameters: sector: 0 is not a whole number from 1 to 15"}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadSite {
  const char* name;
  QByteArray text;
  std::string message;
};

void PrintTo(const BadSite& row, std::ostream* os) { *os << row.name; }

class RefusedSite : public SiteFolder, public ::testing::WithParamInterface<BadSite> {};

TEST_P(RefusedSite, OneMessageNamesTheFileAndWhere) {
  const QString path = Write("site.json", GetParam().text);
  EXPECT_EQ(Refusal(path), path.toStdString() + ": " + GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    SiteFile, RefusedSite,
    ::testing::Values(
        BadSite{"NotJson", R"({"site": "x", "lines": [)", "not JSON: unterminated array at offset 24"},
        BadSite{"NotAnObject", "[]", "not a site: the file holds no JSON object"},
        BadSite{"NoLines", R"({"site": "x"})", "lines: missing"},
        BadSite{"UnknownTopField", R"({"site": "x", "lines": [], "owner": "me"})", "owner: unknown field"},
        BadSite{"SchemaNotText", R"({"$schema": 5, "site": "x", "lines": []})", "$schema: 5 is not the address of a schema"},
        BadSite{"NoPort", R"({"site": "x", "lines": [{"readers": []}]})", "line 0: port: missing"},
        BadSite{"BadParity", R"({"site": "x", "lines": [{"port": "ttyS0", "parity": "Strange", "readers": []}]})",
                "line 0 (ttyS0): parity: 'Strange' is not one of None, Odd, Even, Mark, Space"},
        BadSite{"BadBaud", R"({"site": "x", "lines": [{"port": "ttyS0", "baud": 0, "readers": []}]})",
                "line 0 (ttyS0): baud: 0 is not a whole number from 1 to 4000000"},
        // Two lines would fight over one device: COM1 is /dev/ttyS0; a gateway's port is one
        // whatever the scheme and the case of its host.
        BadSite{"SamePortTwice",
                R"({"site": "x", "lines": [{"port": "/dev/ttyS0", "readers": []}, {"port": "COM1", "readers": []}]})",
                "line 1 (COM1): port: reaches the same device as line 0 (/dev/ttyS0)"},
        BadSite{"OneGatewayPortByBothSchemes",
                R"({"site": "x", "lines": [{"port": "/dev/ttyS1", "readers": []}, {"port": "tcp://Gateway-2:4001", "readers": []},
                                          {"port": "rfc2217://gateway-2:4001", "readers": []}]})",
                "line 2 (rfc2217://gateway-2:4001): port: reaches the same device as line 1 (tcp://Gateway-2:4001)"},
        BadSite{"OneGatewayByNameAndAddress",
                R"({"site": "x", "lines": [{"port": "tcp://localhost:4001", "readers": []}, {"port": "tcp://[::1]:4002", "readers": []},
                                          {"port": "tcp://127.0.0.1:4001", "readers": []}]})",
                "line 2 (tcp://127.0.0.1:4001): port: reaches the same device as line 0 (tcp://localhost:4001)"},
        BadSite{"TooLarge", QByteArray(R"({"site": ")") + QByteArray(kMaxSiteFileBytes, 'x') + R"(", "lines": []})",
                "not a site file: larger than 1024 KiB"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
