#include "ReaderMessages.h"

#include <cstdio>

std::string DateText(const TCalendarDate& date) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d.%02d.%04d", date.day, date.month, date.year);
  return text;
}

std::string DateOutOfRangeLine(std::string_view pickerName, const TCalendarDate& date) {
  std::string line(pickerName);
  line += " ";
  line += DateText(date);
  line += " не может быть записана: считыватель хранит даты с ";
  line += DateText({kFirstWireYear, 1, 1});
  line += " по ";
  line += DateText({kLastWireYear, 12, 31});
  return line;
}
