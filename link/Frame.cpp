#include "Frame.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "crc16.h"

namespace {

// A frame of `length` bytes: the data, then `trailer` (a response's status, nothing for a
// request), then the CRC over everything before it.
std::vector<std::uint8_t> BuildFrame(std::size_t length, std::uint8_t address, std::uint8_t code,
                                     std::span<const std::uint8_t> data, std::span<const std::uint8_t> trailer) {
  std::vector<std::uint8_t> out(length);
  out[frame::kAddressAt] = address;
  out[frame::kLengthAt] = static_cast<std::uint8_t>(length);
  out[frame::kCodeAt] = code;
  const auto trailerAt = std::copy(data.begin(), data.end(), out.begin() + frame::kDataAt);
  const auto crcAt = std::copy(trailer.begin(), trailer.end(), trailerAt);
  const std::uint16_t crc = FrameCrc(out.data(), length - frame::kCrcSize);
  crcAt[0] = static_cast<std::uint8_t>(crc >> 8);
  crcAt[1] = static_cast<std::uint8_t>(crc & 0xFF);
  return out;
}

}  // namespace

std::vector<std::uint8_t> BuildRequest(std::uint8_t address, std::uint8_t code,
                                       std::span<const std::uint8_t> data) {
  if (data.size() > frame::kMaxRequestData)
    throw std::invalid_argument("request data longer than " + std::to_string(frame::kMaxRequestData) + " bytes");
  return BuildFrame(frame::RequestLength(data.size()), address, code, data, {});
}

std::vector<std::uint8_t> BuildResponse(std::uint8_t address, std::uint8_t code, std::span<const std::uint8_t> data,
                                        std::uint8_t status) {
  if (data.size() > frame::kMaxResponseData)
    throw std::invalid_argument("response data longer than " + std::to_string(frame::kMaxResponseData) + " bytes");
  const std::uint8_t trailer[frame::kStatusSize] = {status};
  return BuildFrame(frame::ResponseLength(data.size()), address, code, data, trailer);
}

bool FrameCrcMatches(const std::uint8_t* candidate, std::size_t length) {
  if (length < frame::kCrcSize) return false;
  const std::uint8_t* crcAt = candidate + length - frame::kCrcSize;
  const std::uint16_t crc = FrameCrc(candidate, length - frame::kCrcSize);
  return crcAt[0] == (crc >> 8) && crcAt[1] == (crc & 0xFF);
}

std::span<const std::uint8_t> FrameView::RequestData() const {
  if (bytes_.size() < frame::RequestLength(0)) return {};
  return bytes_.subspan(frame::kDataAt, bytes_.size() - frame::RequestLength(0));
}

std::span<const std::uint8_t> FrameView::ResponseData() const {
  if (bytes_.size() < frame::ResponseLength(0)) return {};
  return bytes_.subspan(frame::kDataAt, bytes_.size() - frame::ResponseLength(0));
}
