#pragma once

#include <cstdint>
#include <vector>

#include "Frame.h"

// Response frames for tests, their data written in place.

// A frame as a reader sends it: Response(1, 0x71, {0x12, 0x34}). The code is the byte on the
// wire, so that a test can send an answer with a wrong one.
inline std::vector<std::uint8_t> Response(std::uint8_t address, std::uint8_t code, const std::vector<std::uint8_t>& data,
                                          std::uint8_t status = frame::kSuccessStatus) {
  return BuildResponse(address, code, data, status);
}

// A reader's answer to a request with this code: AnswerFrame(5, cmd::ReadMode, {0x01}).
inline std::vector<std::uint8_t> AnswerFrame(std::uint8_t address, std::uint8_t requestCode,
                                             const std::vector<std::uint8_t>& data,
                                             std::uint8_t status = frame::kSuccessStatus) {
  return Response(address, frame::AnswerCode(requestCode), data, status);
}
