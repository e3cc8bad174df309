#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Reader frames: address, length (whole frame, CRC included), command, data,
// in responses a status byte, then CRC-16/XMODEM high byte first.
namespace frame {
inline constexpr std::uint8_t kBroadcastAddress = 0xFF;
inline constexpr std::uint8_t kSuccessStatus = 0xFF;
inline constexpr std::size_t kMinLength = 5;   // a request without data
inline constexpr std::size_t kMaxLength = 12;  // the receiver accepts nothing longer
inline constexpr std::size_t kMaxRequestData = kMaxLength - 5;
}  // namespace frame

// CRC-16 with polynomial 0x1021, register starting at 0, no reflection, no final XOR.
std::uint16_t FrameCrc(const std::uint8_t* data, std::size_t count);
inline std::uint16_t FrameCrc(std::span<const std::uint8_t> bytes) { return FrameCrc(bytes.data(), bytes.size()); }

// Builds a request of data.size() + 5 bytes. More than 7 data bytes would make a frame
// no receiver accepts; that is a programming error and throws std::invalid_argument.
std::vector<std::uint8_t> BuildRequest(std::uint8_t address, std::uint8_t code,
                                       std::span<const std::uint8_t> data = {});

// True when the CRC over the first length - 2 bytes matches the last two bytes.
// `length` is the candidate's own length byte; the caller guarantees that many bytes.
bool FrameCrcMatches(const std::uint8_t* candidate, std::size_t length);
