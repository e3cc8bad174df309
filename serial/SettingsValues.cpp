#include "SettingsValues.h"

namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  char u = AsciiUpper(c);
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  return -1;
}

}  // namespace

bool SameTextIgnoringCase(const QByteArray& a, const QByteArray& b) {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

int FindText(std::span<const char* const> table, const QByteArray& text) {
  for (std::size_t i = 0; i < table.size(); ++i)
    if (SameTextIgnoringCase(QByteArray(table[i]), text)) return static_cast<int>(i);
  return -1;
}

QByteArray BoolText(bool value) { return value ? "Yes" : "No"; }

bool BoolFromText(const QByteArray& text) { return SameTextIgnoringCase(text, "YES"); }

QByteArray CharText(std::uint8_t code) {
  if (code >= 33 && code <= 127) return QByteArray(1, static_cast<char>(code));
  return '#' + QByteArray::number(code);
}

std::uint8_t CharFromText(const QByteArray& text) {
  if (text.isEmpty()) return 0;
  if (text.size() >= 2 && text[0] == '#') {
    std::optional<std::int32_t> code = IntFromText(text.mid(1));
    return code ? static_cast<std::uint8_t>(static_cast<std::uint32_t>(*code) & 0xFFu) : 0;
  }
  return static_cast<std::uint8_t>(text[0]);
}

QByteArray IntText(std::int32_t value) { return QByteArray::number(value); }

std::optional<std::int32_t> IntFromText(const QByteArray& text) {
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  int base = 10;
  if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == n) return std::nullopt;

  // The magnitude in 64 bits, checked after every digit, so no digit count can overflow it.
  const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  std::uint64_t magnitude = 0;
  for (; i < n; ++i) {
    int digit = base == 16 ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (magnitude > limit) return std::nullopt;
  }
  auto bits = static_cast<std::uint32_t>(magnitude);
  if (negative) bits = 0u - bits;
  return static_cast<std::int32_t>(bits);
}
