#include "ErrorList.h"

#include "CodeTables.h"

std::string ErrorLine(std::uint8_t command, std::uint8_t status) {
  std::string line(CommandText(command));
  line += " - ";
  line += StatusText(status);
  return line;
}

void ErrorList::AddError(std::uint8_t command, std::uint8_t status) {
  lines_.push_back(ErrorLine(command, status));
}

std::string ComposeErrorMessage(std::string_view heading, const ErrorList& errors) {
  std::string text(heading);
  for (const std::string& line : errors.lines()) {
    text += line;
    text += "\r\n";
  }
  return text;
}
