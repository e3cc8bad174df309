#pragma once

#include <array>
#include <cstdint>

namespace sim {

// A date as it travels on the line: day, month, year - 2000, plain bytes.
struct WireDate {
  std::uint8_t day = 1;
  std::uint8_t month = 1;
  std::uint8_t year = 0;
  bool operator==(const WireDate&) const = default;
};

// True when the three bytes name a real Gregorian date in 2000..2255.
bool IsCalendarDate(const WireDate& date);
// The computer's local date as a reader keeps it.
WireDate Today();

using Key = std::array<std::uint8_t, 6>;
using Entry = std::array<std::uint8_t, 4>;

inline constexpr std::uint8_t kKeyA = 0xAA;
inline constexpr std::uint8_t kKeyB = 0xBB;
inline constexpr std::size_t kBlackListRows = 10;

// Everything a reader keeps that the commands read and write.
struct ReaderState {
  std::array<std::uint8_t, 2> serial{};
  Entry cashDesk{};
  std::uint8_t rechargeUnits = 1;
  std::uint8_t mode = 1;
  std::uint8_t cardType = 1;
  WireDate currentDate{};
  WireDate endDate{};
  std::uint8_t sector = 1;
  std::uint8_t abonementTimeout = 1;
  std::uint8_t relayTime = 1;
  std::array<Entry, kBlackListRows> blackList{};
  Key keyA{};
  Key keyB{};
  Key initKey{};
  std::uint8_t initKeyType = kKeyA;  // selector byte: 0xAA or 0xBB
  bool operator==(const ReaderState&) const = default;
};

}  // namespace sim
