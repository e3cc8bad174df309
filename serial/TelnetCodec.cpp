#include "TelnetCodec.h"

namespace telnet {

void TDecoder::Decode(std::span<const std::uint8_t> chunk, std::vector<std::uint8_t>& payload,
                      std::vector<TCommand>& commands) {
  for (const std::uint8_t byte : chunk) {
    switch (state_) {
      case TState::Data:
        if (byte == kIac) state_ = TState::Iac;
        else payload.push_back(byte);
        break;
      case TState::Iac:
        Command(byte, payload);
        break;
      case TState::Option:
        commands.push_back({verb_, byte, {}});
        state_ = TState::Data;
        break;
      case TState::Sub:
        if (byte == kIac) state_ = TState::SubIac;
        else SubByte(byte);
        break;
      case TState::SubIac:
        if (byte == kSe) {
          if (optionSeen_) commands.push_back(std::move(sub_));
          state_ = TState::Data;
        } else if (byte == kIac) {
          SubByte(byte);
          state_ = TState::Sub;
        } else {
          // An unterminated subnegotiation: dropped, and the byte read as the command it is.
          Command(byte, payload);
        }
        break;
    }
  }
}

void TDecoder::Command(std::uint8_t byte, std::vector<std::uint8_t>& payload) {
  state_ = TState::Data;
  if (byte == kIac) {
    payload.push_back(kIac);
  } else if (byte == kWill || byte == kWont || byte == kDo || byte == kDont) {
    verb_ = byte;
    state_ = TState::Option;
  } else if (byte == kSb) {
    sub_ = {kSb, 0, {}};
    optionSeen_ = false;
    state_ = TState::Sub;
  }
}

void TDecoder::SubByte(std::uint8_t byte) {
  if (!optionSeen_) {
    sub_.option = byte;
    optionSeen_ = true;
  } else if (sub_.data.size() < kMaxSubnegotiation) {
    sub_.data.push_back(byte);
  }
}

void AppendEscaped(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes) {
  for (const std::uint8_t byte : bytes) {
    out.push_back(byte);
    if (byte == kIac) out.push_back(kIac);
  }
}

void AppendNegotiation(std::vector<std::uint8_t>& out, std::uint8_t verb, std::uint8_t option) {
  out.insert(out.end(), {kIac, verb, option});
}

void AppendSubnegotiation(std::vector<std::uint8_t>& out, std::uint8_t option, std::span<const std::uint8_t> data) {
  out.insert(out.end(), {kIac, kSb});
  AppendEscaped(out, std::span(&option, 1));
  AppendEscaped(out, data);
  out.insert(out.end(), {kIac, kSe});
}

}  // namespace telnet
