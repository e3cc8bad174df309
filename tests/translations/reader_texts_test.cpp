// The plain C++ libraries' texts as the window and parvex-cli tell them, in either language.
#include "CodeTables.h"
#include "Cyrillic.h"
#include "ErrorList.h"
#include "ExchangeText.h"
#include "Language.h"
#include "ParameterTable.h"
#include "TestApplication.h"
#include "ReaderMessages.h"
#include "ReaderSequences.h"
#include "ReaderText.h"

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace {

const bool kApp = UseQtTestApp<QCoreApplication>();

class ReaderTexts : public ::testing::TestWithParam<TLanguage> {
 protected:
  ReaderTexts() : translations_(GetParam()) {}
  bool English() const { return GetParam() == TLanguage::English; }

  // Two failures, the second with a long status text; written as sent.
  ErrorList TwoFailures() const {
    ErrorList errors;
    errors.AddError(cmd::ReadMode, status::Timeout);
    errors.AddError(cmd::WriteBlackList, 0x23);
    return errors;
  }

 private:
  TTranslations translations_;
};

TEST_P(ReaderTexts, ErrorMessageIsTheHeadingThenALinePerFailure) {
  const QString text = ErrorMessageText(texts::kReadParameters.errorsHeading, TwoFailures());
  if (English())
    EXPECT_EQ(text.toStdString(),
              "Errors occurred while reading the reader parameters: \r\n"
              "Read operating mode - timeout\r\n"
              "Change cash register black list - command cannot be processed in the current mode\r\n");
  else
    EXPECT_EQ(text.toStdString(),
              "Во время чтения параметров считывателя произошли ошибки: \r\n"
              "Чтение режима работы - таймаут\r\n"
              "Изменение черного списка кассовых аппаратов - команда не может быть обработана в текущем режиме\r\n");
  EXPECT_EQ(ErrorMessageText("H\r\n", ErrorList()), QStringLiteral("H\r\n"));
}

TEST_P(ReaderTexts, DateRefusalNamesThePickerTheDateAndTheRange) {
  TWriteValues values;
  values.mode = mode::Turnstile;
  values.currentDate = {1999, 12, 31};
  values.endDate = {2030, 1, 1};
  const std::vector<TRefusal> refusals = WriteRefusals(std::uint8_t{1}, values);
  ASSERT_EQ(refusals.size(), 1u);
  EXPECT_EQ(RefusalsText(refusals).toStdString(),
            English() ? "Current date 31.12.1999 cannot be written: a reader stores dates from 01.01.2000 to 31.12.2255"
                      : RefusalText(refusals));
}

TEST_P(ReaderTexts, ExchangeOutcomeTellsTheReadersStatus) {
  const std::vector<std::uint8_t> refused{0x01, 0x06, 0x7D, 0x17, 0x00, 0x00};
  EXPECT_EQ(OutcomeText(TCommandOutcome::ReaderStatus, refused, kWindowWords, ReaderTextUtf8),
            English() ? "status 17 access denied" : "статус 17 доступ запрещен");
}

INSTANTIATE_TEST_SUITE_P(Languages, ReaderTexts, ::testing::Values(TLanguage::Russian, TLanguage::English),
                         [](const auto& info) { return info.param == TLanguage::English ? "English" : "Russian"; });

// A text of the tables that is not marked, or marked but not translated, stays Russian in English.
TEST(ReaderTextsInEnglish, EveryTextOfTheTablesIsTold) {
  const TTranslations english(TLanguage::English);
  std::vector<std::string_view> all;
  for (const TCodeInfo& info : kCommandTable) all.push_back(info.text);
  for (const TCodeInfo& info : kStatusTable) all.push_back(info.text);
  for (std::span<const TValueName> names : {std::span<const TValueName>(kModeNames), std::span<const TValueName>(kCardTypeNames)})
    for (const TValueName& name : names) all.push_back(name.name);
  for (const TParameterInfo& info : kParameterTable) all.push_back(info.caption);
  for (const TOperationTexts& operation : {texts::kReadParameters, texts::kWriteParameters, texts::kChangeKeys, texts::kSearchReaders}) {
    all.push_back(operation.caption);
    all.push_back(operation.errorsHeading);
  }
  for (std::string_view word : {kWindowWords.accepted, kWindowWords.timeout, kWindowWords.wrongLength, kWindowWords.status})
    all.push_back(word);
  for (std::string_view text : all) EXPECT_FALSE(HasCyrillic(ReaderText(text))) << text;
}

}  // namespace
