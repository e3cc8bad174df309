#include <gtest/gtest.h>

#include <set>

#include "CodeTables.h"
#include "ErrorList.h"

// A request code is even, from ReadSerialNumber to ReadBlackList; a row lost or repeated, or
// two requests sharing a text, would show a wrong command in an error line.
TEST(CodeTables, EachRequestCodeHasATextOfItsOwnAndEveryOtherByteTheFallBack) {
  const std::string_view fallBack = "Неизвестная команда";
  std::set<std::string_view> texts;
  for (int code = 0; code < 256; ++code) {
    const std::string_view text = CommandText(static_cast<std::uint8_t>(code));
    if (code >= cmd::ReadSerialNumber && code <= cmd::ReadBlackList && code % 2 == 0)
      EXPECT_TRUE(text != fallBack && texts.insert(text).second) << std::hex << code << " " << text;
    else
      EXPECT_EQ(text, fallBack) << std::hex << code;  // an answer's code among them
  }
}

// The statuses the program records on its own behalf each reach the message with their text.
TEST(CodeTables, TheStatusesOfTheProgramsOwnHaveTheirTexts) {
  for (const std::uint8_t own : {status::Timeout, status::WrongFormat, status::WrongDate})
    EXPECT_NE(StatusText(own), "неизвестная ошибка") << int(own);
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
void PrintTo(const LineCase& row, std::ostream* os) { *os << row.line; }

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
  ASSERT_EQ(errors.Lines().size(), 3u);
  EXPECT_EQ(errors.Lines()[0], errors.Lines()[1]);
  EXPECT_EQ(errors.Entries().back(), (ErrorEntry{0x98, 0x23}));
  EXPECT_EQ(errors.Lines()[2],
            "Изменение черного списка кассовых аппаратов - команда не может быть обработана в текущем режиме");
  errors.ClearErrors();
  EXPECT_TRUE(errors.empty());
  EXPECT_TRUE(errors.Lines().empty());
}
