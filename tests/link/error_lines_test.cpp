#include <gtest/gtest.h>

#include <set>

#include "CodeTables.h"
#include "ErrorList.h"

TEST(CodeTables, HaveTheirSizesUniqueCodesAndFallBacksLast) {
  EXPECT_EQ(kCommandTable.size(), 23u);
  EXPECT_EQ(kStatusTable.size(), 20u);
  std::set<int> commands, statuses;
  for (const auto& e : kCommandTable) EXPECT_TRUE(commands.insert(e.code).second);
  for (const auto& e : kStatusTable) EXPECT_TRUE(statuses.insert(e.code).second);
  EXPECT_EQ(kCommandTable.back().code, 0xFF);
  EXPECT_EQ(kStatusTable.back().code, 0xFE);
}

TEST(CodeTables, KeepTheReadersOwnSpellings) {
  EXPECT_EQ(CommandText(0x96), "Чтение временин работы реле");
  EXPECT_EQ(CommandText(0x90), "Изменение таймаута прохода по карточкам \"Абонемент\"");
  EXPECT_EQ(StatusText(0x22), "неправильной значение");
  EXPECT_EQ(StatusText(0x1C), "не полный UID");
  EXPECT_EQ(StatusText(0x20), "ошибка \"BadBitPassWrite\"");
}

struct LineCase {
  std::uint8_t command;
  std::uint8_t status;
  const char* line;
};

class ErrorLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(ErrorLines, ComposeCommandSeparatorAndStatus) {
  EXPECT_EQ(ErrorLine(GetParam().command, GetParam().status), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ErrorLines,
    ::testing::Values(LineCase{0x7E, 0x09, "Чтение режима работы - таймаут"},
                      LineCase{0x84, 0x17, "Изменение текущей даты - доступ запрещен"},
                      LineCase{0x71, 0x09, "Неизвестная команда - таймаут"},      // a response code
                      LineCase{0x70, 0x00, "Чтение серийного номера - неизвестная ошибка"},
                      LineCase{0x70, 0x30, "Чтение серийного номера - неизвестная ошибка"},
                      LineCase{0x70, 0xFE, "Чтение серийного номера - неизвестная ошибка"},
                      LineCase{0x9A, 0x26,
                               "Чтение черного списка кассовых аппаратов - неправильный номер "
                               "сектора, выбранного для записи данных"}));

TEST(ErrorList, KeepsEveryLineInOrderWithoutMergingAndClears) {
  ErrorList errors;
  errors.AddError(0x7C, 0x09);
  errors.AddError(0x7C, 0x09);
  errors.AddError(0x98, 0x23);
  ASSERT_EQ(errors.lines().size(), 3u);
  EXPECT_EQ(errors.lines()[0], errors.lines()[1]);
  EXPECT_EQ(errors.Entries().back(), (ErrorEntry{0x98, 0x23, errors.lines().back()}));
  EXPECT_EQ(ComposeErrorMessage("Заголовок: \r\n", errors),
            "Заголовок: \r\n"
            "Изменение режима работы - таймаут\r\n"
            "Изменение режима работы - таймаут\r\n"
            "Изменение черного списка кассовых аппаратов - команда не может быть обработана в "
            "текущем режиме\r\n");
  errors.ClearErrors();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(ComposeErrorMessage("H\r\n", errors), "H\r\n");
}
