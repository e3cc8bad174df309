#include "ParameterCodec.h"

#include <algorithm>
#include <ctime>

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsUtf8Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

std::string HexText(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (std::uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

std::string NormalizeHexText(std::string_view text, std::size_t length) {
  std::string result;
  result.reserve(std::max(length, text.size()));
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (HexValue(c) >= 0) {
      result += (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
      continue;
    }
    // Any other character, however many bytes it takes, becomes one '0'.
    result += '0';
    while (i + 1 < text.size() && IsUtf8Continuation(static_cast<unsigned char>(text[i + 1])) &&
           static_cast<unsigned char>(c) >= 0xC0)
      ++i;
  }
  if (result.size() < length) result.append(length - result.size(), '0');
  return result;
}

bool IsCalendarDate(const TCalendarDate& date) {
  return date.month >= 1 && date.month <= 12 && date.day >= 1 &&
         date.day <= DaysInMonth(date.year, date.month);
}

bool FitsWire(const TCalendarDate& date) {
  return IsCalendarDate(date) && date.year >= kFirstWireYear && date.year <= kLastWireYear;
}

int DayNumber(const TCalendarDate& date) {
  // The proleptic Gregorian count by eras of 400 years, each of 146097 days.
  const int year = date.year - (date.month <= 2);
  const int era = (year >= 0 ? year : year - 399) / 400;
  const int yearOfEra = year - era * 400;
  const int dayOfYear = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

TCalendarDate LocalDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::optional<TCalendarDate> DecodeDate(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != 3) return std::nullopt;
  const TCalendarDate date{kFirstWireYear + bytes[2], bytes[1], bytes[0]};
  if (!IsCalendarDate(date)) return std::nullopt;
  return date;
}

TWireDate EncodeDate(const TCalendarDate& date) {
  return {static_cast<std::uint8_t>(date.day), static_cast<std::uint8_t>(date.month),
          static_cast<std::uint8_t>(date.year - kFirstWireYear)};
}

TEntryBytes EntryBytes(std::string_view cell) {
  TEntryBytes bytes{};
  for (std::size_t i = 0; i < bytes.size() && 2 * i + 1 < cell.size(); ++i) {
    const int high = HexValue(cell[2 * i]);
    const int low = HexValue(cell[2 * i + 1]);
    if (high < 0 || low < 0) break;
    bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return bytes;
}

TKeyData KeyData(std::string_view key, std::uint8_t selector) {
  const std::string digits = NormalizeHexText(key, kKeyDigits);
  TKeyData data{};
  for (std::size_t i = 0; i < 6; ++i)
    data[i] = static_cast<std::uint8_t>(HexValue(digits[2 * i]) << 4 | HexValue(digits[2 * i + 1]));
  data[6] = selector;
  return data;
}
