#include "crc16.h"

#include <array>
#include <stdexcept>

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

namespace {

// address, length, code, data, then `trailer` (a response's status, nothing for a request), CRC.
std::vector<std::uint8_t> BuildFrame(std::uint8_t address, std::uint8_t code, std::span<const std::uint8_t> data,
                                     std::span<const std::uint8_t> trailer) {
  std::vector<std::uint8_t> out;
  const std::size_t length = 3 + data.size() + trailer.size() + 2;
  out.reserve(length);
  out.push_back(address);
  out.push_back(static_cast<std::uint8_t>(length));
  out.push_back(code);
  out.insert(out.end(), data.begin(), data.end());
  out.insert(out.end(), trailer.begin(), trailer.end());
  const std::uint16_t crc = FrameCrc(out.data(), out.size());
  out.push_back(static_cast<std::uint8_t>(crc >> 8));
  out.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  return out;
}

}  // namespace

std::vector<std::uint8_t> BuildRequest(std::uint8_t address, std::uint8_t code,
                                       std::span<const std::uint8_t> data) {
  if (data.size() > frame::kMaxRequestData)
    throw std::invalid_argument("request data longer than 7 bytes");
  return BuildFrame(address, code, data, {});
}

std::vector<std::uint8_t> BuildResponse(std::uint8_t address, std::uint8_t code, std::span<const std::uint8_t> data,
                                        std::uint8_t status) {
  if (data.size() > frame::kMaxResponseData)
    throw std::invalid_argument("response data longer than 6 bytes");
  const std::uint8_t trailer[1] = {status};
  return BuildFrame(address, code, data, trailer);
}

bool FrameCrcMatches(const std::uint8_t* candidate, std::size_t length) {
  if (length < 2) return false;
  const std::uint16_t crc = FrameCrc(candidate, length - 2);
  return candidate[length - 2] == (crc >> 8) && candidate[length - 1] == (crc & 0xFF);
}

std::span<const std::uint8_t> FrameView::RequestData() const {
  if (bytes_.size() < kDataAt + kCrcSize) return {};
  return bytes_.subspan(kDataAt, bytes_.size() - kDataAt - kCrcSize);
}

std::span<const std::uint8_t> FrameView::ResponseData() const {
  if (bytes_.size() < kDataAt + kStatusFromEnd) return {};
  return bytes_.subspan(kDataAt, bytes_.size() - kDataAt - kStatusFromEnd);
}
