#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "ReaderState.h"

namespace sim {

// Status codes a reader answers with on its own account.
namespace refusal {
inline constexpr std::uint8_t WrongFormat = 0x18;
inline constexpr std::uint8_t WrongCommand = 0x1F;
inline constexpr std::uint8_t WrongKeyType = 0x21;
inline constexpr std::uint8_t WrongValue = 0x22;
inline constexpr std::uint8_t KeyNotInMode = 0x24;
inline constexpr std::uint8_t WrongDate = 0x25;
inline constexpr std::uint8_t WrongSector = 0x26;
}  // namespace refusal

struct Answer {
  std::uint8_t status = 0xFF;
  std::vector<std::uint8_t> data;
  bool operator==(const Answer&) const = default;
};

// Number of data bytes a reader puts into its answer to `code`, or nothing for an unknown code.
std::optional<std::size_t> AnswerDataSize(std::uint8_t code);

// Carries out one request on a reader: a read returns the state, a write stores it. A refused
// request changes nothing; its answer keeps the usual data size (zero-filled) so that the
// status, not the length, is what the tool reports. An unknown code is answered without data.
Answer Execute(ReaderState& state, std::uint8_t code, std::span<const std::uint8_t> data);

}  // namespace sim
