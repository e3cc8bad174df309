#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "ReaderLink.h"

// "05 06 7C 01 9A 3B"
std::string HexFrame(std::span<const std::uint8_t> frame);

// The words an outcome is told in. A reader's refusal is the status word, its code in hex and
// the status table's text.
struct OutcomeWords {
  std::string_view accepted;
  std::string_view timeout;
  std::string_view wrongLength;
  std::string_view status;
};
// For a terminal's trace: "accepted", "timeout", "wrong length", "status 17 доступ запрещен".
inline constexpr OutcomeWords kTraceWords{"accepted", "timeout", "wrong length", "status"};
// For the window, whose texts are Russian; the timeout is the status table's own word.
inline constexpr OutcomeWords kWindowWords{"успешно", "таймаут", "неверная длина", "статус"};

std::string OutcomeText(CommandOutcome outcome, std::span<const std::uint8_t> response,
                        const OutcomeWords& words = kTraceWords);
