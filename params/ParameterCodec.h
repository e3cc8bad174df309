#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// How parameter values travel between the screen's texts and dates and a reader's bytes.
// Plain functions without state, shared by the window and any other front end.

// A calendar date as the screen holds it; not necessarily one a reader can store.
struct TCalendarDate {
  int year = 0;
  int month = 0;
  int day = 0;
  bool operator==(const TCalendarDate&) const = default;
};

// What a date picker shows when a reader gave no date or a broken one.
inline constexpr TCalendarDate kZeroDate{1899, 12, 30};

// The years a date's wire byte (year - 2000) can carry.
inline constexpr int kFirstWireYear = 2000;
inline constexpr int kLastWireYear = 2255;

using TWireDate = std::array<std::uint8_t, 3>;     // day, month, year - 2000
using TEntryBytes = std::array<std::uint8_t, 4>;   // cash-desk number or black-list entry
using TKeyData = std::array<std::uint8_t, 7>;      // six key bytes, then the key selector

inline constexpr std::size_t kEntryDigits = 8;
inline constexpr std::size_t kKeyDigits = 12;
inline constexpr std::uint8_t kKeySelectorA = 0xAA;
inline constexpr std::uint8_t kKeySelectorB = 0xBB;

// Each byte as two upper-case hexadecimal digits, first byte first.
std::string HexText(std::span<const std::uint8_t> bytes);

// Upper-cases a-f, turns every other character that is not a hex digit into '0' and pads
// with '0' on the right up to length; longer results are returned whole. The text is UTF-8
// and is taken character by character, so one Cyrillic letter becomes one '0'.
std::string NormalizeHexText(std::string_view text, std::size_t length);

// A real Gregorian date (29 February only in leap years) with month 1..12.
bool IsCalendarDate(const TCalendarDate& date);
bool FitsWire(const TCalendarDate& date);  // a calendar date within 2000..2255

// Days from 1970-01-01 to a calendar date (negative before it): the distance between two dates
// is the difference of their numbers.
int DayNumber(const TCalendarDate& date);

// The computer's local date at the moment of the call.
TCalendarDate LocalDate();

// The three wire bytes as a date; nothing when they name no real date.
std::optional<TCalendarDate> DecodeDate(std::span<const std::uint8_t> bytes);
// Only for dates that FitsWire: a wider year would be cut to its low 8 bits.
TWireDate EncodeDate(const TCalendarDate& date);

// A black-list cell read from the left as pairs of hex digits (either case), at most four,
// stopping at the first pair that is not two hex digits; missing bytes are zero.
TEntryBytes EntryBytes(std::string_view cell);

// The key text (normalised to 12 hex digits first) as six bytes, then the selector.
TKeyData KeyData(std::string_view key, std::uint8_t selector);
