#include "ErrorList.h"

#include "CodeTables.h"

std::string ErrorLine(std::uint8_t command, std::uint8_t status) {
  std::string line(CommandText(command));
  line += " - ";
  line += StatusText(status);
  return line;
}

void ErrorList::AddError(std::uint8_t command, std::uint8_t status) {
  entries_.push_back({command, status, ErrorLine(command, status)});
}

std::vector<std::string> ErrorList::lines() const {
  std::vector<std::string> lines;
  for (const ErrorEntry& entry : entries_) lines.push_back(entry.line);
  return lines;
}

std::string ComposeErrorMessage(std::string_view heading, const ErrorList& errors) {
  std::string text(heading);
  for (const ErrorEntry& entry : errors.Entries()) {
    text += entry.line;
    text += "\r\n";
  }
  return text;
}
