// The plain C++ libraries' texts as the window and parvex-cli tell them, in either language.
#include "CodeTables.h"
#include "Cyrillic.h"
#include "ExchangeText.h"
#include "Language.h"
#include "LanguagePrint.h"
#include "ParameterTable.h"
#include "ReaderText.h"
#include "CoreTestApp.h"

#include <string_view>
#include <vector>

namespace {

class ErrorMessage : public ::testing::TestWithParam<TLanguage> {};

TEST_P(ErrorMessage, IsTheHeadingThenALinePerFailure) {
  const TTranslations language(GetParam());
  ErrorList errors;
  errors.AddError(cmd::ReadMode, status::Timeout);
  errors.AddError(cmd::WriteBlackList, 0x23);
  EXPECT_EQ(
      ErrorMessageText(texts::kReadParameters.errorsHeading, errors).toStdString(),
      GetParam() == TLanguage::English
          ? "Errors occurred while reading the reader parameters: \r\nRead operating mode - timeout\r\n"
            "Change cash register black list - command cannot be processed in the current mode\r\n"
          : "Во время чтения параметров считывателя произошли ошибки: \r\nЧтение режима работы - таймаут\r\n"
            "Изменение черного списка кассовых аппаратов - команда не может быть обработана в текущем режиме\r\n");
  EXPECT_EQ(ErrorMessageText("H\r\n", ErrorList()), QStringLiteral("H\r\n"));
}

INSTANTIATE_TEST_SUITE_P(Languages, ErrorMessage, ::testing::Values(TLanguage::Russian, TLanguage::English),
                         [](const auto& info) { return ::testing::PrintToString(info.param); });

// A text of the tables that is not marked, or marked but not translated, stays Russian in English.
TEST(ReaderTextsInEnglish, EveryTextOfTheTablesIsTold) {
  const TTranslations english(TLanguage::English);
  std::vector<std::string_view> all;
  for (int code = 0; code <= 0xFF; ++code)
    all.insert(all.end(), {CommandText(static_cast<std::uint8_t>(code)), StatusText(static_cast<std::uint8_t>(code))});
  for (const TValueName& name : kModeNames) all.push_back(name.name);
  for (const TValueName& name : kCardTypeNames) all.push_back(name.name);
  for (const TParameterInfo& info : kParameterTable) all.push_back(info.caption);
  for (const TOperationTexts& operation :
       {texts::kReadParameters, texts::kWriteParameters, texts::kChangeKeys, texts::kSearchReaders})
    all.insert(all.end(), {operation.caption, operation.errorsHeading});
  all.insert(all.end(), {kWindowWords.accepted, kWindowWords.timeout, kWindowWords.wrongLength, kWindowWords.status});
  for (std::string_view text : all) EXPECT_FALSE(HasCyrillic(ReaderText(text))) << text;
}

}  // namespace
