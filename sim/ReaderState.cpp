#include "ReaderState.h"

#include <ctime>

namespace sim {

bool IsCalendarDate(const WireDate& date) {
  static constexpr std::uint8_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (date.month < 1 || date.month > 12 || date.day < 1) return false;
  const unsigned year = 2000u + date.year;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const unsigned days = kDays[date.month - 1] + ((date.month == 2 && leap) ? 1u : 0u);
  return date.day <= days;
}

WireDate Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {static_cast<std::uint8_t>(local.tm_mday), static_cast<std::uint8_t>(local.tm_mon + 1),
          static_cast<std::uint8_t>(local.tm_year - 100)};
}

}  // namespace sim
