#include "ExchangeText.h"

#include <cstdio>

#include "CodeTables.h"
#include "crc16.h"

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

std::string OutcomeText(TCommandOutcome outcome, std::span<const std::uint8_t> response, const OutcomeWords& words) {
  switch (outcome) {
    case TCommandOutcome::Accepted:
      return std::string(words.accepted);
    case TCommandOutcome::Timeout:
      return std::string(words.timeout);
    case TCommandOutcome::WrongLength:
      return std::string(words.wrongLength);
    case TCommandOutcome::ReaderStatus: {
      // The link reports a reader's status only with a response of the right length.
      const std::uint8_t status = response.size() >= frame::ResponseLength(0) ? FrameView(response).Status() : 0;
      char code[8];
      std::snprintf(code, sizeof code, "%02X", status);
      return std::string(words.status) + " " + code + " " + std::string(StatusText(status));
    }
  }
  return {};
}
