// Any text as a value of the settings file: the conversions never fail, an enumeration text
// always gives one of the enumeration's values, every value written reads back as itself, and
// the integer syntax agrees with a plain reading of decimal and hexadecimal digits.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include <QByteArray>

#include "SettingsValues.h"

namespace {

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

template <typename Enum>
void CheckEnum(const QByteArray& text) {
  const Enum value = EnumFromText<Enum>(text);
  const auto index = static_cast<std::size_t>(value);
  Require(index < TEnumTexts<Enum>::texts.size(), "an enumeration text gives a value of the enumeration");
  if (FindText(TEnumTexts<Enum>::texts, text) >= 0)
    Require(SameTextIgnoringCase(EnumText(value), text), "a known text gives its own value");
  else
    Require(value == TEnumTexts<Enum>::fallback, "an unknown text gives the fallback");
  Require(EnumFromText<Enum>(EnumText(value)) == value, "a value's text reads back as the value");
}

int Digit(char c, int base) {
  int d = -1;
  if (c >= '0' && c <= '9') d = c - '0';
  else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
  return d < base ? d : -1;
}

// The integer syntax read the plain way: spaces, a sign, a base prefix, digits; 64-bit
// accumulation with an early stop once the value can no longer fit.
std::optional<std::int32_t> Reference(const QByteArray& t) {
  qsizetype i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  int base = 10;
  if (t.mid(i).startsWith("0x") || t.mid(i).startsWith("0X")) {
    base = 16;
    i += 2;
  } else if (i < t.size() && (t[i] == '$' || t[i] == 'x' || t[i] == 'X')) {
    base = 16;
    i += 1;
  }
  if (i == t.size()) return std::nullopt;
  long long v = 0;
  for (; i < t.size(); ++i) {
    const int d = Digit(t[i], base);
    if (d < 0) return std::nullopt;
    v = v * base + d;
    if (v > 0xFFFFFFFFll) return std::nullopt;
  }
  if (base == 10 && v > (negative ? 0x80000000ll : 0x7FFFFFFFll)) return std::nullopt;
  const auto bits = static_cast<std::uint32_t>(negative ? -v : v);
  return static_cast<std::int32_t>(bits);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

  CheckEnum<TBaudRate>(text);
  CheckEnum<TStopBits>(text);
  CheckEnum<TDataBits>(text);
  CheckEnum<TParityBits>(text);
  CheckEnum<TFlowControl>(text);
  CheckEnum<TDTRFlowControl>(text);
  CheckEnum<TRTSFlowControl>(text);

  Require(BoolFromText(text) == SameTextIgnoringCase(text, "YES"), "only yes is true");
  Require(BoolFromText(BoolText(BoolFromText(text))) == BoolFromText(text), "a Boolean reads back");

  const std::uint8_t code = CharFromText(text);
  Require(CharFromText(CharText(code)) == code, "a character reads back as itself");

  const std::optional<std::int32_t> number = IntFromText(text);
  Require(number == Reference(text), "the integer syntax agrees with a plain reading");
  if (number) Require(IntFromText(IntText(*number)) == number, "an integer reads back as itself");
  return 0;
}
