#include "LineSettings.h"

// What Linux cannot do as the settings model describes it. Each row is either refused when the
// settings are applied (code 7, the device keeps its state) or has no effect, never faked:
//
// | setting                                  | on Linux                                              |
// |------------------------------------------|-------------------------------------------------------|
// | Buffer.InputSize / OutputSize            | stored, no effect (the kernel sizes its own queues)   |
// | XonLim / XoffLim (InputSize / 4)         | no effect (the kernel picks its own thresholds)       |
// | evRxFlag (EventChar), evTxEmpty          | never fire                                            |
// | evRx80Full                               | never fires                                           |
// | evCTS, evDSR, evRLSD, evRing             | only where the driver keeps interrupt counters        |
// |                                          | (TIOCGICOUNT), looked at every 10 ms; never on ptys    |
// | evError, evBreak, LineErrors             | from the same counters; empty where there are none   |
// |                                          | (ptys, some adapters); ceIO, ceMode, ceTxFull never   |
// | OutDSRFlow, dtrHandshake, DSRSensitivity | refused (no DSR/DTR handshake in termios)            |
// | OutCTSFlow without rtsHandshake, or the  | refused (CRTSCTS couples both directions)            |
// | reverse                                  |                                                       |
// | rtsToggle                                | the kernel's RS-485 mode (RTS on while sending, no    |
// |                                          | delays), set at open, cleared at close; refused where |
// |                                          | the driver has none (a pty, most USB adapters)        |
// | sbOne5StopBits                           | only with dbFive, as CSTOPB (1.5 bits on a UART)      |
// | sbTwoStopBits with dbFive                | refused                                               |
// | TxContinueOnXoff                         | no effect (the kernel always goes on sending)         |
// | Parity.Replace / ReplaceChar             | no effect: with Check a byte with a parity or framing |
// |                                          | error arrives as NUL; PARMRK stays off, so a 0xFF byte|
// |                                          | never arrives doubled                                 |
// | DiscardNull                              | NUL bytes are dropped by Read; QueuedInputCount still |
// |                                          | counts them                                           |
// | modem lines on a pty                     | none: LineSignals is empty, DTR/RTS writes ignored    |
// | data bits and parity on a pty            | the kernel keeps 8 bits without parity                |
// | a network line (NetworkComPlatform.h)    | rfc2217: rate, data bits, parity, stop bits, flow     |
// |                                          | control, DTR and RTS go to the far port; XON/XOFF     |
// |                                          | characters and RS-485 direction are the server's.     |
// |                                          | tcp: the gateway's own settings, none sent            |

void ApplyRawMode(termios& t) {
  t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                      IXON | IXOFF | IXANY | IGNPAR | INPCK | IUCLC | IMAXBEL);
  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ECHOE | ECHOK | ICANON | ISIG | IEXTEN);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
}

void ApplyDataBits(termios& t, TDataBits bits) {
  static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  t.c_cflag = (t.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | kSizes[bits];
}

void ApplyParity(termios& t, TParityBits bits, bool check) {
  // Mark and space are sticky parity: CMSPAR with PARODD for mark, without for space.
  static constexpr tcflag_t kFlags[] = {0, PARENB | PARODD, PARENB, PARENB | CMSPAR | PARODD,
                                        PARENB | CMSPAR};
  t.c_cflag = (t.c_cflag & ~static_cast<tcflag_t>(PARENB | PARODD | CMSPAR)) | kFlags[bits];
  if (check && bits != prNone) t.c_iflag |= INPCK;
}

void ApplyStopBits(termios& t, TStopBits bits) {
  if (bits == sbOneStopBit) t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
  else t.c_cflag |= CSTOPB;
}

void ApplyFlowControl(termios& t, bool ctsRtsHandshake, bool xonXoffOut, bool xonXoffIn,
                      unsigned char xonChar, unsigned char xoffChar) {
  if (ctsRtsHandshake) t.c_cflag |= CRTSCTS;
  else t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
  if (xonXoffOut) t.c_iflag |= IXON;
  if (xonXoffIn) t.c_iflag |= IXOFF;
  t.c_cc[VSTART] = xonChar;
  t.c_cc[VSTOP] = xoffChar;
}

void ComposeLineAttributes(termios& t, const TLineSettings& line) {
  const TFlowSettings& flow = line.flow;
  ApplyRawMode(t);
  ApplyDataBits(t, line.dataBits);
  ApplyParity(t, line.parity, line.parityCheck);
  ApplyStopBits(t, line.stopBits);
  ApplyFlowControl(t, flow.controlRTS == rtsHandshake, flow.xonXoffOut, flow.xonXoffIn, flow.xonChar, flow.xoffChar);
}

namespace {
struct TRateRow {
  int rate;
  speed_t constant;
};
constexpr int kRates[] = {0,     110,   300,   600,   1200,  2400,   4800,   9600,
                          14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
constexpr TRateRow kSpeedConstants[] = {
    {50, B50},       {75, B75},         {110, B110},       {134, B134},         {150, B150},
    {200, B200},     {300, B300},       {600, B600},       {1200, B1200},       {1800, B1800},
    {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},     {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800},   {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000}};
}  // namespace

int BaudRateValue(TBaudRate rate, int customRate) { return rate == brCustom ? customRate : kRates[rate]; }

speed_t SpeedConstant(int rate) {
  for (const auto& row : kSpeedConstants)
    if (row.rate == rate) return row.constant;
  return B0;
}

int SpeedRate(speed_t speed) {
  for (const auto& row : kSpeedConstants)
    if (row.constant == speed) return row.rate;
  return 0;
}

const char* RefusedLineSetting(const TLineSettings& line) {
  const TFlowSettings& flow = line.flow;
  if (line.stopBits == sbOne5StopBits && line.dataBits != dbFive) return "1.5 stop bits need 5 data bits";
  if (line.stopBits == sbTwoStopBits && line.dataBits == dbFive) return "2 stop bits with 5 data bits";
  if (flow.outDSRFlow) return "output DSR flow";
  if (flow.controlDTR == dtrHandshake) return "DTR handshake";
  if (flow.dsrSensitivity) return "DSR sensitivity";
  if (flow.outCTSFlow != (flow.controlRTS == rtsHandshake)) return "CTS flow and RTS handshake apart";
  if (line.rate <= 0) return "baud rate not positive";
  return nullptr;
}
