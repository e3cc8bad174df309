#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// The frames' checksum: CRC-16 with polynomial 0x1021, register starting at 0, no reflection,
// no final XOR (CRC-16/XMODEM).
std::uint16_t FrameCrc(const std::uint8_t* data, std::size_t count);
inline std::uint16_t FrameCrc(std::span<const std::uint8_t> bytes) { return FrameCrc(bytes.data(), bytes.size()); }
