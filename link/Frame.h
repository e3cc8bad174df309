#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Reader frames: address, length (whole frame, CRC included), command, data, in responses a
// status byte, then the CRC (crc16.h) high byte first. This unit is the only place that knows
// where each field sits; everything else builds frames with BuildRequest and BuildResponse and
// reads them through FrameView.
namespace frame {
inline constexpr std::size_t kAddressAt = 0;
inline constexpr std::size_t kLengthAt = 1;
inline constexpr std::size_t kCodeAt = 2;
inline constexpr std::size_t kDataAt = 3;
inline constexpr std::size_t kStatusSize = 1;  // a response's, after its data
inline constexpr std::size_t kCrcSize = 2;

// The whole frame of a request or a response carrying dataSize data bytes.
constexpr std::size_t RequestLength(std::size_t dataSize) { return kDataAt + dataSize + kCrcSize; }
constexpr std::size_t ResponseLength(std::size_t dataSize) { return RequestLength(dataSize) + kStatusSize; }

inline constexpr std::size_t kMinLength = RequestLength(0);
inline constexpr std::size_t kMaxLength = 12;  // the receiver accepts nothing longer
inline constexpr std::size_t kMaxRequestData = kMaxLength - RequestLength(0);
inline constexpr std::size_t kMaxResponseData = kMaxLength - ResponseLength(0);

inline constexpr std::uint8_t kBroadcastAddress = 0xFF;
inline constexpr std::uint8_t kSuccessStatus = 0xFF;

// A reader answers a request with the request's code plus one.
constexpr std::uint8_t AnswerCode(std::uint8_t requestCode) { return static_cast<std::uint8_t>(requestCode + 1); }
}  // namespace frame

// Builds a request of frame::RequestLength(data.size()) bytes. More than kMaxRequestData data
// bytes would make a frame no receiver accepts; that is a programming error and throws
// std::invalid_argument.
std::vector<std::uint8_t> BuildRequest(std::uint8_t address, std::uint8_t code,
                                       std::span<const std::uint8_t> data = {});

// Builds a reader's response of frame::ResponseLength(data.size()) bytes. The code is taken as
// given (frame::AnswerCode of the request's for a real answer). More than kMaxResponseData data
// bytes throw std::invalid_argument, as for a request.
std::vector<std::uint8_t> BuildResponse(std::uint8_t address, std::uint8_t code, std::span<const std::uint8_t> data,
                                        std::uint8_t status = frame::kSuccessStatus);

// True when the CRC over the first length - 2 bytes matches the last two bytes.
// `length` is the candidate's own length byte; the caller guarantees that many bytes.
bool FrameCrcMatches(const std::uint8_t* candidate, std::size_t length);

// A frame read where it lies, without a copy. The span is the whole frame. Requests and
// responses differ only behind the command byte (a response carries its status there), and
// nothing on the line tells them apart, so the caller, who knows which it holds, asks for the
// fields of that kind.
class FrameView {
 public:
  explicit FrameView(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::uint8_t Address() const { return bytes_[frame::kAddressAt]; }
  // The frame's own length byte. Only this byte is read, so it may be asked of a candidate
  // whose remaining bytes have not arrived yet.
  std::size_t Length() const { return bytes_[frame::kLengthAt]; }
  std::uint8_t Code() const { return bytes_[frame::kCodeAt]; }
  // A request's data: the bytes between the command byte and the CRC.
  std::span<const std::uint8_t> RequestData() const;
  // A response's data: the bytes between the command byte and the status; empty when the
  // frame is too short to be a response.
  std::span<const std::uint8_t> ResponseData() const;
  // A response's status byte, directly before the CRC.
  std::uint8_t Status() const { return bytes_[bytes_.size() - kStatusFromEnd]; }
  // True when the frame is as long as a response carrying dataSize data bytes.
  bool IsResponseWith(std::size_t dataSize) const { return bytes_.size() == frame::ResponseLength(dataSize); }
  bool CrcMatches() const { return FrameCrcMatches(bytes_.data(), bytes_.size()); }
  std::span<const std::uint8_t> Bytes() const { return bytes_; }

 private:
  static constexpr std::size_t kStatusFromEnd = frame::kCrcSize + frame::kStatusSize;

  std::span<const std::uint8_t> bytes_;
};
