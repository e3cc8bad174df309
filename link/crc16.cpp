#include "crc16.h"

#include <array>

namespace {

constexpr std::uint16_t kPolynomial = 0x1021;

constexpr std::array<std::uint16_t, 256> MakeTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    std::uint16_t r = static_cast<std::uint16_t>(i << 8);
    for (int bit = 0; bit < 8; ++bit)
      r = static_cast<std::uint16_t>((r & 0x8000) ? (r << 1) ^ kPolynomial : (r << 1));
    table[i] = r;
  }
  return table;
}

constexpr std::array<std::uint16_t, 256> kTable = MakeTable();
static_assert(kTable[1] == 0x1021);

}  // namespace

std::uint16_t FrameCrc(const std::uint8_t* data, std::size_t count) {
  // Direct table form: same value as the augmented form with two trailing zero bytes.
  std::uint16_t r = 0;
  for (std::size_t i = 0; i < count; ++i)
    r = static_cast<std::uint16_t>(kTable[((r >> 8) ^ data[i]) & 0xFF] ^ (r << 8));
  return r;
}
