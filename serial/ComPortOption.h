#pragma once

// The telnet com-port option (RFC 2217): the requests that put line settings on the far port
// of a serial device server, and what its notifications say.

#include <termios.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace comport {

// Request codes; the server answers a request with its code + kAnswerOffset.
inline constexpr std::uint8_t kSetBaudRate = 1;
inline constexpr std::uint8_t kSetDataSize = 2;
inline constexpr std::uint8_t kSetParity = 3;
inline constexpr std::uint8_t kSetStopSize = 4;
inline constexpr std::uint8_t kSetControl = 5;
inline constexpr std::uint8_t kPurgeData = 12;
inline constexpr std::uint8_t kAnswerOffset = 100;
inline constexpr std::uint8_t kNotifyModemState = 107;

// Values of SET-CONTROL.
inline constexpr std::uint8_t kNoFlowOut = 1, kXonXoffOut = 2, kHardwareFlow = 3;
inline constexpr std::uint8_t kDtrOn = 8, kDtrOff = 9, kRtsOn = 11, kRtsOff = 12;
inline constexpr std::uint8_t kNoFlowIn = 14, kXonXoffIn = 15;
// Values of PURGE-DATA.
inline constexpr std::uint8_t kPurgeReceive = 1, kPurgeTransmit = 2, kPurgeBoth = 3;

// The settings of a far line in the option's own values, from termios and the rate.
struct TFarLine {
  std::uint32_t rate = 0;
  std::uint8_t dataSize = 8;
  std::uint8_t parity = 1;
  std::uint8_t stopSize = 1;
  std::uint8_t flowOut = kNoFlowOut;
  std::uint8_t flowIn = kNoFlowIn;
  friend bool operator==(const TFarLine&, const TFarLine&) = default;
};
TFarLine FarLineOf(const termios& attributes, std::uint32_t rate);

// One request: its code and the subnegotiation's data (code first).
struct TRequest {
  std::uint8_t code;
  std::vector<std::uint8_t> data;
};
TRequest Request(std::uint8_t code, std::uint8_t value);
TRequest BaudRateRequest(std::uint32_t rate);
// The requests that turn the far line from `was` (unknown: all of them) into `now`.
std::vector<TRequest> LineRequests(const std::optional<TFarLine>& was, const TFarLine& now);

// NOTIFY-MODEMSTATE's bits as TIOCM_* modem lines.
int ModemLinesOf(std::uint8_t modemState);

}  // namespace comport
