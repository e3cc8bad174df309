#include "ErrorList.h"

#include "CodeTables.h"

std::string ErrorLine(std::uint8_t command, std::uint8_t status) {
  std::string line(CommandText(command));
  line += " - ";
  line += StatusText(status);
  return line;
}

std::vector<std::string> ErrorList::Lines() const {
  std::vector<std::string> lines;
  for (const ErrorEntry& entry : entries_) lines.push_back(ErrorLine(entry.command, entry.status));
  return lines;
}
