#pragma once

// The telnet layer of a network line: line bytes with the byte 0xFF (IAC) doubled, option
// negotiation and subnegotiations between them. Plain C++, so that the decoder can be fuzzed.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace telnet {

inline constexpr std::uint8_t kIac = 0xFF;
inline constexpr std::uint8_t kDont = 0xFE;
inline constexpr std::uint8_t kDo = 0xFD;
inline constexpr std::uint8_t kWont = 0xFC;
inline constexpr std::uint8_t kWill = 0xFB;
inline constexpr std::uint8_t kSb = 0xFA;
inline constexpr std::uint8_t kSe = 0xF0;

inline constexpr std::uint8_t kBinary = 0;
inline constexpr std::uint8_t kSuppressGoAhead = 3;
inline constexpr std::uint8_t kComPort = 44;

// The longest subnegotiation kept whole; the bytes beyond it are dropped (a hostile server must
// not make the program hold an unbounded message).
inline constexpr std::size_t kMaxSubnegotiation = 256;

// A negotiation (verb WILL, WONT, DO or DONT) or a subnegotiation (verb SB: data without the
// option byte, doubled IACs already undoubled).
struct TCommand {
  std::uint8_t verb = 0;
  std::uint8_t option = 0;
  std::vector<std::uint8_t> data;
  friend bool operator==(const TCommand&, const TCommand&) = default;
};

// Splits what a telnet peer sends into line bytes and commands. A chunk may end anywhere, inside
// an IAC sequence or a subnegotiation: the rest is carried over to the next chunk. Commands
// without an option (NOP, GA, ...) carry nothing for a serial line and are dropped.
class TDecoder {
 public:
  void Decode(std::span<const std::uint8_t> chunk, std::vector<std::uint8_t>& payload,
              std::vector<TCommand>& commands);

 private:
  enum class TState : std::uint8_t { Data, Iac, Option, Sub, SubIac };
  void Command(std::uint8_t byte, std::vector<std::uint8_t>& payload);
  void SubByte(std::uint8_t byte);

  TState state_ = TState::Data;
  std::uint8_t verb_ = 0;
  bool optionSeen_ = false;  // in a subnegotiation: its option byte has come
  TCommand sub_;
};

// Appends line bytes with each IAC doubled.
void AppendEscaped(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes);
void AppendNegotiation(std::vector<std::uint8_t>& out, std::uint8_t verb, std::uint8_t option);
void AppendSubnegotiation(std::vector<std::uint8_t>& out, std::uint8_t option, std::span<const std::uint8_t> data);

}  // namespace telnet
