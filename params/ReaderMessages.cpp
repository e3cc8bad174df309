#include "ReaderMessages.h"

#include <cstdio>

std::string DateText(const TCalendarDate& date) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d.%02d.%04d", date.day, date.month, date.year);
  return text;
}
