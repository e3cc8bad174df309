#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "Frame.h"
#include "ReaderState.h"

namespace sim {

struct Answer {
  std::uint8_t status = frame::kSuccessStatus;
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
