// The window words every way a parameters file can be refused in Russian, and still names the
// field as the file has it: a kind left to English or to nothing would reach the operator so.
#include "ParameterFileWords.h"

#include <QBuffer>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <variant>
#include <vector>

namespace {

#define BLACK_LIST R"("blackList":["","","","","","","","","",""])"
#define MODE2 R"("sector":1,"abonementTimeout":0,"relayTime":0,)" BLACK_LIST

TFileError Refusal(const QByteArray& text) {
  try {
    WriteValuesFromJson(text);
  } catch (const TFileError& error) {
    return error;
  }
  ADD_FAILURE() << "accepted: " << text.toStdString();
  return TFileError({}, file_fault::NotObject{});
}

TFileError RefusalOfDevice(const QByteArray& text) {
  QByteArray contents = text;
  QBuffer buffer(&contents);
  buffer.open(QIODevice::ReadOnly);
  try {
    WriteValuesFromDevice(buffer);
  } catch (const TFileError& error) {
    return error;
  }
  ADD_FAILURE() << "accepted a file of " << text.size() << " bytes";
  return TFileError({}, file_fault::NotObject{});
}

TEST(ParameterFileWords, EveryKindOfRefusalIsRussianAndNamesItsField) {
  struct Case {
    TFileError refusal;
    const char* lead;  // the field as the file names it, where the line must start
  };
  const Case cases[] = {
      {Refusal(R"({"mode":2, )"), ""},
      {Refusal("[1,2]"), ""},
      {Refusal(R"({"mode":2,"sector":16,"abonementTimeout":0,"relayTime":0,)" BLACK_LIST "}"), "sector: "},
      {Refusal(R"({"mode":"Лифт",)" MODE2 "}"), "mode: "},
      {Refusal(R"({"mode":{},)" MODE2 "}"), "mode: "},
      {Refusal(R"({"mode":{"value":2,"name":"Турникет"},)" MODE2 "}"), "mode: "},
      {Refusal(R"({"mode":{"value":9},)" MODE2 "}"), "mode.value: "},
      {Refusal(R"({"mode":1,"currentDate":"31.12.2009","endDate":"2021-05-01",)" MODE2 "}"), "currentDate: "},
      {Refusal(R"({"mode":1,"currentDate":"2013-02-29","endDate":"2021-05-01",)" MODE2 "}"), "currentDate: "},
      {Refusal(R"({"mode":2,"sector":1,"abonementTimeout":0,"relayTime":0,)"
               R"("blackList":["","","","","","","","","","12AB"]})"),
       "blackList[9]: "},
      {Refusal(R"({"mode":2,"sector":1,"abonementTimeout":0,"relayTime":0,"blackList":[""]})"), "blackList: "},
      {Refusal(R"({"mode":2,"sectr":1})"), "sectr: "},
      {Refusal(R"({"$schema":5,"sector":1})"), "$schema: "},
      {Refusal(R"({"mode":1,"currentDate":"2020-05-01","endDate":"2256-01-01",)" MODE2 "}"), "endDate: "},
      {RefusalOfDevice(QByteArray(kMaxParameterFileBytes + 1, ' ')), ""},
      {TFileError({}, file_fault::Unreadable{"No such file or directory"}), ""},
  };
  const QRegularExpression russian(QStringLiteral("[А-Яа-яЁё]{2,}"));
  std::set<std::size_t> kinds;
  for (const Case& c : cases) {
    kinds.insert(c.refusal.fault.index());
    const QString text = FileFaultText(c.refusal.field, c.refusal.fault);
    SCOPED_TRACE(text.toStdString() + " / " + c.refusal.what());
    EXPECT_TRUE(text.contains(russian));
    // The window's refusals are Russian in both languages; everything else must not be English.
    if (!std::holds_alternative<file_fault::Refused>(c.refusal.fault)) {
      EXPECT_NE(text.toStdString(), c.refusal.what());
    }
    EXPECT_TRUE(text.startsWith(QString::fromUtf8(c.lead)));
  }
  EXPECT_EQ(kinds.size(), std::variant_size_v<TFileFault>) << "a kind of refusal without an example here";
}

}  // namespace
