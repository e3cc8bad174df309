#include "ExchangeText.h"

#include <cstdio>

#include "CodeTables.h"
#include "Frame.h"

std::string HexFrame(std::span<const std::uint8_t> frame) {
  std::string text;
  char digits[4];
  for (const std::uint8_t b : frame) {
    std::snprintf(digits, sizeof digits, "%02X", b);
    if (!text.empty()) text += ' ';
    text += digits;
  }
  return text;
}

std::string OutcomeText(CommandOutcome outcome, std::span<const std::uint8_t> response, const OutcomeWords& words) {
  switch (outcome) {
    case CommandOutcome::Accepted:
      return std::string(words.accepted);
    case CommandOutcome::Timeout:
      return std::string(words.timeout);
    case CommandOutcome::WrongLength:
      return std::string(words.wrongLength);
    case CommandOutcome::ReaderStatus: {
      // The link reports a reader's status only with a response of the right length.
      const std::uint8_t status = response.size() >= frame::ResponseLength(0) ? FrameView(response).Status() : 0;
      char code[8];
      std::snprintf(code, sizeof code, "%02X", status);
      return std::string(words.status) + " " + code + " " + std::string(StatusText(status));
    }
  }
  return {};
}
