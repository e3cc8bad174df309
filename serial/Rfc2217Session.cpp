#include "Rfc2217Session.h"

#include <sys/ioctl.h>
#include <termios.h>

#include <algorithm>
#include <utility>

TRfc2217Session::TRfc2217Session() {
  Ask(us_, telnet::kWill, telnet::kBinary);
  Ask(him_, telnet::kDo, telnet::kBinary);
  Ask(us_, telnet::kWill, telnet::kComPort);
}

TRfc2217Session::TState TRfc2217Session::State() const {
  if (us_[telnet::kComPort] == TOption::On) return TState::Ready;
  return comPortRefused_ ? TState::Refused : TState::Negotiating;
}

void TRfc2217Session::Receive(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& lineBytes) {
  commands_.clear();
  decoder_.Decode(bytes, lineBytes, commands_);
  for (const telnet::TCommand& command : commands_) {
    if (command.verb == telnet::kSb) Subnegotiation(command);
    else Negotiation(command.verb, command.option);
  }
}

void TRfc2217Session::SendLine(std::span<const std::uint8_t> bytes) { telnet::AppendEscaped(outgoing_, bytes); }

std::vector<std::uint8_t> TRfc2217Session::TakeOutgoing() { return std::exchange(outgoing_, {}); }

// ---- option negotiation ----------------------------------------------------------------------

namespace {
// The options this side takes up: BINARY and SUPPRESS-GO-AHEAD both ways, the com-port option
// only as the client it is.
bool Supported(std::uint8_t option, bool ours) {
  return option == telnet::kBinary || option == telnet::kSuppressGoAhead || (ours && option == telnet::kComPort);
}
}  // namespace

void TRfc2217Session::Ask(TOptions& side, std::uint8_t verb, std::uint8_t option) {
  side[option] = TOption::Asked;
  telnet::AppendNegotiation(outgoing_, verb, option);
}

// Negotiation without loops: a request is answered only when it changes the state, and an option
// this side does not support is refused.
void TRfc2217Session::Negotiation(std::uint8_t verb, std::uint8_t option) {
  const bool ours = verb == telnet::kDo || verb == telnet::kDont;
  const bool enable = verb == telnet::kDo || verb == telnet::kWill;
  TOption& state = (ours ? us_ : him_)[option];
  const std::uint8_t yes = ours ? telnet::kWill : telnet::kDo;
  const std::uint8_t no = ours ? telnet::kWont : telnet::kDont;
  if (enable) {
    if (state == TOption::On) return;
    if (!Supported(option, ours)) {
      telnet::AppendNegotiation(outgoing_, no, option);
      return;
    }
    if (state == TOption::Off) telnet::AppendNegotiation(outgoing_, yes, option);
    state = TOption::On;
    return;
  }
  if (ours && option == telnet::kComPort) comPortRefused_ = true;
  if (state == TOption::On) telnet::AppendNegotiation(outgoing_, no, option);
  state = TOption::Off;
}

// ---- the far port ------------------------------------------------------------------------------

void TRfc2217Session::Subnegotiation(const telnet::TCommand& command) {
  if (command.option != telnet::kComPort || command.data.empty()) return;
  const std::uint8_t code = command.data[0];
  if (code == comport::kNotifyModemState) {
    if (command.data.size() > 1) modemLines_ = comport::ModemLinesOf(command.data[1]);
    return;
  }
  // Answers to requests; line-state notifications and signatures carry nothing for the port.
  if (code > comport::kAnswerOffset) {
    const std::size_t request = code - comport::kAnswerOffset;
    if (request < pending_.size() && pending_[request] > 0) --pending_[request];
  }
}

void TRfc2217Session::SendRequest(const comport::TRequest& request) {
  telnet::AppendSubnegotiation(outgoing_, telnet::kComPort, request.data);
  ++pending_[request.code];
}

void TRfc2217Session::PutFarLine(const comport::TFarLine& line) {
  for (const comport::TRequest& request : comport::LineRequests(farLine_, line)) SendRequest(request);
  farLine_ = line;
}

void TRfc2217Session::SetControlLines(int lines, bool on) {
  const auto set = [&](int line, std::optional<bool>& held, std::uint8_t onValue, std::uint8_t offValue) {
    if (!(lines & line) || held == on) return;
    held = on;
    SendRequest(comport::Request(comport::kSetControl, on ? onValue : offValue));
  };
  set(TIOCM_DTR, dtr_, comport::kDtrOn, comport::kDtrOff);
  set(TIOCM_RTS, rts_, comport::kRtsOn, comport::kRtsOff);
}

void TRfc2217Session::Purge(int queueSelector) {
  const std::uint8_t what = queueSelector == TCIFLUSH   ? comport::kPurgeReceive
                            : queueSelector == TCOFLUSH ? comport::kPurgeTransmit
                                                        : comport::kPurgeBoth;
  telnet::AppendSubnegotiation(outgoing_, telnet::kComPort, comport::Request(comport::kPurgeData, what).data);
}

bool TRfc2217Session::AwaitingAnswers() const {
  return std::any_of(pending_.begin(), pending_.end(), [](int n) { return n > 0; });
}

void TRfc2217Session::StopAwaiting() { pending_.fill(0); }
