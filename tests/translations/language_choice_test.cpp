// Which language the locale chooses.
#include "Language.h"
#include "LanguagePrint.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

struct LocaleRow {
  const char* name;
  std::map<std::string, std::string> environment;
  TLanguage expected;
};
void PrintTo(const LocaleRow& row, std::ostream* os) { *os << row.name; }

class LocaleChoice : public ::testing::TestWithParam<LocaleRow> {};

TEST_P(LocaleChoice, FirstSetVariableDecides) {
  const auto& environment = GetParam().environment;
  EXPECT_EQ(LanguageOfLocale([&](const char* name) -> const char* {
              const auto found = environment.find(name);
              return found == environment.end() ? nullptr : found->second.c_str();
            }),
            GetParam().expected);
}

using enum TLanguage;
INSTANTIATE_TEST_SUITE_P(
    Locales, LocaleChoice,
    ::testing::Values(
        LocaleRow{"NothingSet", {}, Russian}, LocaleRow{"LangEnglish", {{"LANG", "en_US.UTF-8"}}, English},
        LocaleRow{"LangC", {{"LANG", "C.UTF-8"}}, Russian},
        LocaleRow{"LcMessagesOverLang", {{"LANG", "ru_RU.UTF-8"}, {"LC_MESSAGES", "en_GB.UTF-8"}}, English},
        LocaleRow{"LcAllOverLcMessages", {{"LC_MESSAGES", "en_GB.UTF-8"}, {"LC_ALL", "ru_RU.UTF-8"}}, Russian},
        LocaleRow{"LanguageOverAll", {{"LC_ALL", "ru_RU.UTF-8"}, {"LANGUAGE", "en"}}, English},
        LocaleRow{"LanguageListsSeveral", {{"LANGUAGE", "ru:en"}, {"LANG", "en_US.UTF-8"}}, Russian},
        LocaleRow{"EmptyIsUnset", {{"LANGUAGE", ""}, {"LC_ALL", ""}, {"LANG", "en_US.UTF-8"}}, English}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
