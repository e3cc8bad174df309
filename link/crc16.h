#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Reader frames: address, length (whole frame, CRC included), command, data,
// in responses a status byte, then CRC-16/XMODEM high byte first. This unit is the only
// place that knows where each field sits; everything else reads frames through FrameView.
namespace frame {
inline constexpr std::uint8_t kBroadcastAddress = 0xFF;
inline constexpr std::uint8_t kSuccessStatus = 0xFF;
inline constexpr std::size_t kMinLength = 5;   // a request without data
inline constexpr std::size_t kMaxLength = 12;  // the receiver accepts nothing longer
inline constexpr std::size_t kMaxRequestData = kMaxLength - 5;
inline constexpr std::size_t kMaxResponseData = kMaxLength - 6;

// The whole frame of a request or a response carrying dataSize data bytes.
constexpr std::size_t RequestLength(std::size_t dataSize) { return dataSize + 5; }
constexpr std::size_t ResponseLength(std::size_t dataSize) { return dataSize + 6; }
}  // namespace frame

// CRC-16 with polynomial 0x1021, register starting at 0, no reflection, no final XOR.
std::uint16_t FrameCrc(const std::uint8_t* data, std::size_t count);
inline std::uint16_t FrameCrc(std::span<const std::uint8_t> bytes) { return FrameCrc(bytes.data(), bytes.size()); }

// Builds a request of data.size() + 5 bytes. More than 7 data bytes would make a frame
// no receiver accepts; that is a programming error and throws std::invalid_argument.
std::vector<std::uint8_t> BuildRequest(std::uint8_t address, std::uint8_t code,
                                       std::span<const std::uint8_t> data = {});

// Builds a reader's response of data.size() + 6 bytes: address, length, code (as given: the
// request code plus one for a real answer), data, status, CRC. More than 6 data bytes throw
// std::invalid_argument, as for a request.
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

  std::uint8_t Address() const { return bytes_[kAddressAt]; }
  // The frame's own length byte. Only this byte is read, so it may be asked of a candidate
  // whose remaining bytes have not arrived yet.
  std::size_t Length() const { return bytes_[kLengthAt]; }
  std::uint8_t Code() const { return bytes_[kCodeAt]; }
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
  static constexpr std::size_t kAddressAt = 0;
  static constexpr std::size_t kLengthAt = 1;
  static constexpr std::size_t kCodeAt = 2;
  static constexpr std::size_t kDataAt = 3;
  static constexpr std::size_t kCrcSize = 2;
  static constexpr std::size_t kStatusFromEnd = kCrcSize + 1;

  std::span<const std::uint8_t> bytes_;
};
