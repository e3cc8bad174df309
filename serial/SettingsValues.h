#pragma once

#include "ComTypes.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <optional>
#include <span>

// Value texts of the port settings as the settings file and the setup dialog show them, and the
// conversions back. Each enumeration has one table, read in both directions.

template <typename Enum>
struct TEnumTexts;

template <>
struct TEnumTexts<TBaudRate> {
  static constexpr std::array<const char*, 16> texts{
      "Custom", "110",   "300",   "600",   "1200",   "2400",   "4800",   "9600",
      "14400",  "19200", "38400", "56000", "57600",  "115200", "128000", "256000"};
  static constexpr TBaudRate fallback = br9600;
};
template <>
struct TEnumTexts<TStopBits> {
  static constexpr std::array<const char*, 3> texts{"1", "1.5", "2"};
  static constexpr TStopBits fallback = sbOneStopBit;
};
template <>
struct TEnumTexts<TDataBits> {
  static constexpr std::array<const char*, 4> texts{"5", "6", "7", "8"};
  static constexpr TDataBits fallback = dbEight;
};
template <>
struct TEnumTexts<TParityBits> {
  static constexpr std::array<const char*, 5> texts{"None", "Odd", "Even", "Mark", "Space"};
  static constexpr TParityBits fallback = prNone;
};
template <>
struct TEnumTexts<TFlowControl> {
  static constexpr std::array<const char*, 4> texts{"Hardware", "Software", "None", "Custom"};
  // Custom changes no flow-control field, so an unknown text leaves the flags alone.
  static constexpr TFlowControl fallback = fcCustom;
};
template <>
struct TEnumTexts<TDTRFlowControl> {
  static constexpr std::array<const char*, 3> texts{"Disable", "Enable", "Handshake"};
  static constexpr TDTRFlowControl fallback = dtrDisable;
};
template <>
struct TEnumTexts<TRTSFlowControl> {
  static constexpr std::array<const char*, 4> texts{"Disable", "Enable", "Handshake", "Toggle"};
  static constexpr TRTSFlowControl fallback = rtsDisable;
};

// True when the texts are equal once ASCII letters are upper-cased.
bool SameTextIgnoringCase(const QByteArray& a, const QByteArray& b);

// Index of the first table text equal to text without regard to case, or -1.
int FindText(std::span<const char* const> table, const QByteArray& text);

template <typename Enum>
QByteArray EnumText(Enum value) {
  const auto& texts = TEnumTexts<Enum>::texts;
  const auto index = static_cast<std::size_t>(value);
  return index < texts.size() ? QByteArray(texts[index]) : QByteArray();
}

template <typename Enum>
Enum EnumFromText(const QByteArray& text) {
  int index = FindText(TEnumTexts<Enum>::texts, text);
  return index < 0 ? TEnumTexts<Enum>::fallback : static_cast<Enum>(index);
}

// Boolean: "Yes" / "No"; reading is true only for yes in any case.
QByteArray BoolText(bool value);
bool BoolFromText(const QByteArray& text);

// Character: the character itself for codes 33 to 127, otherwise "#" and the code in decimal.
QByteArray CharText(std::uint8_t code);
std::uint8_t CharFromText(const QByteArray& text);

// Integer: decimal with an optional minus sign.
QByteArray IntText(std::int32_t value);
// Leading spaces, an optional sign, then decimal digits or hexadecimal ones after "$", "x" or
// "0x" (either case). Nothing when the text is not such an integer or does not fit 32 bits;
// hexadecimal up to FFFFFFFF is taken as the bit pattern, so $FFFFFFFF is -1.
std::optional<std::int32_t> IntFromText(const QByteArray& text);
