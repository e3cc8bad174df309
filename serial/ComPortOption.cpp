#include "ComPortOption.h"

#include <sys/ioctl.h>

namespace comport {

namespace {

std::uint8_t DataSizeOf(const termios& t) {
  switch (t.c_cflag & CSIZE) {
    case CS5: return 5;
    case CS6: return 6;
    case CS7: return 7;
    default: return 8;
  }
}

// 1 none, 2 odd, 3 even, 4 mark, 5 space; mark and space are sticky parity (CMSPAR).
std::uint8_t ParityOf(const termios& t) {
  if (!(t.c_cflag & PARENB)) return 1;
  const bool odd = t.c_cflag & PARODD;
  if (t.c_cflag & CMSPAR) return odd ? 4 : 5;
  return odd ? 2 : 3;
}

// 1, 2, or 3 for 1.5: CSTOPB with five data bits is one and a half stop bits on a UART.
std::uint8_t StopSizeOf(const termios& t) {
  if (!(t.c_cflag & CSTOPB)) return 1;
  return (t.c_cflag & CSIZE) == CS5 ? 3 : 2;
}

}  // namespace

TFarLine FarLineOf(const termios& t, std::uint32_t rate) {
  TFarLine line;
  line.rate = rate;
  line.dataSize = DataSizeOf(t);
  line.parity = ParityOf(t);
  line.stopSize = StopSizeOf(t);
  const bool hardware = t.c_cflag & CRTSCTS;
  line.flowOut = hardware ? kHardwareFlow : (t.c_iflag & IXON) ? kXonXoffOut : kNoFlowOut;
  // Hardware flow covers both directions; without it the inbound direction is set on its own.
  line.flowIn = hardware ? kHardwareFlow : (t.c_iflag & IXOFF) ? kXonXoffIn : kNoFlowIn;
  return line;
}

TRequest Request(std::uint8_t code, std::uint8_t value) { return {code, {code, value}}; }

TRequest BaudRateRequest(std::uint32_t rate) {
  return {kSetBaudRate,
          {kSetBaudRate, static_cast<std::uint8_t>(rate >> 24), static_cast<std::uint8_t>(rate >> 16),
           static_cast<std::uint8_t>(rate >> 8), static_cast<std::uint8_t>(rate)}};
}

std::vector<TRequest> LineRequests(const std::optional<TFarLine>& was, const TFarLine& now) {
  std::vector<TRequest> requests;
  const auto changed = [&was, &now](auto field) { return !was || (*was).*field != now.*field; };
  if (changed(&TFarLine::rate) && now.rate > 0) requests.push_back(BaudRateRequest(now.rate));
  if (changed(&TFarLine::dataSize)) requests.push_back(Request(kSetDataSize, now.dataSize));
  if (changed(&TFarLine::parity)) requests.push_back(Request(kSetParity, now.parity));
  if (changed(&TFarLine::stopSize)) requests.push_back(Request(kSetStopSize, now.stopSize));
  if (changed(&TFarLine::flowOut)) requests.push_back(Request(kSetControl, now.flowOut));
  if (changed(&TFarLine::flowIn) && now.flowIn != kHardwareFlow) requests.push_back(Request(kSetControl, now.flowIn));
  return requests;
}

int ModemLinesOf(std::uint8_t modemState) {
  int lines = 0;
  if (modemState & 0x10) lines |= TIOCM_CTS;
  if (modemState & 0x20) lines |= TIOCM_DSR;
  if (modemState & 0x40) lines |= TIOCM_RNG;
  if (modemState & 0x80) lines |= TIOCM_CAR;
  return lines;
}

}  // namespace comport
